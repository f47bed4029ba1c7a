#pragma once

#include "ui/LinkOpener.h"

namespace tolvane {

// Opens links through QDesktopServices (xdg-open on Linux).
class DesktopLinkOpener final : public LinkOpener {
public:
    bool open(const QUrl& url) override;
};

} // namespace tolvane
