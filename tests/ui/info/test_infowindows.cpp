#include "../testwindows.h"
#include "info/formabout.h"
#include "info/formhelp.h"
#include "infofakes.h"
#include "main/formmain.h"
#include "uistyle.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace glyphmill;
using namespace glyphmill::testing;

namespace {

template <typename Window> QList<Window*> openWindows() {
    QList<Window*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible())
            found.append(window);
    }
    return found;
}

template <typename Window> QList<Window*> allWindows() {
    QList<Window*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget))
            found.append(window);
    }
    return found;
}

} // namespace

class TestInfoWindows : public QObject {
    Q_OBJECT

private:
    FakeServices m_fakes;
    RecordingPrompt m_prompt;
    FakeSystemInformation m_tool;

    std::unique_ptr<FormMain> makeMain() {
        MainWindowServices services = m_fakes.services();
        services.prompt = &m_prompt;
        services.systemInformation = &m_tool;
        auto main = std::make_unique<FormMain>(services);
        main->show();
        return main;
    }

    static QPushButton* button(FormMain& main, const char* name) {
        return main.findChild<QPushButton*>(QString::fromLatin1(name));
    }

private slots:
    void initTestCase() { applyUiStyle(*qApp); }

    void cleanup() {
        m_prompt.asked.clear();
        m_tool = FakeSystemInformation();
        // No window of one test may leak into the next.
        QVERIFY(allWindows<FormAbout>().isEmpty());
        QVERIFY(allWindows<FormHelp>().isEmpty());
    }

    void aboutOpensOnceWithoutOwner() {
        auto main = makeMain();
        QTest::mouseClick(button(*main, "Command1"), Qt::LeftButton);
        const QList<FormAbout*> first = openWindows<FormAbout>();
        QCOMPARE(first.size(), 1);
        QVERIFY(!first.front()->parentWidget());
        QVERIFY(!first.front()->isModal());
        QVERIFY(!QApplication::activeModalWidget());

        QTest::mouseClick(button(*main, "Command1"), Qt::LeftButton);
        const QList<FormAbout*> second = allWindows<FormAbout>();
        QCOMPARE(second.size(), 1);
        QCOMPARE(second.front(), first.front());
        QVERIFY(second.front()->isVisible());
    }

    void helpOpensOnceWithoutOwner() {
        auto main = makeMain();
        QTest::mouseClick(button(*main, "Command2"), Qt::LeftButton);
        const QList<FormHelp*> first = openWindows<FormHelp>();
        QCOMPARE(first.size(), 1);
        QVERIFY(!first.front()->parentWidget());
        QVERIFY(!QApplication::activeModalWidget());

        QTest::mouseClick(button(*main, "Command2"), Qt::LeftButton);
        const QList<FormHelp*> second = allWindows<FormHelp>();
        QCOMPARE(second.size(), 1);
        QCOMPARE(second.front(), first.front());
    }

    void windowsOpenCentredOnTheScreen() {
        auto main = makeMain();
        main->Command1_Click();
        main->Command2_Click();
        const QList<QWidget*> windows = {openWindows<FormAbout>().value(0),
                                         openWindows<FormHelp>().value(0)};
        for (QWidget* window : windows) {
            QVERIFY(window);
            const QPoint screenCentre = window->screen()->availableGeometry().center();
            const QPoint offset = window->frameGeometry().center() - screenCentre;
            // Rounding of odd sizes and the frame may shift it by a pixel or two.
            QVERIFY2(qAbs(offset.x()) <= 3 && qAbs(offset.y()) <= 3,
                     qPrintable(window->objectName()));
        }
    }

    void bothOpenAtOnce() {
        auto main = makeMain();
        main->Command1_Click();
        main->Command2_Click();
        QCOMPARE(openWindows<FormAbout>().size(), 1);
        QCOMPARE(openWindows<FormHelp>().size(), 1);
        QVERIFY(main->isVisible());
    }

    void closedHelpLeavesTheMainWindowAndOpensAfresh() {
        auto main = makeMain();
        auto* textCmd = main->findChild<QPlainTextEdit*>(QStringLiteral("TextCmd"));
        QVERIFY(textCmd);
        const QString command = textCmd->toPlainText();

        main->Command2_Click();
        QPointer<FormHelp> first = openWindows<FormHelp>().value(0);
        QVERIFY(first);
        QTest::mouseClick(first->findChild<QPushButton*>(QStringLiteral("CommandButtonClose")),
                          Qt::LeftButton);
        QTRY_VERIFY(first.isNull());
        QVERIFY(main->isVisible());
        QCOMPARE(textCmd->toPlainText(), command);

        main->Command2_Click();
        QCOMPARE(openWindows<FormHelp>().size(), 1);
    }

    void closedAboutOpensAfresh() {
        auto main = makeMain();
        main->Command1_Click();
        QPointer<FormAbout> first = openWindows<FormAbout>().value(0);
        QVERIFY(first);
        QTest::mouseClick(first->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        QTRY_VERIFY(first.isNull());
        QVERIFY(main->isVisible());

        main->Command1_Click();
        QCOMPARE(openWindows<FormAbout>().size(), 1);
    }

    void aboutUsesTheMainWindowsServices() {
        auto main = makeMain();
        main->Command1_Click();
        FormAbout* about = openWindows<FormAbout>().value(0);
        QVERIFY(about);

        m_tool.outcome = FakeSystemInformation::Outcome::Unavailable;
        QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("cmdSysInfo")),
                          Qt::LeftButton);
        QCOMPARE(m_tool.calls, 1);
        QCOMPARE(m_prompt.asked.size(), 1);
        QVERIFY(about->isVisible());
    }

    void windowsGoWithTheMainWindow() {
        auto main = makeMain();
        main->Command1_Click();
        main->Command2_Click();
        QPointer<FormAbout> about = openWindows<FormAbout>().value(0);
        QPointer<FormHelp> help = openWindows<FormHelp>().value(0);
        QVERIFY(about && help);
        main.reset();
        QVERIFY(about.isNull());
        QVERIFY(help.isNull());
    }
};

QTEST_MAIN(TestInfoWindows)
#include "test_infowindows.moc"
