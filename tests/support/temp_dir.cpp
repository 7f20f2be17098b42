#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace talsk::test {

#ifdef _WIN32
// The library reads a narrow name in the ANSI code page: the tests' names are
// UTF-8, as the program's are.
std::filesystem::path nativePath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
std::string utf8Path(const std::filesystem::path& path) {
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

TempDir::TempDir() {
    // No mkdtemp here: a new name is taken until one is free.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const auto candidate = std::filesystem::temp_directory_path() /
                               ("talsk-test-" + std::to_string(random() % 1000000000u));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) path_ = utf8Path(candidate);
    }
    if (path_.empty()) throw std::runtime_error("cannot create a temporary folder");
}
#else
std::filesystem::path nativePath(const std::string& path) {
    return path;
}
std::string utf8Path(const std::filesystem::path& path) {
    return path.string();
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "talsk-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}
#endif

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(nativePath(path_), ec);
}

std::string TempDir::file(const std::string& name) const {
    return path_ + "/" + name;
}

std::vector<std::string> TempDir::entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(nativePath(path_)))
        names.push_back(utf8Path(e.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(nativePath(path), std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(nativePath(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

} // namespace talsk::test
