// Variable table: the hash, bucket order, lookups and the setparam rule.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver.h"
#include "strtab.h"

TEST(SymbolTable, HashExamples) {
  EXPECT_EQ(hash("a"), 97);
  EXPECT_EQ(hash("page"), 891);
  EXPECT_EQ(hash("gain"), 287);
  EXPECT_EQ(hash("fck"), 178);
  EXPECT_EQ(hash(""), 0);
  // Characters above 127 count as negative: (347*0 + -1) % 1000 = -1 -> 999.
  EXPECT_EQ(hash("\xff"), 999);
}

TEST(SymbolTable, LookupIsExactAndCaseSensitive) {
  init();
  ASSERT_NE(yyysearchstr("gain_lsb"), nullptr);
  EXPECT_EQ(yyysearchstr("GAIN_LSB"), nullptr);
  EXPECT_EQ(yyysearchstr("gain_ls"), nullptr);
  EXPECT_EQ(yyysearchstr(nullptr), nullptr);
  EXPECT_EQ(yyycheckstr(nullptr), nullptr);
  yyy_STRTAB* s = yyysearchstr("gain_lsb");
  EXPECT_EQ(s->refcnt, 1);
  EXPECT_EQ(yyycheckstr("gain_lsb"), s);
  EXPECT_EQ(s->refcnt, 2);
}

namespace {
std::vector<std::string> visited;
int record_name(yyy_STRTAB* s) {
  visited.push_back(s->ptr);
  return 0;
}
int stop_at_first(yyy_STRTAB* s) {
  visited.push_back(s->ptr);
  return 1;
}
}  // namespace

TEST(SymbolTable, WalkVisitsBucketsInOrderNewestFirst) {
  init();
  visited.clear();
  yyystrings(record_name);
  ASSERT_EQ(visited.size(), 250u);
  auto pos = [](const std::string& n) {
    for (size_t i = 0; i < visited.size(); ++i)
      if (visited[i] == n) return i;
    return visited.size();
  };
  EXPECT_EQ(hash("fir_fb"), 788);
  EXPECT_EQ(hash("pwr_dwn_fir_D"), 788);
  EXPECT_EQ(pos("fir_fb") + 1, pos("pwr_dwn_fir_D"));
  for (size_t i = 1; i < visited.size(); ++i)
    EXPECT_LE(hash(visited[i - 1].c_str()), hash(visited[i].c_str()));
}

TEST(SymbolTable, WalkStopsWhenCallbackReturnsNonZero) {
  init();
  visited.clear();
  yyystrings(stop_at_first);
  EXPECT_EQ(visited.size(), 1u);
}

TEST(SymbolTable, SetparamStoresOnlyIntoUnsetFields) {
  int zero = 0, unset = -1;
  setparam(&zero, 5);
  setparam(&unset, 5);
  EXPECT_EQ(zero, 0);
  EXPECT_EQ(unset, 5);
  double dzero = 0.0, dunset = -1.0;
  setparamd(&dzero, 7);
  setparamd(&dunset, 7);
  EXPECT_EQ(dzero, 0.0);
  EXPECT_EQ(dunset, 7.0);
}
