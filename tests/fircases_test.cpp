// The table of tested filter cases: it must be exactly the planner's walk
// from "SRR11N11", with flag 0 on the 59 cases whose test failed.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "agenconf.h"
#include "diag.h"
#include "driver.h"
#include "fircases.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

const char* const kFailing[] = {
    "SRR23O41", "SRR2wO12", "SRR35O31", "SRR3uO12", "SRR46O21", "SCR13O41", "SCR1wO12",
    "SCR26O21", "SCR3oO12", "SRR13E51", "SRR14E41", "SRR15E31", "SRR18E21", "SRR23E21",
    "SRR23E41", "SRR24E21", "SRR25E21", "SRR26E21", "SRR27E21", "SRR28E21", "SRR35E31",
    "SRR3fE11", "SRR46E21", "SCR13E21", "SCR13E41", "SCR14E21", "SCR15E21", "SCR16E21",
    "SCR17E21", "SCR18E21", "SCR26E21", "SCR3cE11", "DRR23O41", "DRR34O31", "DRR35O31",
    "DRR46O21", "DCR24O11", "DCR26O21", "DCR28O11", "DCR2cO11", "DCR2gO11", "DCR36O11",
    "DCR3cO11", "DCR3oO12", "DCR48O11", "DCR4gO11", "DRR23E21", "DRR23E41", "DRR24E21",
    "DRR25E21", "DRR26E21", "DRR27E21", "DRR28E21", "DRR34E31", "DRR35E31", "DRR3fE11",
    "DRR46E21", "DCR26E21", "DCR3cE11",
};

struct Walk {
  std::vector<std::string> names;
  std::string left_at;  // the case set after the walk ends
  std::string err;      // what the walk reported
};

// Every case at which NextCase stops after the planner's current case.
Walk walk_after(AgenConf& planner) {
  Walk w;
  CaptureStderr();
  while (planner.NextCase()) w.names.push_back(planner.Getcasename());
  w.err = GetCapturedStderr();
  w.left_at = planner.Getcasename();
  return w;
}

std::vector<std::string> table_names() {
  std::vector<std::string> names;
  for (int i = 0; i < nfircases; ++i) names.push_back(fircases[i].name);
  return names;
}

}  // namespace

TEST(TestedCases, TableIsTheWalkWhichReportsEachFailingCaseOnce) {
  init();
  AgenConf planner;
  planner.Init();
  planner.SetName("SRR11N11");
  Walk w = walk_after(planner);
  w.names.insert(w.names.begin(), "SRR11N11");
  ASSERT_EQ(nfircases, 831);
  EXPECT_EQ(w.names, table_names());
  EXPECT_EQ(w.left_at, "DRR11N11");
  std::string expected;
  for (const char* name : kFailing)
    expected += std::string("Error: Filter configuration ") + name + " Tested with pcheck and Fails!\n";
  EXPECT_EQ(w.err, expected);
  EXPECT_EQ(exit_status, 1);
  init();
}

// Flag 0 exactly for the failed tests; no name twice, eight letters each,
// coefficients always real.
TEST(TestedCases, FlagsAndNames) {
  const std::vector<std::string> failing(std::begin(kFailing), std::end(kFailing));
  ASSERT_EQ(std::set<std::string>(failing.begin(), failing.end()).size(), 59u);
  std::vector<std::string> zeros;
  std::set<std::string> seen;
  for (int i = 0; i < nfircases; ++i) {
    const std::string name = fircases[i].name;
    EXPECT_TRUE(fircases[i].pass == 0 || fircases[i].pass == 1) << name;
    if (fircases[i].pass == 0) zeros.push_back(name);
    EXPECT_TRUE(seen.insert(name).second) << name;
    EXPECT_EQ(name.size(), 8u) << name;
    EXPECT_EQ(name[2], 'R') << name;
  }
  EXPECT_EQ(zeros, failing);
}

TEST(TestedCases, GroupCountsAndTheFirstAndLastEntries) {
  std::vector<std::string> order;
  std::map<std::string, int> counts;
  const std::vector<std::string> names = table_names();
  ASSERT_EQ(names.size(), 831u);
  for (const std::string& name : names) {
    std::string group = {name[0], name[1], name[5]};
    if (!counts.count(group)) order.push_back(group);
    ++counts[group];
  }
  ASSERT_EQ(order, (std::vector<std::string>{"SRN", "SCN", "SRO", "SCO", "SRE", "SCE", "DRN", "DCN", "DRO",
                                             "DCO", "DRE", "DCE"}));
  const int expected[] = {192, 94, 119, 55, 94, 39, 66, 36, 53, 23, 45, 15};
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(counts[order[i]], expected[i]) << order[i];

  std::vector<std::string> first;
  for (char d : std::string("123456789abcdefg")) first.push_back(std::string("SRR11N") + d + "1");
  for (char d : std::string("12345678")) first.push_back(std::string("SRR12N") + d + "1");
  first.push_back("SRR12N12");
  first.push_back("SRR13N11");
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + first.size()), first);
  EXPECT_EQ(names.back(), "DCR4gE11");
}

TEST(TestedCases, EveryEntryIsAcceptedAndFoundOnce) {
  for (int i = 0; i < nfircases; ++i) {
    init();
    AgenConf planner;
    planner.Init();
    planner.SetName(fircases[i].name);
    CaptureStderr();
    bool valid = planner.ValidCase(1);
    std::string err = GetCapturedStderr();
    EXPECT_TRUE(valid) << fircases[i].name << ": " << planner.GetReason();
    EXPECT_EQ(planner.caseexist, 1) << fircases[i].name;
    EXPECT_EQ(err.empty(), fircases[i].pass == 1) << fircases[i].name;
  }
  init();
}

// From the all-zero state Init leaves, the walk passes through cases with
// zero divisors before it reaches real ones; it must neither trap nor accept
// any of them, and then it lists the table from its first entry.
TEST(TestedCases, WalkFromTheUnsetStateGivesTheSameTable) {
  init();
  AgenConf planner;
  planner.Init();
  EXPECT_EQ(walk_after(planner).names, table_names());
  init();
}
