// reporttag.h — the module tag of the configuration stage's reports.
#pragma once

// Every report of the configuration stage (pre-configuration, the
// configuration driver, sum tree, CIC/mixer, interfaces and gain) names the
// module "config", whichever of its files it comes from; each file keeps its
// fixed line tags beside its reports. Tag and lines are output text that
// users and tests match, not file names or source lines.
constexpr const char* kConfigTag = "config";
