#pragma once
// What `talsk` was started with: at most one folder, the program's folder,
// and any number of base files to connect where they lie.

#include <string>
#include <vector>

namespace talsk {

struct StartArguments {
    std::string folder;             // as named; empty: the default folder
    std::vector<std::string> files; // absolute paths
};

// An argument is a base file when it names an existing file that is not a
// folder, or ends in ".btn" (any letter case; connecting it then says what is
// wrong); the first other one is the folder, and any further are taken as
// files too, so that connecting them says so. Relative files are taken in
// the current folder at start.
StartArguments parseStartArguments(const std::vector<std::string>& args);

} // namespace talsk
