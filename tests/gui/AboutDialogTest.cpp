// The About box as Help > About opens it: the version, the libraries with the versions loaded at
// run time, the data folder and its button, and the application icon built into the program.
#include "dialogs/AboutDialog.h"

#include "GuiFixture.h"
#include "application/AppIdentity.h"
#include "cli/Version.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <png.h>
#include <zlib.h>

namespace vellum::test {

namespace {

// Takes the URLs QDesktopServices would hand to the desktop.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

QStringList LabelTexts(const QWidget& widget) {
    QStringList texts;
    for (const QLabel* label : widget.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

void CheckContents(gui::AboutDialog& about, const std::string& dataFolder) {
    EXPECT_EQ(about.windowTitle(), "About Vellum");
    EXPECT_EQ(about.Version()->text().toStdString(), VersionString());

    // What the loaded libraries say of themselves, each shown beside its name.
    QList<QPair<QString, QString>> expected = {
        {"Qt", qVersion()}, {"zlib", zlibVersion()}, {"libpng", png_get_libpng_ver(nullptr)}};
    EXPECT_EQ(about.Libraries(), expected);
    QStringList texts = LabelTexts(about);
    for (const auto& [name, version] : expected) {
        EXPECT_TRUE(texts.contains(name)) << name.toStdString();
        EXPECT_TRUE(texts.contains(version)) << version.toStdString();
    }

    EXPECT_EQ(about.DataFolder()->text().toStdString(),
              QDir::toNativeSeparators(QString::fromStdString(dataFolder)).toStdString());
    EXPECT_TRUE(about.DataFolder()->isReadOnly());

    // The icon comes from the program's resources: the page is opaque in its middle and the
    // corners stay clear.
    QImage icon = about.Icon()->pixmap().toImage();
    ASSERT_FALSE(icon.isNull()) << "the icon resource is not linked in";
    EXPECT_EQ(qAlpha(icon.pixel(icon.width() / 2, icon.height() / 2)), 255);
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
}

} // namespace

TEST_F(GuiTest, AboutShowsVersionLibrariesAndDataFolder) {
    StartApp();
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("file", &recorder, "Open");
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<gui::AboutDialog*>(QApplication::activeModalWidget());
        if (!about) {
            ADD_FAILURE() << "Help > About opened no About box";
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
            return;
        }
        inspected = true;
        CheckContents(*about, dataFolder_);
        EXPECT_TRUE(about->grab().save(QString::fromStdString(ScreenshotPath("about.png"))));

        QTest::mouseClick(about->OpenFolderButton(), Qt::LeftButton);
        EXPECT_EQ(recorder.opened,
                  QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(dataFolder_))});
        EXPECT_TRUE(about->isVisible()) << "opening the folder keeps the box";

        auto* buttons = about->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        if (about->isVisible()) {
            ADD_FAILURE() << "OK left the box open";
            about->reject();
        }
    });
    Window().Action("help.about")->trigger();
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_TRUE(inspected);
    EXPECT_TRUE(prompter_.Shown().empty()) << "the About box is no message box";
}

// The desktop finds the window's launcher by the desktop file name (Wayland's app ID) and, on X11,
// by the window class Qt sets from the application name; the launcher shipped must match both.
TEST_F(GuiTest, TheApplicationMatchesItsLauncher) {
    gui::SetApplicationIdentity();
    QString launcherPath =
        QString(VELLUM_SOURCE_DIR "/desktop/%1.desktop").arg(QGuiApplication::desktopFileName());
    QSettings launcher(launcherPath, QSettings::IniFormat);
    ASSERT_TRUE(QFileInfo::exists(launcherPath)) << launcherPath.toStdString();
    launcher.beginGroup("Desktop Entry");
    EXPECT_EQ(launcher.value("StartupWMClass").toString(), QApplication::applicationName());
    EXPECT_EQ(launcher.value("Icon").toString(), QGuiApplication::desktopFileName());
    EXPECT_EQ(QApplication::organizationName(), "Quillon");

    // Every size the desktop's icon theme gets is also in the window icon.
    QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}

} // namespace vellum::test

#include "AboutDialogTest.moc"
