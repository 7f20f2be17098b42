#include "app/program_folder.h"

#include "platform/file.h"
#include "platform/user_folders.h"

#include <QtGlobal>

#include <cstdlib>

namespace talsk {

std::string defaultProgramFolder(const char* xdgDataHome, const char* home) {
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') return joinPath(xdgDataHome, "talsk");
    if (home == nullptr || home[0] != '/') return {};
    return joinPath(home, ".local/share/talsk");
}

std::string chooseProgramFolder(const std::string& named) {
    if (!named.empty()) return named;
#ifdef Q_OS_WIN
    // In the roaming application data, beside the key store: %APPDATA%\talsk.
    const std::string data = userConfigFolder();
    const std::string folder = data.empty() ? std::string() : joinPath(data, "talsk");
#else
    const std::string folder =
        defaultProgramFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
#endif
    if (folder.empty() || !makeFolders(folder, false)) return {};
    return folder;
}

std::string folderProblem(const std::string& folder) {
    const FileAttributes a = fileSystem().attributes(folder);
    if (a.exists && !a.directory)
        return folder + ": not a folder; give the folder that holds the base files";
    if (a.exists) return folder + ": the folder cannot be opened";
    return "no such folder: " + folder;
}

} // namespace talsk
