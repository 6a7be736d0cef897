// The colorizer panel beside the image: hue, the channel mix matrix, brightness per channel,
// saturation and the preset colours, with buttons to preview, to save the colorization into
// files, and to save and load the settings. Every change configures the panel's colorizer and
// asks the hosting view for a preview; the view does the drawing and the writing.
#pragma once

#include "application/AppServices.h"
#include "imaging/ColorizeApply.h"
#include "imaging/ColorizeSettingsFile.h"
#include "imaging/Colorizer.h"
#include "imaging/ColorizerSettings.h"

#include <QString>
#include <QWidget>
#include <array>
#include <functional>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace vellum::gui {

class ColorizerPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 580;
    static constexpr int kMinimumHeight = 326;
    static constexpr int kBandHeight = 14;

    explicit ColorizerPanel(AppServices& app, QWidget* parent = nullptr);

    const Colorizer& CurrentColorizer() const { return colorizer_; }
    const ColorizerSettings& Settings() const { return settings_; }

    // The file "Save Settings..." (saving true) or "Load Settings..." asks for; empty when the
    // user cancels. A file dialog unless replaced, as tests do.
    std::function<QString(bool saving)> chooseSettingsFile;

    // The controls, for the hosting view's layout and for tests.
    QSlider* HueSlider() const { return hue_; }
    QSlider* BrightnessSlider(int channel) const { return brightness_[channel]; }
    QSlider* SaturationSlider() const { return saturation_; }
    QLineEdit* MatrixBox(int row, int column) const { return matrix_[row * 3 + column]; }
    QSpinBox* PresetBox() const { return preset_; }
    QLabel* HueText() const { return hueText_; }
    QLabel* BrightnessText() const { return brightnessText_; }
    QLabel* SaturationText() const { return saturationText_; }
    // A push button, check box or radio button by its text.
    QAbstractButton* Button(const QString& text) const;

signals:
    // Every change that previews, and "Preview Colorization".
    void PreviewRequested();
    // "Save Colorization...", with the scope its radio buttons choose.
    void ApplyRequested(vellum::ColorizeScope scope);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* CreateHueGroup();
    QWidget* CreateBrightnessGroup();
    // Saturation, the scope and the buttons that save.
    QWidget* CreateApplyGroup();
    QPushButton* AddPushButton(const char* text, void (ColorizerPanel::*slot)());
    QCheckBox* AddCheckBox(const char* text);

    void HueMoved(int hue);
    void BrightnessMoved(int channel, int value);
    void SaturationMoved(int saturation);
    void MatrixEdited(int cell, const QString& text);
    void PresetPicked(int index);
    void ResetBrightness();
    void ResetSaturation();
    void ResetHue();
    void FlagToggled();
    void RequestPreview();
    void SaveColorization();
    void SaveSettings();
    void LoadSettings();

    // Configures from the matrix, then previews when asked.
    void Reconfigure(bool preview);
    void ShowMatrix();
    // Every control from the settings, as after loading them.
    void ShowSettings(const ColorizeFileSettings& loaded);

    AppServices& app_;
    Colorizer colorizer_;
    ColorizerSettings settings_;
    // The matrix came from the hue slider (the hue label shows a percentage, not "---").
    bool hueActive_ = true;

    QSlider* hue_ = nullptr;
    std::array<QSlider*, 3> brightness_{};
    QSlider* saturation_ = nullptr;
    std::array<QLineEdit*, 9> matrix_{};
    QSpinBox* preset_ = nullptr;
    QLabel* hueText_ = nullptr;
    QLabel* brightnessText_ = nullptr;
    QLabel* saturationText_ = nullptr;
    QCheckBox* lock_ = nullptr;
    QCheckBox* source_ = nullptr;
    QCheckBox* gamma_ = nullptr;
    std::array<QRadioButton*, 3> scopes_{};
};

} // namespace vellum::gui
