#include "converterfeatures.h"

#include "widgetmaking.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace glyphmill {

namespace {

// A file or palette name: wide enough to read, growing with the section.
QLineEdit* makeNameField(QWidget* parent, const char* name, const QString& text = {}) {
    auto* field = make<QLineEdit>(parent, name, text);
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("level_1.gpl")) +
                           12);
    return field;
}

std::string textOf(const QLineEdit* field) {
    return field->text().toStdString();
}

} // namespace

ConverterFeatures::ConverterFeatures(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("ConverterFeatures"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    buildDither();
    buildMap();
    buildFrames();
    buildOutputs();
    for (QGroupBox* frame : {m_frameDither, m_frameMap, m_frameFrames, m_frameOutputs})
        column->addWidget(frame);
    column->addStretch();
    connectHandlers();
    refreshFields();
}

void ConverterFeatures::buildDither() {
    m_frameDither = make<QGroupBox>(this, "FrameDither", tr("Dithering"));
    auto* row = new QHBoxLayout(m_frameDither);
    m_optionDitherNone = make<QRadioButton>(m_frameDither, "OptionDitherNone", tr("Non&e"));
    m_optionDitherNone->setChecked(true);
    m_optionDitherOrdered =
        make<QRadioButton>(m_frameDither, "OptionDitherOrdered", tr("Or&dered pattern"));
    m_optionDitherDiffusion =
        make<QRadioButton>(m_frameDither, "OptionDitherDiffusion", tr("Error diff&usion"));
    row->addWidget(m_optionDitherNone);
    row->addWidget(m_optionDitherOrdered);
    row->addWidget(m_optionDitherDiffusion);
    row->addStretch();
}

void ConverterFeatures::buildMap() {
    m_frameMap = make<QGroupBox>(this, "FrameMap", tr("Colour map palette"));
    auto* grid = new QGridLayout(m_frameMap);
    m_checkColours = make<QCheckBox>(m_frameMap, "CheckColours", tr("Use at mos&t"));
    m_textColours = makeNumberField(m_frameMap, "TextColours", QStringLiteral("256"));
    m_labelColours = make<QLabel>(m_frameMap, "LabelColours", tr("colours (2-256)"));
    m_checkPalette = make<QCheckBox>(m_frameMap, "CheckPalette", tr("Fi&xed palette from"));
    m_textPalette = makeNameField(m_frameMap, "TextPalette");
    m_checkSharedClut = make<QCheckBox>(m_frameMap, "CheckSharedClut", tr("&Shared palette named"));
    m_textSharedClut = makeNameField(m_frameMap, "TextSharedClut");
    m_checkBank = make<QCheckBox>(m_frameMap, "CheckBank", tr("CLUT ban&k"));
    m_textBank = makeNumberField(m_frameMap, "TextBank", QStringLiteral("0"));
    m_labelBank = make<QLabel>(m_frameMap, "LabelBank", tr("(0-127)"));
    grid->addWidget(m_checkColours, 0, 0);
    grid->addWidget(m_textColours, 0, 1);
    grid->addWidget(m_labelColours, 0, 2);
    grid->addWidget(m_checkPalette, 1, 0);
    grid->addWidget(m_textPalette, 1, 1, 1, 2);
    grid->addWidget(m_checkSharedClut, 2, 0);
    grid->addWidget(m_textSharedClut, 2, 1, 1, 2);
    grid->addWidget(m_checkBank, 3, 0);
    grid->addWidget(m_textBank, 3, 1);
    grid->addWidget(m_labelBank, 3, 2);
    grid->setColumnStretch(2, 1);
}

void ConverterFeatures::buildFrames() {
    m_frameFrames = make<QGroupBox>(this, "FrameFrames", tr("Sprite sheet and animation"));
    auto* grid = new QGridLayout(m_frameFrames);
    m_checkFrames = make<QCheckBox>(m_frameFrames, "CheckFrames", tr("S&heet of frames"));
    m_textFrames = makeNumberField(m_frameFrames, "TextFrames", QStringLiteral("1"));
    m_labelFrames = make<QLabel>(m_frameFrames, "LabelFrames", tr("(WxH pixels, or a count)"));
    m_checkMirrorFrames = make<QCheckBox>(m_frameFrames, "CheckMirrorFrames",
                                          tr("Store a mirrored frame &once (REFLECT)"));
    m_checkDropEmptyFrames =
        make<QCheckBox>(m_frameFrames, "CheckDropEmptyFrames", tr("Store empt&y frames once"));
    grid->addWidget(m_checkFrames, 0, 0);
    grid->addWidget(m_textFrames, 0, 1);
    grid->addWidget(m_labelFrames, 0, 2);
    grid->addWidget(m_checkMirrorFrames, 1, 0, 1, 3);
    grid->addWidget(m_checkDropEmptyFrames, 2, 0, 1, 3);
    grid->setColumnStretch(2, 1);
}

void ConverterFeatures::buildOutputs() {
    m_frameOutputs = make<QGroupBox>(this, "FrameOutputs", tr("More outputs"));
    auto* grid = new QGridLayout(m_frameOutputs);
    m_checkCSource = make<QCheckBox>(m_frameOutputs, "CheckCSource", tr("C source fi&les"));
    m_checkObjectHeader =
        make<QCheckBox>(m_frameOutputs, "CheckObjectHeader", tr("Bitmap ob&ject"));
    m_checkExportEquates =
        make<QCheckBox>(m_frameOutputs, "CheckExportEquates", tr("Global e&quates"));
    m_checkMetadata = make<QCheckBox>(m_frameOutputs, "CheckMetadata", tr("&Metadata (.json)"));
    m_checkShowPng =
        make<QCheckBox>(m_frameOutputs, "CheckShowPng", tr("Sho&wn picture (.shown.png)"));
    m_checkDepfile = make<QCheckBox>(m_frameOutputs, "CheckDepfile", tr("Sa&ve make rules in"));
    m_textDepfile = makeNameField(m_frameOutputs, "TextDepfile");
    grid->addWidget(m_checkCSource, 0, 0);
    grid->addWidget(m_checkObjectHeader, 0, 1);
    grid->addWidget(m_checkExportEquates, 1, 0);
    grid->addWidget(m_checkMetadata, 1, 1);
    grid->addWidget(m_checkShowPng, 2, 0, 1, 2);
    grid->addWidget(m_checkDepfile, 3, 0);
    grid->addWidget(m_textDepfile, 3, 1);
}

void ConverterFeatures::connectHandlers() {
    const auto changedNow = [this] {
        emit changed();
    };
    for (QRadioButton* option :
         {m_optionDitherNone, m_optionDitherOrdered, m_optionDitherDiffusion}) {
        connect(option, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                emit changed();
        });
    }
    // A check box that owns a field greys or revives it first.
    for (QCheckBox* check : {m_checkColours, m_checkPalette, m_checkSharedClut, m_checkBank,
                             m_checkFrames, m_checkDepfile}) {
        connect(check, &QCheckBox::toggled, this, [this] {
            refreshFields();
            emit changed();
        });
    }
    for (QCheckBox* check :
         {m_checkMirrorFrames, m_checkDropEmptyFrames, m_checkCSource, m_checkObjectHeader,
          m_checkExportEquates, m_checkMetadata, m_checkShowPng})
        connect(check, &QCheckBox::toggled, this, changedNow);
    // Names are free text: the command follows them as they are typed.
    for (QLineEdit* name : {m_textPalette, m_textSharedClut, m_textFrames, m_textDepfile})
        connect(name, &QLineEdit::textChanged, this, changedNow);
}

