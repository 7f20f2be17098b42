#include "bench_data.h"

#include "base/base_file.h"
#include "tools/demo_data.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <unistd.h>

namespace talsk::bench {

namespace {

DemoOptions demoSplit(int32_t records) {
    DemoOptions o;
    o.cityCodes = records < 150 ? records : 150;
    o.organizations = (records - o.cityCodes) * 15 / 100;
    o.residents = records - o.cityCodes - o.organizations;
    o.seed = 2000;
    return o;
}

// Removes the benchmark's files when the program ends.
struct Scratch {
    std::string folder;
    Scratch() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "talsk-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) folder = pattern;
    }
    ~Scratch() {
        std::error_code ec;
        if (!folder.empty()) std::filesystem::remove_all(folder, ec);
    }
};

Scratch& scratch() {
    static Scratch s;
    return s;
}

} // namespace

const std::vector<char>& demoPool(size_t size) {
    static std::map<size_t, std::vector<char>> pools;
    auto it = pools.find(size);
    if (it != pools.end()) return it->second;
    PhoneBase base;
    fillDemoBase(base, demoSplit(400000));
    std::vector<char> pool;
    pool.reserve(size);
    while (pool.size() < size) {
        for (const BaseTable& t : base.tables) {
            size_t n = std::min(static_cast<size_t>(t.textSize), size - pool.size());
            pool.insert(pool.end(), t.text.data(), t.text.data() + n);
        }
    }
    return pools.emplace(size, std::move(pool)).first->second;
}

const std::string& demoBaseFile(int32_t records) {
    static std::map<int32_t, std::string> files;
    auto it = files.find(records);
    if (it != files.end()) return it->second;
    PhoneBase base;
    base.path = scratch().folder + "/demo-" + std::to_string(records) + ".btn";
    if (!fillDemoBase(base, demoSplit(records)) || !saveBase(base, kMaskAllTables)) std::abort();
    closeBase(base);
    return files.emplace(records, base.path).first->second;
}

} // namespace talsk::bench
