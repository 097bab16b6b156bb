#include "frmoptions.h"

#include "converterfeatures.h"
#include "numberfield.h"
#include "optiongroups.h"
#include "uistyle.h"
#include "widgetmaking.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace glyphmill {

FrmOptions::FrmOptions(OptionsHost& host, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_host(host) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(tr("Conversion Options"));
    buildLayout();
    groupOptionButtons(*this);
    setFixedSize(sizeHint());
    m_numberFields = {{{m_rotateDegrees, 0},
                       {m_cutCoordX, 0},
                       {m_cutCoordY, 0},
                       {m_cutFrameWidth, 1},
                       {m_cutFrameHeight, 1},
                       {m_features->coloursField(), ConverterFeatures::kFewestColours,
                        ConverterFeatures::kMostColours},
                       {m_features->bankField(), 0, ConverterFeatures::kLastBank}}};
    connectHandlers();
}

FrmOptions::~FrmOptions() {
    // The application outlives this dialog; its focus signal must not reach a half-destroyed
    // dialog while the children go away.
    disconnect(m_focusConnection);
}

void FrmOptions::buildLayout() {
    // The converter's later features stand in a column of their own, so that the older
    // controls keep their places.
    auto* columns = new QHBoxLayout(this);
    auto* top = new QVBoxLayout;
    columns->addLayout(top);
    m_features = new ConverterFeatures(this);
    columns->addWidget(m_features);

    m_frame3 = make<QGroupBox>(this, "Frame3", tr("CRY Options"));
    auto* cry = new QGridLayout(m_frame3);
    m_optionNormal = make<QRadioButton>(m_frame3, "OptionNormal", tr("&Normal CRY values"));
    m_optionNormal->setChecked(true);
    m_optionGlass = make<QRadioButton>(m_frame3, "OptionGlass", tr("Relative CRY values (&glass)"));
    m_label6 = make<QLabel>(m_frame3, "Label6", tr(" (only if CRY ouput selected!)"));
    // The note comes and goes with the colour space; the layout must not jump when it does.
    QSizePolicy keepSpace = m_label6->sizePolicy();
    keepSpace.setRetainSizeWhenHidden(true);
    m_label6->setSizePolicy(keepSpace);
    m_frame11 = make<QGroupBox>(m_frame3, "Frame11");
    auto* keep = new QVBoxLayout(m_frame11);
    m_optionPositive = make<QRadioButton>(m_frame11, "OptionPositive",
                                          tr("Keep only &positive values (light sources)"));
    m_optionPositive->setChecked(true);
    m_optionNegative =
        make<QRadioButton>(m_frame11, "OptionNegative", tr("Keep only &negative values (shadows)"));
    m_optionBoth =
        make<QRadioButton>(m_frame11, "OptionBoth", tr("Keep &both positive and negative values"));
    m_checkGray = make<QCheckBox>(m_frame11, "CheckGray", tr("Relative &intensities only"));
    keep->addWidget(m_optionPositive);
    keep->addWidget(m_optionNegative);
    keep->addWidget(m_optionBoth);
    keep->addWidget(m_checkGray);
    cry->addWidget(m_optionNormal, 0, 0);
    cry->addWidget(m_label6, 0, 1, Qt::AlignRight);
    cry->addWidget(m_optionGlass, 1, 0, 1, 2);
    cry->addWidget(m_frame11, 2, 0, 1, 2);
    top->addWidget(m_frame3);

    m_frame4 = make<QGroupBox>(this, "Frame4", tr("Transform Options"));
    auto* transform = new QVBoxLayout(m_frame4);
    auto* rotateRow = new QHBoxLayout;
    m_checkRotate = make<QCheckBox>(m_frame4, "CheckRotate", tr("&Rotate by"));
    m_rotateDegrees = makeNumberField(m_frame4, "RotateDegrees", QStringLiteral("0"));
    m_label1 = make<QLabel>(m_frame4, "Label1", tr("degrees (0-360)"));
    rotateRow->addWidget(m_checkRotate);
    rotateRow->addWidget(m_rotateDegrees);
    rotateRow->addWidget(m_label1);
    rotateRow->addStretch();
    transform->addLayout(rotateRow);

    m_checkCut = make<QCheckBox>(m_frame4, "CheckCut", tr("Only convert &frame defined by"));
    transform->addWidget(m_checkCut);

    auto* frames = new QHBoxLayout;
    m_frame1 = make<QGroupBox>(m_frame4, "Frame1", tr("Top-left corner coordinates"));
    auto* corner = new QGridLayout(m_frame1);
    m_label2 = make<QLabel>(m_frame1, "Label2", tr("X:"));
    m_cutCoordX = makeNumberField(m_frame1, "CutCoordX", QStringLiteral("0"));
    m_label3 = make<QLabel>(m_frame1, "Label3", tr("Y:"));
    m_cutCoordY = makeNumberField(m_frame1, "CutCoordY", QStringLiteral("0"));
    corner->addWidget(m_label2, 0, 0);
    corner->addWidget(m_cutCoordX, 0, 1);
    corner->addWidget(m_label3, 1, 0);
    corner->addWidget(m_cutCoordY, 1, 1);
    m_frame2 = make<QGroupBox>(m_frame4, "Frame2", tr("Frame size"));
    auto* size = new QGridLayout(m_frame2);
    m_label4 = make<QLabel>(m_frame2, "Label4", tr("Width:"));
    m_cutFrameWidth = makeNumberField(m_frame2, "CutFrameWidth", QStringLiteral("1"));
    m_label5 = make<QLabel>(m_frame2, "Label5", tr("Height:"));
    m_cutFrameHeight = makeNumberField(m_frame2, "CutFrameHeight", QStringLiteral("1"));
    size->addWidget(m_label4, 0, 0);
    size->addWidget(m_cutFrameWidth, 0, 1);
    size->addWidget(m_label5, 1, 0);
    size->addWidget(m_cutFrameHeight, 1, 1);
    frames->addWidget(m_frame1);
    frames->addWidget(m_frame2);
    transform->addLayout(frames);
    top->addWidget(m_frame4);

    auto* buttons = new QHBoxLayout;
    m_commandApply = make<QPushButton>(this, "CommandApply", tr("&Apply"));
    m_commandClose = make<QPushButton>(this, "CommandClose", tr("&Close"));
    buttons->addStretch();
    buttons->addWidget(m_commandApply);
    buttons->addWidget(m_commandClose);
    top->addLayout(buttons);
    top->addStretch();

    const QList<QWidget*> order =
        QList<QWidget*>{
            m_optionNormal, m_optionGlass,   m_optionPositive, m_optionNegative, m_optionBoth,
            m_checkGray,    m_checkRotate,   m_rotateDegrees,  m_checkCut,       m_cutCoordX,
            m_cutCoordY,    m_cutFrameWidth, m_cutFrameHeight,
        } +
        m_features->tabOrder() + QList<QWidget*>{m_commandApply, m_commandClose};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void FrmOptions::connectHandlers() {
    const auto whenSelected = [this](QRadioButton* button, auto handler) {
        connect(button, &QRadioButton::toggled, this, [handler](bool checked) {
            if (checked)
                handler();
        });
    };
    whenSelected(m_optionNormal, [this] { Refresh_CRY_panel(); });
    whenSelected(m_optionGlass, [this] { Refresh_CRY_panel(); });
    for (QRadioButton* keep : {m_optionPositive, m_optionNegative, m_optionBoth})
        whenSelected(keep, [this] { m_host.Refresh_cmd(); });
    connect(m_checkGray, &QCheckBox::toggled, this, [this] { m_host.Refresh_cmd(); });
    connect(m_checkRotate, &QCheckBox::toggled, this, [this] { Refresh_Transform_panel(); });
    connect(m_checkCut, &QCheckBox::toggled, this, [this] { Refresh_Transform_panel(); });
    connect(m_features, &ConverterFeatures::changed, this, [this] { m_host.Refresh_cmd(); });
    // Apply has nothing of its own to do: taking the focus already checked the field left.
    connect(m_commandClose, &QPushButton::clicked, this, [this] {
        m_host.Refresh_cmd();
        hide();
    });

    const QList<QWidget*> children = findChildren<QWidget*>();
    for (QWidget* child : children)
        child->installEventFilter(this);
    m_focusConnection = connect(qApp, &QApplication::focusChanged, this,
                                [this](QWidget* old, QWidget* now) { onFocusChanged(old, now); });
}

void FrmOptions::load() {
    centreOnScreen(*this);
    m_focusColour = QColor(255, 255, 200);
    m_normalColour = m_rotateDegrees->palette().color(QPalette::Base);
    m_errorColour = QColor(255, 128, 128);
    Refresh_Features_panel();
    Refresh_Transform_panel();
    Refresh_CRY_panel();
}

void FrmOptions::Refresh_CRY_panel() {
    const bool cry = m_host.isCrySelected();
    m_optionNormal->setEnabled(cry);
    m_label6->setEnabled(cry);
    m_label6->setVisible(!cry);
    m_optionGlass->setEnabled(cry);
    const bool relative = cry && m_optionGlass->isChecked();
    m_checkGray->setEnabled(relative);
    m_optionPositive->setEnabled(relative);
    m_optionNegative->setEnabled(relative);
    m_optionBoth->setEnabled(relative);
    m_host.Refresh_cmd();
}

void FrmOptions::Refresh_Features_panel() {
    m_features->Refresh_Features_panel(m_host.isColourMapSelected());
}

void FrmOptions::Refresh_Transform_panel() {
    const bool rotate = m_checkRotate->checkState() != Qt::Unchecked;
    m_rotateDegrees->setEnabled(rotate);
    m_label1->setEnabled(rotate);
    const bool cut = m_checkCut->checkState() != Qt::Unchecked;
    for (QWidget* widget :
         {static_cast<QWidget*>(m_frame1), static_cast<QWidget*>(m_label2),
          static_cast<QWidget*>(m_cutCoordX), static_cast<QWidget*>(m_label3),
          static_cast<QWidget*>(m_cutCoordY), static_cast<QWidget*>(m_frame2),
          static_cast<QWidget*>(m_label4), static_cast<QWidget*>(m_cutFrameWidth),
          static_cast<QWidget*>(m_label5), static_cast<QWidget*>(m_cutFrameHeight)})
        widget->setEnabled(cut);
    m_host.Refresh_cmd();
}

void FrmOptions::readSettings(ConversionSettings& s) const {
    using S = ConversionSettings;
    s.cryEncoding = m_optionGlass->isChecked() ? S::CryEncoding::Glass : S::CryEncoding::Normal;
    s.relativeIntensitiesOnly = m_checkGray->isChecked();
    s.keptValues = m_optionNegative->isChecked() ? S::KeptValues::Negative
                   : m_optionBoth->isChecked()   ? S::KeptValues::Both
                                                 : S::KeptValues::Positive;
    s.rotate = m_checkRotate->checkState() != Qt::Unchecked;
    s.rotateDegrees = m_rotateDegrees->text().toStdString();
    s.cut = m_checkCut->checkState() != Qt::Unchecked;
    s.cutX = m_cutCoordX->text().toStdString();
    s.cutY = m_cutCoordY->text().toStdString();
    s.cutWidth = m_cutFrameWidth->text().toStdString();
    s.cutHeight = m_cutFrameHeight->text().toStdString();
    m_features->readSettings(s);
}

void FrmOptions::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    m_host.Should_Unload_Cancel(cancel);
    if (!cancel) {
        // The owner is shutting down: let the dialog go for good.
        event->accept();
        return;
    }
    event->ignore();
    // A field that fails its check keeps the dialog open, so the text is not lost from view.
    if (!validatePendingField())
        return;
    m_host.Refresh_cmd();
    hide();
}

