#include "prompt.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <optional>

namespace glyphmill {

namespace {

std::optional<QStyle::StandardPixmap> standardPixmap(Prompt::Icon icon) {
    switch (icon) {
    case Prompt::Icon::Critical:
        return QStyle::SP_MessageBoxCritical;
    case Prompt::Icon::Warning:
        return QStyle::SP_MessageBoxWarning;
    case Prompt::Icon::Information:
        return QStyle::SP_MessageBoxInformation;
    case Prompt::Icon::None:
        break;
    }
    return std::nullopt;
}

// The text of a box is as wide as its longest line, up to about eighty characters, and as high
// as it needs to be, up to what the screen has room for; beyond that it scrolls. A command that
// names thousands of files would otherwise push the box, buttons and all, off the screen.
void fitText(QDialog& box, QGridLayout& layout, QTextEdit& text, int besideText) {
    const QStyle* style = box.style();
    const QRect screen = box.screen()->availableGeometry();
    // The window system puts its title bar and border around the box, outside the widget.
    const int frame = 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &box);
    const int titleBar = std::max(style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box), 32);
    const int scrollBar = style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &box);
    const QMargins margins = layout.contentsMargins();
    const int maxWidth = std::min(80 * text.fontMetrics().averageCharWidth(),
                                  screen.width() - frame - margins.left() - margins.right() -
                                      besideText - scrollBar);
    // Measured on a copy: the field would lay its own text out again at its present width.
    QTextDocument measure;
    measure.setDefaultFont(text.font());
    measure.setDefaultTextOption(text.document()->defaultTextOption());
    measure.setDocumentMargin(text.document()->documentMargin());
    measure.setPlainText(text.toPlainText());
    measure.setTextWidth(maxWidth);
    measure.size(); // lays the whole text out
    qreal widest = 0;
    for (QTextBlock block = measure.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* lines = block.layout();
        for (int i = 0; i < lines->lineCount(); ++i)
            widest = std::max(widest, lines->lineAt(i).naturalTextWidth());
    }
    const int width = std::min(maxWidth, static_cast<int>(std::ceil(widest)));
    measure.setTextWidth(width);
    const int height = static_cast<int>(std::ceil(measure.size().height()));

    const QWidget* buttons = layout.itemAtPosition(1, 0)->widget();
    const int maxHeight = screen.height() - titleBar - frame - margins.top() - margins.bottom() -
                          std::max(0, layout.verticalSpacing()) - buttons->sizeHint().height();
    if (height <= maxHeight) {
        text.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        text.setFixedSize(width, height);
    } else {
        // The scroll bar takes its room beside the text, so the lines break as measured.
        text.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        text.setFixedSize(width + scrollBar, maxHeight);
    }
}

} // namespace

std::unique_ptr<QDialog> MessageBoxPrompt::makeBox(QWidget* parent, const Message& message) {
    auto box = std::make_unique<QDialog>(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    box->setWindowTitle(message.title);
    auto* layout = new QGridLayout(box.get());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const QStyle* style = box->style();

    int besideText = 0;
    if (const auto pixmap = standardPixmap(message.icon)) {
        auto* icon = new QLabel(box.get());
        icon->setObjectName(QStringLiteral("MessageIcon"));
        const int side = style->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, box.get());
        icon->setPixmap(style->standardIcon(*pixmap, nullptr, box.get()).pixmap(side));
        layout->addWidget(icon, 0, 0, Qt::AlignTop);
        besideText = icon->sizeHint().width() + layout->horizontalSpacing();
    }

    // Read-only text that looks like a message box's label but can scroll, wraps long file names
    // that have no blank, and lets the user select and copy a command.
    auto* text = new QTextEdit(box.get());
    text->setObjectName(QStringLiteral("MessageText"));
    text->setFrameShape(QFrame::NoFrame);
    text->viewport()->setAutoFillBackground(false);
    text->setReadOnly(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setTabChangesFocus(true);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    text->document()->setDocumentMargin(0);
    text->setPlainText(message.text);
    layout->addWidget(text, 0, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, box.get());
    if (message.buttons == Buttons::OkCancel)
        buttons->addButton(QDialogButtonBox::Cancel);
    layout->addWidget(buttons, 1, 0, 1, 2);
    QObject::connect(buttons, &QDialogButtonBox::accepted, box.get(), &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, box.get(), &QDialog::reject);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setDefault(true);
    ok->setFocus();

    fitText(*box, *layout, *text, besideText);
    return box;
}

Prompt::Answer MessageBoxPrompt::ask(QWidget* parent, const Message& message) {
    const std::unique_ptr<QDialog> box = makeBox(parent, message);
    const bool accepted = box->exec() == QDialog::Accepted;
    // Closing a box that offers no choice is as good as its OK.
    return accepted || message.buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
}

} // namespace glyphmill
