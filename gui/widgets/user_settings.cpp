#include "gui/widgets/user_settings.h"

#include "gui/widgets/app_texts.h"
#include "gui/widgets/text.h"

#include <QStringList>

namespace talsk {

QSettings userSettings() {
    return QSettings(QSettings::UserScope, fromUtf8(kAppTitle));
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
