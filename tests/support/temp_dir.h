#pragma once
// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.

#include <filesystem>
#include <string>
#include <vector>

namespace talsk::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path/name
    std::string file(const std::string& name) const;
    // Names of every entry of the folder, sorted (hidden ones included).
    std::vector<std::string> entries() const;

private:
    std::string path_;
};

// A UTF-8 path as the standard library's file functions take it, and back.
std::filesystem::path nativePath(const std::string& utf8);
std::string utf8Path(const std::filesystem::path& path);

// Whole-file helpers for test fixtures.
std::vector<unsigned char> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);

} // namespace talsk::test
