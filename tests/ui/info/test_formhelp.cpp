#include "commandcomposer.h"
#include "info/formhelp.h"
#include "twips.h"
#include "uistyle.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <functional>

using namespace glyphmill;

namespace {

struct OptionEntry {
    QString option;
    QStringList description;
};

// The converter's common options as the help lists them: the option line, then its
// description line(s).
const QList<OptionEntry> kCommonOptions = {
    {"-rgb", {"to consider the RGB16 color model"}},
    {"-cry", {"to consider the CRY16 color model"}},
    {"--assembly (or --ascii)", {"to generate an assembly file"}},
    {"--binary (or --no-ascii)", {"to generate a binary file"}},
    {"--target-dir", {"to chose the target directory"}},
    {"--clut", {"to generate a pixel map and a clut (with the current color model)"}},
    {"--no-clut", {"to generate a true color file (with the current color model)"}},
    {"--opt-clut",
     {"to generate a map with an optimised number of bits per pixel", "(only when --clut is set)"}},
    {"--no-opt-clut", {"to generate a 8 bits per pixel map", "(only when --clut is set)"}},
    {"--overwrite", {"to overwrite existing files"}},
    {"--no-overwrite", {"to forbid overwriting of existing files"}},
    {"--15-bits",
     {"to use only 15 bits (the lower bit is used to indicate which model is in use)"}},
    {"--16-bits", {"to use all the 16 bits"}},
    {"--gray", {"to output only intensities (CRY model)"}},
    {"--glass", {"to output relative CRY values (CRY model)"}},
    {"--normal", {"to ouput normal CRY values (CRY model)"}},
    {"--positive", {"keep only positive coordinates of CRY vectors"}},
    {"--negative", {"keep only negative coordinates of CRY vectors"}},
    {"--both", {"keep all CRY vectors"}},
};

// Every flag the command composer can write. When the composer learns a new one, this list
// and the help text must both learn it.
const QSet<QString> kComposerFlags = {
    "-rgb",           "-cry",          "--binary",  "--assembly", "--clut",
    "--opt-clut",     "--no-opt-clut", "--16-bits", "--15-bits",  "--overwrite",
    "--no-overwrite", "--target-dir",  "--normal",  "--glass",    "--gray",
    "--positive",     "--negative",    "--both",    "--rotate",   "--cut",
};

// Flags the help documents that the interface itself never writes: the converter's aliases
// and its explicit true-colour switch.
const QSet<QString> kConverterOnlyFlags = {"--ascii", "--no-ascii", "--no-clut"};

const QString kListHeading = QStringLiteral("Here is a little description of common options:");

QStringList helpLines() {
    return FormHelp::helpText().split(QLatin1Char('\n'));
}

bool isIndented(const QString& line) {
    return line.startsWith(QLatin1Char(' '));
}

// The entries of the option list that follows `heading`, up to the next blank line.
QList<OptionEntry> optionListAfter(const QStringList& lines, const QString& heading) {
    QList<OptionEntry> entries;
    qsizetype i = lines.indexOf(heading);
    if (i < 0)
        return entries;
    for (++i; i < lines.size() && !lines[i].trimmed().isEmpty(); ++i) {
        if (!isIndented(lines[i]))
            entries.append({lines[i], {}});
        else if (!entries.isEmpty())
            entries.last().description.append(lines[i].trimmed());
    }
    return entries;
}

// Every flag named on the option lines of the help: "--binary (or --no-ascii)" names two.
QSet<QString> documentedFlags() {
    const QStringList lines = helpLines();
    QSet<QString> flags;
    static const QRegularExpression flag(QStringLiteral("(?:^|[\\s(])(--?[a-z0-9][a-z0-9-]*)"));
    for (const char* heading : {"Here is a little description of common options:",
                                "Glyphmill also passes two options that its Conversion "
                                "Options window sets:"}) {
        for (const OptionEntry& entry : optionListAfter(lines, QString::fromLatin1(heading))) {
            auto matches = flag.globalMatch(entry.option);
            while (matches.hasNext())
                flags.insert(matches.next().captured(1));
        }
    }
    return flags;
}

// Composes the command for every combination of the choices and collects the flags used.
QSet<QString> everyComposedFlag() {
    using S = ConversionSettings;
    QSet<QString> flags;
    const std::vector<std::string> files = {"picture.bmp"};
    const PathConvention convention = PathConvention::posix();
    const DirectoryTest isDirectory = [](const std::string& path) {
        return path == "/out";
    };

    // Every combination of the choices, counted in mixed radix: each choice takes the next digit.
    const char* const targets[] = {"", "/out", "/missing"};
    const int combinations = 2 * 2 * 2 * 2 * 2 * 2 * 3 * 2 * 2 * 3 * 2 * 2;
    for (int n = 0; n < combinations; ++n) {
        int rest = n;
        const auto pick = [&rest](int count) {
            const int digit = rest % count;
            rest /= count;
            return digit;
        };
        S s;
        s.outputFormat = pick(2) ? S::OutputFormat::Assembly : S::OutputFormat::Binary;
        s.colourSpace = pick(2) ? S::ColourSpace::Cry : S::ColourSpace::Rgb;
        s.colourMode = pick(2) ? S::ColourMode::ColourMap : S::ColourMode::TrueColour;
        s.trueColourBits = pick(2) ? S::TrueColourBits::Bits15 : S::TrueColourBits::Bits16;
        s.optimiseColourMap = pick(2);
        s.overwrite = pick(2);
        s.targetDir = targets[pick(3)];
        s.cryEncoding = pick(2) ? S::CryEncoding::Glass : S::CryEncoding::Normal;
        s.relativeIntensitiesOnly = pick(2);
        s.keptValues = S::KeptValues(pick(3));
        s.rotate = pick(2);
        s.cut = pick(2);
        const ComposedCommand command =
            composeCommand({s, "/opt/glyphmill", files, convention, isDirectory});
        for (const std::string& argument : command.arguments()) {
            if (argument.starts_with('-'))
                flags.insert(QString::fromStdString(argument));
        }
    }
    return flags;
}

QString sorted(const QSet<QString>& set) {
    QStringList list(set.begin(), set.end());
    list.sort();
    return list.join(QLatin1Char(' '));
}

} // namespace

