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

// Why a file did not load, on one line for the terminal: the program's
// message, but a missing key names the option that gives it (`keyOption`,
// "--key-file FILE") where the window would point to its dialog.
std::string loadFailure(const PhoneBase& base, const std::string& keyOption);

} // namespace talsk::cli
