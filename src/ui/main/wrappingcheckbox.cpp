#include "wrappingcheckbox.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace glyphmill {

namespace {
constexpr int kTextFlags =
    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
}

WrappingCheckBox::WrappingCheckBox(const QString& text, QWidget* parent)
    : QCheckBox(text, parent) {}

QRect WrappingCheckBox::textRect() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect indicator = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    const int spacing = style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, this);
    QRect r = rect();
    r.setLeft(indicator.right() + 1 + spacing);
    return r;
}

QSize WrappingCheckBox::sizeHint() const {
    const QRect bounds = fontMetrics().boundingRect(textRect(), kTextFlags, text());
    return {width(), qMax(bounds.height(), QCheckBox::sizeHint().height())};
}

void WrappingCheckBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    // The indicator is drawn by the style; the caption is drawn wrapped beside it.
    painter.drawControl(QStyle::CE_CheckBox, option);
    initStyleOption(&option);
    const QRect area = textRect();
    style()->drawItemText(&painter, area, kTextFlags, option.palette, isEnabled(), text(),
                          QPalette::WindowText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = fontMetrics().boundingRect(area, kTextFlags, text()).adjusted(-1, 0, 1, 0);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

bool WrappingCheckBox::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}

} // namespace glyphmill