void ConverterFeatures::Refresh_Features_panel(bool colourMap) {
    m_frameMap->setEnabled(colourMap);
    refreshFields();
}

void ConverterFeatures::refreshFields() {
    m_textColours->setEnabled(m_checkColours->isChecked());
    m_labelColours->setEnabled(m_checkColours->isChecked());
    m_textPalette->setEnabled(m_checkPalette->isChecked());
    m_textSharedClut->setEnabled(m_checkSharedClut->isChecked());
    m_textBank->setEnabled(m_checkBank->isChecked());
    m_labelBank->setEnabled(m_checkBank->isChecked());
    m_textFrames->setEnabled(m_checkFrames->isChecked());
    m_labelFrames->setEnabled(m_checkFrames->isChecked());
    m_textDepfile->setEnabled(m_checkDepfile->isChecked());
}

void ConverterFeatures::readSettings(ConversionSettings& s) const {
    using S = ConversionSettings;
    s.dither = m_optionDitherOrdered->isChecked()     ? S::Dither::Ordered
               : m_optionDitherDiffusion->isChecked() ? S::Dither::Diffusion
                                                      : S::Dither::None;
    s.limitColours = m_checkColours->isChecked();
    s.mapColours = textOf(m_textColours);
    s.givenPalette = m_checkPalette->isChecked();
    s.paletteFile = textOf(m_textPalette);
    s.sharedClut = m_checkSharedClut->isChecked();
    s.sharedClutName = textOf(m_textSharedClut);
    s.bank = m_checkBank->isChecked();
    s.bankNumber = textOf(m_textBank);
    s.frames = m_checkFrames->isChecked();
    s.frameLayout = textOf(m_textFrames);
    s.mirrorFrames = m_checkMirrorFrames->isChecked();
    s.dropEmptyFrames = m_checkDropEmptyFrames->isChecked();
    s.cSource = m_checkCSource->isChecked();
    s.objectHeader = m_checkObjectHeader->isChecked();
    s.exportEquates = m_checkExportEquates->isChecked();
    s.metadata = m_checkMetadata->isChecked();
    s.showPng = m_checkShowPng->isChecked();
    s.depfile = m_checkDepfile->isChecked();
    s.depfileName = textOf(m_textDepfile);
}

QList<QWidget*> ConverterFeatures::tabOrder() const {
    return {m_optionDitherNone,
            m_optionDitherOrdered,
            m_optionDitherDiffusion,
            m_checkColours,
            m_textColours,
            m_checkPalette,
            m_textPalette,
            m_checkSharedClut,
            m_textSharedClut,
            m_checkBank,
            m_textBank,
            m_checkFrames,
            m_textFrames,
            m_checkMirrorFrames,
            m_checkDropEmptyFrames,
            m_checkCSource,
            m_checkObjectHeader,
            m_checkExportEquates,
            m_checkMetadata,
            m_checkShowPng,
            m_checkDepfile,
            m_textDepfile};
}

} // namespace glyphmill
