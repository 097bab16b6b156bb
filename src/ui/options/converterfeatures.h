#pragma once

#include "conversionsettings.h"

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace glyphmill {

// The options dialog's section for the converter's later features: dithering, the colour map's
// palette, sprite sheets and the extra files written beside the outputs. Every control starts
// at the converter's default, so that nothing is added to the command until the user asks.
class ConverterFeatures : public QWidget {
    Q_OBJECT
public:
    explicit ConverterFeatures(QWidget* parent);

    // The palette choices only count for a colour map: greyed otherwise, values kept.
    void Refresh_Features_panel(bool colourMap);
    void readSettings(ConversionSettings& settings) const;

    // Checked like the transform fields, within these bounds.
    QLineEdit* coloursField() const { return m_textColours; }
    QLineEdit* bankField() const { return m_textBank; }
    static constexpr int kFewestColours = 2;
    static constexpr int kMostColours = 256;
    static constexpr int kLastBank = 127;

    // The widgets in the order the Tab key visits them.
    QList<QWidget*> tabOrder() const;

signals:
    // A choice changed that the command shows; number fields report through their check.
    void changed();

private:
    void buildDither();
    void buildMap();
    void buildFrames();
    void buildOutputs();
    void connectHandlers();
    void refreshFields();

    QGroupBox* m_frameDither = nullptr;
    QRadioButton* m_optionDitherNone = nullptr;
    QRadioButton* m_optionDitherOrdered = nullptr;
    QRadioButton* m_optionDitherDiffusion = nullptr;

    QGroupBox* m_frameMap = nullptr;
    QCheckBox* m_checkColours = nullptr;
    QLineEdit* m_textColours = nullptr;
    QLabel* m_labelColours = nullptr;
    QCheckBox* m_checkPalette = nullptr;
    QLineEdit* m_textPalette = nullptr;
    QCheckBox* m_checkSharedClut = nullptr;
    QLineEdit* m_textSharedClut = nullptr;
    QCheckBox* m_checkBank = nullptr;
    QLineEdit* m_textBank = nullptr;
    QLabel* m_labelBank = nullptr;

    QGroupBox* m_frameFrames = nullptr;
    QCheckBox* m_checkFrames = nullptr;
    QLineEdit* m_textFrames = nullptr;
    QLabel* m_labelFrames = nullptr;
    QCheckBox* m_checkMirrorFrames = nullptr;
    QCheckBox* m_checkDropEmptyFrames = nullptr;

    QGroupBox* m_frameOutputs = nullptr;
    QCheckBox* m_checkCSource = nullptr;
    QCheckBox* m_checkObjectHeader = nullptr;
    QCheckBox* m_checkExportEquates = nullptr;
    QCheckBox* m_checkMetadata = nullptr;
    QCheckBox* m_checkShowPng = nullptr;
    QCheckBox* m_checkDepfile = nullptr;
    QLineEdit* m_textDepfile = nullptr;
};

} // namespace glyphmill
