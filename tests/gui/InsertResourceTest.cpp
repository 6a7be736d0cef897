// Resource > Add Resource: the Insert New Resource dialog refuses with each of its messages while
// keeping its fields, adds bitmaps and icons (a bitmap converted on request, an image joined to an
// icon of the same name), selects what it added, and the compiled file carries the additions.
#include "GuiFixture.h"
#include "application/StartDocument.h"
#include "dialogs/InsertResourceDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <filesystem>

namespace vellum::test {

namespace {

using gui::InsertResourceDialog;
namespace fs = std::filesystem;

struct Fields {
    std::string file;
    QString name;
    QString type;
    QString language;
};

void Fill(InsertResourceDialog& dialog, const Fields& fields) {
    dialog.FileEdit()->setText(QString::fromStdString(fields.file));
    dialog.NameEdit()->setText(fields.name);
    dialog.TypeBox()->setEditText(fields.type);
    dialog.LanguageBox()->setEditText(fields.language);
}

// A 20 x 20 PNG with a transparent corner, written by Qt rather than by the code under test.
void WriteLogoPng(const std::string& path) {
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(QColor(200, 40, 40));
    image.setPixelColor(0, 0, QColor(0, 0, 0, 0));
    ASSERT_TRUE(image.save(QString::fromStdString(path), "PNG"));
}

bool ToolsInstalled() {
    return std::system("command -v wrestool >/dev/null && command -v icotool >/dev/null && "
                       "/usr/bin/python3 -c 'import pefile' 2>/dev/null") == 0;
}

} // namespace

class InsertResourceTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        StartApp();
        dll_ = OpenFixture("resources.dll");
    }

    Project& TheProject() { return *Doc().GetProject(); }
    std::string Folder() { return TheProject().Folder(); }

    // Presses OK on a dialog of its own and returns the message that refused it.
    MessageDialog Refusal(const Fields& fields, InsertContext context = {}) {
        context.scratchFolder = scratch_ / "work";
        InsertResourceDialog dialog(app_->Services(), TheProject(), context);
        Fill(dialog, fields);
        std::size_t shown = prompter_.Shown().size();
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.NameEdit()->text(), fields.name); // the fields stay
        EXPECT_EQ(dialog.FileEdit()->text().toStdString(), fields.file);
        return prompter_.Shown().size() > shown ? prompter_.Shown().back() : MessageDialog{};
    }

    // Runs Resource > Add Resource: fills the dialog it opens and presses OK (Cancel when OK was
    // refused, so that the dialog always closes).
    bool AddThroughWindow(const Fields& fields) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<InsertResourceDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            Fill(*dialog, fields);
            dialog->accept();
            if (dialog->isVisible())
                dialog->reject();
        });
        return View().AddResource();
    }

    std::string dll_;
};

TEST_F(InsertResourceTest, EachCheckRefusesWithItsMessageAndKeepsTheFields) {
    std::string text = scratch_ / "notes.txt";
    WriteFileText(text, "notes");

    MessageDialog missing = Refusal({scratch_ / "gone.bmp", "GONE", "Bitmap", ""});
    EXPECT_EQ(missing.message, "The file \"" + (scratch_ / "gone.bmp") + "\" does not exist.\n");
    EXPECT_EQ(missing.title, "File Not Found");
    EXPECT_EQ(missing.icon, DialogIcon::Hand);

    MessageDialog noType = Refusal({text, "NOTES", "", ""});
    EXPECT_EQ(noType.message, "You must either choose or specify a resource type.");
    EXPECT_EQ(noType.title, "Please Specify Resource Type");

    // A visual style keeps BLUE_NOTES in the folder BLUE, which a plain file is in the way of.
    WriteFileText(Folder() + "BLUE", "in the way");
    InsertContext style;
    style.visualStyle = true;
    MessageDialog folder = Refusal({text, "BLUE_NOTES", "TEXTFILE", ""}, style);
    EXPECT_EQ(folder.message, "Failed to create sub directory.");
    EXPECT_EQ(folder.title, "Directory Create Fail");

    // A file of that name lies in the project folder; No keeps it.
    WriteFileText(Folder() + "README.txt", "not a resource");
    prompter_.Answer(IDNO);
    MessageDialog exists = Refusal({text, "README", "TEXTFILE", ""});
    EXPECT_EQ(exists.message, "The file \n\n" + Folder() +
                                  "README.txt\n\nalready exists.\n\n"
                                  "OverWrite?");
    EXPECT_EQ(exists.title, "Overwrite File?");
    EXPECT_EQ(ReadFileText(Folder() + "README.txt"), "not a resource");

    // A text file as a bitmap: the question's default answer is No.
    MessageDialog extension = Refusal({text, "NOTES", "Bitmap", ""});
    EXPECT_EQ(extension.message,
              "The file extension does not match the category you have choosen. Continue?\n");
    EXPECT_EQ(extension.title, "Continue?");
    EXPECT_EQ(extension.DefaultResult(), IDNO);

    MessageDialog noName = Refusal({text, "", "TEXTFILE", ""});
    EXPECT_EQ(noName.message, "A resource name must be entered before continuing.\n");
    EXPECT_EQ(noName.title, "No Resource name specified");

    ASSERT_TRUE(AddThroughWindow({text, "NOTES", "TEXTFILE", ""}));
    MessageDialog duplicate = Refusal({text, "notes", "textfile", "1031"});
    EXPECT_EQ(duplicate.message, "A resource with that name already exists in that category.\n");
    EXPECT_EQ(duplicate.title, "Duplicate Resource Name");
    EXPECT_TRUE(fs::exists(Folder() + "NOTES.txt"));
    EXPECT_FALSE(fs::exists(Folder() + "notes.txt"));
}

