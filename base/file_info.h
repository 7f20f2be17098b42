#pragma once
// Header-only reading of a base file of any version, for the information
// displays: counts, dates, version, keyed and status, without any record.

#include "base/records.h"

#include <string>

namespace talsk {

// What reading a file's header came to. The displays clear the version too
// when there was no file to read, but name it for a file that has one.
enum class FileInfoRead {
    Read,          // the header describes the file
    NoFile,        // an empty path: nothing is selected
    NotFound,      // no such file (or a folder of that name)
    Unreadable,    // it could not be opened, or holds no version word
    Damaged,       // the version word is known, the header failed its checks
    UnknownFormat, // a version word of no known version (status 12)
};

// Zeroes the base and fills it from the file's header. Versions 2.0 and 2.0b
// go through readHeader, 1.0 and 1.2 through the older-format readers (their
// status is then 7); any other version word gives status 12. The file is
// closed again. Returns whether the header is valid; an empty path fails.
// outcome, when given, says how it came out.
[[nodiscard]] bool readFileInfo(const std::string& path, PhoneBase& base,
                                FileInfoRead* outcome = nullptr);

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
    std::string created[kTableCount]; // "-" when the table has no records
    std::string updated[kTableCount];
    std::string keyNotice; // "Требуется ключ" for a keyed file
    std::string version;   // only from a readFileInfo outcome
};

// Everything is "-" (and no key notice) when the header does not describe
// the file.
FileInfoTexts fileInfoTexts(const PhoneBase& base);
// The same for a base filled by readFileInfo: cleared unless it was read;
// the version named whenever a version word was read ("Неверный формат" for
// an unknown one), empty when there was no file or it could not be read.
FileInfoTexts fileInfoTexts(const PhoneBase& base, FileInfoRead outcome);

} // namespace talsk
