// The hex edit control: draws a HexBuffer as address, hex and text columns in a fixed-pitch
// font, and turns keys, mouse, wheel and clipboard into HexBuffer edits.
#pragma once

#include "views/HexBuffer.h"

#include <QAbstractScrollArea>

namespace vellum::gui {

// The clipboard format that carries raw bytes with their length.
inline constexpr const char* kBinaryDataMime = "application/x-vellum-binarydata";

class HexEdit : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit HexEdit(QWidget* parent = nullptr);

    HexBuffer& Buffer() { return buffer_; }
    void SetData(std::vector<std::uint8_t> data);
    int CellsPerLine() const { return cellsPerLine_; }

    // Display settings: cells of 1, 2 or 4 bytes; the address column with its digit count (8
    // whenever the data reaches past 0x10000); the text column, shown only with byte cells; the
    // font height in pixels.
    void SetCellBytes(int bytes);
    void SetAddressColumn(bool shown, int digits = 8);
    void SetTextColumn(bool shown);
    void SetFontHeight(int pixels);
    // The text of the line that starts with the given cell, as drawn.
    QString LineText(std::size_t firstCell) const;
    int FirstVisibleLine() const;

    void CopyToClipboard() const;
    void CutToClipboard();
    void PasteFromClipboard();
    static bool ClipboardHasData();

signals:
    void Edited();
    // The caret, the selection or the data moved: commands that depend on them may change.
    void StateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Refit();
    bool HandleMovement(QKeyEvent* event);
    bool HandleClipboardKeys(QKeyEvent* event);
    bool HandleEditKeys(QKeyEvent* event);
    void EnsureCaretVisible();
    void AfterEdit();
    void SettingsChanged();
    int CellDigits() const { return 2 * buffer_.CellBytes(); }
    bool TextShown() const { return showText_ && buffer_.CellBytes() == 1; }
    int AddressDigits() const;
    int AddressWidth() const { return showAddress_ ? AddressDigits() + 2 : 0; }
    int HexColumnOf(int cell) const { return AddressWidth() + cell * (CellDigits() + 1); }
    int TextColumnOf(int cell) const { return HexColumnOf(cellsPerLine_) + cell; }
    int CharWidth() const;
    int LineHeight() const;
    int LinesPerPage() const;

    HexBuffer buffer_;
    int cellsPerLine_ = 16;
    bool blockCaret_ = false;
    bool showAddress_ = true;
    int addressDigits_ = 8;
    bool showText_ = true;
};

} // namespace vellum::gui
