#pragma once
// Conversion of base files between versions 1.0, 1.2, 2.0b and 2.0.

#include "platform/write_error.h"
#include "tools/cut_fields.h"

#include <cstdint>
#include <functional>
#include <string>

namespace talsk {

enum class ConvertOutcome {
    Done,
    NothingToConvert, // no conversion exists for this source and target
    CannotOpen,       // the source could not be opened for writing (in place)
    CannotCreate,     // the destination could not be created
    CannotRead,       // the source could not be read; status says why
    Damaged,          // a 1.0 record could not be parsed
    SaveFailed,       // writing the target failed
    WouldCut,         // fields over the 1.2 limits; nothing is written
};

struct ConvertResult {
    ConvertOutcome outcome = ConvertOutcome::NothingToConvert;
    int32_t status = 0; // LoadStatus of the source when CannotRead
    CutFields cut;      // what a 1.2 target would cut, when WouldCut
    // Why the destination could not be created (CannotCreate), the source
    // opened for writing in place (CannotOpen) or for reading (CannotRead,
    // status 2) or the result written (SaveFailed); None when it was not the
    // file system.
    WriteError cause = WriteError::None;
};

// Whether a 1.2 target may cut fields that are longer than it keeps.
enum class FieldCutting { Refuse, Allow };

// Called with the running count whenever it is a multiple of the step.
using ConvertProgress = std::function<void(int32_t done, int32_t total)>;

// The progress step of a long operation: total / 300, at least 1.
int32_t progressStep(int32_t total);

// Whether a conversion from this source version (0x0101 counts as 0x0100) to
// this target exists: 1.0 -> 1.2, 1.0 -> 2.0, 1.2 -> 2.0, 2.0b -> 2.0, 2.0 -> 1.2.
bool conversionExists(uint16_t sourceVersion, uint16_t targetVersion);

// targetVersion: 0x0201 (2.0) or 0x0120 (1.2). fileKey is the source's file
// key (derived from the typed key), which the target keeps. When the
// destination is the source, the file is converted in place.
//
// Versions 1.0 and 1.2 are scrambled with the typed key itself; from a file
// key every typed text that derives it is tried. Writing a keyed 1.2 file
// needs the typed text: when several texts derive the file key, the result is
// CannotRead with status 6 (use convertFileWithTypedKey).
//
// Before writing a 1.2 target every record is checked against the 1.2
// limits; unless cutting is allowed, records that do not fit give WouldCut.
[[nodiscard]] ConvertResult convertFile(const std::string& sourcePath,
                                        const std::string& destinationPath, uint16_t targetVersion,
                                        const std::string& fileKey,
                                        const ConvertProgress& progress = {},
                                        FieldCutting cutting = FieldCutting::Refuse);

// The same with the key as the user typed it (Windows-1251; empty for none).
[[nodiscard]] ConvertResult convertFileWithTypedKey(const std::string& sourcePath,
                                                    const std::string& destinationPath,
                                                    uint16_t targetVersion,
                                                    const std::string& typedKey,
                                                    const ConvertProgress& progress = {},
                                                    FieldCutting cutting = FieldCutting::Refuse);

} // namespace talsk
