#include "FindFolderAnimation.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QTimer>

#include <cmath>
#include <numbers>

FindFolderAnimation::FindFolderAnimation(QWidget* parent)
    : QWidget(parent), renderer_(new QSvgRenderer(QStringLiteral(":/icons/findfolder.svg"), this)),
      timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("findFolderAnimation"));
    setFixedSize(80, 50);
    timer_->setInterval(66);
    connect(timer_, &QTimer::timeout, this, &FindFolderAnimation::nextFrame);
}

void FindFolderAnimation::start() {
    timer_->start();
}

void FindFolderAnimation::stop() {
    timer_->stop();
}

bool FindFolderAnimation::isActive() const {
    return timer_->isActive();
}

void FindFolderAnimation::nextFrame() {
    frame_ = (frame_ + 1) % FrameCount;
    update();
}

void FindFolderAnimation::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    if (folder_.isNull() || folder_.devicePixelRatio() != ratio) {
        folder_ = renderElement(QStringLiteral("folder"), ratio);
        lens_ = renderElement(QStringLiteral("lens"), ratio);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, folder_);
    // The lens walks a circle over the folder, one turn per 30 frames.
    const double angle = 2 * std::numbers::pi * frame_ / FrameCount;
    const QPointF centre(36 + 12 * std::cos(angle), 24 + 8 * std::sin(angle));
    painter.drawPixmap(centre - QPointF(lensSize_.width(), lensSize_.height()) / 2, lens_);
}

// Drawn once: the window is repainted for every folder of a walk.
QPixmap FindFolderAnimation::renderElement(const QString& element, qreal ratio) {
    const QRectF bounds = renderer_->boundsOnElement(element);
    const bool lens = element == QLatin1String("lens");
    const QSizeF size = lens ? bounds.size() + QSizeF(2, 2) : QSizeF(this->size());
    if (lens)
        lensSize_ = size;
    QPixmap pixmap((size * ratio).toSize());
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer_->render(&painter, element,
                      lens ? bounds.translated(-bounds.topLeft() + QPointF(1, 1)) : bounds);
    return pixmap;
}
