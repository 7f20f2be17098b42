#pragma once
// Remembered file keys, per user: names (file paths, in Windows-1251) and
// values (file keys) are enciphered with built-in key 1. Paths without an
// exact Windows-1251 form have no remembered key.

#include "platform/write_error.h"

#include <string>

namespace talsk {

struct BaseSet;

class KeyStore {
public:
    // storePath: the store's file; defaultPath() for the user's own store.
    explicit KeyStore(std::string storePath);
    static std::string defaultPath();

    // Writes the key of every base whose rememberKey is set; others stay as
    // they are. On failure *cause, when given, says why.
    [[nodiscard]] bool saveKeys(const BaseSet& set, WriteError* cause = nullptr) const;
    // The remembered file key of a path, or empty.
    std::string lookupKey(const std::string& path) const;
    // Removes every remembered key.
    [[nodiscard]] bool clearKeys(WriteError* cause = nullptr) const;

    const std::string& path() const { return storePath_; }

private:
    std::string storePath_;
};

} // namespace talsk
