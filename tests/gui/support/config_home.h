#pragma once
// The per-user configuration folder (keys, bars' state) pointed at a test's
// own folder for as long as the test runs, and put back afterwards.

#include <QDir>
#include <QSettings>
#include <QtGlobal>

#include <cstdlib>
#include <optional>
#include <string>

namespace talsk::test {

class ConfigHome {
public:
    explicit ConfigHome(const std::string& folder) {
        if (const char* old = std::getenv(kVariable)) saved_ = old;
        qputenv(kVariable, folder.c_str());
        settingsAt(QString::fromStdString(folder));
    }
    ~ConfigHome() {
        if (saved_)
            qputenv(kVariable, saved_->c_str());
        else
            qunsetenv(kVariable);
        settingsAt(saved_ ? QString::fromStdString(*saved_) : QDir::homePath() + "/.config");
    }
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;

private:
    // Qt takes the folder of the window's settings from the environment once
    // per process; the tests of one process would share it.
    static void settingsAt(const QString& folder) {
#ifndef Q_OS_WIN
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
#else
        Q_UNUSED(folder);
#endif
    }

#ifdef Q_OS_WIN
    static constexpr const char* kVariable = "APPDATA";
#else
    static constexpr const char* kVariable = "XDG_CONFIG_HOME";
#endif
    std::optional<std::string> saved_;
};

} // namespace talsk::test
