// reportsites.h — the report sites of the PFIR planning's messages.
#pragma once

// The messages of fir_config name the module "firconfig", those of the
// planner "agenconf", each with a fixed line number. Tags and lines are
// output text that users and tests match, not file names or places in the
// source; each message stays at its call site with them.
constexpr const char* kFirconfigTag = "firconfig";
constexpr const char* kAgenconfTag = "agenconf";

enum PfirReportLine : int {
  // firconfig.cpp: fir_config, the PFIR plan of a channel, tag "firconfig"
  kLineStart = 27,
  kLineZeroDivisor = 70,
  kLineTapsRoundedUp = 76,
  kLineRateRange = 81,
  kLinePossibleRate = 100,
  kLineNoTransmitRate = 104,
  kLineMaximumTaps = 107,
  kLineTransmitRate = 112,
  kLineNoMultiple = 113,
  kLineClockCount = 192,
  kLineSeveralChannels = 225,
  kLineTooManyTaps = 236,
  kLineLayout = 253,
  kLineRamBounds = 286,
  // agenconf.cpp: the planner AgenConf, tag "agenconf"
  kLineBadCaseName = 60,
  kLineBadProperty = 118,
  kLineFilterName = 133,
  kLineAccumulator = 164,
  kLineTestedAndPasses = 338,
  kLineSeveralEntries = 340,
  kLineUntried = 343,
  kLineTestedAndFails = 551,
  kLineBraeOverrun = 619,
  kLineStepRange = 873,
  kLineNegstepRange = 881,
  kLineNoCase = 900,
  kLineBeStepInvalid = 1052,
  kLineFwasWrite = 1129,
  kLineBwasWrite = 1136,
  kLineBwaesWrite = 1144,
  kLineBblkeWrite = 1152,
  kLineBraeWrite = 1159,
  kLineBwaeWrite = 1166,
  kLineSwWrite = 1173,
  kLineBeReadBypassWrite = 1180,
  kLineFirClkCnt = 1216,
  kLineBeramRead = 1227,
};
