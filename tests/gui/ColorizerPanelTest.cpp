// The colorizer panel driven through its own sliders, boxes and buttons: what each change shows
// and configures, when it asks for a preview, the scope it saves with, and its settings files.
#include "views/ColorizerPanel.h"

#include "GuiFixture.h"
#include "common/ErrorBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

namespace vellum::test {

namespace {

using gui::ColorizerPanel;

class ColorizerPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        QObject::connect(&panel_, &ColorizerPanel::PreviewRequested, [this] { ++previews_; });
        QObject::connect(&panel_, &ColorizerPanel::ApplyRequested,
                         [this](ColorizeScope scope) { scopes_.push_back(int(scope)); });
        panel_.chooseSettingsFile = [this](bool saving) {
            asked_.push_back(saving);
            return QString::fromStdString(settingsFile_);
        };
        panel_.show(); // lays the controls out, so that clicks land on them
        // On a real display server clicks before the window is mapped are lost.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel_));
    }

    // The nine boxes, row by row, as one text.
    QString Boxes() const {
        QStringList cells;
        for (int cell = 0; cell < 9; ++cell)
            cells << panel_.MatrixBox(cell / 3, cell % 3)->text();
        return cells.join(' ');
    }

    void Click(const QString& text) {
        QAbstractButton* button = panel_.Button(text);
        ASSERT_NE(button, nullptr) << text.toStdString();
        // Check boxes and radio buttons take clicks on their indicator and text only, which a
        // wide layout column may leave away from the widget's centre.
        bool indicator = qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button);
        QPoint at = indicator ? QPoint(6, button->height() / 2) : QPoint();
        QTest::mouseClick(button, Qt::LeftButton, {}, at);
    }

    void Key(QWidget* widget, Qt::Key key, int times = 1) {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(widget, key);
    }

    // A box's text replaced as the user types it.
    void Type(QLineEdit* box, const QString& text) {
        box->selectAll();
        QTest::keyClicks(box, text);
    }

    bool SameTables(const Colorizer& other) const {
        for (int out = 0; out < 3; ++out)
            for (int in = 0; in < 3; ++in)
                if (panel_.CurrentColorizer().Table(out, in) != other.Table(out, in))
                    return false;
        return panel_.CurrentColorizer().SaturationStep(100) == other.SaturationStep(100);
    }

    ScratchDir dir_;
    ScriptedPrompter prompter_;
    ErrorBox errorBox_;
    gui::AppServices app_{prompter_, errorBox_, {}, true, {}, 0, nullptr};
    ColorizerPanel panel_{app_};
    int previews_ = 0;
    std::vector<int> scopes_;
    std::vector<bool> asked_;
    std::string settingsFile_;
};

} // namespace

TEST_F(ColorizerPanelTest, StartsAtTheIdentityWithTheDocumentedControls) {
    EXPECT_EQ(Boxes(), "100 0 0 0 100 0 0 0 100");
    EXPECT_EQ(panel_.HueText()->text(), "Hue +0%");
    EXPECT_EQ(panel_.BrightnessText()->text(), "Brightness +0%");
    EXPECT_EQ(panel_.SaturationText()->text(), "Saturation +0%");
    for (const char* flag :
         {"Lock Brightness", "Source Brightness", "Gamma Brightness", "To Current Image Only"})
        EXPECT_TRUE(panel_.Button(flag)->isChecked()) << flag;
    EXPECT_EQ(panel_.Button("Lock Brightness")->toolTip(),
              "Check to move the R G B brightness levels at the same time.  Uncheck to move "
              "independently.");
    EXPECT_EQ(panel_.Button("Gamma Brightness")->toolTip(),
              "Check to apply a gamma curve to the brightness levels.  Uncheck for a linear "
              "change.");
    QSlider* hue = panel_.HueSlider();
    EXPECT_EQ((std::array{hue->minimum(), hue->maximum(), hue->tickInterval(), hue->singleStep(),
                          hue->pageStep()}),
              (std::array{-768, 768, 48, 1, 256}));
    for (QSlider* level : {panel_.BrightnessSlider(2), panel_.SaturationSlider()})
        EXPECT_EQ((std::array{level->minimum(), level->maximum(), level->tickInterval(),
                              level->singleStep(), level->pageStep()}),
                  (std::array{-255, 255, 20, 2, 20}));
    EXPECT_EQ(panel_.PresetBox()->maximum(), 162);
    EXPECT_GE(panel_.minimumSize().width(), 580);
    EXPECT_GE(panel_.minimumSize().height(), 326);
}

