#include "ui/DesktopLinkOpener.h"

#include <QDesktopServices>

namespace tolvane {

bool DesktopLinkOpener::open(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

} // namespace tolvane
