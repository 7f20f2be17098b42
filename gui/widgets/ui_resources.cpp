#include "gui/widgets/ui_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must stand outside any namespace.
static void registerTalskResources() {
    Q_INIT_RESOURCE(talsk);
#ifndef TALSK_SVG
    Q_INIT_RESOURCE(pictures_png);
#endif
}

namespace talsk {

void initUiResources() {
    static const bool done = (registerTalskResources(), true);
    (void)done;
}

} // namespace talsk
