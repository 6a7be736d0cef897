// Building and painting the preview of a dialog template.
#include "views/DialogPreview.h"

#include "views/DialogControlWidget.h"
#include "views/MenuView.h"

#include <QApplication>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionTitleBar>
#include <qdrawutil.h>

namespace vellum::gui {

namespace {

using namespace window_style;

// Window metrics of a standard 96-dpi Windows desktop.
constexpr int kCaptionHeight = 23;
constexpr int kToolCaptionHeight = 17;
constexpr int kThickFrame = 4;
constexpr int kDialogFrame = 3;
constexpr int kUpDownWidth = 17; // a vertical scroll bar's width
constexpr int kSystemFontPixels = 13;
constexpr int kWindowsBold = 700;
// CCS_NOPARENTALIGN: a status bar stays where the template puts it instead of at the bottom.
constexpr std::uint32_t kNoParentAlign = 0x8;

// The interface faces the shell's dialog names stand for, and near ones found elsewhere.
const QStringList kInterfaceFaces = {"Tahoma",          "Segoe UI", "Microsoft Sans Serif",
                                     "Liberation Sans", "Arial",    "DejaVu Sans Condensed",
                                     "DejaVu Sans"};

bool IsPicture(ControlKind kind) {
    return kind == ControlKind::Icon || kind == ControlKind::Bitmap;
}

} // namespace

QFont DialogFontOf(const DialogTemplate& dialog) {
    QFont font;
    if (!dialog.HasFont()) {
        font.setFamilies(kInterfaceFaces);
        font.setPixelSize(kSystemFontPixels);
        font.setBold(true);
        return font;
    }
    QStringList families = kInterfaceFaces;
    families.prepend(QString::fromStdU16String(dialog.font.typeface));
    font.setFamilies(families);
    font.setPixelSize(std::max(1, FontPixelHeight(dialog.font.pointSize)));
    if (dialog.extended) {
        font.setBold(dialog.font.weight >= kWindowsBold);
        font.setItalic(dialog.font.italic != 0);
    }
    return font;
}

DialogBaseUnits MeasureBaseUnits(const QFont& font) {
    QFontMetrics metrics(font);
    int width = metrics.horizontalAdvance(
        QString::fromLatin1(kBaseUnitLetters.data(), int(kBaseUnitLetters.size())));
    return DialogBaseUnits::FromFont(width, metrics.height());
}

DialogPreview::DialogPreview(const DialogTemplate& dialog, const DialogResources& resources,
                             std::optional<DialogBaseUnits> units, QWidget* parent)
    : QWidget(parent) {
    setObjectName("DialogPreview");
    // The pane around the dialog has its own background; the dialog keeps the window's.
    setBackgroundRole(QPalette::Window);
    QFont font = DialogFontOf(dialog);
    units_ = units ? *units : dialog.HasFont() ? MeasureBaseUnits(font) : DialogBaseUnits::System();
    caption_ = QString::fromStdU16String(dialog.title);
    style_ = dialog.style;
    exStyle_ = dialog.exStyle;
    MeasureFrame(dialog);
    client_ = new QWidget(this);
    client_->setObjectName("DialogClient");
    client_->setFont(font);
    client_->setAutoFillBackground(true);
    client_->setGeometry(border_, border_ + titleHeight_, units_.PixelsX(dialog.cx),
                         units_.PixelsY(dialog.cy));
    AddMenuBar(dialog, resources);
    // A preview: the controls take neither clicks nor keys.
    client_->setAttribute(Qt::WA_TransparentForMouseEvents);
    AddControls(dialog, resources);
    for (QWidget* child : client_->findChildren<QWidget*>())
        child->setFocusPolicy(Qt::NoFocus);
    setFixedSize(client_->width() + 2 * border_, client_->y() + client_->height() + border_);
}

void DialogPreview::MeasureFrame(const DialogTemplate& dialog) {
    bool caption = (style_ & kCaption) == kCaption;
    if (style_ & kThickFrame)
        border_ = kThickFrame;
    else if (caption || (style_ & (kDialogFrame | kDsModalFrame)) ||
             (exStyle_ & kExDialogModalFrame))
        border_ = kDialogFrame;
    else if (style_ & kBorder)
        border_ = 1;
    if (caption)
        titleHeight_ = (dialog.exStyle & kExToolWindow) ? kToolCaptionHeight : kCaptionHeight;
}

// A window menu sits between the title bar and the client area, which keeps its size.
void DialogPreview::AddMenuBar(const DialogTemplate& dialog, const DialogResources& resources) {
    std::optional<MenuTemplate> menu;
    if (!dialog.menu.Empty() && resources.menu)
        menu = resources.menu(dialog.menu);
    if (!menu)
        return;
    menuBar_ = new QMenuBar(this);
    menuBar_->setNativeMenuBar(false);
    menuBar_->setAttribute(Qt::WA_TransparentForMouseEvents);
    menuBar_->setFocusPolicy(Qt::NoFocus);
    BuildMenuBar(*menu, menuBar_);
    int height = menuBar_->sizeHint().height();
    menuBar_->setGeometry(client_->x(), client_->y(), client_->width(), height);
    client_->move(client_->x(), client_->y() + height);
}

void DialogPreview::AddControls(const DialogTemplate& dialog, const DialogResources& resources) {
    for (const DialogItem& item : dialog.items)
        controls_.push_back(AddControl(item, resources));
    AttachUpDowns(dialog);
}

QWidget* DialogPreview::AddControl(const DialogItem& item, const DialogResources& resources) {
    ControlLook look = DescribeControl(item);
    QPixmap image;
    if (IsPicture(look.kind) && resources.image && !item.title.Empty())
        image = resources.image(item.title, look.kind == ControlKind::Icon);
    QWidget* widget = CreateControlWidget(item, look, image, client_);
    PixelRect rect = units_.ToPixels(item);
    if (IsPicture(look.kind) && !image.isNull() && !look.keepImageSize) {
        // Without SS_REALSIZECONTROL or SS_CENTERIMAGE the static takes its picture's size.
        rect.width = image.width();
        rect.height = image.height();
    } else if (look.kind == ControlKind::ComboBox && !look.simpleList) {
        // The template's height includes the dropped list; the closed box is one line high.
        rect.height = widget->sizeHint().height();
    } else if (look.kind == ControlKind::EtchedLine) {
        (look.vertical ? rect.width : rect.height) = 2;
    } else if (look.kind == ControlKind::StatusBar && !(item.style & kNoParentAlign)) {
        int height = widget->sizeHint().height();
        rect = {0, client_->height() - height, client_->width(), height};
    }
    widget->setGeometry(rect.x, rect.y, rect.width, rect.height);
    return widget;
}

void DialogPreview::AttachUpDowns(const DialogTemplate& dialog) {
    for (std::size_t i = 1; i < dialog.items.size(); ++i) {
        const DialogItem& item = dialog.items[i];
        if (DescribeControl(item).kind != ControlKind::UpDown || !AttachesToBuddy(item.style))
            continue;
        auto toRect = [](const QRect& r) { return PixelRect{r.x(), r.y(), r.width(), r.height()}; };
        PixelRect upDown = toRect(controls_[i]->geometry());
        PixelRect buddy = toRect(controls_[i - 1]->geometry());
        AttachUpDown(item.style, upDown, buddy, kUpDownWidth);
        controls_[i]->setGeometry(upDown.x, upDown.y, upDown.width, upDown.height);
        controls_[i - 1]->setGeometry(buddy.x, buddy.y, buddy.width, buddy.height);
    }
}

void DialogPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (border_ == 1) {
        painter.setPen(palette().color(QPalette::Shadow));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    } else if (border_ > 1) {
        qDrawWinPanel(&painter, rect(), palette(), false);
    }
    if (titleHeight_ > 0)
        PaintTitleBar(painter);
}

