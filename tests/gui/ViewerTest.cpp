// The viewer host with the real widgets: hex view editing, clipboard and file watch, and the
// header table.
#include "GuiFixture.h"
#include "views/HeaderTableView.h"
#include "views/HexEdit.h"
#include "views/HexView.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMimeData>
#include <QTableWidget>
#include <QTest>

namespace vellum::test {

class ViewerTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        StartApp();
        OpenFixture("resources.dll");
    }

    gui::HexView& ShowHex(const QString& type, const QString& label) {
        EXPECT_NE(Select(type, label), nullptr);
        EXPECT_EQ(Host().Kind(), gui::ViewKind::Hex);
        return *Host().Hex();
    }
};

TEST_F(ViewerTest, HeaderTablesShowCountColumnsHeadedByTheirNames) {
    ASSERT_NE(Select("DOSHEADER", "DosHeader (1033)"), nullptr);
    ASSERT_EQ(Host().Kind(), gui::ViewKind::HeaderTable);
    QTableWidget* table = Host().HeaderTable()->Table();
    ASSERT_EQ(table->columnCount(), 6);
    QStringList headings;
    for (int i = 0; i < 6; ++i)
        headings << table->horizontalHeaderItem(i)->text();
    EXPECT_EQ(headings, QStringList({"Offset", "Field", "Type", "Size", "Value", "Description"}));
    EXPECT_EQ(table->rowCount(), 31);
    EXPECT_EQ(table->item(0, 1)->text(), "e_magic");
}

TEST_F(ViewerTest, HexViewShowsTheFileAndTypedDigitsSetNibbles) {
    gui::HexView& hex = ShowHex("MYTYPE", "DATA (0)");
    std::vector<std::uint8_t> original = ReadFileBytes(hex.Path());
    ASSERT_EQ(hex.Edit()->Buffer().Data(), original);

    hex.Edit()->setFocus();
    QTest::keyClick(hex.Edit(), Qt::Key_4);
    QTest::keyClick(hex.Edit(), Qt::Key_1);
    EXPECT_EQ(hex.Edit()->Buffer().Data()[0], 0x41);
    EXPECT_EQ(hex.Edit()->Buffer().Caret(), 1u);
    EXPECT_TRUE(hex.Modified());

    // Showing another resource saves the edit to the file first.
    std::string path = hex.Path();
    Select("MYTYPE", "1 (1033)");
    std::vector<std::uint8_t> saved = ReadFileBytes(path);
    ASSERT_EQ(saved.size(), original.size());
    EXPECT_EQ(saved[0], 0x41);
    EXPECT_TRUE(std::equal(saved.begin() + 1, saved.end(), original.begin() + 1));
}

TEST_F(ViewerTest, HexLinesFollowTheCellSizeAndColumns) {
    gui::HexEdit edit;
    edit.SetData({0x41, 0x00, 0x42, 0x00, 0x7F});
    edit.show();
    // A viewport exactly 74 characters wide, whatever the font. After the 10-character address a
    // byte cell takes 3 characters ("41 ") and 1 in the text column, and one column stays free:
    // (74 - 10 - 1) / 4 = 15, rounded down. A word cell takes 5 ("0041 ") and the last one's
    // space may fall off the edge: (74 - 10 + 1) / 5 = 13.
    int charWidth = edit.fontMetrics().horizontalAdvance('0');
    int frame = edit.width() - edit.viewport()->width();
    edit.resize(74 * charWidth + frame, 200);
    ASSERT_EQ(edit.viewport()->width(), 74 * charWidth);
    EXPECT_EQ(edit.CellsPerLine(), 15);
    EXPECT_TRUE(edit.LineText(0).startsWith("00000000  41 00 42 00 7F "));
    EXPECT_TRUE(edit.LineText(0).trimmed().endsWith("A.B.."));

    edit.SetCellBytes(2);
    EXPECT_EQ(edit.CellsPerLine(), 13);
    EXPECT_TRUE(edit.LineText(0).startsWith("00000000  0041 0042   7F "));
    EXPECT_FALSE(edit.LineText(0).contains("A")) << "no text column with word cells";
    edit.SetAddressColumn(true, 4);
    edit.SetCellBytes(4);
    EXPECT_TRUE(edit.LineText(0).startsWith("0000  00420041       7F "));
    edit.SetAddressColumn(false);
    EXPECT_TRUE(edit.LineText(0).startsWith("00420041"));
}

TEST_F(ViewerTest, CopyPutsBinaryDataAndTextOnTheClipboard) {
    gui::HexView& hex = ShowHex("MYTYPE", "DATA (0)");
    hex.Edit()->Buffer().Select(0, 3);
    Window().UpdateCommands();
    EXPECT_TRUE(Window().Action("edit.copy")->isEnabled());
    Window().Action("edit.copy")->trigger();
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    QByteArray binary = mime->data(gui::kBinaryDataMime);
    QByteArray text = mime->data("text/plain");
    ASSERT_EQ(binary.size(), 7);
    EXPECT_EQ(binary.left(4), QByteArray("\x03\x00\x00\x00", 4));
    ASSERT_EQ(text.size(), 4);
    EXPECT_EQ(text.at(3), '\0');
    EXPECT_EQ(binary.mid(4), text.left(3));

    // Pasting over the last three bytes in overwrite mode writes the copied bytes there.
    std::size_t size = hex.Edit()->Buffer().Size();
    hex.Edit()->Buffer().Select(size - 3, size);
    hex.Edit()->PasteFromClipboard();
    auto data = hex.Edit()->Buffer().Data();
    EXPECT_EQ(data.size(), size);
    EXPECT_TRUE(std::equal(data.end() - 3, data.end(), data.begin()));
}

TEST_F(ViewerTest, AnOutsideChangeToTheShownFileAppearsWithinTheWatchInterval) {
    gui::HexView& hex = ShowHex("MYTYPE", "DATA (0)");
    WriteFileText(hex.Path(), "changed outside");
    auto shown = [&] { return hex.Edit()->Buffer().Size() == 15; };
    EXPECT_TRUE(QTest::qWaitFor(shown, gui::HexView::kWatchIntervalMs + 1500));
    EXPECT_EQ(hex.Edit()->Buffer().Data()[0], 'c');
    EXPECT_FALSE(hex.Modified());
}

} // namespace vellum::test
