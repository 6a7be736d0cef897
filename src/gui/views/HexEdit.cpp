// Layout of one line: "%0*X  " address, "%02X ", "%04X " or "%08X " per cell, then (byte cells
// only) one character per byte, '.' for bytes that do not print. Cells per line follow the width
// in characters: ((columns - address width) - 1) / (digits + 2) with the text column,
// ((columns - address width) + 1) / (digits + 1) without it, at least 1.
#include "views/HexEdit.h"

#include "application/Settings.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace vellum::gui {

namespace {

constexpr int kDefaultFontHeight = 18;
constexpr std::size_t kLongDataSize = 0x10000;

bool Printable(std::uint8_t byte) {
    return byte >= 0x20 && byte < 0x7F;
}

QByteArray ToByteArray(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

std::vector<std::uint8_t> ToBytes(const QByteArray& array) {
    return std::vector<std::uint8_t>(array.begin(), array.end());
}

} // namespace

HexEdit::HexEdit(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName("HexEdit");
    QFont font("Monospace");
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(kDefaultFontHeight);
    setFont(font);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(1);
}

void HexEdit::SetData(std::vector<std::uint8_t> data) {
    buffer_.SetData(std::move(data));
    Refit();
    viewport()->update();
}

int HexEdit::CharWidth() const {
    return std::max(1, fontMetrics().horizontalAdvance('0'));
}

int HexEdit::LineHeight() const {
    return fontMetrics().height();
}

int HexEdit::LinesPerPage() const {
    return std::max(1, viewport()->height() / LineHeight());
}

int HexEdit::FirstVisibleLine() const {
    return verticalScrollBar()->value();
}

void HexEdit::SetCellBytes(int bytes) {
    buffer_.SetCellBytes(bytes);
    SettingsChanged();
}

void HexEdit::SetAddressColumn(bool shown, int digits) {
    showAddress_ = shown;
    addressDigits_ = std::clamp(digits, 1, 16);
    SettingsChanged();
}

void HexEdit::SetTextColumn(bool shown) {
    showText_ = shown;
    SettingsChanged();
}

void HexEdit::SetFontHeight(int pixels) {
    QFont changed = font();
    changed.setPixelSize(std::max(1, pixels));
    setFont(changed);
    SettingsChanged();
}

void HexEdit::SettingsChanged() {
    Refit();
    viewport()->update();
    emit StateChanged();
}

int HexEdit::AddressDigits() const {
    return buffer_.Size() > kLongDataSize ? 8 : addressDigits_;
}

void HexEdit::Refit() {
    int columns = viewport()->width() / CharWidth();
    int room = columns - AddressWidth();
    cellsPerLine_ = TextShown() ? (room - 1) / (CellDigits() + 2) : (room + 1) / (CellDigits() + 1);
    cellsPerLine_ = std::max(1, cellsPerLine_);
    auto perLine = std::size_t(cellsPerLine_);
    int lines = int((buffer_.CellCount() + perLine) / perLine);
    verticalScrollBar()->setRange(0, std::max(0, lines - LinesPerPage()));
    verticalScrollBar()->setPageStep(LinesPerPage());
}

void HexEdit::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Refit();
}

QString HexEdit::LineText(std::size_t firstCell) const {
    const auto& data = buffer_.Data();
    QString text;
    if (showAddress_)
        text = QString("%1  ")
                   .arg(buffer_.ByteOf(firstCell), AddressDigits(), 16, QChar('0'))
                   .toUpper();
    QString chars;
    for (std::size_t i = firstCell; i < firstCell + std::size_t(cellsPerLine_); ++i) {
        bool present = i < buffer_.CellCount();
        text += present ? QString::fromStdString(buffer_.CellDigits(i)) + ' '
                        : QString(CellDigits() + 1, ' ');
        if (TextShown())
            chars += !present ? QChar(' ') : Printable(data[i]) ? QChar(data[i]) : QChar('.');
    }
    return text + chars;
}

void HexEdit::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().base());
    int cw = CharWidth(), lh = LineHeight(), ascent = fontMetrics().ascent();
    std::size_t perLine = std::size_t(cellsPerLine_);
    for (int row = 0; row <= LinesPerPage(); ++row) {
        std::size_t first = std::size_t(FirstVisibleLine() + row) * perLine;
        if (first > buffer_.CellCount())
            break;
        int y = row * lh;
        for (std::size_t i = first; i < first + perLine && i < buffer_.CellCount(); ++i) {
            if (!buffer_.IsSelected(i))
                continue;
            int col = int(i - first);
            painter.fillRect(HexColumnOf(col) * cw, y, CellDigits() * cw, lh,
                             palette().highlight());
            if (TextShown())
                painter.fillRect(TextColumnOf(col) * cw, y, cw, lh, palette().highlight());
        }
        painter.setPen(palette().text().color());
        painter.drawText(0, y + ascent, LineText(first));
        if (buffer_.Caret() / perLine == first / perLine) {
            int col = int(buffer_.Caret() - first);
            int x = buffer_.Column() == HexColumn::Hex ? (HexColumnOf(col) + buffer_.Nibble()) * cw
                                                       : TextColumnOf(col) * cw;
            if (hasFocus())
                painter.fillRect(x, y, blockCaret_ ? cw : 2, lh, palette().text());
        }
    }
}

void HexEdit::EnsureCaretVisible() {
    int line = int(buffer_.Caret() / std::size_t(cellsPerLine_));
    QScrollBar* bar = verticalScrollBar();
    if (line < bar->value())
        bar->setValue(line);
    else if (line >= bar->value() + LinesPerPage())
        bar->setValue(line - LinesPerPage() + 1);
    viewport()->update();
}

