#include "uistyle.h"

#include "uifont.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QScreen>
#include <QStyleFactory>
#include <QWidget>

namespace glyphmill {

void applyUiStyle(QApplication& app) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    if (!QFontDatabase::hasFamily(font.family())) {
        // Fontconfig and Windows list the condensed face under its full name; a database that
        // reads the font files itself (the offscreen platform's on Windows) knows it only as the
        // condensed style of "DejaVu Sans".
        font.setFamily(QStringLiteral("DejaVu Sans"));
        font.setStretch(QFont::SemiCondensed);
    }
    font.setPixelSize(10);
    font.setStyleHint(QFont::SansSerif);
    adaptUiFont(font);
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
