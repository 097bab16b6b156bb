#include "main/formmain.h"
#include "options/frmoptions.h"
#include "testwindows.h"
#include "uistyle.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace glyphmill;
using namespace glyphmill::testing;

class TestFormMainBehaviour : public QObject {
    Q_OBJECT

private:
    FakeServices m_fakes;
    int m_endRequests = 0;

    std::unique_ptr<FormMain> makeWindow() {
        MainWindowServices services = m_fakes.services();
        services.endProgram = [this] {
            ++m_endRequests;
        };
        return std::make_unique<FormMain>(services);
    }

    template <typename T> static T* child(QWidget& window, const char* name) {
        return namedChild<T>(window, name);
    }

    static QString command(QWidget& w) {
        return child<QPlainTextEdit>(w, "TextCmd")->toPlainText();
    }
    static QAbstractButton* button(QWidget& w, const char* name) {
        return child<QAbstractButton>(w, name);
    }
    static FrmOptions* options(QWidget& w) { return child<FrmOptions>(w, "frmOptions"); }

private slots:
    void initTestCase() { applyUiStyle(*qApp); }
    void init() { m_endRequests = 0; }

    void startUpStateAndCommand() {
        auto w = makeWindow();
        QVERIFY(!button(*w, "CheckOptimize")->isEnabled());
        QVERIFY(button(*w, "Option16bits")->isEnabled());
        QVERIFY(button(*w, "Option15bits")->isEnabled());
        QCOMPARE(command(*w), QStringLiteral("/opt/glyphmill/rastix  -rgb  --binary  "
                                             "--no-opt-clut  --16-bits  --no-overwrite "));
        // Reached by the first refresh: it exists, but nobody asked to see it.
        FrmOptions* dialog = options(*w);
        QVERIFY(dialog);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(w->findChildren<FrmOptions*>().size(), 1);
    }

    void colourModeEnablingAndItsEffectOnTheCommand() {
        auto w = makeWindow();
        button(*w, "Option15bits")->click();
        QVERIFY(command(*w).contains(QStringLiteral(" --15-bits ")));
        QVERIFY(!command(*w).contains(QStringLiteral(" --16-bits ")));

        button(*w, "OptionCLUT")->click();
        QVERIFY(button(*w, "CheckOptimize")->isEnabled());
        QVERIFY(!button(*w, "Option16bits")->isEnabled());
        QVERIFY(!button(*w, "Option15bits")->isEnabled());
        QVERIFY(button(*w, "Option15bits")->isChecked());
        QVERIFY(command(*w).contains(QStringLiteral(" --clut ")));
        QVERIFY(!command(*w).contains(QStringLiteral("-bits")));

        // A checked optimise box counts while greyed in true colour.
        button(*w, "CheckOptimize")->click();
        QVERIFY(command(*w).contains(QStringLiteral(" --opt-clut ")));
        button(*w, "OptionTC")->click();
        QVERIFY(!button(*w, "CheckOptimize")->isEnabled());
        QVERIFY(button(*w, "CheckOptimize")->isChecked());
        QVERIFY(command(*w).contains(QStringLiteral(" --opt-clut ")));
        QVERIFY(command(*w).contains(QStringLiteral(" --15-bits ")));
        QVERIFY(!command(*w).contains(QStringLiteral(" --clut ")));

        button(*w, "Option16bits")->click();
        QVERIFY(command(*w).contains(QStringLiteral(" --16-bits ")));
    }

    void everyOptionClickRecomposes() {
        auto w = makeWindow();
        button(*w, "OptionAssembly")->click();
        QVERIFY(command(*w).contains(QStringLiteral(" --assembly ")));
        QVERIFY(!command(*w).contains(QStringLiteral(" --binary ")));
        button(*w, "CheckOverwrite")->click();
        QVERIFY(command(*w).contains(QStringLiteral(" --overwrite ")));
        button(*w, "OptionBinary")->click();
        QVERIFY(command(*w).contains(QStringLiteral(" --binary ")));
        button(*w, "OptionCRY")->click();
        QVERIFY(command(*w).contains(QStringLiteral(" -cry  --normal ")));
        QVERIFY(!command(*w).contains(QStringLiteral(" -rgb ")));
        button(*w, "OptionRGB")->click();
        QVERIFY(!command(*w).contains(QStringLiteral("-cry")));
    }

