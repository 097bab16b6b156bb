#include "main/formmain.h"
#include "uistyle.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

using namespace glyphmill;
using namespace glyphmill::testing;

namespace {

QString focusName() {
    const QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QStringLiteral("<nothing>");
}

// Presses Tab (or Shift+Tab) `count` times, as the keyboard would, and names each widget that
// takes the focus.
QStringList walk(int count, bool forward) {
    QStringList names;
    for (int i = 0; i < count; ++i) {
        if (forward)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        names.append(focusName());
    }
    return names;
}

// The stops met going round once from the first one, and back again.
QStringList forwardFromFirst(const QStringList& stops) {
    return stops.mid(1) + stops.mid(0, 1);
}

QStringList backwardFromFirst(const QStringList& stops) {
    const QStringList rest = stops.mid(1);
    return QStringList(rest.rbegin(), rest.rend()) + stops.mid(0, 1);
}

void clickAll(const QWidget& window, const QStringList& names) {
    for (const QString& name : names) {
        auto* button = window.findChild<QAbstractButton*>(name);
        QVERIFY2(button, qPrintable(name));
        QTest::mouseClick(button, Qt::LeftButton);
    }
}

} // namespace

class TestKeyboardNavigation : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> m_f;

    static bool activate(QWidget& window) {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

    // Goes round the window's tab stops both ways from the first one, with `clicks` made first.
    void compareTabStops(QWidget& window, const QStringList& clicks, const QStringList& stops) {
        QVERIFY(activate(window));
        clickAll(window, clicks);
        QWidget* first = window.findChild<QWidget*>(stops.first());
        QVERIFY(first);
        first->setFocus(Qt::TabFocusReason);
        QCOMPARE(focusName(), stops.first());
        QCOMPARE(walk(static_cast<int>(stops.size()), true), forwardFromFirst(stops));
        QCOMPARE(walk(static_cast<int>(stops.size()), false), backwardFromFirst(stops));
    }

private slots:
    void initTestCase() { applyUiStyle(*qApp); }

    void init() {
        m_f = std::make_unique<WindowFixture>();
        m_f->open();
    }

    void cleanup() { m_f.reset(); }

    // Tab enters each group of option buttons at its selected button, and skips greyed
    // controls; the command field lets the focus go on to the run button.
    void tabGoesRoundTheMainWindow_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QStringList>("stops");
        const QStringList before = {"Drive1", "Dir1", "File1"};
        const QStringList after = {"CommandChose", "CheckOverwrite", "TextTargetDir", "Command1",
                                   "Command2", "Command4", "TextCmd", "Command3",
                                   // The zoom is greyed while the console view is off.
                                   "CheckConsole"};
        QTest::newRow("as it opens")
            << QStringList()
            << before + QStringList{"OptionRGB", "OptionBinary", "OptionTC", "Option16bits"} +
                   after;
        QTest::newRow("second choices")
            << QStringList{"OptionCRY", "OptionAssembly", "Option15bits", "OptionCLUT"}
            << before + QStringList{"OptionCRY", "OptionAssembly", "OptionCLUT", "CheckOptimize"} +
                   after;
    }

    void tabGoesRoundTheMainWindow() {
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, stops);
        compareTabStops(*m_f->window, clicks, stops);
    }

    void tabGoesRoundTheOptionsDialog_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QStringList>("stops");
        // True colour: the palette choices are greyed and skipped.
        const QStringList rest = {"OptionDitherNone",     "CheckFrames",   "CheckMirrorFrames",
                                  "CheckDropEmptyFrames", "CheckCSource",  "CheckObjectHeader",
                                  "CheckExportEquates",   "CheckMetadata", "CheckShowPng",
                                  "CheckDepfile",         "CommandApply",  "CommandClose"};
        QTest::newRow("CRY, normal values")
            << QStringList() << QStringList{"OptionNormal", "CheckRotate", "CheckCut"} + rest;
        QTest::newRow("CRY, relative values, both transforms")
            << QStringList{"OptionGlass", "OptionBoth", "CheckRotate", "CheckCut"}
            << QStringList{"OptionGlass",   "OptionBoth",    "CheckGray", "CheckRotate",
                           "RotateDegrees", "CheckCut",      "CutCoordX", "CutCoordY",
                           "CutFrameWidth", "CutFrameHeight"} +
                   rest;
    }

    void tabGoesRoundTheOptionsDialog() {
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, stops);
        m_f->window->show();
        QTest::mouseClick(m_f->child<QAbstractButton>("OptionCRY"), Qt::LeftButton);
        QTest::mouseClick(m_f->child<QAbstractButton>("Command4"), Qt::LeftButton);
        FrmOptions* options = m_f->window->optionsDialog();
        QVERIFY(options);
        compareTabStops(*options, clicks, stops);
    }

    // The arrow keys move the selection within a group and never into the group of a nested
    // container; Tab then leaves the group and Shift+Tab comes back to the new selection.
    void arrowKeysMoveWithinAGroup_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("selected");
        QTest::newRow("RGB, right") << "OptionRGB" << int(Qt::Key_Right) << "OptionCRY";
        QTest::newRow("Binary, right") << "OptionBinary" << int(Qt::Key_Right) << "OptionAssembly";
        QTest::newRow("true colour, down") << "OptionTC" << int(Qt::Key_Down) << "OptionCLUT";
        QTest::newRow("true colour, right") << "OptionTC" << int(Qt::Key_Right) << "OptionCLUT";
        QTest::newRow("16 bits, down") << "Option16bits" << int(Qt::Key_Down) << "Option15bits";
    }

    void arrowKeysMoveWithinAGroup() {
        QFETCH(QString, start);
        QFETCH(int, key);
        QFETCH(QString, selected);
        QVERIFY(activate(*m_f->window));
        m_f->window->findChild<QWidget*>(start)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QCOMPARE(focusName(), selected);
        QVERIFY(m_f->window->findChild<QAbstractButton*>(selected)->isChecked());
        walk(1, true);
        QCOMPARE(walk(1, false), QStringList(selected));
    }
};

QTEST_MAIN(TestKeyboardNavigation)
#include "test_keyboardnavigation.moc"
