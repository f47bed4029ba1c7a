#pragma once

#include "ui/LinkOpener.h"

namespace tolvane {

// Opens links through QDesktopServices (xdg-open on Linux).
class DesktopLinkOpener final : public LinkOpener {
public:
    void open(const QUrl& url) override;
};

} // namespace tolvane
