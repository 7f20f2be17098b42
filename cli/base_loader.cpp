#include "cli/base_loader.h"

#include "base/base_file.h"
#include "base/cipher.h"
#include "base/load_status.h"
#include "cli/cli_util.h"
#include "platform/cp1251.h"

namespace talsk::cli {

bool loadBaseFile(PhoneBase& base, const std::string& utf8Path, const std::string& typedKeyUtf8) {
    closeBase(base);
    base.path = utf8Path;
    if (!readHeader(base, {.access = BaseAccess::Reader})) return false;
    std::string typed = typedKeyUtf8;
    if (base.keyed && typed.empty()) (void)askKeyOnTerminal(utf8Path, typed);
    if (!typedKeyFits(typed)) {
        fail(kKeyTooLong);
        typed.clear();
    }
    base.key = base.keyed ? deriveFileKey(utf8ToCp1251(typed)) : std::string();
    if (base.keyed && base.key.empty()) {
        // A keyed file cannot be read without its key.
        base.status = StatusKeyMissing;
        base.connected = 0;
        closeBase(base);
        return false;
    }
    return loadTables(base, kMaskAllTables);
}

std::string loadFailure(const PhoneBase& base, const std::string& keyOption) {
    if (base.status == StatusKeyMissing)
        return statusMessage(base.status, true) + " Give the key with " + keyOption + ".";
    return oneLine(statusMessage(base.status, false, base.openCause));
}

} // namespace talsk::cli
