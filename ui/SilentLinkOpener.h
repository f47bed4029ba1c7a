#pragma once

#include "ui/LinkOpener.h"

namespace tolvane {

// For runs without a desktop (screenshots, benchmarks): takes every link and opens none, so
// no browser starts and no "cannot open" message gets in the way.
class SilentLinkOpener final : public LinkOpener {
public:
    bool open(const QUrl&) override { return true; }
};

} // namespace tolvane
