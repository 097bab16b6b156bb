#include "../testwindows.h"
#include "info/formabout.h"
#include "infofakes.h"
#include "twips.h"
#include "uistyle.h"

#include <glyphmill/version.h>

#include <QApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace glyphmill;
using namespace glyphmill::testing;

namespace {

const QString kUnavailable =
    QString::fromUtf8("Les informations syst\xC3\xA8me ne sont pas disponibles actuellement");

template <typename T> T* child(QWidget& window, const char* name) {
    return namedChild<T>(window, name);
}

} // namespace

class TestFormAbout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { applyUiStyle(*qApp); }

    void windowProperties() {
        FormAbout about(nullptr, nullptr);
        QCOMPARE(about.objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(about.windowTitle(), QStringLiteral("About Glyphmill"));
        QCOMPARE(about.size(), QSize(twipsToPixels(5730), twipsToPixels(3555)));
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QVERIFY(!about.isModal());
        QVERIFY(!about.parentWidget());
        // A tool window stays out of the task bar.
        QCOMPARE(about.windowType(), Qt::Tool);
        QVERIFY(!(about.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(about.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(about.testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(!about.testAttribute(Qt::WA_QuitOnClose));
    }

    void captionsAndPositions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips");

        QTest::newRow("Label4") << "Label4"
                                << "GUI Version " << QRect(1080, 600, 855, 255);
        QTest::newRow("lblVersion")
            << "lblVersion" << QString::fromLatin1(kVersionText) << QRect(1980, 600, 555, 225);
        QTest::newRow("Label3") << "Label3"
                                << "(designed for binary version 0.1.5)"
                                << QRect(2640, 600, 2535, 255);
        QTest::newRow("Label2") << "Label2"
                                << "This tool is aimed at helping Jaguar developers to convert "
                                   "images from standard formats to Jaguar specific formats"
                                << QRect(1080, 960, 3855, 615);
        QTest::newRow("lblTitle") << "lblTitle"
                                  << "Glyphmill by the Loomers" << QRect();
        QTest::newRow("Label1") << "Label1" << QString() << QRect(1080, 2040, 3855, 255);
        QTest::newRow("lblDescription") << "lblDescription" << QString() << QRect();
        QTest::newRow("lblDisclaimer") << "lblDisclaimer" << QString() << QRect();
    }

    void captionsAndPositions() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        FormAbout about(nullptr, nullptr);
        auto* label = child<QLabel>(about, name.toLatin1().constData());
        QVERIFY(label);
        QVERIFY(!label->text().isEmpty());
        if (!caption.isNull())
            QCOMPARE(label->text(), caption);
        if (!twips.isNull())
            QCOMPARE(label->geometry(),
                     twipsToPixels(twips.x(), twips.y(), twips.width(), twips.height()));
        // Everything lies inside the window.
        QVERIFY(about.rect().contains(label->geometry()));
    }

    void versionIsTheBuildsVersion() {
        FormAbout about(nullptr, nullptr);
        auto* version = child<QLabel>(about, "lblVersion");
        QVERIFY(version);
        QCOMPARE(
            version->text(),
            QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionPatch));
        // The label is only 37 pixels wide: the version must fit in it.
        QVERIFY(QFontMetrics(version->font()).horizontalAdvance(version->text()) <=
                version->width());
    }

    void ourOwnLinesNameNoPersonAndTheLicence() {
        FormAbout about(nullptr, nullptr);
        auto* disclaimer = child<QLabel>(about, "lblDisclaimer");
        QVERIFY(disclaimer);
        QVERIFY(disclaimer->text().contains(QStringLiteral("MIT")));
        QVERIFY(disclaimer->text().contains(QStringLiteral("LICENSE")));
        for (const char* name : {"lblDescription", "Label1", "lblDisclaimer"}) {
            const QString text = child<QLabel>(about, name)->text();
            QVERIFY2(!text.contains(QStringLiteral("http")) && !text.contains(QLatin1Char('@')),
                     qPrintable(text));
        }
    }

    void buttons() {
        FormAbout about(nullptr, nullptr);
        auto* ok = child<QPushButton>(about, "cmdOK");
        auto* sysInfo = child<QPushButton>(about, "cmdSysInfo");
        QVERIFY(ok && sysInfo);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(ok->geometry(), twipsToPixels(4245, 2625, 1260, 345));
        QVERIFY(ok->isDefault());
        QCOMPARE(sysInfo->text(), QString::fromUtf8("&Infos syst\xC3\xA8me..."));
        QCOMPARE(sysInfo->geometry(), twipsToPixels(4260, 3075, 1245, 345));
        QVERIFY(!sysInfo->isDefault());
    }

    void etchedSeparator() {
        FormAbout about(nullptr, nullptr);
        const QList<QFrame*> lines =
            about.findChildren<QFrame*>(QStringLiteral("Line1"), Qt::FindDirectChildrenOnly);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0]->geometry(),
                 QRect(twipsToPixels(90), twipsToPixels(2445), twipsToPixels(5654 - 90), 1));
        QCOMPARE(lines[1]->geometry(),
                 QRect(twipsToPixels(105), twipsToPixels(2460), twipsToPixels(5654 - 105), 1));
        QVERIFY(lines[0]->palette().color(QPalette::Window).lightness() < 200);
        QCOMPARE(lines[1]->palette().color(QPalette::Window), QColor(Qt::white));
    }

    void okClosesAndDeletesTheDialog() {
        QPointer<FormAbout> about = new FormAbout(nullptr, nullptr);
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QTest::mouseClick(child<QPushButton>(*about, "cmdOK"), Qt::LeftButton);
        QTRY_VERIFY(about.isNull());
    }

    void enterAndEscapeBothClose_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
    }

    void enterAndEscapeBothClose() {
        QFETCH(int, key);
        QPointer<FormAbout> about = new FormAbout(nullptr, nullptr);
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QTest::keyClick(about.data(), Qt::Key(key));
        QTRY_VERIFY(about.isNull());
    }

    void startedToolShowsNoMessage() {
        RecordingPrompt prompt;
        FakeSystemInformation tool;
        FormAbout about(&prompt, &tool);
        about.show();
        QTest::mouseClick(child<QPushButton>(about, "cmdSysInfo"), Qt::LeftButton);
        QCOMPARE(tool.calls, 1);
        QVERIFY(prompt.asked.isEmpty());
        QVERIFY(about.isVisible());
    }

    void unavailableToolShowsTheMessageAndTheDialogStays_data() {
        QTest::addColumn<int>("outcome");
        QTest::addColumn<bool>("haveTool");
        QTest::newRow("not found") << int(FakeSystemInformation::Outcome::Unavailable) << true;
        QTest::newRow("failure raised") << int(FakeSystemInformation::Outcome::Throws) << true;
        QTest::newRow("no service") << 0 << false;
    }

    void unavailableToolShowsTheMessageAndTheDialogStays() {
        QFETCH(int, outcome);
        QFETCH(bool, haveTool);
        RecordingPrompt prompt;
        FakeSystemInformation tool;
        tool.outcome = FakeSystemInformation::Outcome(outcome);
        FormAbout about(&prompt, haveTool ? &tool : nullptr);
        about.show();
        QTest::mouseClick(child<QPushButton>(about, "cmdSysInfo"), Qt::LeftButton);

        QCOMPARE(tool.calls, haveTool ? 1 : 0);
        QCOMPARE(prompt.asked.size(), 1);
        const Prompt::Message& message = prompt.asked.front().message;
        QCOMPARE(message.text, kUnavailable);
        QCOMPARE(message.buttons, Prompt::Buttons::Ok);
        QCOMPARE(prompt.asked.front().parent.data(), &about);
        QVERIFY(about.isVisible());
    }
};

QTEST_MAIN(TestFormAbout)
#include "test_formabout.moc"
