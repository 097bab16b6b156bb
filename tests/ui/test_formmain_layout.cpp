#include "main/formmain.h"
#include "main/wrappingcheckbox.h"
#include "testwindows.h"
#include "uistyle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTest>

using namespace glyphmill;
using namespace glyphmill::testing;

class TestFormMainLayout : public QObject {
    Q_OBJECT

private:
    FakeServices m_fakes;

    std::unique_ptr<FormMain> makeWindow() {
        return std::make_unique<FormMain>(m_fakes.services());
    }

    template <typename T> static T* child(QWidget& window, const char* name) {
        return namedChild<T>(window, name);
    }

private slots:
    void initTestCase() { applyUiStyle(*qApp); }

    void windowProperties() {
        auto w = makeWindow();
        QCOMPARE(w->objectName(), QStringLiteral("FormMain"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Glyphmill by the Loomers"));
        // The designed 606 x 448, with the console view's strip and the runs' beneath.
        QCOMPARE(w->size(), QSize(606, 638));
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!w->windowIcon().isNull());
    }

    void captionsTooltipsAndPositions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QRect>("twips");
        auto row = [](const char* name, const char* container, const char* caption,
                      const char* tooltip, QRect twips) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(container)
                                << QString::fromUtf8(caption) << QString::fromUtf8(tooltip)
                                << twips;
        };
        row("Frame7", "FormMain", "Conversion command", "", {4920, 4080, 4095, 1815});
        row("Command4", "Frame7", "Conversion &options", "", {2280, 1320, 1575, 375});
        row("Command3", "Frame7", "Run this &convertion!", "", {240, 1320, 1815, 375});
        row("TextCmd", "Frame7", "", "", {120, 240, 3855, 1005});
        row("Frame4", "FormMain", "Output options", "", {4920, 120, 4095, 3855});
        row("Frame8", "Frame4", "Output color space mode", "", {120, 960, 3855, 1455});
        row("OptionCLUT", "Frame8", "Generate color &map:",
            "Operate in CLUT mode (Color LookUp Table, or \"palette\" mode)",
            {120, 960, 1815, 255});
        row("OptionTC", "Frame8",
            "&True Color mode:", "Operate in True Color (without color table)",
            {120, 300, 1575, 255});
        row("CheckOptimize", "Frame8", "O&ptimize color depth (min bits per pixel)", "",
            {1920, 840, 1815, 495});
        row("Frame3", "Frame8", "", "", {1800, 180, 1935, 615});
        row("Option16bits", "Frame3", "Regular 1&6 bits mode", "", {0, 120, 1815, 255});
        row("Option15bits", "Frame3", "1&5 bits mode", "", {0, 360, 1695, 255});
        row("Frame9", "Frame4", "Output color space", "", {120, 240, 1695, 615});
        row("OptionCRY", "Frame9", "&CRY",
            "Encode the output in the special Jaguar CRY color space", {840, 240, 735, 255});
        row("OptionRGB", "Frame9", "&RGB",
            "Encode the output in the special Jaguar RGB color space", {120, 240, 735, 255});
        row("FrameOutputDir", "Frame4", "Output directory", "", {120, 2520, 3855, 1215});
        row("CheckOverwrite", "FrameOutputDir", "O&verwrite existing files", "",
            {1800, 300, 1935, 255});
        row("CommandChose", "FrameOutputDir", "Chose &directory", "", {240, 240, 1335, 375});
        row("TextTargetDir", "FrameOutputDir", "", "", {120, 720, 3615, 285});
        row("Frame5", "Frame4", "Output format", "", {1920, 240, 2055, 615});
        row("OptionAssembly", "Frame5", "&Assembly", "Output an assembly source code file",
            {915, 240, 1095, 255});
        row("OptionBinary", "Frame5", "&Binary", "Output a regular binary image file",
            {120, 240, 855, 255});
        row("Command2", "FormMain", "Help&?", "", {2640, 120, 975, 315});
        row("Command1", "FormMain", "Abo&ut", "", {3720, 120, 855, 315});
        row("Drive1", "FormMain", "", "Selected drive", {120, 120, 2175, 315});
        row("Frame2", "FormMain", "Previewed image information", "", {4920, 6000, 4095, 615});
        row("LabelWidth", "Frame2", "0", "Image width in pixels", {720, 240, 1215, 255});
        row("LabelHeight", "Frame2", "0", "Image height in pixels", {2760, 240, 1215, 255});
        row("Label1", "Frame2", "Width:", "", {120, 240, 495, 255});
        row("Label2", "Frame2", "Height:", "", {2040, 240, 615, 255});
        row("Frame1", "FormMain", "Preview", "", {120, 2880, 4695, 3735});
        row("Image1", "Frame1", "", "Previewed image", {120, 240, 4455, 3375});
        row("File1", "FormMain", "", "Selected file", {2400, 480, 2415, 2430});
        row("Dir1", "FormMain", "", "Selected folder", {120, 480, 2175, 2340});
    }

    void captionsTooltipsAndPositions() {
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QString, caption);
        QFETCH(QString, tooltip);
        QFETCH(QRect, twips);
        auto w = makeWindow();
        auto* widget = w->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget()->objectName(), container);
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            text = button->text();
        else if (auto* box = qobject_cast<QGroupBox*>(widget))
            text = box->title();
        else if (auto* label = qobject_cast<QLabel*>(widget))
            text = label->text();
        QCOMPARE(text, caption);
        QCOMPARE(widget->toolTip(), tooltip);
        const QRect pixels(qRound(twips.x() / 15.0), qRound(twips.y() / 15.0),
                           qRound(twips.width() / 15.0), qRound(twips.height() / 15.0));
        QCOMPARE(widget->geometry(), pixels);
    }

    // Every caption must be readable whole at the chosen font: a one-line caption fits its
    // control's width beside the indicator, the wrapped one fits its height.
    void captionsFit() {
        auto w = makeWindow();
        // The options dialog is a child window of its own; only this window's buttons count.
        QList<QAbstractButton*> buttons = w->findChildren<QAbstractButton*>();
        buttons.removeIf([&w](const QAbstractButton* b) { return b->window() != w.get(); });
        // The designed 15, and the console view's switch and zoom.
        QCOMPARE(buttons.size(), 19);
        for (QAbstractButton* b : buttons) {
            const QFontMetrics fm(b->font());
            QString shown = b->text();
            shown.remove(QLatin1Char('&'));
            int room = b->width() - 8; // a push button's bevel
            if (qobject_cast<QRadioButton*>(b) || qobject_cast<QCheckBox*>(b)) {
                QStyleOptionButton option;
                option.initFrom(b);
                const auto element = qobject_cast<QRadioButton*>(b) ? QStyle::SE_RadioButtonContents
                                                                    : QStyle::SE_CheckBoxContents;
                room = b->style()->subElementRect(element, &option, b).width();
            }
            if (auto* wrapping = qobject_cast<WrappingCheckBox*>(b)) {
                QVERIFY2(wrapping->sizeHint().height() <= b->height(), qPrintable(b->objectName()));
                continue;
            }
            QVERIFY2(fm.horizontalAdvance(shown) <= room,
                     qPrintable(QStringLiteral("%1: %2 px for %3 px")
                                    .arg(b->objectName())
                                    .arg(fm.horizontalAdvance(shown))
                                    .arg(room)));
            QVERIFY2(fm.height() <= b->height(), qPrintable(b->objectName()));
        }
        for (QGroupBox* g : w->findChildren<QGroupBox*>())
            QVERIFY2(g->window() != w.get() ||
                         QFontMetrics(g->font()).horizontalAdvance(g->title()) + 16 <= g->width(),
                     qPrintable(g->objectName()));
        for (QLabel* l : w->findChildren<QLabel*>())
            QVERIFY2(l->window() != w.get() ||
                         QFontMetrics(l->font()).horizontalAdvance(l->text()) <= l->width(),
                     qPrintable(l->objectName()));
    }

    void fourIndependentOptionGroups() {
        auto w = makeWindow();
        auto* rgb = child<QRadioButton>(*w, "OptionRGB");
        auto* cry = child<QRadioButton>(*w, "OptionCRY");
        auto* tc = child<QRadioButton>(*w, "OptionTC");
        auto* clut = child<QRadioButton>(*w, "OptionCLUT");
        auto* b16 = child<QRadioButton>(*w, "Option16bits");
        auto* b15 = child<QRadioButton>(*w, "Option15bits");
        auto* bin = child<QRadioButton>(*w, "OptionBinary");
        auto* asm_ = child<QRadioButton>(*w, "OptionAssembly");
        QVERIFY(rgb && cry && tc && clut && b16 && b15 && bin && asm_);
        QVERIFY(rgb->isChecked() && tc->isChecked() && b16->isChecked() && bin->isChecked());

        cry->click();
        b15->click(); // before the colour map greys it
        clut->click();
        asm_->click();
        QVERIFY(cry->isChecked() && !rgb->isChecked());
        QVERIFY(clut->isChecked() && !tc->isChecked());
        QVERIFY(b15->isChecked() && !b16->isChecked());
        QVERIFY(asm_->isChecked() && !bin->isChecked());

        rgb->click();
        QVERIFY(clut->isChecked() && b15->isChecked() && asm_->isChecked());
    }

    void defaultCommandShown() {
        auto w = makeWindow();
        auto* text = child<QPlainTextEdit>(*w, "TextCmd");
        QVERIFY(text);
        QCOMPARE(text->toPlainText(),
                 QStringLiteral("/opt/glyphmill/rastix  -rgb  --binary  --no-opt-clut  --16-bits  "
                                "--no-overwrite "));
    }

    void tabOrderFollowsDesign() {
        auto w = makeWindow();
        auto* rgb = child<QWidget>(*w, "OptionRGB");
        QCOMPARE(rgb->nextInFocusChain()->objectName(), QStringLiteral("OptionCRY"));
        QCOMPARE(child<QWidget>(*w, "Command4")->nextInFocusChain()->objectName(),
                 QStringLiteral("TextCmd"));
    }
};

QTEST_MAIN(TestFormMainLayout)
#include "test_formmain_layout.moc"
