// The bytes a hex view edits, with its caret, selection and edit rules; no widgets.
//
// Cells are bytes. The caret is a cell index (0 .. size, size meaning just past the end) with a
// nibble position for the hex column; the selection is the half-open cell range [start, end).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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

    std::size_t Caret() const { return caret_; }
    int Nibble() const { return nibble_; }
    HexColumn Column() const { return column_; }
    void SetColumn(HexColumn column) { column_ = column; }
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
    void Changed() { modified_ = true; }

    std::vector<std::uint8_t> data_;
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
