#pragma once

#include <QUrl>

namespace tolvane {

// Opens web pages and local files (the help) with the desktop's programs. Failures are not
// reported: nothing in the program depends on the page being shown.
class LinkOpener {
public:
    virtual ~LinkOpener() = default;
    virtual void open(const QUrl& url) = 0;
};

} // namespace tolvane
