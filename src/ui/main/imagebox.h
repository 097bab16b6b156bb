#pragma once

#include <QLabel>

namespace glyphmill {

// The preview image box: shows its picture stretched to its own size.
class ImageBox : public QLabel {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent = nullptr);
};

} // namespace glyphmill
