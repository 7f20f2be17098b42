#pragma once
// Assistive technology switched on for a test on the offscreen platform,
// which otherwise keeps it off so that no accessibility event is sent at all.
// Qt's own accessibility tests do the same through the platform's
// accessibility; its header is not installed, so the two calls used are
// declared here as the toolkit defines them.

#include <QAccessible>

class QPlatformAccessibility {
public:
    void setActive(bool active);
};

class QPlatformIntegration {
public:
    QPlatformAccessibility* accessibility() const; // the toolkit's default
};

class QGuiApplicationPrivate {
public:
    static QPlatformIntegration* platform_integration;
};

namespace talsk::test {

// While it lives, accessibility events reach `handler`.
class AccessibilityOn {
public:
    explicit AccessibilityOn(QAccessible::UpdateHandler handler)
        : wasActive_(QAccessible::isActive()),
          previous_(QAccessible::installUpdateHandler(handler)) {
        setActive(true);
    }
    ~AccessibilityOn() {
        setActive(wasActive_);
        QAccessible::installUpdateHandler(previous_);
    }
    AccessibilityOn(const AccessibilityOn&) = delete;
    AccessibilityOn& operator=(const AccessibilityOn&) = delete;

private:
    static void setActive(bool on) {
        if (QGuiApplicationPrivate::platform_integration != nullptr)
            QGuiApplicationPrivate::platform_integration->accessibility()->setActive(on);
    }

    bool wasActive_;
    QAccessible::UpdateHandler previous_;
};

} // namespace talsk::test
