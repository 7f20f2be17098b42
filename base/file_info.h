#pragma once
// Header-only reading of a base file of any version, for the information
// displays: counts, dates, version, keyed and status, without any record.

#include "base/records.h"

#include <string>

namespace talsk {

// Zeroes the base and fills it from the file's header. Versions 2.0 and 2.0b
// go through readHeader, 1.0 and 1.2 through the older-format readers (their
// status is then 7); any other version word gives status 12. The file is
// closed again. Returns whether the header is valid; an empty path fails.
[[nodiscard]] bool readFileInfo(const std::string& path, PhoneBase& base);

// Whether the counts, dates and sizes of the base are the file's: not when
// the file could not be opened or read, or its header failed the checks.
bool headerDescribesFile(const PhoneBase& base);

// The numbers of the information displays as they are shown.
struct FileInfoTexts {
    std::string counts[kTableCount]; // each table's records, "-" for 0 or less
    std::string total;               // "Всего записей в файле:", the same rule
    // "Степень сжатия файла:": 100 minus the stored size as a percentage of
    // the text, at least 0, cut one digit after the point ("35.1 %"); empty
    // for a base without records, "-" for versions 1.0 and 1.2, which are
    // not compressed.
    std::string ratio;
};

// Everything is "-" when the header does not describe the file.
FileInfoTexts fileInfoTexts(const PhoneBase& base);

} // namespace talsk
