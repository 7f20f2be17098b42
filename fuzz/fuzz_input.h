#pragma once
// Shared by the harnesses: a private scratch folder for the readers that take
// a path, and the typed keys of the keyed sample files of tests/data, so that
// seeds made from them get past their key.

#include "platform/cp1251.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace talsk::fuzz {

// Made at the first use, removed when the process ends normally.
inline const std::string& scratchFolder() {
    // Never destroyed, so that the removal at exit can still name it.
    static const std::string* folder = [] {
        std::error_code ec;
        const std::string base = std::filesystem::is_directory("/dev/shm", ec)
                                     ? std::string("/dev/shm")
                                     : std::filesystem::temp_directory_path().string();
        std::string pattern = base + "/talsk-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        auto* made = new std::string(pattern);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(*folder, ignored);
        });
        return made;
    }();
    return *folder;
}

// Writes the input as file `name` of the scratch folder; returns its path.
inline std::string writeScratchFile(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = scratchFolder() + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    return path;
}

inline std::string typedKeyOf20Sample() {
    return utf8ToCp1251("Тальск-2000");
}
inline std::string typedKeyOf12Sample() {
    return utf8ToCp1251("ключ-12");
}

} // namespace talsk::fuzz
