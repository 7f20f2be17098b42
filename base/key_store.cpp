#include "base/key_store.h"

#include "base/base_set.h"
#include "base/cipher.h"
#include "platform/atomic_write.h"
#include "platform/cp1251.h"
#include "platform/file.h"
#include "platform/little_endian.h"
#include "platform/user_folders.h"

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

// A value's name: the path in Windows-1251, as the store has always kept it,
// enciphered. A path without an exact Windows-1251 form has no name: its key
// is not remembered, rather than shared with another file's '?' name.
bool storedName(const std::string& path, std::string& name) {
    if (!utf8ToCp1251Exact(cutAtZero(path), name) || name.empty()) return false;
    name = encipherText(name);
    return true;
}

// The values of a store file; a missing or damaged store has none.
std::vector<Value> readStore(const std::string& path) {
    std::string bytes;
    std::vector<Value> values;
    if (!readFileHead(path, kLargestStore + 1, bytes) || bytes.size() > kLargestStore) return {};
    ByteReader r(bytes);
    char signature[sizeof kSignature];
    uint32_t count = 0;
    if (!r.take(signature, sizeof signature) ||
        std::memcmp(signature, kSignature, sizeof kSignature) != 0 || !r.u32(count))
        return {};
    for (uint32_t i = 0; i < count; ++i) {
        Value v;
        uint16_t n = 0;
        if (!r.u16(n) || !r.take(v.name, n) || !r.u16(n) || !r.take(v.data, n)) return {};
        values.push_back(std::move(v));
    }
    if (!r.atEnd()) return {};
    return values;
}

bool writeStore(const std::string& path, const std::vector<Value>& values, WriteError* cause) {
    ByteWriter w;
    w.bytes(kSignature, sizeof kSignature);
    w.u32(static_cast<uint32_t>(values.size()));
    for (const Value& v : values) {
        w.u16(static_cast<uint16_t>(v.name.size()));
        w.bytes(v.name.data(), v.name.size());
        w.u16(static_cast<uint16_t>(v.data.size()));
        w.bytes(v.data.data(), v.data.size());
    }
    const std::vector<unsigned char>& bytes = w.image();
    if (bytes.size() > kLargestStore) return reportWriteError(WriteError::Other, cause);
    const auto slash = path.rfind('/');
    // A folder that cannot be made fails the write below, which names why.
    // One made before with wider access is narrowed: the names it holds tell
    // which files have keys.
    if (slash != std::string::npos && slash > 0) {
        const std::string folder = path.substr(0, slash);
        if (makeFolders(folder, true)) (void)makeOwnerOnly(folder);
    }
    // A fresh temporary file is readable by its owner alone, and stays so.
    return writeFileAtomically(path, bytes.data(), bytes.size(), true, cause);
}

} // namespace

KeyStore::KeyStore(std::string storePath) : storePath_(std::move(storePath)) {}

std::string KeyStore::defaultPath() {
    const std::string config = userConfigFolder();
    if (config.empty()) return {};
    return config + "/Quelvarin0/Key";
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
        std::string name;
        const std::string key = cutAtZero(base.key);
        if (!storedName(base.path, name) || name.size() > kLargestValue || key.size() > kKeyLimit)
            continue;
        Value v{std::move(name), encipherText(key)};
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
    std::string name;
    if (storePath_.empty() || !storedName(path, name)) return {};
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
