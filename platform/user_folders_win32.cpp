#include "platform/user_folders.h"

#include "platform/wide_text.h"

#include <cstdlib>
#include <cwchar>
#include <shlobj.h>
#include <windows.h>

namespace talsk {

std::string userConfigFolder() {
    // %APPDATA% first, so that it can be pointed elsewhere as on Linux.
    if (const wchar_t* appData = _wgetenv(L"APPDATA"); appData != nullptr && appData[0] != L'\0')
        return wideToUtf8(appData, std::wcslen(appData));
    wchar_t* known = nullptr;
    std::string folder;
    if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known) == S_OK)
        folder = wideToUtf8(known, std::wcslen(known));
    CoTaskMemFree(known);
    return folder;
}

} // namespace talsk
