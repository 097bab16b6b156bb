#include "main/filelist.h"
#include "main/formmain.h"
#include "prompt.h"
#include "uistyle.h"
#include "windowfixture.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QTextEdit>

using namespace glyphmill;
using namespace glyphmill::testing;

namespace {

// How a box looked on the screen, and whether a click on its closing button closed it.
struct Look {
    QString title;
    QImage icon;
    QStringList buttons;
    QString text;
    QRect frame;
    QRect screen;
    bool buttonsInside = false;
    bool scrolls = false;
    bool sideways = false;
    bool closedByClick = false;
};

// Shows the program's real box for each message, notes how it looks, then closes it with a
// mouse click on Cancel (or on OK when that is the only button) and answers Cancel.
class LookingPrompt final : public Prompt {
public:
    Answer ask(QWidget* parent, const Message& message) override {
        looks.append(look(*MessageBoxPrompt::makeBox(parent, message)));
        return Answer::Cancel;
    }

    QList<Look> looks;

private:
    static Look look(QDialog& box) {
        Look seen;
        box.show();
        if (!QTest::qWaitForWindowExposed(&box))
            return seen;
        seen.title = box.windowTitle();
        seen.frame = box.frameGeometry();
        seen.screen = box.screen()->availableGeometry();
        const QList<QPushButton*> buttons = box.findChildren<QPushButton*>();
        seen.buttonsInside = !buttons.isEmpty();
        QPushButton* closing = nullptr;
        for (QPushButton* button : buttons) {
            const QString text = button->text().remove(QLatin1Char('&'));
            seen.buttons.append(text);
            const QRect area(button->mapTo(&box, QPoint()), button->size());
            seen.buttonsInside &= button->isVisible() && box.rect().contains(area);
            if (!closing || text == QLatin1String("Cancel"))
                closing = button;
        }
        const QList<QLabel*> labels = box.findChildren<QLabel*>();
        for (const QLabel* label : labels) {
            if (!label->pixmap().isNull())
                seen.icon = label->pixmap().toImage();
            else if (label->isVisible())
                seen.text += label->text();
        }
        const QList<QAbstractScrollArea*> areas = box.findChildren<QAbstractScrollArea*>();
        for (const QAbstractScrollArea* area : areas) {
            if (const auto* edit = qobject_cast<const QTextEdit*>(area))
                seen.text += edit->toPlainText();
            if (const auto* edit = qobject_cast<const QPlainTextEdit*>(area))
                seen.text += edit->toPlainText();
            seen.scrolls |=
                area->verticalScrollBar()->isVisible() && area->verticalScrollBar()->maximum() > 0;
            seen.sideways |= area->horizontalScrollBar()->isVisible();
        }
        if (closing) {
            QTest::mouseClick(closing, Qt::LeftButton);
            seen.closedByClick = !box.isVisible();
        }
        return seen;
    }
};

} // namespace

class TestMessageBox : public QObject {
    Q_OBJECT

private:
    FakeServices m_fakes;

    // A folder of `count` empty files on the fake disk.
    QString pictures(int count) {
        const QString folder = treePath(QStringLiteral("pictures-%1").arg(count));
        m_fakes.files.addFolder(folder);
        for (int i = 0; i < count; ++i)
            m_fakes.files.addFile(
                QDir(folder).filePath(QStringLiteral("sprite%1.bmp").arg(i, 5, 10, QChar(u'0'))));
        return folder;
    }

    static QString converterFolder() { return treePath(QStringLiteral("app")); }

    // The converter in its folder, named as the system names programs (Windows knows one by its
    // ".exe" alone).
    void installConverter() {
        m_fakes.files.addFile(QString::fromStdString(PathConvention::native().converterPath(
                                  QDir::toNativeSeparators(converterFolder()).toStdString())),
                              "#!/bin/sh\nexit 0\n", true);
    }

private slots:
    void initTestCase() {
        applyUiStyle(*qApp);
        installConverter();
    }

    // Whatever the length of the text, the box keeps to the screen's free area with its title,
    // icon and buttons in sight; a long text scrolls inside it, never sideways.
    void boxFitsTheScreen_data() {
        QTest::addColumn<QString>("appFolder");
        QTest::addColumn<int>("files");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<bool>("scrolls");
        const QStringList okCancel = {"OK", "Cancel"};
        QTest::newRow("one picture to convert")
            << converterFolder() << 1 << "Really Execute?" << int(QStyle::SP_MessageBoxWarning)
            << okCancel << false;
        QTest::newRow("20,000 pictures to convert")
            << converterFolder() << 20000 << "Really Execute?" << int(QStyle::SP_MessageBoxWarning)
            << okCancel << true;
        QTest::newRow("converter in a folder of 20,000 letters")
            << treePath(QString(20000, QLatin1Char('w'))) << 1 << "Critical error"
            << int(QStyle::SP_MessageBoxCritical) << QStringList{"OK"} << true;
    }

    void boxFitsTheScreen() {
        QFETCH(QString, appFolder);
        QFETCH(int, files);
        QFETCH(QString, title);
        QFETCH(int, icon);
        QFETCH(QStringList, buttons);
        QFETCH(bool, scrolls);
        LookingPrompt prompt;
        MainWindowServices services = m_fakes.services();
        services.appFolder = QDir::toNativeSeparators(appFolder);
        services.convention = PathConvention::native();
        services.prompt = &prompt;
        FormMain window(services);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* list = namedChild<FileList>(window, "File1");
        list->setPath(pictures(files));
        QCOMPARE(list->count(), files);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(list->selectedNames().size(), files);

        QTest::mouseClick(namedChild<QPushButton>(window, "Command3"), Qt::LeftButton);
        QCOMPARE(prompt.looks.size(), 1);
        const Look& look = prompt.looks.first();
        QVERIFY2(look.screen.contains(look.frame),
                 qPrintable(QStringLiteral("%1 x %2 at %3,%4 on a screen of %5 x %6")
                                .arg(look.frame.width())
                                .arg(look.frame.height())
                                .arg(look.frame.x())
                                .arg(look.frame.y())
                                .arg(look.screen.width())
                                .arg(look.screen.height())));
        QVERIFY(look.buttonsInside);
        QCOMPARE(look.scrolls, scrolls);
        QVERIFY(!look.sideways);
        QCOMPARE(look.title, title);
        const QStyle* style = QApplication::style();
        const int side = style->pixelMetric(QStyle::PM_MessageBoxIconSize);
        QCOMPARE(look.icon,
                 style->standardIcon(QStyle::StandardPixmap(icon)).pixmap(side).toImage());
        QCOMPARE(look.buttons, buttons);
        if (title == QLatin1String("Really Execute?"))
            QCOMPARE(look.text, namedChild<QPlainTextEdit>(window, "TextCmd")->toPlainText());
        else
            QVERIFY(look.text.contains(services.appFolder));
        QVERIFY(look.closedByClick);
    }
};

QTEST_MAIN(TestMessageBox)
#include "test_messagebox.moc"
