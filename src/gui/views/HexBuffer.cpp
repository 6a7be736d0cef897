// Hex editing rules: typing, deleting and the clipboard in insert and overwrite mode.
#include "views/HexBuffer.h"

#include "common/Strings.h"

#include <algorithm>

namespace vellum::gui {

void HexBuffer::SetData(std::vector<std::uint8_t> data) {
    data_ = std::move(data);
    caret_ = std::min(caret_, CellCount());
    nibble_ = 0;
    ClearSelection();
    modified_ = false;
}

void HexBuffer::SetCellBytes(int bytes) {
    cellBytes_ = bytes == 2 || bytes == 4 ? std::size_t(bytes) : 1;
    caret_ = 0;
    nibble_ = 0;
    column_ = HexColumn::Hex;
    ClearSelection();
}

std::string HexBuffer::CellDigits(std::size_t cell) const {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string digits;
    for (std::size_t k = cellBytes_; k-- > 0;) {
        std::size_t at = cell * cellBytes_ + k;
        if (at >= data_.size()) {
            digits += "  ";
            continue;
        }
        digits += kDigits[data_[at] >> 4];
        digits += kDigits[data_[at] & 0x0F];
    }
    return digits;
}

void HexBuffer::ToggleColumn() {
    SetColumn(column_ == HexColumn::Hex ? HexColumn::Text : HexColumn::Hex);
    nibble_ = 0;
}

void HexBuffer::MoveCaret(std::ptrdiff_t cell, bool extend) {
    std::size_t target =
        std::size_t(std::clamp<std::ptrdiff_t>(cell, 0, std::ptrdiff_t(CellCount())));
    if (extend) {
        if (!HasSelection())
            anchor_ = caret_;
        selStart_ = std::min(anchor_, target);
        selEnd_ = std::max(anchor_, target);
    } else {
        ClearSelection();
    }
    caret_ = target;
    nibble_ = 0;
}

void HexBuffer::Select(std::size_t start, std::size_t end) {
    selStart_ = std::min(start, CellCount());
    selEnd_ = std::clamp(end, selStart_, CellCount());
    anchor_ = selStart_;
    caret_ = selEnd_;
    nibble_ = 0;
}

void HexBuffer::ClearSelection() {
    selStart_ = selEnd_ = 0;
    anchor_ = caret_;
}

bool HexBuffer::Type(char c) {
    return column_ == HexColumn::Hex ? TypeHexDigit(c) : TypeTextChar(c);
}

// Insert mode replaces a selection by one new cell and opens a cell when typing starts on a
// cell's first nibble; overwrite mode drops the selection and cannot type past the end.
bool HexBuffer::PrepareTypingCell() {
    if (insert_) {
        if (HasSelection())
            EraseSelection(); // leaves the caret on a first nibble
        if (nibble_ == 0)
            data_.insert(data_.begin() + std::ptrdiff_t(ByteOf(caret_)), cellBytes_, 0);
        return true;
    }
    ClearSelection();
    return caret_ < CellCount();
}

bool HexBuffer::TypeHexDigit(char c) {
    int value = HexDigitValue(c);
    if (value < 0 || !PrepareTypingCell())
        return false;
    // Digits run from the most significant, which lies in the cell's last byte.
    std::size_t at = caret_ * cellBytes_ + (cellBytes_ - 1 - std::size_t(nibble_) / 2);
    if (at >= data_.size())
        return false; // a digit of a byte the last, shorter cell does not have
    std::uint8_t& byte = data_[at];
    byte = nibble_ % 2 == 0 ? std::uint8_t((byte & 0x0F) | (value << 4))
                            : std::uint8_t((byte & 0xF0) | value);
    if (++nibble_ == int(2 * cellBytes_)) {
        nibble_ = 0;
        ++caret_;
    }
    Changed();
    return true;
}

bool HexBuffer::TypeTextChar(char c) {
    if (static_cast<unsigned char>(c) < 0x20 || cellBytes_ != 1 || !PrepareTypingCell())
        return false;
    data_[caret_++] = static_cast<std::uint8_t>(c);
    nibble_ = 0;
    Changed();
    return true;
}

void HexBuffer::EraseCells(std::size_t first, std::size_t last) {
    data_.erase(data_.begin() + std::ptrdiff_t(ByteOf(first)),
                data_.begin() + std::ptrdiff_t(ByteOf(last)));
    Changed();
}

void HexBuffer::EraseSelection() {
    EraseCells(selStart_, selEnd_);
    caret_ = selStart_;
    nibble_ = 0;
    ClearSelection();
}

void HexBuffer::DeleteKey() {
    if (insert_) {
        if (HasSelection())
            EraseSelection();
        else if (caret_ < CellCount())
            EraseCells(caret_, caret_ + 1);
        return;
    }
    if (!HasSelection())
        return;
    std::fill(data_.begin() + std::ptrdiff_t(ByteOf(selStart_)),
              data_.begin() + std::ptrdiff_t(ByteOf(selEnd_)), 0);
    ClearSelection();
    Changed();
}

void HexBuffer::Backspace() {
    if (!insert_) {
        ClearSelection();
        return;
    }
    if (HasSelection()) {
        EraseSelection();
    } else if (caret_ > 0) {
        --caret_;
        EraseCells(caret_, caret_ + 1);
        nibble_ = 0;
    }
}

HexClipboard HexBuffer::Copy() const {
    std::vector<std::uint8_t> bytes(data_.begin() + std::ptrdiff_t(ByteOf(selStart_)),
                                    data_.begin() + std::ptrdiff_t(ByteOf(selEnd_)));
    HexClipboard clip;
    auto length = std::uint32_t(bytes.size());
    clip.binaryData.resize(4 + bytes.size());
    for (int i = 0; i < 4; ++i)
        clip.binaryData[std::size_t(i)] = std::uint8_t(length >> (8 * i));
    std::copy(bytes.begin(), bytes.end(), clip.binaryData.begin() + 4);
    clip.text = std::move(bytes);
    clip.text.push_back(0);
    return clip;
}

void HexBuffer::Cut() {
    if (HasSelection())
        EraseSelection();
}

std::optional<std::vector<std::uint8_t>>
HexBuffer::BytesFromClipboard(const std::optional<std::vector<std::uint8_t>>& binaryData,
                              const std::optional<std::vector<std::uint8_t>>& text) {
    if (binaryData && binaryData->size() >= 4) {
        const auto& b = *binaryData;
        std::size_t length = std::size_t(b[0]) | std::size_t(b[1]) << 8 | std::size_t(b[2]) << 16 |
                             std::size_t(b[3]) << 24;
        length = std::min(length, b.size() - 4);
        return std::vector<std::uint8_t>(b.begin() + 4, b.begin() + 4 + std::ptrdiff_t(length));
    }
    if (text && !text->empty()) {
        std::size_t length = text->back() == 0 ? text->size() - 1 : text->size();
        return std::vector<std::uint8_t>(text->begin(), text->begin() + std::ptrdiff_t(length));
    }
    return std::nullopt;
}

void HexBuffer::Paste(const std::vector<std::uint8_t>& bytes) {
    if (insert_) {
        if (HasSelection())
            EraseSelection();
        std::size_t at = ByteOf(caret_);
        data_.insert(data_.begin() + std::ptrdiff_t(at), bytes.begin(), bytes.end());
        caret_ = (at + bytes.size() + cellBytes_ - 1) / cellBytes_;
    } else {
        std::size_t from = ByteOf(HasSelection() ? selStart_ : caret_);
        std::size_t room = ByteOf(HasSelection() ? selEnd_ : CellCount()) - from;
        std::size_t count = std::min(bytes.size(), room);
        std::copy_n(bytes.begin(), count, data_.begin() + std::ptrdiff_t(from));
        ClearSelection();
        caret_ = (from + count + cellBytes_ - 1) / cellBytes_;
    }
    nibble_ = 0;
    Changed();
}

} // namespace vellum::gui
