#include "uistyle.h"

#include <QApplication>
#include <QFont>
#include <QScreen>
#include <QStyleFactory>
#include <QWidget>

namespace glyphmill {

void applyUiStyle(QApplication& app) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setPixelSize(10);
    font.setStyleHint(QFont::SansSerif);
    app.setFont(font);
}

void centreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize frame = window.frameGeometry().size().expandedTo(window.size());
    window.move(available.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

} // namespace glyphmill
