// The colorizer panel's controls, the rules that tie them to the colorizer, and its painting.
#include "views/ColorizerPanel.h"

#include "common/Strings.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vellum::gui {

namespace {

struct ControlTip {
    const char* text;
    const char* tip;
};

// The buttons' texts and tooltips; "Apply Colorization" in two of them is what the save button
// was once called.
constexpr ControlTip kTips[] = {
    {"Preview Colorization", "Click to preview the current colorization in the above windows."},
    {"Save Colorization...",
     "Click to apply the current colorization to various files and color properties."},
    {"Reset Brightness", "Reset Brightness to 0% (default)."},
    {"Reset Hue", "Click to reset the color hue."},
    {"Reset Saturation", "Reset Saturation to 0% (default)."},
    {"Lock Brightness", "Check to move the R G B brightness levels at the same time.  Uncheck to "
                        "move independently."},
    {"Source Brightness",
     "Check to apply the brightness on the source color, before the RGB transform."},
    {"Gamma Brightness", "Check to apply a gamma curve to the brightness levels.  Uncheck for a "
                         "linear change."},
    {"To Current Image Only", "Check to colorize the current bitmap only."},
    {"To All Images Of This Type", "Check so that when 'Apply Colorization' is clicked, all the "
                                   "image files will get colorized."},
    {"To All Images", "Check so that when 'Apply Colorization' is clicked, all the glyph files "
                      "will get colorized."},
    {"Save Settings...", "Click to save the current colorization settings to a file."},
    {"Load Settings...", "Click to load colorization settings saved in a file."},
};

constexpr int kHueRange = 768;
constexpr int kLevelRange = 255; // brightness and saturation

QString Qs(const std::string& text) {
    return QString::fromStdString(text);
}

const char* TipFor(const char* text) {
    for (const ControlTip& control : kTips)
        if (std::string_view(control.text) == text)
            return control.tip;
    return "";
}

QSlider* NewSlider(Qt::Orientation orientation, int range, int tick, int line, int page) {
    auto* slider = new QSlider(orientation);
    slider->setRange(-range, range);
    slider->setTickInterval(tick);
    slider->setTickPosition(orientation == Qt::Horizontal ? QSlider::TicksBelow
                                                          : QSlider::TicksRight);
    slider->setSingleStep(line);
    slider->setPageStep(page);
    return slider;
}

QFrame* Etched(QFrame::Shape shape) {
    auto* line = new QFrame;
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// A status text, its horizontal slider and the button that resets it, closed by a separator.
void AddSliderRows(QVBoxLayout* column, QLabel* text, QSlider* slider, QPushButton* reset) {
    column->addWidget(text);
    column->addWidget(slider);
    column->addWidget(reset, 0, Qt::AlignLeft);
    column->addWidget(Etched(QFrame::HLine));
}

QVBoxLayout* Column(QWidget* group) {
    auto* column = new QVBoxLayout(group);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    return column;
}

// What the saturation label shows after a preset: its percentage without a sign or "%".
QString PresetSaturationText(int index) {
    return Qs(
        Format("Saturation %d", PresetColourAt(index).value_or(PresetColour{}).saturationPercent));
}

// Rows are the colour made, columns the colour it is made from.
QString CellTip(int cell) {
    const char* channels[3] = {"red", "green", "blue"};
    return QString("Percent of the source %1 in the new %2.")
        .arg(channels[cell % 3], channels[cell / 3]);
}

QString AskForSettingsFile(QWidget* parent, bool saving) {
    const QString filter = "Colorizer Settings (*.ini);;All Files (*)";
    return saving ? QFileDialog::getSaveFileName(parent, "Save Colorizer Settings", "colorize.ini",
                                                 filter)
                  : QFileDialog::getOpenFileName(parent, "Load Colorizer Settings", {}, filter);
}

} // namespace

ColorizerPanel::ColorizerPanel(AppServices& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("ColorizerPanel");
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    chooseSettingsFile = [this](bool saving) { return AskForSettingsFile(this, saving); };

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, kBandHeight + 6, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(CreateHueGroup(), 5);
    layout->addWidget(Etched(QFrame::VLine));
    layout->addWidget(CreateBrightnessGroup(), 4);
    layout->addWidget(Etched(QFrame::VLine));
    layout->addWidget(CreateApplyGroup(), 5);
    ShowMatrix();
}

QAbstractButton* ColorizerPanel::Button(const QString& text) const {
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

QPushButton* ColorizerPanel::AddPushButton(const char* text, void (ColorizerPanel::*slot)()) {
    auto* button = new QPushButton(text);
    button->setToolTip(TipFor(text));
    connect(button, &QPushButton::clicked, this, slot);
    return button;
}

QCheckBox* ColorizerPanel::AddCheckBox(const char* text) {
    auto* box = new QCheckBox(text);
    box->setToolTip(TipFor(text));
    box->setChecked(true);
    return box;
}

QWidget* ColorizerPanel::CreateHueGroup() {
    auto* group = new QWidget;
    QVBoxLayout* column = Column(group);
    hueText_ = new QLabel("Hue +0%");
    hue_ = NewSlider(Qt::Horizontal, kHueRange, 48, 1, 256);
    connect(hue_, &QSlider::valueChanged, this, &ColorizerPanel::HueMoved);
    AddSliderRows(column, hueText_, hue_, AddPushButton("Reset Hue", &ColorizerPanel::ResetHue));

    auto* grid = new QGridLayout;
    grid->setSpacing(4);
    for (int cell = 0; cell < 9; ++cell) {
        auto* box = new QLineEdit;
        box->setValidator(new QIntValidator(-kMatrixCellLimit, kMatrixCellLimit, box));
        box->setAlignment(Qt::AlignRight);
        box->setFixedWidth(54);
        box->setToolTip(CellTip(cell));
        connect(box, &QLineEdit::textEdited, this,
                [this, cell](const QString& text) { MatrixEdited(cell, text); });
        grid->addWidget(box, cell / 3, cell % 3);
        matrix_[cell] = box;
    }
    column->addLayout(grid);

    auto* presetRow = new QHBoxLayout;
    preset_ = new QSpinBox;
    preset_->setRange(0, kPresetCount); // one past the presets, which picks nothing
    connect(preset_, &QSpinBox::valueChanged, this, &ColorizerPanel::PresetPicked);
    presetRow->addWidget(new QLabel("Pick Preset Color:"));
    presetRow->addWidget(preset_);
    presetRow->addStretch();
    column->addLayout(presetRow);
    column->addStretch();
    return group;
}

QWidget* ColorizerPanel::CreateBrightnessGroup() {
    auto* group = new QWidget;
    QVBoxLayout* column = Column(group);
    brightnessText_ = new QLabel("Brightness +0%");
    column->addWidget(brightnessText_);
    auto* sliders = new QGridLayout;
    const char* names[3] = {"R", "G", "B"};
    for (int channel = 0; channel < 3; ++channel) {
        QSlider* slider = NewSlider(Qt::Vertical, kLevelRange, 20, 2, 20);
        slider->setMinimumHeight(120);
        connect(slider, &QSlider::valueChanged, this,
                [this, channel](int value) { BrightnessMoved(channel, value); });
        sliders->addWidget(new QLabel(names[channel]), 0, channel, Qt::AlignHCenter);
        sliders->addWidget(slider, 1, channel, Qt::AlignHCenter);
        brightness_[channel] = slider;
    }
    column->addLayout(sliders, 1);
    column->addWidget(AddPushButton("Reset Brightness", &ColorizerPanel::ResetBrightness), 0,
                      Qt::AlignLeft);
    lock_ = AddCheckBox("Lock Brightness");
    source_ = AddCheckBox("Source Brightness");
    gamma_ = AddCheckBox("Gamma Brightness");
    connect(lock_, &QCheckBox::toggled, this, [this] { FlagToggled(); });
    connect(source_, &QCheckBox::toggled, this, [this] { FlagToggled(); });
    connect(gamma_, &QCheckBox::toggled, this, [this] { FlagToggled(); });
    column->addWidget(lock_);
    column->addWidget(source_);
    column->addWidget(gamma_);
    return group;
}

QWidget* ColorizerPanel::CreateApplyGroup() {
    auto* group = new QWidget;
    QVBoxLayout* column = Column(group);
    saturationText_ = new QLabel("Saturation +0%");
    saturation_ = NewSlider(Qt::Horizontal, kLevelRange, 20, 2, 20);
    connect(saturation_, &QSlider::valueChanged, this, &ColorizerPanel::SaturationMoved);
    AddSliderRows(column, saturationText_, saturation_,
                  AddPushButton("Reset Saturation", &ColorizerPanel::ResetSaturation));

    const char* scopes[3] = {"To Current Image Only", "To All Images Of This Type",
                             "To All Images"};
    for (int scope = 0; scope < 3; ++scope) {
        scopes_[scope] = new QRadioButton(scopes[scope]);
        scopes_[scope]->setToolTip(TipFor(scopes[scope]));
        column->addWidget(scopes_[scope]);
    }
    scopes_[0]->setChecked(true);
    column->addStretch();

    // The two long captions each get the column's width; the settings buttons share a row.
    auto* buttons = new QGridLayout;
    buttons->addWidget(AddPushButton("Preview Colorization", &ColorizerPanel::RequestPreview), 0, 0,
                       1, 2);
    buttons->addWidget(AddPushButton("Save Colorization...", &ColorizerPanel::SaveColorization), 1,
                       0, 1, 2);
    buttons->addWidget(AddPushButton("Save Settings...", &ColorizerPanel::SaveSettings), 2, 0);
    buttons->addWidget(AddPushButton("Load Settings...", &ColorizerPanel::LoadSettings), 2, 1);
    column->addLayout(buttons);
    return group;
}

void ColorizerPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QColor face = palette().color(QPalette::Button);
    painter.fillRect(rect(), face);
    QLinearGradient band(0, 0, 0, kBandHeight);
    band.setColorAt(0, face.darker(125));
    band.setColorAt(1, face);
    painter.fillRect(QRect(0, 0, width(), kBandHeight), band);
}

// ---- the rules ---------------------------------------------------------------------------------

void ColorizerPanel::RequestPreview() {
    emit PreviewRequested();
}

void ColorizerPanel::Reconfigure(bool preview) {
    ConfigureFromMatrix(colorizer_, settings_);
    if (preview)
        emit PreviewRequested();
}

void ColorizerPanel::ShowMatrix() {
    for (int cell = 0; cell < 9; ++cell)
        matrix_[cell]->setText(QString::number(int(settings_.matrix[cell / 3][cell % 3])));
}

void ColorizerPanel::HueMoved(int hue) {
    settings_.hue = hue;
    hueActive_ = true;
    hueText_->setText(Qs(HueLabel(hue)));
    ConfigureFromHue(colorizer_, settings_);
    ShowMatrix();
    emit PreviewRequested();
}

void ColorizerPanel::BrightnessMoved(int channel, int value) {
    int difference = value - settings_.brightness.offsets[channel];
    for (int other = 0; other < 3 && settings_.lockBrightness; ++other) {
        if (other == channel)
            continue;
        QSignalBlocker block(brightness_[other]);
        brightness_[other]->setValue(brightness_[other]->value() + difference);
    }
    for (int i = 0; i < 3; ++i)
        settings_.brightness.offsets[i] = brightness_[i]->value();
    brightnessText_->setText(Qs(BrightnessLabel(value)));
    Reconfigure(true);
}

void ColorizerPanel::SaturationMoved(int saturation) {
    settings_.saturation = saturation;
    saturationText_->setText(Qs(SaturationLabel(saturation)));
    colorizer_.SetSaturation(saturation);
    Reconfigure(true);
}

// Only the user's typing arrives here; the panel's own filling of the boxes does not.
void ColorizerPanel::MatrixEdited(int cell, const QString& text) {
    settings_.matrix[cell / 3][cell % 3] = text.toInt(); // 0 while only a sign is typed
    hueActive_ = false;
    hueText_->setText("Hue ---");
    Reconfigure(true);
}

void ColorizerPanel::PresetPicked(int index) {
    if (!ApplyPreset(index, colorizer_, settings_))
        return;
    ShowMatrix();
    {
        QSignalBlocker block(saturation_);
        saturation_->setValue(settings_.saturation);
    }
    saturationText_->setText(PresetSaturationText(index));
    hueActive_ = false;
    hueText_->setText("Hue ---");
    emit PreviewRequested();
}

void ColorizerPanel::ResetBrightness() {
    for (QSlider* slider : brightness_) {
        QSignalBlocker block(slider);
        slider->setValue(0);
    }
    for (QCheckBox* box : {lock_, source_, gamma_}) {
        QSignalBlocker block(box);
        box->setChecked(true);
    }
    settings_.brightness = Brightness{};
    settings_.lockBrightness = true;
    brightnessText_->setText("Brightness +0%");
    Reconfigure(true);
}

void ColorizerPanel::ResetSaturation() {
    {
        QSignalBlocker block(saturation_);
        saturation_->setValue(0);
    }
    settings_.saturation = 0;
    saturationText_->setText("Saturation +0%");
    colorizer_.SetSaturation(0);
    Reconfigure(true);
}

void ColorizerPanel::ResetHue() {
    {
        QSignalBlocker block(hue_);
        hue_->setValue(0);
    }
    settings_.hue = 0;
    settings_.matrix = kIdentityMix;
    hueActive_ = true;
    hueText_->setText("Hue +0%");
    ShowMatrix();
    Reconfigure(true);
}

// Lock Brightness only changes how the sliders move: nothing to preview.
void ColorizerPanel::FlagToggled() {
    bool previewed = source_->isChecked() != settings_.brightness.source ||
                     gamma_->isChecked() != settings_.brightness.gamma;
    settings_.lockBrightness = lock_->isChecked();
    settings_.brightness.source = source_->isChecked();
    settings_.brightness.gamma = gamma_->isChecked();
    Reconfigure(previewed);
}

void ColorizerPanel::SaveColorization() {
    ColorizeScope scope = scopes_[0]->isChecked()   ? ColorizeScope::CurrentImage
                          : scopes_[1]->isChecked() ? ColorizeScope::ImagesOfType
                                                    : ColorizeScope::AllImages;
    emit ApplyRequested(scope);
}

void ColorizerPanel::SaveSettings() {
    QString path = chooseSettingsFile(true);
    if (path.isEmpty())
        return;
    if (FAILED(WriteColorizeSettings(path.toStdString(), FileSettingsOf(settings_, hueActive_))))
        app_.ShowErrorTrail();
}

void ColorizerPanel::LoadSettings() {
    QString path = chooseSettingsFile(false);
    if (path.isEmpty())
        return;
    ColorizeFileSettings loaded;
    if (FAILED(ReadColorizeSettings(path.toStdString(), &loaded))) {
        app_.ShowErrorTrail();
        return;
    }
    ApplyColorizeSettings(loaded, colorizer_, settings_);
    ShowSettings(loaded);
    emit PreviewRequested();
}

void ColorizerPanel::ShowSettings(const ColorizeFileSettings& loaded) {
    const QSignalBlocker blockers[] = {
        QSignalBlocker(hue_),           QSignalBlocker(brightness_[0]),
        QSignalBlocker(brightness_[1]), QSignalBlocker(brightness_[2]),
        QSignalBlocker(saturation_),    QSignalBlocker(source_),
        QSignalBlocker(gamma_)};
    hue_->setValue(settings_.hue);
    for (int channel = 0; channel < 3; ++channel)
        brightness_[channel]->setValue(settings_.brightness.offsets[channel]);
    source_->setChecked(settings_.brightness.source);
    gamma_->setChecked(settings_.brightness.gamma);
    saturation_->setValue(settings_.saturation);
    brightnessText_->setText(Qs(BrightnessLabel(settings_.brightness.offsets[0])));
    hueActive_ = loaded.hue && !loaded.preset;
    hueText_->setText(hueActive_ ? Qs(HueLabel(settings_.hue)) : QString("Hue ---"));
    saturationText_->setText(loaded.preset ? PresetSaturationText(*loaded.preset)
                                           : Qs(SaturationLabel(settings_.saturation)));
    ShowMatrix();
}

} // namespace vellum::gui
