#include "options/frmoptions.h"
#include "testwindows.h"
#include "uistyle.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace glyphmill;

namespace {

// Stands in for the main window: counts refreshes and answers the two questions.
class FakeHost : public OptionsHost {
public:
    void Refresh_cmd() override { ++refreshes; }
    void Should_Unload_Cancel(bool& cancel) const override {
        ++unloadQuestions;
        cancel = !unloading;
    }
    bool isCrySelected() const override { return cry; }
    bool isColourMapSelected() const override { return false; }

    int refreshes = 0;
    mutable int unloadQuestions = 0;
    bool unloading = false;
    bool cry = false;
};

QColor base(const QWidget* w) {
    return w->palette().color(QPalette::Base);
}

} // namespace

class TestFrmOptions : public QObject {
    Q_OBJECT

private:
    FakeHost m_host;
    std::unique_ptr<FrmOptions> m_dialog;

    template <typename T> T* child(const char* name) const {
        return namedChild<T>(*m_dialog, name);
    }
    QLineEdit* field(const char* name) const { return child<QLineEdit>(name); }

    // Shows the dialog active with the rotation and the cut switched on, so every number field
    // can take the focus.
    bool showWithFieldsEnabled() {
        child<QCheckBox>("CheckRotate")->setChecked(true);
        child<QCheckBox>("CheckCut")->setChecked(true);
        m_dialog->show();
        m_dialog->activateWindow();
        return QTest::qWaitForWindowActive(m_dialog.get());
    }

    // Gives `edit` the focus and types `text` into it, as a user would.
    static void typeInto(QLineEdit* edit, const QString& text) {
        edit->setFocus(Qt::TabFocusReason);
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, text);
    }

