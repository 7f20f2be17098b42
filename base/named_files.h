#pragma once
// Base files named from outside the program folder (on the command line, or
// handed over by a second start): they join the settings' list by their full
// path, where the loader connects them in place, without copying.

#include "base/settings.h"

#include <string>
#include <vector>

namespace talsk {

// Whether a name ends in ".btn", in any letter case.
bool endsWithBtn(const std::string& name);

// Each absolute path joins the end of the settings' list unless the list
// names that file already. Returns each path's list index in order, or -1 for
// one left out: the list is full, or the settings file cannot hold its name.
std::vector<int> listNamedFiles(ProgramSettings& settings, const std::vector<std::string>& paths);

} // namespace talsk
