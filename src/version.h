// version.h — the program's revision and build date, as the banner of a run,
// the usage, --version and the JSON output print them.
#pragma once

inline constexpr const char* kRevision = "revWorking";
inline constexpr const char* kBuildDate = "Feb 14 2005";
