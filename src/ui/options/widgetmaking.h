#pragma once

#include <QLineEdit>
#include <QString>
#include <QWidget>

#include <utility>

namespace glyphmill {

// A child widget carrying its name, by which tests and styles find it.
template <typename Widget, typename... Args>
Widget* make(QWidget* parent, const char* name, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)..., parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

inline QLineEdit* makeNumberField(QWidget* parent, const char* name, const QString& text) {
    auto* field = make<QLineEdit>(parent, name, text);
    // Room for a full signed 32-bit number.
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-2147483648")) +
                         12);
    return field;
}

} // namespace glyphmill
