// Making the widgets of a dialog preview.
#include "views/DialogControlWidget.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QCommandLinkButton>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSizeGrip>
#include <QSlider>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyleOption>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeWidget>

namespace vellum::gui {

namespace {

QString Text(const DialogItem& item) {
    return item.title.IsOrdinal() ? QString() : QString::fromStdU16String(item.title.name);
}

Qt::Alignment Horizontal(TextAlign align) {
    return align == TextAlign::Center  ? Qt::AlignHCenter
           : align == TextAlign::Right ? Qt::AlignRight
                                       : Qt::AlignLeft;
}

// An up-down control: two arrow buttons, one above the other (side by side with UDS_HORZ).
class UpDownArrows : public QWidget {
public:
    UpDownArrows(bool vertical, QWidget* parent) : QWidget(parent), vertical_(vertical) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QRect first =
            vertical_ ? QRect(0, 0, width(), height() / 2) : QRect(0, 0, width() / 2, height());
        QRect second = vertical_ ? QRect(0, height() / 2, width(), height() - height() / 2)
                                 : QRect(width() / 2, 0, width() - width() / 2, height());
        Arrow(painter, first,
              vertical_ ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowLeft);
        Arrow(painter, second,
              vertical_ ? QStyle::PE_IndicatorArrowDown : QStyle::PE_IndicatorArrowRight);
    }

private:
    void Arrow(QPainter& painter, const QRect& rect, QStyle::PrimitiveElement arrow) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = rect;
        option.state |= QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &painter, this);
        option.rect = rect.adjusted(2, 2, -2, -2);
        style()->drawPrimitive(arrow, &option, &painter, this);
    }

    bool vertical_;
};

// SS_ETCHEDHORZ and SS_ETCHEDVERT: a shadow line with a light line beside it, at the top or left
// of the control.
class EtchedLine : public QWidget {
public:
    EtchedLine(bool vertical) : vertical_(vertical) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Dark));
        vertical_ ? painter.drawLine(0, 0, 0, height()) : painter.drawLine(0, 0, width(), 0);
        painter.setPen(palette().color(QPalette::Light));
        vertical_ ? painter.drawLine(1, 0, 1, height()) : painter.drawLine(0, 1, width(), 1);
    }

private:
    bool vertical_;
};

QWidget* MakeButton(const DialogItem& item, const ControlLook& look) {
    QString text = Text(item);
    switch (look.kind) {
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(text);
        box->setTristate(look.threeState);
        return box;
    }
    case ControlKind::RadioButton:
        return new QRadioButton(text);
    case ControlKind::GroupBox:
        return new QGroupBox(text);
    case ControlKind::CommandLink:
        return new QCommandLinkButton(text);
    default: {
        auto* button = new QPushButton(text);
        button->setDefault(look.isDefault);
        button->setCheckable(look.pushLike);
        return button;
    }
    }
}

