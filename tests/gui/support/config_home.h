#pragma once
// The per-user configuration folder (keys, bars' state) pointed at a test's
// own folder for as long as the test runs, and put back afterwards.

#include <cstdlib>
#include <optional>
#include <string>

namespace talsk::test {

class ConfigHome {
public:
    explicit ConfigHome(const std::string& folder) {
        if (const char* old = std::getenv(kVariable)) saved_ = old;
        setenv(kVariable, folder.c_str(), 1);
    }
    ~ConfigHome() {
        if (saved_)
            setenv(kVariable, saved_->c_str(), 1);
        else
            unsetenv(kVariable);
    }
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;

private:
    static constexpr const char* kVariable = "XDG_CONFIG_HOME";
    std::optional<std::string> saved_;
};

} // namespace talsk::test
