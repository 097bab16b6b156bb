#include "imagebox.h"

namespace glyphmill {

ImageBox::ImageBox(QWidget* parent)
    : QLabel(parent) {
    setScaledContents(true);
    setAlignment(Qt::AlignCenter);
}

} // namespace glyphmill
