#pragma once
// A fresh folder under /tmp for one test, removed with everything in it.

#include <string>

namespace talsk::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // UTF-8 (and ASCII) path of the folder.
    const std::string& path() const { return path_; }
    // path() joined with a name.
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Whole content of a file ("" when missing) and writing one.
std::string readFileBytes(const std::string& path);
bool writeFileBytes(const std::string& path, const std::string& bytes);

} // namespace talsk::test
