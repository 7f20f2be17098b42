#pragma once
// How saves name their temporary files, the same on every system.

#include <cstddef>
#include <string>

namespace talsk {

// Temporary files of saves are named ".NAME.talsk-XXXXXX" beside the target:
// a name no other program (nor the user) is likely to give a file.
std::string tempPrefix(const std::string& name);
constexpr size_t kTempSuffix = 6; // XXXXXX: letters and digits

// Whether a folder's entry is a temporary file of saves of the file whose
// prefix is given.
bool isTempOf(const std::string& entry, const std::string& prefix);

} // namespace talsk
