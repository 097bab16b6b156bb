#pragma once

#include "conversionsettings.h"

#include <QColor>
#include <QWidget>

#include <array>
#include <cstdint>
#include <limits>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace glyphmill {

// What the options dialog needs from the window that owns it.
class OptionsHost {
public:
    virtual ~OptionsHost() = default;
    virtual void Refresh_cmd() = 0;
    // Sets `cancel` unless the owner itself is shutting down.
    virtual void Should_Unload_Cancel(bool& cancel) const = 0;
    virtual bool isCrySelected() const = 0;
    virtual bool isColourMapSelected() const = 0;
};

class ConverterFeatures;

// The conversion options dialog: CRY encoding choices and the rotate/cut transforms with their
// number fields. It lives as long as its owner; closing it only hides it, so its values stay.
//
// A number field is checked when the focus leaves it for another control of this dialog (or
// when the dialog is asked to close). A field that fails keeps the focus and turns red; the
// control the user was heading for does not get the click or the shortcut.
class FrmOptions : public QWidget {
    Q_OBJECT
public:
    explicit FrmOptions(OptionsHost& host, QWidget* parent = nullptr);
    ~FrmOptions() override;

    // Centres the dialog, takes its colours and brings both panels up to date. Not done by the
    // constructor because the panels call back into the host, which may be creating the
    // dialog from inside its own refresh.
    void load();

    void Refresh_CRY_panel();
    void Refresh_Transform_panel();
    // Greys the palette choices unless the owner asks for a colour map; the owner recomposes.
    void Refresh_Features_panel();

    // Copies the dialog's choices into `settings`; the owner's choices are left alone.
    void readSettings(ConversionSettings& settings) const;

    QColor focusColour() const { return m_focusColour; }
    QColor normalColour() const { return m_normalColour; }
    QColor errorColour() const { return m_errorColour; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct NumberField {
        QLineEdit* edit = nullptr;
        std::int32_t lowerBound = 0;
        std::int32_t upperBound = std::numeric_limits<std::int32_t>::max();
    };

    void buildLayout();
    void connectHandlers();
    const NumberField* numberField(const QObject* object) const;
    // The number field that holds this dialog's focus, if any: its check is still pending.
    const NumberField* pendingField() const;
    // Runs the pending field's check; true when there is none or it passes.
    bool validatePendingField();
    // True when the field is accepted.
    bool CheckNumberField(const NumberField& field);
    void HighlightNumberField(QLineEdit* field);
    void RestoreNumberFieldColour(QLineEdit* field);
    void setBackground(QLineEdit* field, const QColor& colour);
    void onFocusChanged(QWidget* old, QWidget* now);

    OptionsHost& m_host;
    QColor m_focusColour;
    QColor m_normalColour;
    QColor m_errorColour;

    std::array<NumberField, 7> m_numberFields{};
    // The field whose check just passed while the focus was on its way out; the focus change
    // that follows must not check it twice.
    QLineEdit* m_acceptedOnLeave = nullptr;
    // The field that failed and holds the focus in the error colour.
    QLineEdit* m_rejected = nullptr;
    // A click that moved the focus out of a failing field: the press is swallowed.
    QWidget* m_refusedTarget = nullptr;
    // Set while the focus is sent back to a failing field, which is no move to check.
    bool m_restoringFocus = false;
    QMetaObject::Connection m_focusConnection;

    QGroupBox* m_frame3 = nullptr;
    QRadioButton* m_optionNormal = nullptr;
    QRadioButton* m_optionGlass = nullptr;
    QLabel* m_label6 = nullptr;
    QGroupBox* m_frame11 = nullptr;
    QRadioButton* m_optionPositive = nullptr;
    QRadioButton* m_optionNegative = nullptr;
    QRadioButton* m_optionBoth = nullptr;
    QCheckBox* m_checkGray = nullptr;

    QGroupBox* m_frame4 = nullptr;
    QCheckBox* m_checkRotate = nullptr;
    QLineEdit* m_rotateDegrees = nullptr;
    QLabel* m_label1 = nullptr;
    QCheckBox* m_checkCut = nullptr;
    QGroupBox* m_frame1 = nullptr;
    QLabel* m_label2 = nullptr;
    QLineEdit* m_cutCoordX = nullptr;
    QLabel* m_label3 = nullptr;
    QLineEdit* m_cutCoordY = nullptr;
    QGroupBox* m_frame2 = nullptr;
    QLabel* m_label4 = nullptr;
    QLineEdit* m_cutFrameWidth = nullptr;
    QLabel* m_label5 = nullptr;
    QLineEdit* m_cutFrameHeight = nullptr;

    ConverterFeatures* m_features = nullptr;

    QPushButton* m_commandApply = nullptr;
    QPushButton* m_commandClose = nullptr;
};

} // namespace glyphmill
