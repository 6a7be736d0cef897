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
    QString LineText(std::size_t firstCell) const;
    int CharWidth() const;
    int LineHeight() const;
    int LinesPerPage() const;

    HexBuffer buffer_;
    int cellsPerLine_ = 16;
    bool blockCaret_ = false;
};

} // namespace vellum::gui
