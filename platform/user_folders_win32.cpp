#include "platform/user_folders.h"

#include "platform/wide_text.h"

#include <cstdlib>
#include <cwchar>
#include <shlobj.h>
#include <windows.h>

namespace talsk {

namespace {

// The variable first, so that it can be pointed elsewhere as on Linux.
std::string knownFolder(const wchar_t* variable, REFKNOWNFOLDERID id) {
    if (const wchar_t* value = _wgetenv(variable); value != nullptr && value[0] != L'\0')
        return wideToUtf8(value, std::wcslen(value));
    wchar_t* known = nullptr;
    std::string folder;
    if (SHGetKnownFolderPath(id, 0, nullptr, &known) == S_OK)
        folder = wideToUtf8(known, std::wcslen(known));
    CoTaskMemFree(known);
    return folder;
}

} // namespace

std::string userConfigFolder() {
    return knownFolder(L"APPDATA", FOLDERID_RoamingAppData);
}

std::string userDataFolder() {
    return knownFolder(L"LOCALAPPDATA", FOLDERID_LocalAppData);
}

} // namespace talsk