QWidget* MakeEdit(const DialogItem& item, const ControlLook& look) {
    if (look.multiLine) {
        auto* edit = new QPlainTextEdit(Text(item));
        edit->setReadOnly(look.readOnly);
        return edit;
    }
    auto* edit = new QLineEdit(Text(item));
    edit->setFrame(look.bordered);
    edit->setAlignment(Horizontal(look.align) | Qt::AlignVCenter);
    edit->setReadOnly(look.readOnly);
    if (look.password)
        edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QWidget* MakeLabel(const DialogItem& item, const ControlLook& look) {
    auto* label = new QLabel;
    label->setTextFormat(Qt::RichText);
    label->setText(LabelMarkup(item.title.name, look.noPrefix));
    label->setWordWrap(look.wordWrap);
    label->setAlignment(Horizontal(look.align) | Qt::AlignTop);
    return label;
}

QWidget* MakeImage(const ControlLook& look, const QPixmap& image) {
    auto* label = new QLabel;
    label->setAlignment(look.keepImageSize ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
    if (!image.isNull())
        label->setPixmap(image);
    else
        label->setFrameStyle(QFrame::Box | QFrame::Plain); // where the missing picture goes
    return label;
}

QColor ShadeColour(Shade shade, const QPalette& palette) {
    return shade == Shade::Black   ? QColor(Qt::black)
           : shade == Shade::White ? QColor(Qt::white)
                                   : palette.color(QPalette::Dark);
}

QWidget* MakeShape(const ControlLook& look) {
    if (look.kind == ControlKind::EtchedLine)
        return new EtchedLine(look.vertical);
    auto* frame = new QFrame;
    QPalette palette = frame->palette();
    QColor colour = ShadeColour(look.shade, palette);
    if (look.kind == ControlKind::FilledRect) {
        palette.setColor(QPalette::Window, colour);
        frame->setAutoFillBackground(true);
    } else if (look.shade == Shade::Etched) {
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    } else {
        palette.setColor(QPalette::WindowText, colour);
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    }
    frame->setPalette(palette);
    return frame;
}

QWidget* MakeList(const ControlLook& look) {
    if (look.kind == ControlKind::ListBox || !look.report) {
        auto* list = new QListWidget;
        if (look.kind == ControlKind::ListView)
            list->setViewMode(QListView::IconMode);
        return list;
    }
    auto* table = new QTreeWidget;
    table->setRootIsDecorated(false);
    table->setHeaderLabels({QString()});
    table->setHeaderHidden(!look.headerShown);
    return table;
}

QWidget* MakeCombo(const DialogItem& item, const ControlLook& look) {
    auto* combo = new QComboBox;
    combo->setEditable(look.editable);
    if (look.editable)
        combo->setEditText(Text(item));
    return combo;
}

QWidget* MakeDateTime(const ControlLook& look) {
    QDateTimeEdit* edit = look.timeFormat ? static_cast<QDateTimeEdit*>(new QTimeEdit)
                                          : new QDateEdit(QDate::currentDate());
    edit->setCalendarPopup(!look.timeFormat);
    return edit;
}

QWidget* MakeSlider(const ControlLook& look) {
    auto* slider = new QSlider(look.vertical ? Qt::Vertical : Qt::Horizontal);
    if (look.ticks)
        slider->setTickPosition(look.vertical ? QSlider::TicksRight : QSlider::TicksBelow);
    return slider;
}

QWidget* MakeProgress(const ControlLook& look) {
    auto* bar = new QProgressBar;
    bar->setOrientation(look.vertical ? Qt::Vertical : Qt::Horizontal);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

QWidget* MakeHeader() {
    auto* header = new QHeaderView(Qt::Horizontal);
    header->setModel(new QStandardItemModel(0, 1, header));
    header->setStretchLastSection(true);
    return header;
}

// A SysLink's text marks its links with <a>; those without an address still look like links.
QWidget* MakeLink(const DialogItem& item) {
    QString text = Text(item);
    text.replace(QRegularExpression("<a>", QRegularExpression::CaseInsensitiveOption),
                 "<a href=\"#\">");
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget* MakeLineField(const QString& text, const QString& mask) {
    auto* edit = new QLineEdit;
    if (!mask.isEmpty()) {
        edit->setInputMask(mask);
        edit->setAlignment(Qt::AlignCenter);
    }
    edit->setText(text);
    return edit;
}

// A class no preview knows: a frame that names it.
QWidget* MakeUnknown(const ControlLook& look) {
    auto* label = new QLabel(QString::fromStdString(look.className));
    label->setObjectName("UnknownControl");
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setToolTip(QString::fromStdString(look.className));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Dark));
    label->setPalette(palette);
    return label;
}

QWidget* MakeCommonControl(const DialogItem& item, const ControlLook& look) {
    switch (look.kind) {
    case ControlKind::TreeView: {
        auto* tree = new QTreeWidget;
        tree->setHeaderHidden(true);
        tree->setRootIsDecorated(look.treeLines);
        return tree;
    }
    case ControlKind::Progress:
        return MakeProgress(look);
    case ControlKind::Trackbar:
        return MakeSlider(look);
    case ControlKind::Tab:
        return new QTabWidget;
    case ControlKind::UpDown:
        return new UpDownArrows(look.vertical, nullptr);
    case ControlKind::RichEdit:
        return new QTextEdit(Text(item));
    case ControlKind::DateTime:
        return MakeDateTime(look);
    case ControlKind::MonthCalendar:
        return new QCalendarWidget;
    case ControlKind::Link:
        return MakeLink(item);
    case ControlKind::Toolbar:
        return new QToolBar;
    case ControlKind::Header:
        return MakeHeader();
    case ControlKind::Animation:
        return new QLabel;
    case ControlKind::IpAddress:
        return MakeLineField(QString(), "000.000.000.000; ");
    case ControlKind::HotKey:
        return MakeLineField("None", QString());
    case ControlKind::StatusBar: {
        auto* bar = new QStatusBar;
        bar->setSizeGripEnabled(look.sizeGrip);
        return bar;
    }
    default:
        return MakeUnknown(look);
    }
}

QWidget* MakeWidget(const DialogItem& item, const ControlLook& look, const QPixmap& image) {
    switch (look.kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::GroupBox:
    case ControlKind::CommandLink:
        return MakeButton(item, look);
    case ControlKind::OwnerDraw: {
        auto* frame = new QFrame;
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        return frame;
    }
    case ControlKind::Edit:
        return MakeEdit(item, look);
    case ControlKind::Label:
        return MakeLabel(item, look);
    case ControlKind::Icon:
    case ControlKind::Bitmap:
        return MakeImage(look, image);
    case ControlKind::FilledRect:
    case ControlKind::FrameRect:
    case ControlKind::EtchedLine:
        return MakeShape(look);
    case ControlKind::ListBox:
    case ControlKind::ListView:
        return MakeList(look);
    case ControlKind::ComboBox:
        return MakeCombo(item, look);
    case ControlKind::ScrollBar:
        return new QScrollBar(look.vertical ? Qt::Vertical : Qt::Horizontal);
    case ControlKind::SizeBox:
        return new QSizeGrip(nullptr);
    default:
        return MakeCommonControl(item, look);
    }
}

// Borders the template asks for, on the widgets that draw their own frame. Windows gives bordered
// edits and lists the sunken client edge of its 3-D look; other statics keep a thin line.
void ApplyBorder(QWidget* widget, const ControlLook& look) {
    auto* frame = qobject_cast<QFrame*>(widget);
    bool field = look.kind == ControlKind::ListBox || look.kind == ControlKind::ListView ||
                 look.kind == ControlKind::TreeView || look.kind == ControlKind::RichEdit ||
                 look.kind == ControlKind::Edit;
    bool plain = look.kind == ControlKind::Label || look.kind == ControlKind::Animation;
    if (!frame || !(field || plain))
        return;
    frame->setFrameStyle((look.sunken || (field && look.bordered))
                             ? QFrame::StyledPanel | QFrame::Sunken
                         : look.bordered ? QFrame::Box | QFrame::Plain
                                         : QFrame::NoFrame);
}

// Scroll bars only where the styles ask for them: always for an edit, as needed for lists.
void ApplyScrollBars(QWidget* widget, const ControlLook& look) {
    auto* area = qobject_cast<QAbstractScrollArea*>(widget);
    if (!area)
        return;
    Qt::ScrollBarPolicy wanted =
        look.kind == ControlKind::Edit ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded;
    area->setVerticalScrollBarPolicy(look.vScroll ? wanted : Qt::ScrollBarAlwaysOff);
    area->setHorizontalScrollBarPolicy(look.hScroll ? wanted : Qt::ScrollBarAlwaysOff);
}

} // namespace

QString LabelMarkup(std::u16string_view text, bool noPrefix) {
    MnemonicText split = noPrefix ? MnemonicText{std::u16string(text), -1} : SplitMnemonic(text);
    QString plain = QString::fromStdU16String(split.text);
    QString markup;
    for (int i = 0; i < plain.size(); ++i) {
        QString piece = plain.mid(i, 1).toHtmlEscaped();
        if (plain[i] == '\r')
            continue;
        if (plain[i] == '\n')
            piece = "<br>";
        else if (plain[i] == ' ' && i + 1 < plain.size() && plain[i + 1] == ' ')
            piece = "&nbsp;";
        markup += i == split.underline ? "<u>" + piece + "</u>" : piece;
    }
    return markup;
}

QWidget* CreateControlWidget(const DialogItem& item, const ControlLook& look, const QPixmap& image,
                             QWidget* parent) {
    QWidget* widget = MakeWidget(item, look, image);
    ApplyBorder(widget, look);
    ApplyScrollBars(widget, look);
    widget->setParent(parent);
    widget->setEnabled(look.enabled);
    widget->setVisible(look.visible);
    widget->setProperty("controlId", item.id);
    return widget;
}

} // namespace vellum::gui