private slots:
    void initTestCase() { applyUiStyle(*qApp); }

    void init() {
        m_host = FakeHost{};
        m_dialog = std::make_unique<FrmOptions>(m_host);
        m_dialog->load();
    }

    void cleanup() { m_dialog.reset(); }

    void windowAndControls() {
        QCOMPARE(m_dialog->objectName(), QStringLiteral("frmOptions"));
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Conversion Options"));
        QCOMPARE(m_dialog->minimumSize(), m_dialog->maximumSize());
        QVERIFY(!(m_dialog->windowFlags() & Qt::WindowMaximizeButtonHint));

        const QList<QPair<const char*, const char*>> captions = {
            {"OptionNormal", "&Normal CRY values"},
            {"OptionGlass", "Relative CRY values (&glass)"},
            {"OptionPositive", "Keep only &positive values (light sources)"},
            {"OptionNegative", "Keep only &negative values (shadows)"},
            {"OptionBoth", "Keep &both positive and negative values"},
            {"CheckGray", "Relative &intensities only"},
            {"CheckRotate", "&Rotate by"},
            {"CheckCut", "Only convert &frame defined by"},
            {"CommandApply", "&Apply"},
            {"CommandClose", "&Close"},
        };
        for (const auto& [name, caption] : captions)
            QCOMPARE(child<QAbstractButton>(name)->text(), QString::fromLatin1(caption));
        const QList<QPair<const char*, const char*>> frames = {
            {"Frame3", "CRY Options"},       {"Frame11", ""},
            {"Frame4", "Transform Options"}, {"Frame1", "Top-left corner coordinates"},
            {"Frame2", "Frame size"},
        };
        for (const auto& [name, title] : frames)
            QCOMPARE(child<QGroupBox>(name)->title(), QString::fromLatin1(title));
        const QList<QPair<const char*, const char*>> labels = {
            {"Label6", " (only if CRY ouput selected!)"},
            {"Label1", "degrees (0-360)"},
            {"Label2", "X:"},
            {"Label3", "Y:"},
            {"Label4", "Width:"},
            {"Label5", "Height:"},
        };
        for (const auto& [name, text] : labels)
            QCOMPARE(child<QLabel>(name)->text(), QString::fromLatin1(text));
        QCOMPARE(field("RotateDegrees")->text(), QStringLiteral("0"));
        QCOMPARE(field("CutCoordX")->text(), QStringLiteral("0"));
        QCOMPARE(field("CutCoordY")->text(), QStringLiteral("0"));
        QCOMPARE(field("CutFrameWidth")->text(), QStringLiteral("1"));
        QCOMPARE(field("CutFrameHeight")->text(), QStringLiteral("1"));

        QVERIFY(child<QRadioButton>("OptionNormal")->isChecked());
        QVERIFY(child<QRadioButton>("OptionPositive")->isChecked());
        QVERIFY(!child<QCheckBox>("CheckGray")->isChecked());
        QVERIFY(!child<QCheckBox>("CheckRotate")->isChecked());
        QVERIFY(!child<QCheckBox>("CheckCut")->isChecked());

        QCOMPARE(m_dialog->focusColour(), QColor(0xFF, 0xFF, 0xC8));
        QCOMPARE(m_dialog->errorColour(), QColor(0xFF, 0x80, 0x80));
        // Greyed at load, so its own (not its disabled) background is the normal colour.
        QCOMPARE(m_dialog->normalColour(),
                 field("RotateDegrees")->palette().color(QPalette::Active, QPalette::Base));
        QVERIFY(m_dialog->normalColour() != m_dialog->focusColour());
    }

    void everyCaptionFits() {
        m_dialog->show();
        for (QAbstractButton* b : m_dialog->findChildren<QAbstractButton*>())
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->objectName()));
        for (QLabel* l : m_dialog->findChildren<QLabel*>())
            QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(l->objectName()));
    }

    void loadRefreshesBothPanels() { QCOMPARE(m_host.refreshes, 2); }

    void twoSeparateExclusiveGroups() {
        m_host.cry = true;
        m_dialog->Refresh_CRY_panel();
        child<QRadioButton>("OptionGlass")->click();
        child<QRadioButton>("OptionNegative")->click();
        QVERIFY(child<QRadioButton>("OptionGlass")->isChecked());
        QVERIFY(!child<QRadioButton>("OptionNormal")->isChecked());
        QVERIFY(child<QRadioButton>("OptionNegative")->isChecked());
        QVERIFY(!child<QRadioButton>("OptionPositive")->isChecked());
        child<QRadioButton>("OptionNormal")->click();
        QVERIFY(child<QRadioButton>("OptionNegative")->isChecked());
    }

    void cryPanelStates() {
        auto* normal = child<QRadioButton>("OptionNormal");
        auto* glass = child<QRadioButton>("OptionGlass");
        auto* label = child<QLabel>("Label6");
        const QList<QWidget*> relative = {
            child<QCheckBox>("CheckGray"), child<QRadioButton>("OptionPositive"),
            child<QRadioButton>("OptionNegative"), child<QRadioButton>("OptionBoth")};
        m_dialog->show();
        const auto enabledCount = [&relative] {
            return std::count_if(relative.begin(), relative.end(),
                                 [](QWidget* w) { return w->isEnabled(); });
        };

        // RGB output: everything greyed, the note shown.
        QVERIFY(!normal->isEnabled() && !glass->isEnabled());
        QCOMPARE(enabledCount(), 0);
        QVERIFY(label->isVisible());

        // CRY with normal values: the encoding buttons come alive, the keep choices do not.
        m_host.cry = true;
        const int before = m_host.refreshes;
        m_dialog->Refresh_CRY_panel();
        QCOMPARE(m_host.refreshes, before + 1);
        QVERIFY(normal->isEnabled() && glass->isEnabled());
        QVERIFY(label->isHidden());
        QCOMPARE(enabledCount(), 0);

        // Relative values: all of them.
        glass->click();
        QCOMPARE(enabledCount(), 4);
        QCOMPARE(m_host.refreshes, before + 2);

        // Back to RGB: all six greyed, the selection kept; back to CRY: enabled again.
        m_host.cry = false;
        m_dialog->Refresh_CRY_panel();
        QVERIFY(!normal->isEnabled() && !glass->isEnabled());
        QCOMPARE(enabledCount(), 0);
        QVERIFY(glass->isChecked());
        QVERIFY(label->isVisible());
        m_host.cry = true;
        m_dialog->Refresh_CRY_panel();
        QCOMPARE(enabledCount(), 4);
    }

    void keepChoicesAndGrayRefresh() {
        m_host.cry = true;
        m_dialog->Refresh_CRY_panel();
        child<QRadioButton>("OptionGlass")->click();
        const int before = m_host.refreshes;
        child<QRadioButton>("OptionBoth")->click();
        child<QCheckBox>("CheckGray")->click();
        QCOMPARE(m_host.refreshes, before + 2);

        ConversionSettings s;
        m_dialog->readSettings(s);
        QCOMPARE(s.cryEncoding, ConversionSettings::CryEncoding::Glass);
        QCOMPARE(s.keptValues, ConversionSettings::KeptValues::Both);
        QVERIFY(s.relativeIntensitiesOnly);
    }

    void transformPanelGreysButKeepsTexts() {
        const QStringList cutNames = {"Frame1",    "Label2",        "CutCoordX", "Label3",
                                      "CutCoordY", "Frame2",        "Label4",    "CutFrameWidth",
                                      "Label5",    "CutFrameHeight"};
        const auto cutEnabled = [&] {
            int n = 0;
            for (const QString& name : cutNames)
                n += m_dialog->findChild<QWidget*>(name)->isEnabled() ? 1 : 0;
            return n;
        };
        QCOMPARE(cutEnabled(), 0);
        QVERIFY(!field("RotateDegrees")->isEnabled());
        QVERIFY(!child<QLabel>("Label1")->isEnabled());

        child<QCheckBox>("CheckCut")->click();
        QCOMPARE(cutEnabled(), 10);
        field("CutCoordX")->setText(QStringLiteral("10"));
        field("CutFrameWidth")->setText(QStringLiteral("32"));
        child<QCheckBox>("CheckCut")->click();
        QCOMPARE(cutEnabled(), 0);
        QCOMPARE(field("CutCoordX")->text(), QStringLiteral("10"));
        QCOMPARE(field("CutFrameWidth")->text(), QStringLiteral("32"));

        const int before = m_host.refreshes;
        child<QCheckBox>("CheckRotate")->click();
        QVERIFY(field("RotateDegrees")->isEnabled());
        QVERIFY(child<QLabel>("Label1")->isEnabled());
        QCOMPARE(m_host.refreshes, before + 1);

        ConversionSettings s;
        m_dialog->readSettings(s);
        QVERIFY(s.rotate);
        QVERIFY(!s.cut);
        QCOMPARE(s.cutX, std::string("10"));
        QCOMPARE(s.cutWidth, std::string("32"));
    }

    void focusColourWhileEditing() {
        QVERIFY(showWithFieldsEnabled());
        QLineEdit* rotate = field("RotateDegrees");
        rotate->setFocus(Qt::TabFocusReason);
        QCOMPARE(base(rotate), m_dialog->focusColour());
        QTest::keyClick(rotate, Qt::Key_Tab);
        QVERIFY(!rotate->hasFocus());
        QCOMPARE(base(rotate), m_dialog->normalColour());
    }

    void nonCanonicalTextIsRejectedOnceThenAccepted_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("007") << "RotateDegrees"
                             << "007"
                             << "7";
        QTest::newRow("+5") << "RotateDegrees"
                            << "+5"
                            << "5";
        QTest::newRow("5.0") << "CutCoordY"
                             << "5.0"
                             << "5";
        QTest::newRow("blank 5") << "CutCoordX"
                                 << " 5"
                                 << "5";
        QTest::newRow("&H10") << "CutFrameWidth"
                              << "&H10"
                              << "16";
        QTest::newRow("12abc") << "CutFrameHeight"
                               << "12abc"
                               << "12";
        QTest::newRow("3.5") << "RotateDegrees"
                             << "3.5"
                             << "4";
        QTest::newRow("empty") << "RotateDegrees"
                               << ""
                               << "0";
    }

    void nonCanonicalTextIsRejectedOnceThenAccepted() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QVERIFY(showWithFieldsEnabled());
        QLineEdit* edit = field(qPrintable(name));
        typeInto(edit, typed);
        QCOMPARE(edit->text(), typed);
        const int before = m_host.refreshes;

        QTest::keyClick(edit, Qt::Key_Tab);
        QCOMPARE(edit->text(), shown);
        QVERIFY(edit->hasFocus());
        QCOMPARE(base(edit), m_dialog->errorColour());
        QCOMPARE(m_host.refreshes, before);

        QTest::keyClick(edit, Qt::Key_Tab);
        QVERIFY(!edit->hasFocus());
        QCOMPARE(edit->text(), shown);
        QCOMPARE(base(edit), m_dialog->normalColour());
        QCOMPARE(m_host.refreshes, before + 1);
    }

    void belowTheBoundKeepsFailing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("negative x") << "CutCoordX"
                                    << "-5"
                                    << "-5";
        QTest::newRow("negative rotation") << "RotateDegrees"
                                           << "-90"
                                           << "-90";
        QTest::newRow("zero width") << "CutFrameWidth"
                                    << "0"
                                    << "0";
        QTest::newRow("empty height") << "CutFrameHeight"
                                      << ""
                                      << "0";
        QTest::newRow("twelve nines") << "CutCoordY"
                                      << "999999999999"
                                      << "999999999999";
    }

    void belowTheBoundKeepsFailing() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QVERIFY(showWithFieldsEnabled());
        QLineEdit* edit = field(qPrintable(name));
        typeInto(edit, typed);
        for (int attempt = 0; attempt < 2; ++attempt) {
            QTest::keyClick(edit, Qt::Key_Tab);
            QCOMPARE(edit->text(), shown);
            QVERIFY(edit->hasFocus());
            QCOMPARE(base(edit), m_dialog->errorColour());
        }
        // Mending the text lets the focus go.
        typeInto(edit, QStringLiteral("2"));
        QTest::keyClick(edit, Qt::Key_Tab);
        QVERIFY(!edit->hasFocus());
        QCOMPARE(base(edit), m_dialog->normalColour());
    }

    // The new number fields take the transform fields' check, with an upper bound as well.
    void featureNumberFieldsKeepToTheConvertersRange_data() {
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("256 colours") << "CheckColours"
                                     << "TextColours"
                                     << "256" << true;
        QTest::newRow("257 colours") << "CheckColours"
                                     << "TextColours"
                                     << "257" << false;
        QTest::newRow("1 colour") << "CheckColours"
                                  << "TextColours"
                                  << "1" << false;
        QTest::newRow("bank 127") << "CheckBank"
                                  << "TextBank"
                                  << "127" << true;
        QTest::newRow("bank 128") << "CheckBank"
                                  << "TextBank"
                                  << "128" << false;
    }

    void featureNumberFieldsKeepToTheConvertersRange() {
        QFETCH(QString, check);
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        // The palette choices are greyed without a colour map; the check does not depend on it.
        child<QWidget>("FrameMap")->setEnabled(true);
        child<QCheckBox>(check.toLatin1().constData())->setChecked(true);
        m_dialog->show();
        m_dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
        QLineEdit* edit = field(name.toLatin1().constData());
        typeInto(edit, typed);
        QTest::keyClick(edit, Qt::Key_Tab);
        QCOMPARE(edit->hasFocus(), !accepted);
        QCOMPARE(base(edit) == m_dialog->errorColour(), !accepted);
    }

    void largeRotationsAreAccepted() {
        QVERIFY(showWithFieldsEnabled());
        QLineEdit* rotate = field("RotateDegrees");
        for (const QString& text : {QStringLiteral("360"), QStringLiteral("400")}) {
            typeInto(rotate, text);
            QTest::keyClick(rotate, Qt::Key_Tab);
            QVERIFY2(!rotate->hasFocus(), qPrintable(text));
            QCOMPARE(rotate->text(), text);
        }
    }

    void clickOnAnotherControlChecksAndIsSwallowedWhenRejected() {
        QVERIFY(showWithFieldsEnabled());
        QLineEdit* x = field("CutCoordX");
        auto* cut = child<QCheckBox>("CheckCut");
        typeInto(x, QStringLiteral("007"));
        QTest::mouseClick(cut, Qt::LeftButton);
        QVERIFY(x->hasFocus());
        QVERIFY2(cut->isChecked(), "the click that was refused must not toggle the check box");
        QCOMPARE(x->text(), QStringLiteral("7"));
        QCOMPARE(base(x), m_dialog->errorColour());

        // Clicking another number field is no way out either, and does not check that one.
        QLineEdit* y = field("CutCoordY");
        y->setText(QStringLiteral("08"));
        typeInto(x, QStringLiteral("-1"));
        QTest::mouseClick(y, Qt::LeftButton);
        QVERIFY(x->hasFocus());
        QCOMPARE(y->text(), QStringLiteral("08"));

        // Once accepted, the click goes through.
        typeInto(x, QStringLiteral("7"));
        QTest::mouseClick(cut, Qt::LeftButton);
        QVERIFY(!x->hasFocus());
        QVERIFY(!cut->isChecked());
    }

    void applyAndCloseButtonsCheckThePendingField() {
        QVERIFY(showWithFieldsEnabled());
        QLineEdit* rotate = field("RotateDegrees");
        auto* close = child<QPushButton>("CommandClose");
        auto* apply = child<QPushButton>("CommandApply");

        typeInto(rotate, QStringLiteral("45x"));
        QTest::mouseClick(close, Qt::LeftButton);
        QVERIFY(m_dialog->isVisible());
        QVERIFY(rotate->hasFocus());
        QCOMPARE(rotate->text(), QStringLiteral("45"));

        // The accelerator of Close is refused the same way.
        typeInto(rotate, QStringLiteral("45y"));
        QTest::keyClick(rotate, Qt::Key_C, Qt::AltModifier);
        QVERIFY(m_dialog->isVisible());
        QVERIFY(rotate->hasFocus());
        QCOMPARE(base(rotate), m_dialog->errorColour());

        const int before = m_host.refreshes;
        QTest::mouseClick(apply, Qt::LeftButton);
        QVERIFY(apply->hasFocus());
        QCOMPARE(m_host.refreshes, before + 1);
        QVERIFY(m_dialog->isVisible());

        QTest::mouseClick(close, Qt::LeftButton);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_host.refreshes, before + 2);
    }

    void acceleratorsActOnceTheFieldPasses() {
        QVERIFY(showWithFieldsEnabled());
        QLineEdit* rotate = field("RotateDegrees");
        auto* cut = child<QCheckBox>("CheckCut");
        typeInto(rotate, QStringLiteral("12abc"));
        QTest::keyClick(rotate, Qt::Key_F, Qt::AltModifier);
        QVERIFY(rotate->hasFocus());
        QVERIFY(cut->isChecked());
        QCOMPARE(rotate->text(), QStringLiteral("12"));

        // The second leave passes: the accelerator moves the focus and toggles the box.
        QTest::keyClick(rotate, Qt::Key_F, Qt::AltModifier);
        QVERIFY(cut->hasFocus());
        QTRY_VERIFY(!cut->isChecked());
        QCOMPARE(base(rotate), m_dialog->normalColour());

        QTest::keyClick(cut, Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!m_dialog->isVisible());
    }

    void activatingAnotherWindowDoesNotCheck() {
        QVERIFY(showWithFieldsEnabled());
        QLineEdit* rotate = field("RotateDegrees");
        typeInto(rotate, QStringLiteral("007"));
        QWidget other;
        other.setFocusPolicy(Qt::StrongFocus);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        other.setFocus();
        QCOMPARE(rotate->text(), QStringLiteral("007"));
        QVERIFY(base(rotate) != m_dialog->errorColour());
        QCOMPARE(m_dialog->focusWidget(), rotate);
    }

    void closeRequestChecksThenHides() {
        QVERIFY(showWithFieldsEnabled());
        QLineEdit* width = field("CutFrameWidth");
        typeInto(width, QStringLiteral("0"));
        m_dialog->close();
        QVERIFY2(m_dialog->isVisible(), "a failing field keeps the dialog open");
        QCOMPARE(base(width), m_dialog->errorColour());
        QCOMPARE(m_host.unloadQuestions, 1);

        typeInto(width, QStringLiteral("64"));
        const int before = m_host.refreshes;
        m_dialog->close();
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_host.refreshes, before + 2); // the accepted field, then the close
        QCOMPARE(width->text(), QStringLiteral("64"));

        // Shown again: the same values.
        m_dialog->show();
        QCOMPARE(width->text(), QStringLiteral("64"));
        QVERIFY(child<QCheckBox>("CheckCut")->isChecked());
    }

    void closeWhileOwnerShutsDownIsFinal() {
        QVERIFY(showWithFieldsEnabled());
        typeInto(field("RotateDegrees"), QStringLiteral("bad"));
        m_host.unloading = true;
        const int before = m_host.refreshes;
        QVERIFY(m_dialog->close());
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_host.refreshes, before);
    }
};

QTEST_MAIN(TestFrmOptions)
#include "test_frmoptions.moc"
