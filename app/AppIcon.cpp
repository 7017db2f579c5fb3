#include "app/AppIcon.h"

// The icons are compiled into the library; a static library's resources must be named.
static void InitIconResources() { Q_INIT_RESOURCE(AppIcon); }

namespace orvex {

QIcon AppIcon() {
    // The same images the desktop entry names, made from resources/desktop/net.orvex.Orvex.svg.
    InitIconResources();
    QIcon icon;
    for (const char* size : {"48", "128", "256"}) icon.addFile(QString(":/icons/%1.png").arg(size));
    return icon;
}

}  // namespace orvex
