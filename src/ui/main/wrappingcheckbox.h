#pragma once

#include <QCheckBox>

namespace glyphmill {

// A check box whose caption wraps onto further lines inside its fixed width, as a narrow
// design box with a long caption needs. text() stays the caption as given.
class WrappingCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit WrappingCheckBox(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QRect textRect() const;
};

} // namespace glyphmill
