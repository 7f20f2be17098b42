#include "tools/rekey.h"

#include "base/base_file.h"
#include "base/base_set.h"
#include "base/cipher.h"
#include "base/file_info.h"
#include "base/key_store.h"
#include "base/load_status.h"
#include "platform/file.h"

#include <cstring>

namespace talsk {

namespace {

// The key boxes take at most 32 characters; an empty text is no key.
std::string fileKeyOf(const std::string& typed) {
    const std::string text(typed.c_str(), strnlen(typed.c_str(), typed.size()));
    return text.empty() ? std::string() : deriveFileKey(text.substr(0, kMaxKeyLength));
}

RekeyResult outcome(RekeyOutcome o, int32_t status = 0) {
    RekeyResult r;
    r.outcome = o;
    r.status = status;
    return r;
}

// The base of the set whose file is the chosen one: two files of the same
// name in different folders are different files. -1 when none is.
int listedBase(const BaseSet* set, const std::string& path) {
    if (set == nullptr) return -1;
    FileSystem& fs = fileSystem();
    const std::string chosen = fs.resolve(path);
    for (size_t i = 0; i < set->bases.size(); ++i)
        if (samePath(fs.resolve(filePathOf(set->bases[i])), chosen)) return static_cast<int>(i);
    return -1;
}

// A key remembered for the file (under its name in the list, or under the
// chosen path) follows its new key; so does the key of a connected base that
// remembers it.
WriteError updateRememberedKey(const BaseSet* set, int listed, const std::string& path,
                               const std::string& fileKey, const KeyStore* keys) {
    if (keys == nullptr) return WriteError::None;
    PhoneBase entry;
    entry.path = listed >= 0 ? set->bases[static_cast<size_t>(listed)].path : path;
    const bool remembers = listed >= 0 && set->bases[static_cast<size_t>(listed)].connected &&
                           set->bases[static_cast<size_t>(listed)].rememberKey;
    if (!remembers && keys->lookupKey(entry.path).empty()) return WriteError::None;
    entry.key = fileKey;
    entry.rememberKey = 1;
    BaseSet one;
    one.bases.push_back(std::move(entry));
    WriteError cause = WriteError::None;
    if (!keys->saveKeys(one, &cause) && cause == WriteError::None) cause = WriteError::Other;
    return cause;
}

} // namespace

RekeyResult changeFileKey(BaseSet* set, const RekeyRequest& request, const KeyStore* keys) {
    if (request.path.empty() || (request.newKeyUsed && fileKeyOf(request.newKey).empty()))
        return outcome(RekeyOutcome::Incomplete);
    PhoneBase info;
    if (!readFileInfo(request.path, info)) return outcome(RekeyOutcome::NotValid, info.status);
    if (info.version != kVersion20)
        return outcome(RekeyOutcome::WrongVersion, StatusVersionMismatch);

    const std::string oldKey = info.keyed ? fileKeyOf(request.oldKey) : std::string();
    const std::string newKey = request.newKeyUsed ? fileKeyOf(request.newKey) : std::string();
    const int listed = listedBase(set, request.path);
    PhoneBase* base = nullptr;
    if (listed >= 0 && set->bases[static_cast<size_t>(listed)].connected)
        base = &set->bases[static_cast<size_t>(listed)];
    PhoneBase scratch;
    if (base != nullptr) {
        if (base->keyed && base->key != oldKey) return outcome(RekeyOutcome::WrongKey);
        // A read-only copy is not the whole file, or may not be written.
        if (base->readOnly) return outcome(RekeyOutcome::CannotOpen, base->status);
    } else {
        scratch.key = oldKey;
        const std::string path = request.path;
        if (!openBase(scratch, &path) || scratch.readOnly) {
            const int32_t status = scratch.status;
            closeBase(scratch);
            return outcome(RekeyOutcome::CannotOpen, status);
        }
        base = &scratch;
    }

    const uint8_t keptKeyed = base->keyed;
    const std::string keptKey = base->key;
    base->keyed = request.newKeyUsed ? 1 : 0;
    base->key = newKey;
    RekeyResult r;
    if (!saveBase(*base, kMaskAllTables, &r.cause)) {
        // The file still has its old key; so must the copy that keeps being used.
        base->keyed = keptKeyed;
        base->key = keptKey;
        closeBase(scratch);
        r.outcome = RekeyOutcome::SaveFailed;
        return r;
    }
    closeBase(scratch);
    r.outcome = RekeyOutcome::Done;
    r.baseIndex = base == &scratch ? -1 : listed;
    // A listed file that did not connect is tried with the new key next time.
    if (listed >= 0 && base == &scratch) set->bases[static_cast<size_t>(listed)].key = newKey;
    r.keysNotSaved = updateRememberedKey(set, listed, request.path, newKey, keys);
    return r;
}

} // namespace talsk
