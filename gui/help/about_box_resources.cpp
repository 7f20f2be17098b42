#include "gui/help/about_box_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must stand outside any namespace.
static void registerAboutResources() {
    Q_INIT_RESOURCE(about);
}

namespace talsk {

void initAboutResources() {
    static const bool done = (registerAboutResources(), true);
    (void)done;
}

} // namespace talsk
