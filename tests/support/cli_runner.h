#pragma once
// Runs the built talsk-cli with arguments and standard input, capturing its output.

#include <string>
#include <vector>

namespace talsk::test {

struct CliResult {
    int status = -1; // exit status
    std::string out;
    std::string err;
};

// Arguments are passed as they are (UTF-8); input is written to the tool's
// standard input.
CliResult runCli(const std::vector<std::string>& args, const std::string& input = {});
#ifndef _WIN32
// The same with standard input opened on a path as it is (a folder, a
// device), or closed when the path is empty.
CliResult runCliReading(const std::vector<std::string>& args, const std::string& inputPath);
// The same with standard output written to a path as it is (/dev/full);
// the result's `out` stays empty.
CliResult runCliWriting(const std::vector<std::string>& args, const std::string& outputPath,
                        const std::string& input = {});
#endif

// The value of a "name: value" line of talsk-cli info, or "<missing>".
std::string infoField(const std::string& info, const std::string& name);

} // namespace talsk::test
