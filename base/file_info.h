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
bool readFileInfo(const std::string& path, PhoneBase& base);

// "Степень сжатия файла:" as the information displays show it: 100 minus the
// stored size as a percentage of the text, at least 0, cut one digit after
// the point, followed by " %" ("35.1 %"); empty for a base without records.
std::string compressionRatioText(const PhoneBase& base);

} // namespace talsk
