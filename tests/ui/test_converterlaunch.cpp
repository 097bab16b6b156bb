#include "fakes.h"
#include "main/filelist.h"
#include "main/formmain.h"
#include "pathconvention.h"
#include "processlauncher.h"
#include "prompt.h"
#include "uistyle.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <deque>

using namespace glyphmill;

namespace {

// Records every message box and answers from a queue (OK when the queue is empty).
class FakePrompt : public Prompt {
public:
    Answer ask(QWidget*, const Message& message) override {
        messages.push_back(message);
        if (answers.empty())
            return Answer::Ok;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<Message> messages;
    std::deque<Answer> answers;
};

// Wraps the real launcher and remembers what it was asked to start.
class RecordingLauncher : public ProcessLauncher {
public:
    qint64 startDetached(const QString& program, const QStringList& arguments,
                         const QString& workingDirectory, const OutputFiles& files) override {
        ++starts;
        lastProgram = program;
        lastArguments = arguments;
        lastFolder = workingDirectory;
        if (failStart)
            return 0;
        return real.startDetached(program, arguments, workingDirectory, files);
    }

    std::optional<ProcessEnd> ended(qint64 pid) override { return real.ended(pid); }

    SystemProcessLauncher real;
    int starts = 0;
    bool failStart = false;
    QString lastProgram;
    QStringList lastArguments;
    QString lastFolder;
};

constexpr QFile::Permissions kExecutable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

} // namespace

class TestConverterLaunch : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_root;
    QString m_appFolder;
    QString m_pictures;
    std::unique_ptr<testing::FakeServices> m_fakes;
    FakePrompt m_prompt;
    RecordingLauncher m_launcher;

    // The converter as the window sees it, on the fake disk. One that can run is also put on
    // the real one, in the test's own folder: a copy of a program that writes its working
    // folder and its arguments, one per line between brackets, into record.txt beside itself.
    bool installConverter(bool runnable) {
        m_fakes->files.addFile(converter(), "program", runnable);
        return !runnable || (QFile::copy(QStringLiteral(GLYPHMILL_RECORDER), converter()) &&
                             QFile::setPermissions(converter(), kExecutable));
    }

    // A picture of the folder the converter runs in; only the window needs to see it.
    void addPicture(const QString& name) {
        m_fakes->files.addFile(QDir(m_pictures).filePath(name), "picture");
    }

    std::unique_ptr<FormMain> makeWindow() {
        MainWindowServices services = m_fakes->services();
        services.appFolder = m_appFolder;
        services.convention = PathConvention::native();
        services.prompt = &m_prompt;
        services.launcher = &m_launcher;
        return std::make_unique<FormMain>(services);
    }

    QString converter() const {
        return QString::fromStdString(
            PathConvention::native().converterPath(m_appFolder.toStdString()));
    }
    QString record() const { return QDir(m_appFolder).filePath(QStringLiteral("record.txt")); }

    static FileList* fileList(QWidget& w) {
        return w.findChild<FileList*>(QStringLiteral("File1"));
    }
    static QString command(QWidget& w) {
        return w.findChild<QPlainTextEdit*>(QStringLiteral("TextCmd"))->toPlainText();
    }
    static void run(QWidget& w) { w.findChild<QPushButton*>(QStringLiteral("Command3"))->click(); }

