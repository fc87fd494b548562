#include "ResourceImages.h"

#include <mutex>

// Q_INIT_RESOURCE must stand outside any namespace. Calling it keeps the
// linker from dropping the resource object of this static library.
static void InitQuovexResources() {
    Q_INIT_RESOURCE(quovex);
}

namespace quovex {

namespace {

void EnsureResources() {
    static std::once_flag s_once;
    std::call_once(s_once, InitQuovexResources);
}

}  // namespace

QIcon LoadAppIcon() {
    EnsureResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/res/icon128_32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/res/icon128_16.png"), QSize(16, 16));
    return icon;
}

QPixmap LoadBoxStrip() {
    EnsureResources();
    return QPixmap(QStringLiteral(":/res/bitmap135.png"));
}

}  // namespace quovex