TEST_F(ColorizerPanelTest, HueSliderFillsTheBoxesFromTheTables) {
    Key(panel_.HueSlider(), Qt::Key_PageUp); // one page: 256, yellow
    EXPECT_EQ(panel_.Settings().hue, 256);
    EXPECT_EQ(Boxes(), "50 50 0 0 50 50 50 0 50");
    EXPECT_EQ(panel_.HueText()->text(), "Hue +33%");
    EXPECT_EQ(panel_.CurrentColorizer().Table(0, 1)[255], 50 * 255);
    EXPECT_EQ(previews_, 1);

    // Down to -512, hue 1024 on the wheel: every channel from the one before it.
    Key(panel_.HueSlider(), Qt::Key_PageDown, 3);
    EXPECT_EQ(Boxes(), "0 0 100 100 0 0 0 100 0");
    EXPECT_EQ(panel_.HueText()->text(), "Hue -66%");
    EXPECT_EQ(previews_, 4);

    Click("Reset Hue");
    EXPECT_EQ(panel_.HueSlider()->value(), 0);
    EXPECT_EQ(Boxes(), "100 0 0 0 100 0 0 0 100");
    EXPECT_EQ(panel_.HueText()->text(), "Hue +0%");
    EXPECT_EQ(panel_.CurrentColorizer().Table(2, 0)[255], 0);
    EXPECT_EQ(previews_, 5);
}

TEST_F(ColorizerPanelTest, TypedCellsConfigureFromTheMatrix) {
    Key(panel_.HueSlider(), Qt::Key_PageUp);
    Type(panel_.MatrixBox(0, 0), "80");
    EXPECT_EQ(panel_.HueText()->text(), "Hue ---");
    EXPECT_EQ(panel_.CurrentColorizer().Table(0, 0)[255], 80 * 255);
    EXPECT_EQ(panel_.CurrentColorizer().Table(0, 1)[255], 50 * 255) << "the hue's other cells";
    EXPECT_EQ(previews_, 1 + 2) << "one preview per typed character";
    Type(panel_.MatrixBox(2, 2), "-");
    EXPECT_EQ(panel_.CurrentColorizer().Table(2, 2)[255], 0) << "a lone sign counts as 0";
    Type(panel_.MatrixBox(2, 2), "x");
    EXPECT_EQ(panel_.MatrixBox(2, 2)->text(), "-") << "the box takes whole numbers only";
}

TEST_F(ColorizerPanelTest, LockedBrightnessMovesAllThreeAndResets) {
    Key(panel_.BrightnessSlider(0), Qt::Key_PageUp, 2);
    EXPECT_EQ(panel_.Settings().brightness.offsets, (std::array<int, 3>{40, 40, 40}));
    EXPECT_EQ(panel_.BrightnessText()->text(), "Brightness +15%");
    // Gamma: the full offset at mid-tone, (127 + 40) * 100.
    EXPECT_EQ(panel_.CurrentColorizer().Table(1, 1)[127], 16700);
    EXPECT_EQ(previews_, 2);

    Click("Lock Brightness");
    EXPECT_EQ(previews_, 2) << "the lock changes no colour";
    Key(panel_.BrightnessSlider(1), Qt::Key_PageDown);
    EXPECT_EQ(panel_.Settings().brightness.offsets, (std::array<int, 3>{40, 20, 40}));
    EXPECT_EQ(panel_.BrightnessText()->text(), "Brightness +7%");
    Click("Gamma Brightness");
    EXPECT_EQ(panel_.CurrentColorizer().Table(0, 0)[0], 4000) << "linear: (0 + 40) * 100";
    EXPECT_EQ(previews_, 4);

    Click("Reset Brightness");
    EXPECT_EQ(panel_.Settings().brightness.offsets, (std::array<int, 3>{0, 0, 0}));
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_EQ(panel_.BrightnessSlider(channel)->value(), 0);
    for (const char* flag : {"Lock Brightness", "Source Brightness", "Gamma Brightness"})
        EXPECT_TRUE(panel_.Button(flag)->isChecked()) << flag;
    EXPECT_EQ(panel_.BrightnessText()->text(), "Brightness +0%");
    EXPECT_EQ(panel_.CurrentColorizer().Table(0, 0)[127], 12700);
    EXPECT_EQ(previews_, 5);
}

