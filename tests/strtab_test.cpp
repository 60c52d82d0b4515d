// Variable table: the hash and the table order it gives (buckets in order,
// the newest record first within one). The help listing (case help-listing)
// pins the order of all 250 variables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/driver.h"
#include "vartable/strtab.h"

namespace {
std::vector<std::string> visited;
int record_name(yyy_STRTAB* s) {
  visited.push_back(s->ptr);
  return 0;
}
}  // namespace

TEST(SymbolTable, HashAndTableOrder) {
  // Characters above 127 count as negative: (347 x 0 - 1) % 1000 = -1 -> 999.
  const std::pair<const char*, int> hashes[] = {{"a", 97},     {"page", 891}, {"gain", 287},   {"fck", 178},
                                                {"", 0},       {"\xff", 999}, {"fir_fb", 788}, {"pwr_dwn_fir_D", 788}};
  for (const auto& h : hashes) EXPECT_EQ(hash(h.first), h.second) << h.first;
  init();
  visited.clear();
  yyystrings(record_name);
  ASSERT_EQ(visited.size(), 250u);
  for (size_t i = 1; i < visited.size(); ++i) {
    EXPECT_LE(hash(visited[i - 1].c_str()), hash(visited[i].c_str()));
    // pwr_dwn_fir_D is registered before fir_fb.
    if (visited[i] == "pwr_dwn_fir_D") {
      EXPECT_EQ(visited[i - 1], "fir_fb");
    }
  }
  EXPECT_EQ(yyysearchstr("GAIN_LSB"), nullptr);
  EXPECT_EQ(yyysearchstr("gain_ls"), nullptr);
}
