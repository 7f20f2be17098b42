#include "platform/file.h"

namespace talsk {

namespace {

// A test's stand-in for the system's files, when one is set.
FileSystem* gOverride = nullptr;

} // namespace

FileSystem& fileSystem() {
    return gOverride ? *gOverride : nativeFileSystem();
}

FileSystem* setFileSystem(FileSystem* fs) {
    FileSystem* previous = gOverride;
    gOverride = fs;
    return previous;
}

} // namespace talsk
