#pragma once
// The per-user configuration folder (keys, bars' state) pointed at a test's
// own folder for as long as the test runs, and put back afterwards.

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
    }
    ~ConfigHome() {
        if (saved_)
            qputenv(kVariable, saved_->c_str());
        else
            qunsetenv(kVariable);
    }
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;

private:
#ifdef Q_OS_WIN
    static constexpr const char* kVariable = "APPDATA";
#else
    static constexpr const char* kVariable = "XDG_CONFIG_HOME";
#endif
    std::optional<std::string> saved_;
};

} // namespace talsk::test
