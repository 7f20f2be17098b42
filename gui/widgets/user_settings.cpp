#include "gui/widgets/user_settings.h"

#include "gui/widgets/app_texts.h"
#include "gui/widgets/text.h"
#include "platform/user_folders.h"

#include <QStringList>

namespace talsk {

QSettings userSettings() {
#ifdef _WIN32
    // A file in the program's own folder of the user's application data, as
    // the keys are, rather than the registry: it goes with the user's
    // profile and is seen, copied and removed as one.
    return QSettings(fromNativePath(userConfigFolder()) + "/talsk/" + fromUtf8(kAppTitle) + ".ini",
                     QSettings::IniFormat);
#else
    return QSettings(QSettings::UserScope, fromUtf8(kAppTitle));
#endif
}

std::vector<std::string> notListedYet(QSettings& settings, const QString& key,
                                      const std::vector<std::string>& paths) {
    const QStringList listed = settings.value(key).toStringList();
    QStringList now;
    std::vector<std::string> fresh;
    for (const std::string& path : paths) {
        const QString p = QString::fromStdString(path);
        if (!listed.contains(p)) fresh.push_back(path);
        now.append(p);
    }
    if (now != listed) settings.setValue(key, now);
    return fresh;
}

} // namespace talsk