    void typedTextIsReplacedAtOnce() {
        auto w = makeWindow();
        w->show();
        const QString composed = command(*w);
        auto* text = child<QPlainTextEdit>(*w, "TextCmd");
        text->setFocus();
        QTest::keyClicks(text, QStringLiteral("rm -rf"));
        QCOMPARE(command(*w), composed);
        text->setPlainText(QStringLiteral("something else"));
        QCOMPARE(command(*w), composed);
    }

    void colourSpaceDrivesTheCryPanel() {
        auto w = makeWindow();
        FrmOptions* dialog = options(*w);
        auto* glass = child<QRadioButton>(*dialog, "OptionGlass");
        auto* both = child<QRadioButton>(*dialog, "OptionBoth");
        QVERIFY(!glass->isEnabled());

        button(*w, "OptionCRY")->click();
        QVERIFY(glass->isEnabled());
        QVERIFY(!both->isEnabled());
        glass->click();
        both->click();
        child<QCheckBox>(*dialog, "CheckGray")->click();
        QVERIFY(command(*w).contains(QStringLiteral(" -cry  --glass  --gray  --both ")));

        // RGB with "glass" chosen: no CRY piece, the choice kept for later.
        button(*w, "OptionRGB")->click();
        QVERIFY(!glass->isEnabled());
        QVERIFY(glass->isChecked());
        QVERIFY(!command(*w).contains(QStringLiteral("--glass")));
        button(*w, "OptionCRY")->click();
        QVERIFY(both->isEnabled());
        QVERIFY(command(*w).contains(QStringLiteral(" --glass  --gray  --both ")));
    }

    void transformChoicesReachTheCommand() {
        auto w = makeWindow();
        FrmOptions* dialog = options(*w);
        child<QLineEdit>(*dialog, "CutCoordX")->setText(QStringLiteral("10"));
        child<QLineEdit>(*dialog, "CutCoordY")->setText(QStringLiteral("20"));
        child<QLineEdit>(*dialog, "CutFrameWidth")->setText(QStringLiteral("32"));
        child<QLineEdit>(*dialog, "CutFrameHeight")->setText(QStringLiteral("16"));
        child<QLineEdit>(*dialog, "RotateDegrees")->setText(QStringLiteral("90"));
        child<QCheckBox>(*dialog, "CheckCut")->click();
        QVERIFY(command(*w).endsWith(QStringLiteral(" --cut 10,20:32x16 ")));
        child<QCheckBox>(*dialog, "CheckRotate")->click();
        QVERIFY(command(*w).endsWith(QStringLiteral(" --rotate 90  --cut 10,20:32x16 ")));
    }

    // Each control of the converter's later features puts its piece into the command, and only
    // once the user changes it.
    void everyFeatureControlReachesTheCommand_data() {
        QTest::addColumn<bool>("colourMap");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("piece");
        const auto row = [](const char* control, const char* piece, bool map = false,
                            const char* field = "", const char* text = "") {
            QTest::newRow(control) << map << QString::fromLatin1(field) << QString::fromLatin1(text)
                                   << QString::fromLatin1(control) << QString::fromLatin1(piece);
        };
        row("OptionDitherOrdered", " --dither ordered ");
        row("OptionDitherDiffusion", " --dither diffusion ");
        row("CheckColours", " --colours 16 ", true, "TextColours", "16");
        row("CheckPalette", " --palette game.gpl ", true, "TextPalette", "game.gpl");
        row("CheckSharedClut", " --shared-clut level1 ", true, "TextSharedClut", "level1");
        row("CheckBank", " --bank 3 ", true, "TextBank", "3");
        row("CheckFrames", " --frames 16x8 ", false, "TextFrames", "16x8");
        row("CheckMirrorFrames", " --mirror-frames ");
        row("CheckDropEmptyFrames", " --drop-empty-frames ");
        row("CheckCSource", " --c ");
        row("CheckObjectHeader", " --object-header ");
        row("CheckExportEquates", " --export-equates ");
        row("CheckMetadata", " --metadata ");
        row("CheckShowPng", " --show-png ");
        row("CheckDepfile", " --depfile pics.d ", false, "TextDepfile", "pics.d");
    }

