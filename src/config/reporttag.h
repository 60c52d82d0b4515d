// reporttag.h — the module tag that the configuration stage's messages carry.
#pragma once

// Every message of the configuration stage (pre-configuration, the
// configuration driver, sum tree, CIC/mixer, interfaces and gain) names the
// module "config", whichever file it comes from; each file names its fixed
// line numbers beside its messages. Tag and lines are output text that users
// and tests match, not file names or places in the source.
constexpr const char* kConfigTag = "config";
