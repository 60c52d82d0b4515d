// The checked-in table of tested filter cases is exactly what its generator
// writes today.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "e2e.h"

TEST(TestedCaseTable, GeneratorRewritesTheCheckedInFileUnchanged) {
  ScratchDir dir;
  const std::string out = dir.file("fircases.cpp");
  const std::string cmd = std::string("'") + CMD7420_GEN_FIRCASES + "' '" + out + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  const std::string checked_in = read_file(std::string(CMD7420_SOURCE_DIR) + "/src/fircases.cpp");
  ASSERT_FALSE(checked_in.empty());
  EXPECT_TRUE(read_file(out) == checked_in) << "regenerate with: cmake --build build --target fircases_table";
}