void HexEdit::AfterEdit() {
    Refit();
    EnsureCaretVisible();
    emit Edited();
}

bool HexEdit::HandleMovement(QKeyEvent* event) {
    auto caret = std::ptrdiff_t(buffer_.Caret());
    auto line = std::ptrdiff_t(cellsPerLine_);
    auto page = line * LinesPerPage();
    bool ctrl = event->modifiers() & Qt::ControlModifier;
    std::ptrdiff_t target;
    switch (event->key()) {
    case Qt::Key_Left:
        target = caret - 1;
        break;
    case Qt::Key_Right:
        target = caret + 1;
        break;
    case Qt::Key_Up:
        target = caret - line;
        break;
    case Qt::Key_Down:
        target = caret + line;
        break;
    case Qt::Key_PageUp:
        target = caret - page;
        break;
    case Qt::Key_PageDown:
        target = caret + page;
        break;
    case Qt::Key_Home:
        target = ctrl ? 0 : caret - caret % line;
        break;
    case Qt::Key_End:
        target = ctrl ? std::ptrdiff_t(buffer_.CellCount()) : caret - caret % line + line - 1;
        break;
    default:
        return false;
    }
    buffer_.MoveCaret(target, event->modifiers() & Qt::ShiftModifier);
    EnsureCaretVisible();
    return true;
}

bool HexEdit::HandleClipboardKeys(QKeyEvent* event) {
    bool shift = event->modifiers() & Qt::ShiftModifier;
    bool ctrl = event->modifiers() & Qt::ControlModifier;
    if ((ctrl && event->key() == Qt::Key_Insert) || event->matches(QKeySequence::Copy))
        CopyToClipboard();
    else if ((shift && event->key() == Qt::Key_Insert) || event->matches(QKeySequence::Paste))
        PasteFromClipboard();
    else if ((shift && event->key() == Qt::Key_Delete) || event->matches(QKeySequence::Cut))
        CutToClipboard();
    else if (event->matches(QKeySequence::SelectAll))
        buffer_.SelectAll();
    else
        return false;
    viewport()->update();
    return true;
}

bool HexEdit::HandleEditKeys(QKeyEvent* event) {
    buffer_.SetInsertMode(ReadInsertMode());
    bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Insert:
        blockCaret_ = !blockCaret_;
        viewport()->update();
        return true;
    case Qt::Key_Delete:
        buffer_.DeleteKey();
        AfterEdit();
        return true;
    case Qt::Key_Backspace:
        buffer_.Backspace();
        AfterEdit();
        return true;
    case Qt::Key_Tab:
        if (!ctrl)
            return false;
        buffer_.ToggleColumn();
        viewport()->update();
        return true;
    default:
        break;
    }
    QString text = event->text();
    if (ctrl || text.size() != 1 || text[0].unicode() > 0xFF)
        return false;
    if (buffer_.Type(char(text[0].unicode())))
        AfterEdit();
    return true;
}

void HexEdit::keyPressEvent(QKeyEvent* event) {
    if (HandleClipboardKeys(event) || HandleMovement(event) || HandleEditKeys(event)) {
        emit StateChanged();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void HexEdit::mousePressEvent(QMouseEvent* event) {
    setFocus();
    int col = int(event->position().x()) / CharWidth();
    int row = int(event->position().y()) / LineHeight() + FirstVisibleLine();
    bool inText = TextShown() && col >= TextColumnOf(0);
    int cell = inText ? col - TextColumnOf(0) : (col - AddressWidth()) / (CellDigits() + 1);
    if (col < AddressWidth() || cell >= cellsPerLine_)
        return;
    buffer_.SetColumn(inText ? HexColumn::Text : HexColumn::Hex);
    buffer_.MoveCaret(std::ptrdiff_t(row) * cellsPerLine_ + cell,
                      event->modifiers() & Qt::ShiftModifier);
    viewport()->update();
    emit StateChanged();
}

// Plain wheel notches scroll by the system's wheel lines; with Ctrl or Shift nothing happens.
void HexEdit::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) {
        event->accept();
        return;
    }
    int notches = event->angleDelta().y() / 120;
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() - notches * QApplication::wheelScrollLines());
    event->accept();
}

void HexEdit::CopyToClipboard() const {
    if (!buffer_.HasSelection())
        return;
    HexClipboard clip = buffer_.Copy();
    auto* mime = new QMimeData;
    mime->setData(kBinaryDataMime, ToByteArray(clip.binaryData));
    mime->setData("text/plain", ToByteArray(clip.text));
    QApplication::clipboard()->setMimeData(mime);
}

void HexEdit::CutToClipboard() {
    if (!buffer_.HasSelection())
        return;
    CopyToClipboard();
    buffer_.Cut();
    AfterEdit();
}

bool HexEdit::ClipboardHasData() {
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    return mime && (mime->hasFormat(kBinaryDataMime) || mime->hasFormat("text/plain"));
}

void HexEdit::PasteFromClipboard() {
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (!mime)
        return;
    std::optional<std::vector<std::uint8_t>> binary, text;
    if (mime->hasFormat(kBinaryDataMime))
        binary = ToBytes(mime->data(kBinaryDataMime));
    if (mime->hasFormat("text/plain"))
        text = ToBytes(mime->data("text/plain"));
    auto bytes = HexBuffer::BytesFromClipboard(binary, text);
    if (!bytes)
        return;
    buffer_.SetInsertMode(ReadInsertMode());
    buffer_.Paste(*bytes);
    AfterEdit();
}

} // namespace vellum::gui
