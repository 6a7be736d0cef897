// Hex editing rules: typing, deleting and the clipboard in insert and overwrite mode.
#include "views/HexBuffer.h"

#include "common/Strings.h"

#include <algorithm>

namespace vellum::gui {

namespace {} // namespace

void HexBuffer::SetData(std::vector<std::uint8_t> data) {
    data_ = std::move(data);
    caret_ = std::min(caret_, data_.size());
    nibble_ = 0;
    ClearSelection();
    modified_ = false;
}

void HexBuffer::ToggleColumn() {
    column_ = column_ == HexColumn::Hex ? HexColumn::Text : HexColumn::Hex;
    nibble_ = 0;
}

void HexBuffer::MoveCaret(std::ptrdiff_t cell, bool extend) {
    std::size_t target = std::size_t(std::clamp<std::ptrdiff_t>(cell, 0, std::ptrdiff_t(Size())));
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
    selStart_ = std::min(start, Size());
    selEnd_ = std::clamp(end, selStart_, Size());
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
        if (HasSelection()) {
            EraseSelection();
            data_.insert(data_.begin() + std::ptrdiff_t(caret_), 0);
        } else if (nibble_ == 0) {
            data_.insert(data_.begin() + std::ptrdiff_t(caret_), 0);
        }
        return true;
    }
    ClearSelection();
    return caret_ < Size();
}

bool HexBuffer::TypeHexDigit(char c) {
    int value = HexDigitValue(c);
    if (value < 0 || !PrepareTypingCell())
        return false;
    std::uint8_t& cell = data_[caret_];
    cell = nibble_ == 0 ? std::uint8_t((cell & 0x0F) | (value << 4))
                        : std::uint8_t((cell & 0xF0) | value);
    if (++nibble_ == 2) {
        nibble_ = 0;
        ++caret_;
    }
    Changed();
    return true;
}

bool HexBuffer::TypeTextChar(char c) {
    if (static_cast<unsigned char>(c) < 0x20 || !PrepareTypingCell())
        return false;
    data_[caret_++] = static_cast<std::uint8_t>(c);
    nibble_ = 0;
    Changed();
    return true;
}

void HexBuffer::EraseSelection() {
    data_.erase(data_.begin() + std::ptrdiff_t(selStart_), data_.begin() + std::ptrdiff_t(selEnd_));
    caret_ = selStart_;
    nibble_ = 0;
    ClearSelection();
    Changed();
}

void HexBuffer::DeleteKey() {
    if (insert_) {
        if (HasSelection())
            EraseSelection();
        else if (caret_ < Size()) {
            data_.erase(data_.begin() + std::ptrdiff_t(caret_));
            Changed();
        }
        return;
    }
    if (!HasSelection())
        return;
    std::fill(data_.begin() + std::ptrdiff_t(selStart_), data_.begin() + std::ptrdiff_t(selEnd_),
              0);
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
        data_.erase(data_.begin() + std::ptrdiff_t(--caret_));
        nibble_ = 0;
        Changed();
    }
}

HexClipboard HexBuffer::Copy() const {
    HexClipboard clip;
    auto first = data_.begin() + std::ptrdiff_t(selStart_);
    auto last = data_.begin() + std::ptrdiff_t(selEnd_);
    std::uint32_t length = std::uint32_t(selEnd_ - selStart_);
    for (int shift = 0; shift < 32; shift += 8)
        clip.binaryData.push_back(std::uint8_t(length >> shift));
    clip.binaryData.insert(clip.binaryData.end(), first, last);
    clip.text.assign(first, last);
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
        data_.insert(data_.begin() + std::ptrdiff_t(caret_), bytes.begin(), bytes.end());
        caret_ += bytes.size();
    } else {
        std::size_t from = HasSelection() ? selStart_ : caret_;
        std::size_t room = (HasSelection() ? selEnd_ : Size()) - from;
        std::size_t count = std::min(bytes.size(), room);
        std::copy_n(bytes.begin(), count, data_.begin() + std::ptrdiff_t(from));
        ClearSelection();
        caret_ = from + count;
    }
    nibble_ = 0;
    Changed();
}

} // namespace vellum::gui
