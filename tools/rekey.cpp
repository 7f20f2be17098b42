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

// The connected base whose file is the chosen one: two files of the same
// name in different folders are different files.
PhoneBase* connectedBase(BaseSet* set, const std::string& path, int& index) {
    if (set == nullptr) return nullptr;
    FileSystem& fs = fileSystem();
    const std::string chosen = fs.resolve(path);
    for (size_t i = 0; i < set->bases.size(); ++i) {
        PhoneBase& base = set->bases[i];
        if (!base.connected || !base.file) continue;
        if (samePath(fs.resolve(filePathOf(base)), chosen)) {
            index = static_cast<int>(i);
            return &base;
        }
    }
    return nullptr;
}

// A key remembered for the file follows its new key.
WriteError updateRememberedKey(const BaseSet* set, int index, const std::string& path,
                               const std::string& fileKey, const KeyStore* keys) {
    if (keys == nullptr) return WriteError::None;
    BaseSet one;
    PhoneBase entry;
    if (set != nullptr && index >= 0) {
        const PhoneBase& base = set->bases[static_cast<size_t>(index)];
        if (!base.rememberKey && keys->lookupKey(base.path).empty()) return WriteError::None;
        entry.path = base.path;
    } else {
        if (keys->lookupKey(path).empty()) return WriteError::None;
        entry.path = path;
    }
    entry.key = fileKey;
    entry.rememberKey = 1;
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
    int index = -1;
    PhoneBase scratch;
    PhoneBase* base = connectedBase(set, request.path, index);
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
    r.baseIndex = index;
    r.keysNotSaved = updateRememberedKey(set, index, request.path, newKey, keys);
    return r;
}

} // namespace talsk
