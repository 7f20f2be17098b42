#pragma once
// Conversion of base files between versions 1.0, 1.2, 2.0b and 2.0.

#include <cstdint>
#include <functional>
#include <string>

namespace talsk {

enum class ConvertOutcome {
    Done,
    NothingToConvert, // no conversion exists for this source and target
    CannotCreate,     // the destination could not be created
    CannotRead,       // the source could not be read; status says why
    Damaged,          // a 1.0 record could not be parsed
    SaveFailed,       // writing the target failed
};

struct ConvertResult {
    ConvertOutcome outcome = ConvertOutcome::NothingToConvert;
    int32_t status = 0; // LoadStatus of the source when CannotRead
};

// Called with the running count whenever it is a multiple of the step.
using ConvertProgress = std::function<void(int32_t done, int32_t total)>;

// The progress step of a long operation: total / 300, at least 1.
int32_t progressStep(int32_t total);

// targetVersion: 0x0201 (2.0) or 0x0120 (1.2). fileKey is the source's file
// key (derived from the typed key), which the target keeps. When the
// destination is the source, the file is converted in place.
ConvertResult convertFile(const std::string& sourcePath, const std::string& destinationPath,
                          uint16_t targetVersion, const std::string& fileKey,
                          const ConvertProgress& progress = {});

} // namespace talsk