TEST_F(ColorizerPanelTest, SaturationAndPresets) {
    Key(panel_.SaturationSlider(), Qt::Key_PageUp);
    EXPECT_EQ(panel_.SaturationText()->text(), "Saturation +7%");
    EXPECT_TRUE(panel_.CurrentColorizer().SaturationEnabled());
    Click("Reset Saturation");
    EXPECT_EQ(panel_.SaturationSlider()->value(), 0);
    EXPECT_EQ(panel_.SaturationText()->text(), "Saturation +0%");
    EXPECT_FALSE(panel_.CurrentColorizer().SaturationEnabled());
    EXPECT_EQ(previews_, 2);

    // Preset 19: base 1 (66, 33, 0; 0, 63, 30; 0, 0, 100) moved down a row, saturation -15%.
    Key(panel_.PresetBox(), Qt::Key_PageUp, 2); // two pages of ten, minus one step below
    Key(panel_.PresetBox(), Qt::Key_Down);
    EXPECT_EQ(panel_.PresetBox()->value(), 19);
    EXPECT_EQ(Boxes(), "0 0 100 66 33 0 0 63 30");
    EXPECT_EQ(panel_.SaturationSlider()->value(), -38);
    EXPECT_EQ(panel_.SaturationText()->text(), "Saturation -15");
    EXPECT_EQ(panel_.HueText()->text(), "Hue ---");
    EXPECT_EQ(panel_.CurrentColorizer().Table(1, 0)[255], 66 * 255);
    int afterPresets = previews_;

    panel_.PresetBox()->setValue(162);
    EXPECT_EQ(Boxes(), "0 0 100 66 33 0 0 63 30") << "162 is one past the presets";
    EXPECT_EQ(previews_, afterPresets);
}

TEST_F(ColorizerPanelTest, PreviewAndSaveColorizationWithEachScope) {
    Click("Preview Colorization");
    EXPECT_EQ(previews_, 1);
    Click("Save Colorization...");
    Click("To All Images");
    Click("Save Colorization...");
    Click("To All Images Of This Type");
    Click("Save Colorization...");
    EXPECT_EQ(scopes_, (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(previews_, 1) << "saving previews nothing";
}

TEST_F(ColorizerPanelTest, SettingsSavedAndLoadedAgainGiveTheSameTables) {
    Key(panel_.HueSlider(), Qt::Key_PageDown);
    Click("Lock Brightness");
    Key(panel_.BrightnessSlider(2), Qt::Key_PageUp, 3);
    Click("Source Brightness");
    Key(panel_.SaturationSlider(), Qt::Key_PageDown);
    Colorizer before = panel_.CurrentColorizer();
    settingsFile_ = dir_ / "look.ini";
    Click("Save Settings...");
    ASSERT_EQ(asked_, std::vector<bool>{true});

    Click("Reset Hue");
    Click("Reset Brightness");
    Click("Reset Saturation");
    ASSERT_FALSE(SameTables(before));
    int previews = previews_;
    Click("Load Settings...");
    EXPECT_EQ(asked_, (std::vector<bool>{true, false}));
    EXPECT_TRUE(SameTables(before));
    EXPECT_EQ(previews_, previews + 1);
    EXPECT_EQ(panel_.HueSlider()->value(), -256);
    EXPECT_EQ(panel_.HueText()->text(), "Hue -33%");
    EXPECT_EQ(panel_.BrightnessSlider(2)->value(), 60);
    EXPECT_FALSE(panel_.Button("Source Brightness")->isChecked());
    EXPECT_EQ(panel_.SaturationText()->text(), "Saturation -7%");
    EXPECT_TRUE(prompter_.Shown().empty());

    // A refused file: the error trail in the message box, and the panel as it was.
    WriteFileText(settingsFile_, "[Colorize]\nHue=sideways\n");
    Click("Load Settings...");
    ASSERT_EQ(prompter_.Shown().size(), 1u);
    EXPECT_NE(prompter_.Shown()[0].details.find("Hue is \"sideways\""), std::string::npos)
        << prompter_.Shown()[0].details;
    EXPECT_TRUE(SameTables(before));
    settingsFile_.clear(); // cancelled dialogs do nothing
    Click("Load Settings...");
    EXPECT_EQ(prompter_.Shown().size(), 1u);
}

TEST_F(ColorizerPanelTest, ScreenshotAfterAHueChange) {
    Key(panel_.HueSlider(), Qt::Key_PageUp);
    Key(panel_.SaturationSlider(), Qt::Key_PageUp, 2);
    std::string path = ScreenshotPath("colorizer-panel.png");
    ASSERT_TRUE(panel_.grab().save(QString::fromStdString(path)));
    QImage image(QString::fromStdString(path));
    EXPECT_GE(image.width(), 580);
    EXPECT_GE(image.height(), 326);
}

} // namespace vellum::test
