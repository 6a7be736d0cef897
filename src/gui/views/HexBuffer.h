// The bytes a hex view edits, with its caret, selection and edit rules; no widgets.
//
// A cell is a byte, a word or a double word (1, 2 or 4 bytes, shown as the little-endian value
// with the most significant digit first); the last cell may hold fewer bytes. The caret is a cell
// index (0 .. cell count, the count meaning just past the end) with a nibble position for the
// hex column; the selection is the half-open cell range [start, end).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellum::gui {

enum class HexColumn { Hex, Text };

// What a copy puts on the clipboard: "BinaryData" (a 32-bit little-endian length and the bytes)
// and plain text (the bytes and a terminating 0).
struct HexClipboard {
    std::vector<std::uint8_t> binaryData;
    std::vector<std::uint8_t> text;
};

class HexBuffer {
public:
    void SetData(std::vector<std::uint8_t> data);
    const std::vector<std::uint8_t>& Data() const { return data_; }
    std::size_t Size() const { return data_.size(); }

    // 1, 2 or 4; other values are taken as 1. Resets the caret and the selection.
    void SetCellBytes(int bytes);
    int CellBytes() const { return cellBytes_; }
    std::size_t CellCount() const { return (data_.size() + cellBytes_ - 1) / cellBytes_; }
    // The first byte of a cell (the data size for cells past the end).
    std::size_t ByteOf(std::size_t cell) const { return std::min(cell * cellBytes_, Size()); }
    // The hex digits of a cell, most significant first; digits of bytes past the end are blanks.
    std::string CellDigits(std::size_t cell) const;

    std::size_t Caret() const { return caret_; }
    int Nibble() const { return nibble_; }
    HexColumn Column() const { return column_; }
    // The text column exists only with byte cells.
    void SetColumn(HexColumn column) { column_ = cellBytes_ == 1 ? column : HexColumn::Hex; }
    void ToggleColumn();
    // Moves the caret (clamped to the data) to the first nibble; with `extend` the selection
    // grows or shrinks from where the caret was.
    void MoveCaret(std::ptrdiff_t cell, bool extend);

    bool HasSelection() const { return selStart_ < selEnd_; }
    std::size_t SelectionStart() const { return selStart_; }
    std::size_t SelectionEnd() const { return selEnd_; }
    bool IsSelected(std::size_t cell) const { return cell >= selStart_ && cell < selEnd_; }
    void Select(std::size_t start, std::size_t end);
    void SelectAll() { Select(0, data_.size()); }
    void ClearSelection();

    bool InsertMode() const { return insert_; }
    void SetInsertMode(bool insert) { insert_ = insert; }
    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }

    // A typed character in the caret's column; false when it changed nothing.
    bool Type(char c);
    void DeleteKey();
    void Backspace();

    HexClipboard Copy() const;
    void Cut();
    // The bytes of a clipboard: "BinaryData" when present (its length word counts the bytes),
    // else the text less its terminating 0.
    static std::optional<std::vector<std::uint8_t>>
    BytesFromClipboard(const std::optional<std::vector<std::uint8_t>>& binaryData,
                       const std::optional<std::vector<std::uint8_t>>& text);
    void Paste(const std::vector<std::uint8_t>& bytes);

private:
    bool TypeHexDigit(char c);
    bool TypeTextChar(char c);
    // Prepares the cell a typed character goes into; false when nothing can be typed there.
    bool PrepareTypingCell();
    void EraseSelection();
    void EraseCells(std::size_t first, std::size_t last);
    void Changed() { modified_ = true; }

    std::vector<std::uint8_t> data_;
    std::size_t cellBytes_ = 1;
    std::size_t caret_ = 0;
    int nibble_ = 0;
    HexColumn column_ = HexColumn::Hex;
    std::size_t anchor_ = 0;
    std::size_t selStart_ = 0;
    std::size_t selEnd_ = 0;
    bool insert_ = false;
    bool modified_ = false;
};

} // namespace vellum::gui
