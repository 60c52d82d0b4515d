// Diagnostics: which files each report reaches, in which form, and the exit
// status.
#include <gtest/gtest.h>

#include "diag.h"
#include "driver.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(Diagnostics, ErrorWithNoOpenFileGoesToStandardErrorOnly) {
  init();
  CaptureStderr();
  myerrfun("bad thing", "config", 63);
  EXPECT_EQ(GetCapturedStderr(), "Error: bad thing\n");
  EXPECT_EQ(exit_status, 1);
}

TEST(Diagnostics, ErrorReachesEveryOpenFileButTheHeader) {
  init();
  for (int bit : {kOutAnl, kOutKx330, kOutSim, kOutTbl, kOutDbg, kOutH}) open_test_output(bit);
  CaptureStderr();
  myerrfun("bad thing", "config", 63);
  myerrorC("more\n");
  EXPECT_EQ(GetCapturedStderr(), "Error: bad thing\nmore\n");
  for (int bit : {kOutAnl, kOutKx330, kOutSim, kOutTbl, kOutDbg})
    EXPECT_EQ(output_text(bit), "Error(config L63): bad thing\nmore\n") << bit;
  EXPECT_EQ(output_text(kOutH), "");
  close_outputs();
  EXPECT_EQ(g.printout, 0);
}

TEST(Diagnostics, WarningsNeverChangeStatusNorReachRegisterFiles) {
  init();
  for (int bit : {kOutAnl, kOutKx330, kOutSim, kOutTbl, kOutDbg}) open_test_output(bit);
  CaptureStderr();
  mywarningfun("careful", "cmdin", 7);
  mywarningC("Variable x\n");
  mymsgfun("note\n");
  EXPECT_EQ(GetCapturedStderr(), "Warning: careful\nVariable x\nnote\n");
  EXPECT_EQ(exit_status, 0);
  EXPECT_EQ(output_text(kOutAnl), "Warning(cmdin L7): careful\nVariable x\nnote\n");
  EXPECT_EQ(output_text(kOutDbg), "Warning(cmdin L7): careful\nVariable x\nnote\n");
  for (int bit : {kOutKx330, kOutSim, kOutTbl}) EXPECT_EQ(output_text(bit), "");
  close_outputs();
}

TEST(Diagnostics, DebugNotesOnlyInTheDebugFile) {
  init();
  CaptureStderr();
  mydebugfun("dropped", "config", 1);
  EXPECT_EQ(GetCapturedStderr(), "");
  open_test_output(kOutAnl);
  open_test_output(kOutDbg);
  CaptureStderr();
  mydebugfun("kept", "firconfig", 12);
  mydebugC("tail\n");
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(output_text(kOutDbg), "Debug(firconfig L12): kept\ntail\n");
  EXPECT_EQ(output_text(kOutAnl), "");
  EXPECT_EQ(exit_status, 0);
  close_outputs();
}

TEST(Diagnostics, FormatsTextsOfAnyLength) {
  std::string longer(3000, 'z');
  EXPECT_EQ(strfmt("<%s>", longer.c_str()), "<" + longer + ">");
  EXPECT_EQ(strfmt("%d-%s", 5, "x"), "5-x");
}

TEST(Diagnostics, EndProgramFlushesOpenOutputs) {
  EXPECT_EXIT(
      {
        init();
        output_file(kOutAnl).reset(std::fopen("/dev/null", "w"));
        g.printout |= kOutAnl;
        end_program(-1);
      },
      testing::ExitedWithCode(255), "");
}
