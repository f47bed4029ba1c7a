#pragma once

#include <QUrl>

namespace tolvane {

// Opens web pages and local files (the help) with the desktop's programs.
class LinkOpener {
public:
    virtual ~LinkOpener() = default;
    // Whether the desktop took the link; the caller says where to find it when not.
    virtual bool open(const QUrl& url) = 0;
};

} // namespace tolvane