const FrmOptions::NumberField* FrmOptions::numberField(const QObject* object) const {
    for (const NumberField& field : m_numberFields) {
        if (field.edit == object)
            return &field;
    }
    return nullptr;
}

const FrmOptions::NumberField* FrmOptions::pendingField() const {
    return numberField(focusWidget());
}

bool FrmOptions::validatePendingField() {
    const NumberField* field = pendingField();
    return !field || CheckNumberField(*field);
}

bool FrmOptions::CheckNumberField(const NumberField& field) {
    const QString typed = field.edit->text();
    const NumberFieldVerdict verdict =
        glyphmill::CheckNumberField(typed.toStdString(), field.lowerBound, field.upperBound);
    const QString text = QString::fromStdString(verdict.text);
    if (text != typed)
        field.edit->setText(text);
    if (verdict.accepted) {
        if (m_rejected == field.edit)
            m_rejected = nullptr;
        m_host.Refresh_cmd();
        return true;
    }
    m_rejected = field.edit;
    setBackground(field.edit, m_errorColour);
    return false;
}

void FrmOptions::HighlightNumberField(QLineEdit* field) {
    setBackground(field, m_focusColour);
}

void FrmOptions::RestoreNumberFieldColour(QLineEdit* field) {
    setBackground(field, m_normalColour);
}

