#pragma once
// Where the window program keeps its files ("Orv   2000.cfg", "search.log"
// and the base files it connects) when no folder is named on its command line.

#include <string>

namespace talsk {

// $XDG_DATA_HOME/talsk, or HOME/.local/share/talsk when XDG_DATA_HOME is
// unset, empty or relative (relative ones are to be ignored); empty when
// neither gives an absolute folder. Null stands for an unset variable.
std::string defaultProgramFolder(const char* xdgDataHome, const char* home);

// The folder named on the command line as it is; without one the default
// folder (on Windows %APPDATA%\talsk), made (with its parents) when missing.
// Empty when there is none.
std::string chooseProgramFolder(const std::string& named);

// Why a folder cannot be the program folder, for the terminal: a file (a
// base file too) is named as no folder, anything else as missing.
std::string folderProblem(const std::string& folder);

} // namespace talsk
