#include "base/named_files.h"

#include "platform/file.h"

#include <algorithm>

namespace talsk {

bool endsWithBtn(const std::string& name) {
    if (name.size() < 4) return false;
    const char* tail = name.c_str() + name.size() - 4;
    const char* want = ".btn";
    for (int i = 0; i < 4; ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != want[i]) return false;
    }
    return true;
}

std::vector<int> listNamedFiles(ProgramSettings& settings, const std::vector<std::string>& paths) {
    std::vector<int> indexes;
    for (const std::string& path : paths) {
        int index = -1;
        const int count = settings.fileCount < 0 ? 0 : std::min<int>(settings.fileCount, kMaxFiles);
        for (int i = 0; i < count && index < 0; ++i)
            if (samePath(pathInFolder(settings.programFolder,
                                      settings.filePaths[static_cast<size_t>(i)]),
                         path))
                index = i;
        if (index < 0 && count < kMaxFiles && storablePath(path) && pathWithinLimit(path)) {
            settings.filePaths[static_cast<size_t>(count)] = path;
            settings.fileCount = static_cast<int16_t>(count + 1);
            index = count;
        }
        indexes.push_back(index);
    }
    return indexes;
}

} // namespace talsk