void FrmOptions::setBackground(QLineEdit* field, const QColor& colour) {
    if (!colour.isValid())
        return;
    // Active and inactive only: a greyed field keeps the style's disabled look.
    QPalette palette = field->palette();
    palette.setColor(QPalette::Active, QPalette::Base, colour);
    palette.setColor(QPalette::Inactive, QPalette::Base, colour);
    field->setPalette(palette);
}

void FrmOptions::onFocusChanged(QWidget* old, QWidget* now) {
    const NumberField* field = numberField(old);
    // Only a move to another control of this dialog checks the field: switching to another
    // window leaves it as it is.
    if (m_restoringFocus || !field || !now || now->window() != this || numberField(now) == field)
        return;
    if (m_acceptedOnLeave == old) {
        m_acceptedOnLeave = nullptr;
        return;
    }
    if (CheckNumberField(*field))
        return;
    // Failed: the focus goes back, and a mouse press that caused the move must not act.
    m_refusedTarget = now;
    m_restoringFocus = true;
    field->edit->setFocus(Qt::OtherFocusReason);
    m_restoringFocus = false;
}

bool FrmOptions::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusIn:
        if (const NumberField* field = numberField(watched)) {
            m_acceptedOnLeave = nullptr;
            if (field->edit != m_rejected)
                HighlightNumberField(field->edit);
        }
        break;
    case QEvent::FocusOut:
        if (const NumberField* field = numberField(watched)) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                RestoreNumberFieldColour(field->edit);
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // The press already moved the focus (and had it refused) before it reached the
        // control: swallow it so that the control does not act.
        if (m_refusedTarget && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            const bool refused = widget == m_refusedTarget || m_refusedTarget->isAncestorOf(widget);
            m_refusedTarget = nullptr;
            if (refused)
                return true;
        }
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
        m_refusedTarget = nullptr;
        break;
    case QEvent::Shortcut: {
        // An accelerator moves the focus and acts at once; check the field before it does.
        const NumberField* field = pendingField();
        if (field && watched != field->edit && field->edit->hasFocus()) {
            if (!CheckNumberField(*field))
                return true;
            m_acceptedOnLeave = field->edit;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace glyphmill
