#pragma once
// Standard output of talsk-cli. Every write is checked, so that a full disk
// is never taken for success; a reader that went away (`| head -1`) is no
// failure worth a message.

#include <string>

namespace talsk::cli {

#if defined(__GNUC__)
#define TALSK_PRINTF_LIKE __attribute__((format(printf, 1, 2)))
#else
#define TALSK_PRINTF_LIKE
#endif

// printf to standard output; false once a write failed.
bool print(const char* format, ...) TALSK_PRINTF_LIKE;
// Writes the bytes as they are; false once a write failed.
bool writeOut(const std::string& text);

// Flushes and closes standard output at the end of a command. Returns
// `status`, or after "talsk-cli: write error: CAUSE" a failing status when
// anything written was lost.
int finishOutput(int status);

} // namespace talsk::cli
