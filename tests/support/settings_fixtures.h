#pragma once
// A settings record with every field away from its default, for the tests of
// the configuration file.

#include "base/settings.h"

#include <string>

namespace talsk::test {

// The last of its three files: a path of the full 260 characters.
extern const std::string kLongSettingsPath;

// Every value passes validation unchanged and differs from its default, so
// that a field written or read at the wrong place, or not at all, shows.
// It is what the configuration file sample holds.
ProgramSettings unusualSettings();

} // namespace talsk::test
