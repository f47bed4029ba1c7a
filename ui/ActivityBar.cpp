#include "ui/ActivityBar.h"

#include "engine/ActivityAnimation.h"
#include "ui/SkinProgressBar.h"

namespace tolvane {

namespace {

SkinProgressBar* makeBar(const Theme& theme, QWidget& page, const QString& objectName,
                         const QRect& geometry) {
    auto* bar = new SkinProgressBar(theme, &page);
    bar->setObjectName(objectName);
    bar->setGeometry(geometry);
    bar->hide();
    return bar;
}

} // namespace

ActivityBar::ActivityBar(const Theme& theme, QWidget& page, const QString& objectName,
                         const QRect& geometry)
    : bar_(makeBar(theme, page, objectName, geometry)), progress_({bar_, nullptr, nullptr, {}}) {}

ActivityBar::~ActivityBar() {
    animation_.reset();
}

void ActivityBar::start(Clock& clock) {
    animation_.reset();
    show();
    animation_ = std::make_unique<ActivityAnimation>(clock, &progress_);
    animation_->start();
}

void ActivityBar::show() {
    bar_->setValue(ActivityAnimation::startPosition);
    bar_->show();
}

void ActivityBar::stop() {
    animation_.reset();
    progress_.flush();
    bar_->hide();
}

} // namespace tolvane
