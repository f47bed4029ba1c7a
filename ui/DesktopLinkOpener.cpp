#include "ui/DesktopLinkOpener.h"

#include <QDesktopServices>

namespace tolvane {

void DesktopLinkOpener::open(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

} // namespace tolvane