class TestFormHelp : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { applyUiStyle(*qApp); }

    void windowProperties() {
        FormHelp help;
        QCOMPARE(help.objectName(), QStringLiteral("FormHelp"));
        QCOMPARE(help.windowTitle(), QStringLiteral("Glyphmill information"));
        QCOMPARE(help.size(), QSize(twipsToPixels(6150), twipsToPixels(3840)));
        QCOMPARE(help.minimumSize(), help.maximumSize());
        QVERIFY(!help.isModal());
        QVERIFY(!help.parentWidget());
        QVERIFY(!(help.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(help.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(help.testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(!help.testAttribute(Qt::WA_QuitOnClose));
    }

    void controls() {
        FormHelp help;
        auto* text = help.findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
        auto* close = help.findChild<QPushButton*>(QStringLiteral("CommandButtonClose"));
        QVERIFY(text && close);
        QCOMPARE(text->geometry(), twipsToPixels(0, 0, 6015, 3255));
        QCOMPARE(close->geometry(), twipsToPixels(2528, 3360, 1095, 375));
        QCOMPARE(close->text(), QStringLiteral("&Close"));
        QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(text->toPlainText(), FormHelp::helpText());
    }

    void tabGoesFromTheTextToTheButton() {
        FormHelp help;
        help.show();
        QApplication::setActiveWindow(&help);
        QVERIFY(QTest::qWaitForWindowActive(&help));
        auto* text = help.findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
        auto* close = help.findChild<QPushButton*>(QStringLiteral("CommandButtonClose"));
        text->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), text);
        QTest::keyClick(text, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), close);
    }

    // The text is wrapped to the window: the first line shows whole, End takes the view no
    // further right, and the text scrolls downwards only.
    void textWrapsToTheWindowAndScrollsDown() {
        FormHelp help;
        help.show();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        auto* text = help.findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
        text->setFocus();
        QTest::keyClick(text, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(text, Qt::Key_End);
        QCOMPARE(text->horizontalScrollBar()->value(), 0);
        QVERIFY(!text->horizontalScrollBar()->isVisible());
        const int room = text->viewport()->width();
        for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next()) {
            const QTextLayout* lines = block.layout();
            for (int i = 0; i < lines->lineCount(); ++i)
                QVERIFY2(lines->lineAt(i).naturalTextWidth() <= room, qPrintable(block.text()));
        }
        QVERIFY(text->verticalScrollBar()->maximum() > 0);
        QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(text->verticalScrollBar()->value(), text->verticalScrollBar()->maximum());
    }

    void typingChangesNothing() {
        FormHelp help;
        help.show();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        auto* text = help.findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
        const QString before = text->toPlainText();
        text->setFocus();
        QTest::keyClicks(text, QStringLiteral("typed"));
        QTest::keyClick(text, Qt::Key_Backspace);
        QTest::keyClick(text, Qt::Key_Delete);
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(text->toPlainText(), before);
        QVERIFY(help.isVisible());
    }

    void closeButtonClosesTheWindow() {
        QPointer<FormHelp> help = new FormHelp;
        help->show();
        QVERIFY(QTest::qWaitForWindowExposed(help));
        QTest::mouseClick(help->findChild<QPushButton*>(QStringLiteral("CommandButtonClose")),
                          Qt::LeftButton);
        QTRY_VERIFY(help.isNull());
    }

    void textComesFromTheResource() {
        const QString text = FormHelp::helpText();
        QVERIFY2(text.contains(kListHeading), "the help resource was not loaded");
        QVERIFY(!text.contains(QLatin1Char('\r')));
    }

    void quotedPassagesInOrder() {
        const QString text = FormHelp::helpText();
        const QStringList passages = {
            "\nThe output format are RGB16, CRY16 or CLUT images (with RGB16 or CRY16\nCLUT).\n",
            " GIF,\nJPEG, PNG, TIFF, BMP, PPM, XPM, PS.\n",
            "\nYou can chose either to export an assembly file (composed of dc\n"
            "directives) or a binary file (that you can include with incbin).\n",
            "\n./rastix.opt --target-dir tmp loomers.bmp -cry tessera.tiff -rgb\n"
            "--no-ascii 1.gif 2.gif\n",
            "loomers.s, tessera.s, 1.rgb and\n2.rgb",
            "\nTo have a full list of option, type:\n./rastix.opt --help\n",
            "\n" + kListHeading + "\n-rgb\n",
        };
        qsizetype from = 0;
        for (const QString& passage : passages) {
            const qsizetype at = text.indexOf(passage, from);
            QVERIFY2(at >= 0, qPrintable(QStringLiteral("missing or out of order: ") + passage));
            from = at + passage.size();
        }
    }

    void optionListAsStored() {
        const QStringList lines = helpLines();
        const QList<OptionEntry> entries = optionListAfter(lines, kListHeading);
        QCOMPARE(entries.size(), kCommonOptions.size());
        for (qsizetype i = 0; i < entries.size(); ++i) {
            QCOMPARE(entries[i].option, kCommonOptions[i].option);
            QCOMPARE(entries[i].description, kCommonOptions[i].description);
        }
    }

    void descriptionsIndentedByThreeOrFourBlanks() {
        const QStringList lines = helpLines();
        qsizetype i = lines.indexOf(kListHeading);
        QVERIFY(i >= 0);
        QSet<int> indents;
        for (++i; i < lines.size() && !lines[i].isEmpty(); ++i) {
            if (!isIndented(lines[i]))
                continue;
            const int indent = int(lines[i].size() - lines[i].trimmed().size());
            QVERIFY2(indent == 3 || indent == 4, qPrintable(lines[i]));
            indents.insert(indent);
        }
        QCOMPARE(indents, (QSet<int>{3, 4}));
    }

    void everyComposedFlagIsDocumented() {
        const QSet<QString> composed = everyComposedFlag();
        const QSet<QString> documented = documentedFlags();
        QCOMPARE(sorted(composed), sorted(kComposerFlags));
        const QSet<QString> undocumented = composed - documented;
        QVERIFY2(undocumented.isEmpty(), qPrintable(sorted(undocumented)));
    }

    void everyDocumentedFlagIsComposedOrTheConvertersOwn() {
        const QSet<QString> documented = documentedFlags();
        QCOMPARE(sorted(documented - kComposerFlags), sorted(kConverterOnlyFlags));
    }

    void noWebAddressesOrMailAddresses() {
        const QString text = FormHelp::helpText();
        for (const char* marker : {"http", "www.", "://", "@", ".org", ".com", ".net"})
            QVERIFY2(!text.contains(QLatin1String(marker), Qt::CaseInsensitive), marker);
    }
};

QTEST_MAIN(TestFormHelp)
#include "test_formhelp.moc"
