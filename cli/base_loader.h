#pragma once
// Opening a base file for a command: header, typed key, tables.

#include "base/records.h"

#include <string>

namespace talsk::cli {

// Opens the file at a UTF-8 path with a typed key (UTF-8, may be empty) and
// loads its tables as connecting does (a keyed file given no key asks for it
// on the terminal), but only to read them: a program that
// connects the file meanwhile still gets it for writing. Returns connected;
// base.status says why not.
bool loadBaseFile(PhoneBase& base, const std::string& utf8Path, const std::string& typedKeyUtf8);

} // namespace talsk::cli
