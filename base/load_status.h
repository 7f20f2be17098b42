#pragma once
// What the last open or load of a base left on it, with the messages the user reads.

#include "platform/write_error.h"

#include <cstdint>
#include <string>

namespace talsk {

enum LoadStatus : int32_t {
    StatusConnected = 1,
    StatusCannotOpen = 2,
    StatusNoData = 3,
    StatusHeaderInvalid = 4,
    StatusLoadFailed = 5,
    StatusKeyMissing = 6,
    StatusVersionMismatch = 7,
    StatusNotFound = 8,
    StatusReadOnlyBusy = 9,
    StatusReadOnlyIncomplete = 10,
    StatusReadOnlyAttribute = 11,
    StatusUnknownFormat = 12,
};

// UTF-8 text; the short form is the first line alone. A file that could not
// be opened for a known reason other than another holder (`cause`, e.g. a
// pipe, a device, no permission, or a folder where the file was looked for)
// says that reason instead.
std::string statusMessage(int32_t status, bool shortForm, WriteError cause = WriteError::None);

} // namespace talsk
