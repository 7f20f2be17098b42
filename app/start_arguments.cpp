#include "app/start_arguments.h"

#include "base/named_files.h"
#include "platform/file.h"

namespace talsk {

StartArguments parseStartArguments(const std::vector<std::string>& args) {
    StartArguments start;
    bool folderNamed = false;
    for (const std::string& arg : args) {
        if (arg.empty()) continue;
        const FileAttributes a = fileSystem().attributes(arg);
        const bool file = (a.exists && !a.directory) || (!a.exists && endsWithBtn(arg));
        if (!file && !folderNamed) {
            start.folder = arg;
            folderNamed = true;
            continue;
        }
        const std::string full = absolutePath(arg);
        start.files.push_back(full.empty() ? arg : full);
    }
    return start;
}

} // namespace talsk
