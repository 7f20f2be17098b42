#pragma once
// Folders the system gives each user.

#include <string>

namespace talsk {

// The folder where programs keep this user's configuration, in UTF-8
// (XDG_CONFIG_HOME or ~/.config; on Windows the roaming application data);
// empty when the system names none.
std::string userConfigFolder();

// The folder where programs keep this user's data, in UTF-8 (XDG_DATA_HOME or
// ~/.local/share; on Windows the local application data); empty when the
// system names none.
std::string userDataFolder();

} // namespace talsk