    // Empty until the recorder's file is there and can be opened: under Wine the name can show
    // a moment before another process may open it.
    QStringList readRecord() const {
        QFile file(record());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    void compareMessage(std::size_t index, const QString& title, const QString& text,
                        Prompt::Icon icon, Prompt::Buttons buttons) {
        QVERIFY(index < m_prompt.messages.size());
        const Prompt::Message& m = m_prompt.messages[index];
        QCOMPARE(m.title, title);
        QCOMPARE(m.text, text);
        QCOMPARE(m.icon, icon);
        QCOMPARE(m.buttons, buttons);
    }

    // The launch refused with one critical box and started nothing.
    void compareRefusal(const QString& text) {
        QCOMPARE(m_prompt.messages.size(), std::size_t(1));
        compareMessage(0, QStringLiteral("Critical error"), text, Prompt::Icon::Critical,
                       Prompt::Buttons::Ok);
        QCOMPARE(m_launcher.starts, 0);
    }

private slots:
    void initTestCase() { applyUiStyle(*qApp); }

    void init() {
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
        QDir root(m_root->path());
        QVERIFY(root.mkdir(QStringLiteral("app folder")));
        QVERIFY(root.mkdir(QStringLiteral("my pictures")));
        m_appFolder = root.filePath(QStringLiteral("app folder"));
        m_pictures = root.filePath(QStringLiteral("my pictures"));
        m_fakes = std::make_unique<testing::FakeServices>();
        m_fakes->files.addFolder(m_appFolder);
        m_fakes->files.addFolder(m_pictures);
        m_prompt = FakePrompt{};
        m_launcher.starts = 0;
        m_launcher.failStart = false;
        m_launcher.lastArguments.clear();
    }

    void cleanup() {
        m_fakes.reset();
        m_root.reset();
    }

    void oddFileNamesReachTheConverterAsOneArgumentEach() {
        QVERIFY(installConverter(true));
        const QStringList names = {
            QStringLiteral("$(touch injected).bmp"),
            QStringLiteral("--target-dir.gif"),
            QStringLiteral("-rf.jpg"),
            QStringLiteral("a b  c.bmp"),
            QStringLiteral("x; touch injected2.bmp"),
#ifndef _WIN32 // no quotes in Windows file names
            QStringLiteral("it's \"q\".jpeg"),
#endif
        };
        for (const QString& name : names)
            addPicture(name);

        auto w = makeWindow();
        fileList(*w)->setPath(m_pictures);
        fileList(*w)->selectAll();
        const QString before = QDir::currentPath();
        m_prompt.messages.clear();

        run(*w);

        QCOMPARE(m_prompt.messages.size(), std::size_t(2));
        compareMessage(0, QStringLiteral("Really Execute?"), command(*w), Prompt::Icon::Warning,
                       Prompt::Buttons::OkCancel);
        QVERIFY(command(*w).startsWith(converter() + QStringLiteral(" ")));
        QCOMPARE(m_launcher.starts, 1);
        QCOMPARE(QDir::currentPath(), before);

        QTRY_VERIFY_WITH_TIMEOUT(!readRecord().isEmpty(), 20000);
        const QStringList lines = readRecord();
        QCOMPARE(lines.value(0), QDir(m_pictures).canonicalPath());
        QStringList expected = {QStringLiteral("[-rgb]"), QStringLiteral("[--binary]"),
                                QStringLiteral("[--no-opt-clut]"), QStringLiteral("[--16-bits]"),
                                QStringLiteral("[--no-overwrite]")};
        for (int row = 0; row < fileList(*w)->count(); ++row)
            expected << QLatin1Char('[') + fileList(*w)->entry(row) + QLatin1Char(']');
        QCOMPARE(fileList(*w)->count(), names.size());
        QCOMPARE(lines.mid(1), expected);

        const QStringList pidText = m_prompt.messages[1].text.split(QLatin1Char('<'));
        compareMessage(
            1, QStringLiteral("Critical error"),
            QStringLiteral("Binary converter returned: <%1>").arg(pidText.value(1).chopped(1)),
            Prompt::Icon::Information, Prompt::Buttons::Ok);
        QVERIFY(pidText.value(1).chopped(1).toLongLong() > 0);
        QVERIFY(m_prompt.messages[1].text.endsWith(QLatin1Char('>')));

        for (const QDir& dir : {QDir(m_pictures), QDir(m_appFolder), QDir(before)}) {
            QVERIFY(!dir.exists(QStringLiteral("injected")));
            QVERIFY(!dir.exists(QStringLiteral("injected2.bmp")));
        }
    }

    void noFileSelectedRunsTheCommandAsComposed() {
        QVERIFY(installConverter(true));
        addPicture(QStringLiteral("p.bmp"));
        auto w = makeWindow();
        fileList(*w)->setPath(m_pictures);
        fileList(*w)->clearSelection();
        run(*w);
        QCOMPARE(m_launcher.starts, 1);
        QTRY_VERIFY_WITH_TIMEOUT(!readRecord().isEmpty(), 20000);
        QCOMPARE(readRecord().mid(1),
                 (QStringList{QStringLiteral("[-rgb]"), QStringLiteral("[--binary]"),
                              QStringLiteral("[--no-opt-clut]"), QStringLiteral("[--16-bits]"),
                              QStringLiteral("[--no-overwrite]")}));
        // The stand-in writes no file and ends well; its end reaches the window.
        auto* runs = w->findChild<QTreeWidget*>(QStringLiteral("ListRuns"));
        QTRY_VERIFY_WITH_TIMEOUT(
            runs->topLevelItem(0)->text(0).endsWith(QStringLiteral(": 0 files written")), 20000);
    }

    void cancelRunsNothing() {
        QVERIFY(installConverter(true));
        auto w = makeWindow();
        fileList(*w)->setPath(m_pictures);
        const QString before = QDir::currentPath();
        m_prompt.answers = {Prompt::Answer::Cancel};
        run(*w);
        QCOMPARE(m_prompt.messages.size(), std::size_t(1));
        QCOMPARE(m_prompt.messages[0].title, QStringLiteral("Really Execute?"));
        QCOMPARE(m_launcher.starts, 0);
        QCOMPARE(QDir::currentPath(), before);
        QVERIFY(!QFile::exists(record()));
    }

    void converterThatIsAFolder() {
        m_fakes->files.addFolder(converter());
        auto w = makeWindow();
        run(*w);
        compareRefusal(QStringLiteral("External binary <%1 > is a directory!").arg(converter()));
    }

    void missingConverter() {
        auto w = makeWindow();
        run(*w);
        compareRefusal(QStringLiteral("Can't find external binary: <%1 >").arg(converter()));
    }

    void converterThatCannotRun() {
        QVERIFY(installConverter(false));
        auto w = makeWindow();
        run(*w);
        compareRefusal(QStringLiteral("Can't find external binary: <%1 >").arg(converter()));
    }

    void startFailureIsReported() {
        QVERIFY(installConverter(true));
        m_launcher.failStart = true;
        auto w = makeWindow();
        fileList(*w)->setPath(m_pictures);
        run(*w);
        QCOMPARE(m_launcher.starts, 1);
        // Spelt the system's way (backslashes on Windows).
        QCOMPARE(QDir::fromNativeSeparators(m_launcher.lastProgram),
                 QDir::fromNativeSeparators(converter()));
        QCOMPARE(QDir::fromNativeSeparators(m_launcher.lastFolder), m_pictures);
        QCOMPARE(m_prompt.messages.size(), std::size_t(2));
        compareMessage(1, QStringLiteral("Critical error"),
                       QStringLiteral("Can't find external binary: <%1 >").arg(converter()),
                       Prompt::Icon::Critical, Prompt::Buttons::Ok);
    }

    void theCommandShownIsTheOneStarted() {
        QVERIFY(installConverter(true));
        m_launcher.failStart = true;
        auto w = makeWindow();
        fileList(*w)->setPath(m_pictures);
        w->findChild<QAbstractButton*>(QStringLiteral("OptionCRY"))->click();
        w->findChild<QAbstractButton*>(QStringLiteral("CheckOverwrite"))->click();
        run(*w);
        QCOMPARE(m_prompt.messages.at(0).text, command(*w));
        QCOMPARE(m_launcher.lastArguments,
                 (QStringList{QStringLiteral("--binary"), QStringLiteral("--no-opt-clut"),
                              QStringLiteral("--16-bits"), QStringLiteral("--overwrite"),
                              QStringLiteral("-cry"), QStringLiteral("--normal")}));
    }
};

QTEST_MAIN(TestConverterLaunch)
#include "test_converterlaunch.moc"
