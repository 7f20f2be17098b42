#pragma once
// Base files of version 1.2: a 10-byte lead, a 96-byte header block scrambled
// with a built-in key, then the population and organization texts (records
// of zero-terminated fields), each scrambled with the file's key.

#include "base/records.h"
#include "platform/file.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace talsk {

constexpr int kLegacy12TableCount = 2;

// Reads the lead and the header block and checks them: counts, dates and text
// sizes of the two tables (and count and dates of the unused third), keyed.
// Status 3 (20 bytes or shorter), 7 (another version), 4 (checks failed);
// 7 on success, as for every file of an older version.
[[nodiscard]] bool readLegacy12Header(File& file, PhoneBase& base);

// readLegacy12Header, then reads, unscrambles and indexes the two tables with
// the typed key into base.tables[0..1], in 1.2 record form (legacy12Record
// reads them). A table that fails is emptied: status 10, or 5 when no table
// with records could be read; 6 for a keyed file without a key. Returns true
// when every table with records was read.
[[nodiscard]] bool readLegacy12(File& file, const std::string& typedKey, PhoneBase& base);

// One table to write: its packed 1.2 records and the descriptor values.
struct Legacy12Table {
    std::string text;
    int32_t count = 0;
    BaseDate created;
    BaseDate updated;
};

// The whole file image. Keyed files are scrambled with the typed key,
// others with the built-in key. False when the key cannot scramble
// reversibly: its third character is 0x00 or 0x01.
[[nodiscard]] bool buildLegacy12Image(const Legacy12Table (&tables)[kLegacy12TableCount],
                                      bool keyed, const std::string& typedKey,
                                      std::vector<unsigned char>& image);

// Builds the image and writes it to path without ever leaving a damaged file
// (see writeFileImage; held is the caller's locked handle, if any). *cause,
// when given, says why writing failed; None when the image could not be built.
[[nodiscard]] bool writeLegacy12(const std::string& path,
                                 const Legacy12Table (&tables)[kLegacy12TableCount], bool keyed,
                                 const std::string& typedKey, std::unique_ptr<File>& held,
                                 WriteError* cause = nullptr);

} // namespace talsk
