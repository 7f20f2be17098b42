#include "platform/temp_name.h"

namespace talsk {

std::string tempPrefix(const std::string& name) {
    return "." + name + ".talsk-";
}

bool isTempOf(const std::string& entry, const std::string& prefix) {
    if (entry.size() != prefix.size() + kTempSuffix || entry.compare(0, prefix.size(), prefix))
        return false;
    for (size_t i = prefix.size(); i < entry.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(entry[i]);
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    }
    return true;
}

} // namespace talsk
