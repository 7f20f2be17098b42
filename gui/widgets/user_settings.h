#pragma once
// The window's per-user settings (bars, places, notices already given), kept
// under the application title in the user's configuration folder (on
// Windows a file in %APPDATA%\talsk).

#include <QSettings>
#include <QString>
#include <string>
#include <vector>

namespace talsk {

QSettings userSettings();

// Of paths, those not listed under key yet; the list becomes paths, so that a
// name gone and back later is news again. Paths are UTF-8.
std::vector<std::string> notListedYet(QSettings& settings, const QString& key,
                                      const std::vector<std::string>& paths);

} // namespace talsk
