#include "consolepicture.h"

#include <QPaintEvent>
#include <QPainter>
#include <QThread>

#include <utility>

namespace glyphmill {

ConsolePicture::ConsolePicture(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    fitSize();
}

ConsolePicture::~ConsolePicture() {
    const QList<QThread*> releasing = findChildren<QThread*>(Qt::FindDirectChildrenOnly);
    for (QThread* thread : releasing)
        thread->wait();
}

void ConsolePicture::setPicture(QImage picture) {
    release(std::exchange(m_picture, std::move(picture)));
    fitSize();
    update();
}

// Handing back the pages of a photo's picture (96 MB at 6000 x 4000) took the window's thread
// 10 to 20 ms, long enough to be seen; another thread does it.
void ConsolePicture::release(QImage picture) {
    constexpr qsizetype kBig = 8 << 20;
    if (picture.sizeInBytes() < kBig || !picture.isDetached())
        return;
    QThread* thread = QThread::create([picture = std::move(picture)]() mutable { picture = {}; });
    thread->setParent(this);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start(QThread::LowPriority);
}

void ConsolePicture::setZoom(int zoom) {
    m_zoom = qMax(1, zoom);
    fitSize();
    update();
}

void ConsolePicture::fitSize() {
    resize(qMax(1, m_picture.width() * m_zoom), qMax(1, m_picture.height() * m_zoom));
}

void ConsolePicture::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QRect exposed = event->rect();
    painter.fillRect(exposed, palette().window());
    if (m_picture.isNull())
        return;
    // The whole source pixels that cover the exposed part, drawn as squares of zoom x zoom.
    const int z = m_zoom;
    const int left = exposed.left() / z;
    const int top = exposed.top() / z;
    const int right = (exposed.right() + z) / z;
    const int bottom = (exposed.bottom() + z) / z;
    const QRect source = QRect(QPoint(left, top), QPoint(right, bottom)) & m_picture.rect();
    if (source.isEmpty())
        return;
    const QRect target(source.x() * z, source.y() * z, source.width() * z, source.height() * z);
    painter.drawImage(target, m_picture, source);
}

} // namespace glyphmill
