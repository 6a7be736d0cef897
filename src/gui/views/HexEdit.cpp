// Layout of one line: "%08X  " address, "%02X " per cell, then one character per byte ('.' for
// bytes that do not print). Cells per line follow the width: ((columns - 10) - 1) / 4, at least 1.
#include "views/HexEdit.h"

#include "app/Settings.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace vellum::gui {

namespace {

constexpr int kAddressDigits = 8;
constexpr int kAddressWidth = kAddressDigits + 2;
constexpr int kFontHeight = 18;

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
    font.setPixelSize(kFontHeight);
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

void HexEdit::Refit() {
    int columns = viewport()->width() / CharWidth();
    cellsPerLine_ = std::max(1, ((columns - kAddressWidth) - 1) / 4);
    int lines = int((buffer_.Size() + std::size_t(cellsPerLine_)) / std::size_t(cellsPerLine_));
    verticalScrollBar()->setRange(0, std::max(0, lines - LinesPerPage()));
    verticalScrollBar()->setPageStep(LinesPerPage());
}

void HexEdit::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Refit();
}

QString HexEdit::LineText(std::size_t firstCell) const {
    const auto& data = buffer_.Data();
    QString text = QString("%1  ").arg(firstCell, kAddressDigits, 16, QChar('0')).toUpper();
    QString chars;
    for (std::size_t i = firstCell; i < firstCell + std::size_t(cellsPerLine_); ++i) {
        if (i < data.size()) {
            text += QString("%1 ").arg(data[i], 2, 16, QChar('0')).toUpper();
            chars += Printable(data[i]) ? QChar(data[i]) : QChar('.');
        } else {
            text += "   ";
            chars += ' ';
        }
    }
    return text + chars;
}

void HexEdit::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().base());
    int cw = CharWidth(), lh = LineHeight(), ascent = fontMetrics().ascent();
    std::size_t perLine = std::size_t(cellsPerLine_);
    int textColumn = kAddressWidth + cellsPerLine_ * 3;
    for (int row = 0; row <= LinesPerPage(); ++row) {
        std::size_t first = std::size_t(FirstVisibleLine() + row) * perLine;
        if (first > buffer_.Size())
            break;
        int y = row * lh;
        for (std::size_t i = first; i < first + perLine && i < buffer_.Size(); ++i) {
            if (!buffer_.IsSelected(i))
                continue;
            int col = int(i - first);
            painter.fillRect((kAddressWidth + col * 3) * cw, y, 2 * cw, lh, palette().highlight());
            painter.fillRect((textColumn + col) * cw, y, cw, lh, palette().highlight());
        }
        painter.setPen(palette().text().color());
        painter.drawText(0, y + ascent, LineText(first));
        if (buffer_.Caret() / perLine == first / perLine) {
            int col = int(buffer_.Caret() - first);
            int x = buffer_.Column() == HexColumn::Hex
                        ? (kAddressWidth + col * 3 + buffer_.Nibble()) * cw
                        : (textColumn + col) * cw;
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
        target = ctrl ? std::ptrdiff_t(buffer_.Size()) : caret - caret % line + line - 1;
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
    int textColumn = kAddressWidth + cellsPerLine_ * 3;
    bool inText = col >= textColumn;
    int cell = inText ? col - textColumn : (col - kAddressWidth) / 3;
    if (cell < 0 || cell >= cellsPerLine_)
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
