#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

#include <utility>

namespace glyphmill {

// Window designs are given in twips; the screen has 15 of them to a logical pixel.
inline constexpr int kTwipsPerPixel = 15;

int twipsToPixels(int twips);
QRect twipsToPixels(int left, int top, int width, int height);

// A design rectangle in twips: left, top, width, height.
inline QRect twipsRect(int left, int top, int width, int height) {
    return {left, top, width, height};
}

// Creates a control inside its container, named, at its design position (in twips).
template <typename Widget, typename... Args>
Widget* place(QWidget* container, const char* name, QRect twips, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)..., container);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(twipsToPixels(twips.x(), twips.y(), twips.width(), twips.height()));
    return widget;
}

} // namespace glyphmill
