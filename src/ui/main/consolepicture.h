#pragma once

#include <QImage>
#include <QWidget>

namespace glyphmill {

// A picture drawn at a whole zoom, each pixel a sharp square: the console's pixels are what is
// looked at, and smoothing would invent colours it never shows. Only the part in sight is drawn,
// so a huge picture at 4x costs no more than a small one.
class ConsolePicture : public QWidget {
    Q_OBJECT
public:
    explicit ConsolePicture(QWidget* parent = nullptr);
    ~ConsolePicture() override;

    void setPicture(QImage picture);
    const QImage& picture() const { return m_picture; }
    void setZoom(int zoom);
    int zoom() const { return m_zoom; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fitSize();
    void release(QImage picture);

    QImage m_picture;
    int m_zoom = 1;
};

} // namespace glyphmill