    void everyFeatureControlReachesTheCommand() {
        QFETCH(bool, colourMap);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, control);
        QFETCH(QString, piece);
        auto w = makeWindow();
        if (colourMap)
            button(*w, "OptionCLUT")->click();
        FrmOptions* dialog = options(*w);
        if (!field.isEmpty())
            child<QLineEdit>(*dialog, field.toLatin1().constData())->setText(text);
        auto* target = child<QAbstractButton>(*dialog, control.toLatin1().constData());
        QVERIFY(target->isEnabled());
        QVERIFY(!command(*w).contains(piece));
        target->click();
        QVERIFY2(command(*w).endsWith(piece), qPrintable(command(*w)));
    }

    void colourModeGreysThePaletteChoices() {
        auto w = makeWindow();
        FrmOptions* dialog = options(*w);
        auto* colours = child<QCheckBox>(*dialog, "CheckColours");
        QVERIFY(!colours->isEnabled());
        button(*w, "OptionCLUT")->click();
        QVERIFY(colours->isEnabled());
        colours->click();
        QVERIFY(command(*w).contains(QStringLiteral(" --colours 256 ")));
        button(*w, "OptionTC")->click();
        QVERIFY(!colours->isEnabled());
        QVERIFY(colours->isChecked());
        QVERIFY(!command(*w).contains(QStringLiteral("--colours")));
    }

    void anAcceptedFieldRecomposes() {
        auto w = makeWindow();
        w->findChild<QPushButton*>(QStringLiteral("Command4"))->click();
        FrmOptions* dialog = options(*w);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        child<QCheckBox>(*dialog, "CheckRotate")->click();
        auto* rotate = child<QLineEdit>(*dialog, "RotateDegrees");
        rotate->setFocus();
        rotate->selectAll();
        QTest::keyClicks(rotate, QStringLiteral("180"));
        QVERIFY(command(*w).contains(QStringLiteral(" --rotate 0 ")));
        QTest::keyClick(rotate, Qt::Key_Tab);
        QVERIFY(command(*w).contains(QStringLiteral(" --rotate 180 ")));
    }

    void optionsDialogIsHiddenNotLostWhenClosed() {
        auto w = makeWindow();
        w->show();
        auto* open = w->findChild<QPushButton*>(QStringLiteral("Command4"));
        open->click();
        FrmOptions* dialog = options(*w);
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->isWindow());
        bool cancel = false;
        w->Should_Unload_Cancel(cancel);
        QVERIFY(cancel);

        child<QCheckBox>(*dialog, "CheckCut")->click();
        QVERIFY(!dialog->close());
        QVERIFY(!dialog->isVisible());
        QCOMPARE(options(*w), dialog);

        open->click();
        QVERIFY(dialog->isVisible());
        QCOMPARE(w->findChildren<FrmOptions*>().size(), 1);
        QVERIFY(child<QCheckBox>(*dialog, "CheckCut")->isChecked());
        QVERIFY(command(*w).contains(QStringLiteral(" --cut ")));
        QCOMPARE(m_endRequests, 0);
    }

    void closingTheMainWindowTakesTheDialogAndEndsTheProgram() {
        auto w = makeWindow();
        w->show();
        w->findChild<QPushButton*>(QStringLiteral("Command4"))->click();
        QPointer<FrmOptions> dialog = options(*w);
        QVERIFY(dialog && dialog->isVisible());
        // A window of the program without a parent, as the About box is.
        QWidget loose;
        loose.show();

        QVERIFY(w->close());
        QVERIFY(!dialog || !dialog->isVisible());
        QCOMPARE(m_endRequests, 1);
        bool cancel = true;
        w->Should_Unload_Cancel(cancel);
        QVERIFY(!cancel);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog.isNull());
        // Nothing brings it back to life afterwards.
        w->Refresh_cmd();
        QVERIFY(w->findChild<FrmOptions*>() == nullptr);
    }
};

QTEST_MAIN(TestFormMainBehaviour)
#include "test_formmain_behaviour.moc"
