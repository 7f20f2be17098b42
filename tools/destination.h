#pragma once
// Checks made on a utility's destination before any source is read, so that
// a file that cannot be written is reported before the work, not after it.

#include "platform/file.h"
#include "platform/write_error.h"

#include <memory>
#include <string>

namespace talsk {

// Takes the writer lock of an existing destination (kept in held until the
// result is saved), or makes sure the folder takes a new file; otherwise says
// why not. Nothing is created or changed.
WriteError prepareDestination(const std::string& path, std::unique_ptr<File>& held);

// The same check without keeping the lock.
WriteError checkDestination(const std::string& path);

// A destination name as chosen: ".btn" appended unless it ends so.
std::string withBaseExtension(const std::string& path);

} // namespace talsk