TEST_F(InsertResourceTest, APngAddedAsABitmapIsSelectedInTheTree) {
    // The fixture's own LOGO.BMP is kept as LOGO.png; a new blank DLL has room for another.
    ASSERT_TRUE(Doc().NewBlank());
    std::string logo = scratch_ / "logo.png";
    WriteLogoPng(logo);
    ASSERT_FALSE(Doc().IsModified());
    ASSERT_TRUE(AddThroughWindow({logo, "LOGO", "Bitmap", ""}));

    QTreeWidgetItem* current = Tree().currentItem();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->text(0), "LOGO_BMP (1033)");
    EXPECT_EQ(current->parent()->text(0), "Bitmap");
    // The bitmaps stay sorted: the new item sits where the tree's order puts it.
    QStringList labels = ChildLabels("Bitmap");
    QStringList sorted = labels;
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    EXPECT_EQ(labels, sorted);
    EXPECT_TRUE(Doc().IsModified());

    EXPECT_EQ(ReadFileBytes(Folder() + "LOGO.png"), ReadFileBytes(logo));
    XmlNode* file = Project::FileOfLanguage(gui::ResourceTreeWidget::NodeOf(current));
    EXPECT_EQ(Project::Text(file, "Name"), "LOGO.BMP");
    EXPECT_EQ(Project::Int(file, "Png"), 1);
}

// A 24-bit bitmap chosen as an icon is converted on Yes; the working copies go afterwards. A
// second image under the same name joins that icon. The compiled file carries all of it.
TEST_F(InsertResourceTest, ABitmapConvertedToAnIconAndAnImageJoinedToItSurviveTheSave) {
    ASSERT_TRUE(Doc().NewBlank());
    std::string logo = scratch_ / "logo.png";
    WriteLogoPng(logo);
    ASSERT_TRUE(AddThroughWindow({logo, "LOGO", "Bitmap", ""}));

    std::string bitmap = scratch_ / "b24.bmp";
    fs::copy_file(DataPath("src/img/b24.bmp"), bitmap);
    int groupsBefore = ChildLabels("Icon Group").size();
    prompter_.Answer(IDYES); // convert
    ASSERT_TRUE(AddThroughWindow({bitmap, "BADGE", "Icon", ""}));
    EXPECT_EQ(prompter_.Shown().back().title, "Convert Bitmap");
    EXPECT_EQ(ChildLabels("Icon Group").size(), groupsBefore + 1);
    EXPECT_TRUE(fs::exists(Folder() + "BADGE_ICO"));
    for (const auto& entry : fs::directory_iterator(gui::WorkFolder(dataFolder_)))
        EXPECT_EQ(entry.path().filename().string().rfind("CONVERT-", 0), std::string::npos)
            << entry.path();

    std::string more = scratch_ / "more.ico";
    fs::copy_file(DataPath("src/img/app.ico"), more);
    prompter_.Answer(IDYES); // add to the icon BADGE
    ASSERT_TRUE(AddThroughWindow({more, "BADGE", "Icon", ""}));
    EXPECT_EQ(prompter_.Shown().back().message,
              "An icon already exists with the name\n\nBADGE\n\nWould you like to add this icon "
              "to that icon?");
    EXPECT_EQ(ChildLabels("Icon Group").size(), groupsBefore + 1);

    std::string saved = scratch_ / "saved.dll";
    prompter_.Answer(IDYES); // copy the compiled file to saved.dll
    ASSERT_TRUE(Doc().SaveTo(saved));
    if (!ToolsInstalled())
        GTEST_SKIP() << "wrestool, icotool or python3-pefile is not installed";
    // pefile finds the bitmap by name; wrestool extracts the last icon group (BADGE, the
    // highest ID) as an .ico file, and icotool lists its two images.
    std::string script = scratch_ / "oracle.sh";
    WriteFileText(script, R"SH(set -e
dll="$1"; out="$2"
/usr/bin/python3 - "$dll" <<'EOF'
import pefile, sys
pe = pefile.PE(sys.argv[1])
names = {e.id: [str(r.name) if r.name else r.id for r in e.directory.entries]
         for e in pe.DIRECTORY_ENTRY_RESOURCE.entries if e.id}
sys.exit(0 if 'LOGO_BMP' in names.get(2, []) and names.get(14) else 1)
EOF
group=$(wrestool -l --type=14 "$dll" | sed -n 's/.*--name=\([0-9]*\).*/\1/p' | sort -n | tail -1)
wrestool -x --type=14 --name="$group" -o "$out" "$dll"
test "$(icotool -l "$out" | wc -l)" -eq 2
)SH");
    std::string command = "sh '" + script + "' '" + saved + "' '" + (scratch_ / "badge.ico") + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

} // namespace vellum::test