void DialogPreview::PaintTitleBar(QPainter& painter) {
    QStyleOptionTitleBar option;
    option.initFrom(this);
    option.rect = QRect(border_, border_, width() - 2 * border_, titleHeight_);
    option.text = caption_;
    option.state |= QStyle::State_Active;
    option.titleBarState = Qt::WindowActive;
    option.titleBarFlags = Qt::Window | Qt::WindowTitleHint;
    option.subControls = QStyle::SC_TitleBarLabel;
    if (style_ & kSysMenu) {
        option.titleBarFlags |= Qt::WindowSystemMenuHint;
        option.subControls |= QStyle::SC_TitleBarCloseButton;
        if (style_ & kMinimizeBox) {
            option.titleBarFlags |= Qt::WindowMinimizeButtonHint;
            option.subControls |= QStyle::SC_TitleBarMinButton;
        }
        if (style_ & kMaximizeBox) {
            option.titleBarFlags |= Qt::WindowMaximizeButtonHint;
            option.subControls |= QStyle::SC_TitleBarMaxButton;
        }
        if ((exStyle_ & kExContextHelp) && !(style_ & (kMinimizeBox | kMaximizeBox))) {
            option.titleBarFlags |= Qt::WindowContextHelpButtonHint;
            option.subControls |= QStyle::SC_TitleBarContextHelpButton;
        }
    }
    painter.setFont(QApplication::font());
    style()->drawComplexControl(QStyle::CC_TitleBar, &option, &painter, this);
}

} // namespace vellum::gui
