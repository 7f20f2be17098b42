#pragma once
// Change of a version 2.0 base file's key: a new key or none. A connected
// file is changed through its loaded copy, which stays in use with the new
// key; any other file is opened into a scratch base for the change.

#include "platform/write_error.h"

#include <cstdint>
#include <string>

namespace talsk {

struct BaseSet;
class KeyStore;

enum class RekeyOutcome {
    Done,
    Incomplete,   // no path, or a new key asked for but not typed: nothing done
    NotValid,     // not a valid base file; status says why
    WrongVersion, // a valid file of another version than 2.0 (status 7)
    WrongKey,     // the old key is not the connected file's key
    CannotOpen,   // the file did not open for writing with the old key; status says why
    SaveFailed,   // the file is as it was; cause says why (None: records refused)
};

struct RekeyRequest {
    std::string path;       // the file as chosen (Windows-1251)
    std::string oldKey;     // typed; ignored for a file without key
    bool newKeyUsed = true; // false: the file is written without key
    std::string newKey;     // typed (Windows-1251), at most 32 characters are used
};

struct RekeyResult {
    RekeyOutcome outcome = RekeyOutcome::Incomplete;
    int32_t status = 0;                  // LoadStatus for NotValid, WrongVersion, CannotOpen
    WriteError cause = WriteError::None; // SaveFailed
    int baseIndex = -1;                  // the connected base that was changed, or -1
    // The remembered key could not be brought up to date (the change itself is done).
    WriteError keysNotSaved = WriteError::None;
};

// Whether the chosen file is one of the set's connected bases is decided by
// its full path, not by its name alone. The caller stops a running search
// first. set and keys may be null. A remembered key of the file (a connected
// base that remembers its key, or a value stored under its name in the list
// or under the path) follows the new key, and so does the key a listed file
// that did not connect holds, so the next loading finds the right one.
[[nodiscard]] RekeyResult changeFileKey(BaseSet* set, const RekeyRequest& request,
                                        const KeyStore* keys);

} // namespace talsk
