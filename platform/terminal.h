#pragma once
// The standard streams and the command line as the system hands them over.

#include <cstddef>
#include <string>
#include <vector>

namespace talsk {

// Makes the standard streams carry bytes as they are (no line-end
// translation), and a console show UTF-8 text. A stream the caller closed
// stays failing, and no file opened later takes its place. Call it first in main.
void prepareStandardStreams();

// The program's arguments after its name, in UTF-8 whatever the system's
// code page.
std::vector<std::string> commandLineArguments(int argc, char** argv);

bool stdinIsTerminal();

// Shows prompt on the standard error and reads one line typed on the
// terminal without echoing it; bytes past maxLength are dropped. False when
// standard input is no terminal or cannot be switched to reading silently.
[[nodiscard]] bool readSecretLine(const std::string& prompt, size_t maxLength, std::string& line);

} // namespace talsk
