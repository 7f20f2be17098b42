#include "base/key_store.h"

#include "base/base_set.h"
#include "base/cipher.h"
#include "platform/atomic_write.h"
#include "platform/cp1251.h"
#include "platform/file.h"

#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

namespace talsk {

namespace {

// The store: the signature, a 32-bit count, then per value a 16-bit name
// length, the enciphered name, a 16-bit data length and the enciphered data.
constexpr char kSignature[4] = {'Q', 'K', 'S', '1'};
constexpr size_t kLargestStore = 4 << 20;
constexpr size_t kLargestValue = 0xFFFF;
constexpr size_t kKeyLimit = 32; // longer values are not keys

struct Value {
    std::string name;
    std::string data;
};

std::string cutAtZero(const std::string& text) {
    return text.substr(0, std::strlen(text.c_str()));
}

std::string encipherText(std::string text) {
    encipher(reinterpret_cast<unsigned char*>(text.data()), text.size(), nullptr);
    return text;
}

// The values of a store file; a missing or damaged store has none.
std::vector<Value> readStore(const std::string& path) {
    std::string bytes;
    std::vector<Value> values;
    if (!readFileHead(path, kLargestStore + 1, bytes) || bytes.size() > kLargestStore) return {};
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    size_t pos = 0;
    auto u16 = [&](size_t& v) {
        if (size - pos < 2) return false;
        v = size_t(p[pos]) | (size_t(p[pos + 1]) << 8);
        pos += 2;
        return true;
    };
    auto text = [&](size_t n, std::string& out) {
        if (size - pos < n) return false;
        out.assign(bytes, pos, n);
        pos += n;
        return true;
    };
    if (size < 8 || std::memcmp(p, kSignature, 4) != 0) return {};
    const uint32_t count =
        uint32_t(p[4]) | (uint32_t(p[5]) << 8) | (uint32_t(p[6]) << 16) | (uint32_t(p[7]) << 24);
    pos = 8;
    for (uint32_t i = 0; i < count; ++i) {
        Value v;
        size_t n = 0;
        if (!u16(n) || !text(n, v.name) || !u16(n) || !text(n, v.data)) return {};
        values.push_back(std::move(v));
    }
    if (pos != size) return {};
    return values;
}

bool writeStore(const std::string& path, const std::vector<Value>& values, WriteError* cause) {
    std::string bytes(kSignature, sizeof kSignature);
    auto u16 = [&](size_t v) {
        bytes += static_cast<char>(v & 0xFF);
        bytes += static_cast<char>((v >> 8) & 0xFF);
    };
    const uint32_t count = static_cast<uint32_t>(values.size());
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((count >> (8 * i)) & 0xFF);
    for (const Value& v : values) {
        u16(v.name.size());
        bytes += v.name;
        u16(v.data.size());
        bytes += v.data;
    }
    if (bytes.size() > kLargestStore) return reportWriteError(WriteError::Other, cause);
    const auto slash = path.find_last_of("/\\");
    if (slash != std::string::npos && slash > 0) makeFolders(path.substr(0, slash), true);
    // A fresh temporary file is readable by its owner alone, and stays so.
    return writeFileAtomically(path, bytes.data(), bytes.size(), true, cause);
}

} // namespace

KeyStore::KeyStore(std::string storePath) : storePath_(std::move(storePath)) {}

std::string KeyStore::defaultPath() {
    std::string config;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        config = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == '\0') return {};
        config = std::string(home) + "/.config";
    }
    return utf8ToCp1251(config + "/Quelvarin0/Key");
}

bool KeyStore::saveKeys(const BaseSet& set, WriteError* cause) const {
    bool any = false;
    for (const PhoneBase& base : set.bases)
        any = any || base.rememberKey;
    if (!any) return reportWriteError(WriteError::None, cause);
    if (storePath_.empty()) return reportWriteError(WriteError::Other, cause);
    std::vector<Value> values = readStore(storePath_);
    for (const PhoneBase& base : set.bases) {
        if (!base.rememberKey) continue;
        const std::string path = cutAtZero(base.path);
        const std::string key = cutAtZero(base.key);
        if (path.empty() || path.size() > kLargestValue || key.size() > kKeyLimit) continue;
        Value v{encipherText(path), encipherText(key)};
        bool replaced = false;
        for (Value& old : values)
            if (old.name == v.name) {
                old.data = v.data;
                replaced = true;
                break;
            }
        if (!replaced) values.push_back(std::move(v));
    }
    return writeStore(storePath_, values, cause);
}

std::string KeyStore::lookupKey(const std::string& path) const {
    const std::string plain = cutAtZero(path);
    if (storePath_.empty() || plain.empty()) return {};
    const std::string name = encipherText(plain);
    for (const Value& v : readStore(storePath_)) {
        if (v.name != name) continue;
        if (v.data.size() > kKeyLimit) return {};
        std::string key = v.data;
        decipher(reinterpret_cast<unsigned char*>(key.data()), key.size(), nullptr);
        return cutAtZero(key);
    }
    return {};
}

bool KeyStore::clearKeys(WriteError* cause) const {
    if (storePath_.empty()) return reportWriteError(WriteError::Other, cause);
    return writeStore(storePath_, {}, cause);
}

} // namespace talsk
