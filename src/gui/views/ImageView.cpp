// Loading, drawing and the commands of the image pane.
#include "views/ImageView.h"

#include "application/Settings.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "formats/ResourceFiles.h"
#include "imaging/Colorizer.h"
#include "platform/DragShortcut.h"
#include "views/EditorButton.h"
#include "views/FileTime.h"
#include "views/ImageRender.h"
#include "views/ReplaceFile.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDrag>
#include <QFileDialog>
#include <QFontDatabase>
#include <QImageReader>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QStyle>
#include <QToolBar>
#include <QToolTip>

namespace vellum::gui {

namespace {

constexpr int kTipDelayMs = 1000;
constexpr int kTipShowMs = 2000;
constexpr int kCheckerSquare = 6;
const QColor kSilver(192, 192, 192);

const char* const kImageTip = "Double Click Bitmap to edit.\nClick and drag to copy.";
const char* const kGroupTip = "This displays all the icons/cursors in this group.\nIndividual "
                              "icons/cursors can be viewed above.";

// The 24 x 24 tile of white and silver 6-pixel squares the view's background is made of.
QBrush CheckerBrush() {
    QPixmap tile(4 * kCheckerSquare, 4 * kCheckerSquare);
    QPainter painter(&tile);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            painter.fillRect(x * kCheckerSquare, y * kCheckerSquare, kCheckerSquare, kCheckerSquare,
                             (x + y) % 2 ? kSilver : QColor(Qt::white));
    return QBrush(tile);
}

QRect ToQRect(const PixelRect& rect) {
    return QRect(rect.x, rect.y, rect.width, rect.height);
}

int Rows(const LoadedDib& image) {
    return std::abs(image.height);
}

std::string FileNameOf(const std::string& path) {
    PathParts parts = SplitPath(path);
    return parts.fname + parts.ext;
}

} // namespace

ImageView::ImageView(AppServices& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("ImageView");
    setMouseTracking(true);
    CreateToolbar();
    preview_ = new QLabel(this);
    preview_->setObjectName("ImagePreview");
    preview_->setAlignment(Qt::AlignCenter);
    preview_->hide();
    watch_.setInterval(kWatchIntervalMs);
    connect(&watch_, &QTimer::timeout, this, &ImageView::CheckFile);
    tipTimer_.setSingleShot(true);
    tipTimer_.setInterval(kTipDelayMs);
    connect(&tipTimer_, &QTimer::timeout, this, &ImageView::ShowTip);
    animationTimer_.setSingleShot(true);
    connect(&animationTimer_, &QTimer::timeout, this, &ImageView::NextFrame);
}

void ImageView::CreateToolbar() {
    toolbar_ = new QToolBar(this);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setAutoFillBackground(true);
    editButton_ = new EditorButton(app_, EditorKind::Image);
    editButton_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    editButton_->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    editButton_->SetRunCheck([this](const EditorEntry* editor) { return CanEditWith(editor); });
    toolbar_->addWidget(editButton_);
    QAction* replace = toolbar_->addAction(style()->standardIcon(QStyle::SP_BrowserReload),
                                           "Replace...", this, &ImageView::Replace);
    // A tool button drops a trailing "..." from the text it derives; these keep it.
    replace->setIconText(replace->text());
    toolbar_->addAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView), "View Hex", this,
                        &ImageView::ViewHexRequested);
    trueSize_ =
        toolbar_->addAction(style()->standardIcon(QStyle::SP_TitleBarNormalButton), "True Size");
    trueSize_->setCheckable(true);
    trueSize_->setChecked(ReadIntSetting(kScaleToFitKey, 1) == 0);
    connect(trueSize_, &QAction::toggled, this, &ImageView::SetTrueSize);
    copy_ = toolbar_->addAction(style()->standardIcon(QStyle::SP_DialogSaveButton),
                                "Copy to Clipboard", this, &ImageView::CopyToClipboard);
    QAction* memory =
        toolbar_->addAction(style()->standardIcon(QStyle::SP_DriveHDIcon), "Memory Replace...");
    memory->setIconText(memory->text());
    memory->setEnabled(false);
    memory->setToolTip("Memory Replace swaps a resource inside the running system through a "
                       "Windows system service; Linux has no such service.");
    // The buttons' text under their icons needs more than the classic 30 pixels here.
    band_ = std::max(kToolbarBand, toolbar_->sizeHint().height());
    toolbar_->setFixedHeight(band_);
}

QString ImageView::ListingText() const {
    return ShowsGroup() ? QString::fromStdString(GroupListingText(group_.directory)) : QString();
}

bool ImageView::TrueSize() const {
    return trueSize_->isChecked();
}

void ImageView::SetTrueSize(bool on) {
    if (trueSize_->isChecked() != on) {
        trueSize_->setChecked(on); // comes back here through toggled
        return;
    }
    WriteSetting(kScaleToFitKey, on ? "0" : "1");
    if (ShowsDib() || ShowsGroup())
        Relayout();
    else if (!path_.empty())
        LoadPreview();
    update();
}

void ImageView::Show(const std::string& path, Project* project, XmlNode* fileNode,
                     ImageRequest request) {
    Clear();
    path_ = path;
    project_ = project;
    fileNode_ = fileNode;
    request_ = request;
    bool group = request != ImageRequest::Plain;
    for (QAction* action : toolbar_->actions())
        if (action != toolbar_->actions().back()) // Memory Replace stays disabled
            action->setEnabled(!group);
    editButton_->SetFile(group ? std::string() : path);
    Load();
    watch_.start();
    if (image_.status == LoadStatus::Invalid || group_.status == LoadStatus::Invalid)
        QTimer::singleShot(0, this, [this, path] {
            if (path == path_)
                AskAboutInvalidImage();
        });
}

void ImageView::Clear() {
    watch_.stop();
    animationTimer_.stop();
    animation_ = {};
    path_.clear();
    kind_ = ImageKind::None;
    image_ = {};
    group_ = {};
    info_ = {};
    zoom_ = 1;
    rects_.clear();
    drawn_.clear();
    pressAt_.reset();
    editButton_->SetFile({});
    preview_->hide();
    preview_->clear();
    delete movie_;
    movie_ = nullptr;
    update();
}

void ImageView::Load() {
    seen_ = LastWriteTime(path_);
    kind_ = KindOfImageFile(path_, request_);
    if (ShowsGroup()) {
        group_ = LoadGroupFile(path_, kind_ == ImageKind::CursorGroup);
    } else if (kind_ == ImageKind::AnimatedCursor) {
        LoadAnimationFrames();
    } else if (IsDibKind(kind_)) {
        image_ = LoadDibFile(path_, kind_);
        if (image_.status != LoadStatus::Unreadable)
            info_ = InfoTextsFor(path_, kind_, image_);
    } else {
        LoadPreview();
        return;
    }
    preview_->hide();
    Relayout();
}

// An animated cursor shows its first step's frame and plays the others at their rates.
void ImageView::LoadAnimationFrames() {
    animation_ = LoadAnimationFile(path_);
    step_ = 0;
    image_ = {};
    image_.status = animation_.status;
    if (animation_.status == LoadStatus::Ok)
        image_ = animation_.frames[animation_.steps.front().frame];
    if (image_.status != LoadStatus::Unreadable)
        info_ = InfoTextsFor(path_, ImageKind::Cursor, image_);
    if (animation_.status == LoadStatus::Ok && animation_.steps.size() > 1)
        ScheduleNextFrame();
}

// Rates are in jiffies, sixtieths of a second; a minute is the longest any step is held.
void ImageView::ScheduleNextFrame() {
    constexpr std::uint32_t kJiffiesPerSecond = 60;
    std::uint32_t jiffies = std::min<std::uint32_t>(animation_.steps[step_].jiffies, 3600);
    animationTimer_.start(int(jiffies * 1000 / kJiffiesPerSecond));
}

void ImageView::NextFrame() {
    if (animation_.steps.empty())
        return;
    step_ = (step_ + 1) % animation_.steps.size();
    image_ = animation_.frames[animation_.steps[step_].frame];
    Render();
    ScheduleNextFrame();
}

// GIF (animated too) and JPEG through Qt's readers; stretched over the area below the toolbar
// unless True Size is on. Anything else says that it has no preview.
void ImageView::LoadPreview() {
    delete movie_;
    movie_ = nullptr;
    preview_->clear();
    preview_->setGeometry(0, band_, width(), std::max(height() - band_, 0));
    preview_->setScaledContents(!TrueSize());
    QString file = QString::fromStdString(path_);
    bool known = kind_ == ImageKind::Gif || kind_ == ImageKind::Jpeg;
    QImageReader reader(file);
    if (known && reader.canRead() && reader.supportsAnimation() && reader.imageCount() != 1) {
        movie_ = new QMovie(file, QByteArray(), this);
        preview_->setMovie(movie_);
        movie_->start();
    } else if (QImage picture = known ? reader.read() : QImage(); !picture.isNull()) {
        preview_->setPixmap(QPixmap::fromImage(picture));
    } else {
        preview_->setScaledContents(false);
        preview_->setText("No preview for this file type. View Hex shows its bytes.");
    }
    preview_->show();
}

void ImageView::Relayout() {
    rects_.clear();
    if (ShowsGroup()) {
        zoom_ = 1;
        std::vector<MemberSize> sizes;
        for (const LoadedDib& member : group_.members)
            sizes.push_back(member.status == LoadStatus::Ok ? MemberSize{member.width, Rows(member)}
                                                            : MemberSize{});
        rects_ = StackGroupMembers(sizes, band_);
    } else if (ShowsDib() && image_.status != LoadStatus::Unreadable) {
        int w = std::max(image_.width, 1);
        int h = std::max(Rows(image_), 1);
        if (image_.status == LoadStatus::Invalid)
            w = h = 1;
        zoom_ = ZoomFor(w, h, width(), height(), true, TrueSize(), band_);
        rects_ = {ImageRectFor(w, h, zoom_, true, band_)};
    }
    if (panel_)
        panel_->setGeometry(
            ToQRect(ColorizerPanelRect(rects_, ShowsGroup(), width(), height(), band_)));
    Render();
}

// The pictures are made once per layout, not at every repaint.
void ImageView::Render(const std::vector<LoadedDib>* colorized) {
    drawn_.assign(rects_.size(), QImage());
    for (std::size_t i = 0; i < rects_.size(); ++i) {
        const LoadedDib& source = colorized      ? (*colorized)[i]
                                  : ShowsGroup() ? group_.members[i]
                                                 : image_;
        ImageKind kind =
            ShowsGroup() ? (group_.cursor ? ImageKind::Cursor : ImageKind::Icon) : kind_;
        drawn_[i] = RenderedImage(source, kind, rects_[i].width, rects_[i].height);
    }
    update();
}

void ImageView::AskAboutInvalidImage() {
    int answer = app_.prompter.Ask("This image resource appears to be invalid. Delete resource?",
                                   "Invalid Resource", MB_YESNO | MB_ICONEXCLAMATION);
    if (answer != IDYES)
        return;
    // The frame's Edit > Delete Resource does the deletion, as if the user had chosen it.
    if (QAction* remove = window()->findChild<QAction*>("edit.delete"))
        QTimer::singleShot(0, remove, &QAction::trigger);
}

void ImageView::CheckFile() {
    if (path_.empty() || LastWriteTime(path_) <= seen_)
        return;
    Load();
}

void ImageView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    toolbar_->setGeometry(0, 0, width(), band_);
    if (preview_->isVisible())
        preview_->setGeometry(0, band_, width(), std::max(height() - band_, 0));
    if (ShowsDib() || ShowsGroup())
        Relayout();
}

void ImageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    static const QBrush checker = CheckerBrush();
    painter.fillRect(rect(), checker);
    if (ShowsDib() && image_.status != LoadStatus::Unreadable)
        PaintInfoBand(painter);
    if (ShowsGroup())
        PaintListing(painter);
    for (std::size_t i = 0; i < drawn_.size(); ++i)
        if (!drawn_[i].isNull())
            painter.drawImage(QPoint(rects_[i].x, rects_[i].y), drawn_[i]);
}

// Two lines 18 pixels apart; the right-hand texts share the column where their colons meet.
void ImageView::PaintInfoBand(QPainter& painter) {
    painter.fillRect(0, band_, width(), kInfoBand, palette().color(QPalette::Dark));
    painter.setPen(palette().color(QPalette::Base));
    QFontMetrics metrics = painter.fontMetrics();
    auto width = [&](const std::string& text) {
        return metrics.horizontalAdvance(QString::fromStdString(text));
    };
    auto colon = [&](const std::string& text) { return width(text.substr(0, text.find(':'))); };
    int left = std::max(width(info_.fileName), width(info_.fileSize));
    InfoColumns columns =
        AlignInfoColumns(left, colon(info_.imageSize), width(info_.imageSize),
                         colon(info_.pixelDepth), width(info_.pixelDepth), this->width());
    int first = band_ + (kInfoBand - kInfoLineStep) / 2 + metrics.ascent() / 2;
    int second = first + kInfoLineStep;
    painter.drawText(kImageMargin, first, QString::fromStdString(info_.fileName));
    painter.drawText(kImageMargin, second, QString::fromStdString(info_.fileSize));
    painter.drawText(columns.upperX, first, QString::fromStdString(info_.imageSize));
    painter.drawText(columns.lowerX, second, QString::fromStdString(info_.pixelDepth));
}

void ImageView::PaintListing(QPainter& painter) {
    int height = ListingHeight(int(group_.directory.entries.size()));
    painter.fillRect(0, band_, width(), height, palette().color(QPalette::Dark));
    painter.setPen(palette().color(QPalette::Base));
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    painter.setFont(fixed);
    QFontMetrics metrics(fixed);
    int baseline = (kListingLineStep + metrics.ascent() - metrics.descent()) / 2;
    QStringList lines = ListingText().split('\n');
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(kImageMargin, band_ + i * kListingLineStep + baseline, lines[i]);
}

int ImageView::RectAt(QPoint point) const {
    for (std::size_t i = 0; i < rects_.size(); ++i)
        if (!drawn_[i].isNull() && rects_[i].Contains(point.x(), point.y()))
            return int(i);
    return -1;
}

// The pictures' tips keep their own timing (shown once the pointer has rested a second, hidden
// after two), so the toolkit's tip requests are not used.
bool ImageView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip)
        return true;
    if (event->type() == QEvent::Leave)
        tipTimer_.stop();
    return QWidget::event(event);
}

void ImageView::ShowTip() {
    int index = RectAt(tipAt_);
    if (index < 0)
        return;
    QString tip = ShowsGroup() ? kGroupTip : kImageTip;
    QToolTip::showText(mapToGlobal(tipAt_), tip, this, ToQRect(rects_[std::size_t(index)]),
                       kTipShowMs);
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    pressedRect_ = event->button() == Qt::LeftButton ? RectAt(event->pos()) : -1;
    pressAt_ = pressedRect_ >= 0 ? std::optional<QPoint>(event->pos()) : std::nullopt;
    QWidget::mousePressEvent(event);
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
    bool over = RectAt(event->pos()) >= 0;
    setCursor(over ? Qt::PointingHandCursor : Qt::ArrowCursor);
    tipAt_ = event->pos();
    if (over && !QToolTip::isVisible())
        tipTimer_.start();
    else if (!over)
        tipTimer_.stop();
    if (!pressAt_ || !(event->buttons() & Qt::LeftButton))
        return;
    QPoint moved = event->pos() - *pressAt_;
    if (std::abs(moved.x()) > kDragDistance || std::abs(moved.y()) > kDragDistance) {
        pressAt_.reset();
        StartDrag(std::size_t(pressedRect_));
    }
}

void ImageView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!ShowsGroup() && event->button() == Qt::LeftButton && RectAt(event->pos()) >= 0)
        editButton_->RunEditor(nullptr);
}

void ImageView::StartDrag(std::size_t index) {
    auto* drag = new QDrag(this);
    drag->setMimeData(DragData(index));
    const LoadedDib& image = ShowsGroup() ? group_.members.at(index) : image_;
    drag->setPixmap(DragPixmap(image, ShowsGroup() ? ImageKind::Icon : kind_));
    drag->exec(Qt::CopyAction);
}

// A group is offered as the .ico or .cur file its members make, assembled in the temporary
// folder beside its shortcut.
std::string ImageView::OfferedPath() const {
    if (!ShowsGroup())
        return path_;
    const char* ext = group_.cursor ? ".cur" : ".ico";
    std::string offered = DragShortcutPath(QDir::tempPath().toStdString(), FileNameOf(path_));
    offered = offered.substr(0, offered.size() - std::string(".desktop").size()) + ext;
    std::vector<std::uint8_t> bytes;
    if (FAILED(ReadWholeFile(path_, bytes)))
        return path_ + ext;
    std::string folder = SplitPath(path_).drive + SplitPath(path_).dir;
    auto member = [&](unsigned id) {
        std::vector<std::uint8_t> file;
        if (auto found = ResolveInFolder(folder, GroupMemberFileName(id, group_.cursor)))
            ReadWholeFile(*found, file);
        return file;
    };
    std::uint32_t last = 0;
    auto assembled = GroupFile(ByteView(bytes.data(), bytes.size()), group_.cursor, member, last);
    if (!assembled || FAILED(ReplaceFileContents(offered, assembled->data(), assembled->size())))
        return path_ + ext;
    return offered;
}

QMimeData* ImageView::DragData(std::size_t index) const {
    const LoadedDib& image = ShowsGroup() ? group_.members.at(index) : image_;
    std::string offered = OfferedPath();
    return ImageMimeData(image, WriteDragShortcut(offered, FileNameOf(offered)));
}

void ImageView::CopyToClipboard() {
    if (ShowsGroup() || image_.status != LoadStatus::Ok)
        return;
    QApplication::clipboard()->setMimeData(ImageMimeData(image_, std::nullopt));
}

void ImageView::Replace() {
    QString chosen = QFileDialog::getOpenFileName(this, "Browse For an Image File",
                                                  QString::fromStdString(path_),
                                                  "Image Files (*.bmp *.png *.gif *.jpg *.avi)");
    if (!chosen.isEmpty())
        ReplaceWith(chosen.toStdString());
}

bool ImageView::ReplaceWith(const std::string& chosen) {
    if (ShowsGroup())
        return false;
    auto target = ReplacePaneFile(app_, path_, chosen, project_, fileNode_);
    if (!target)
        return false;
    Show(*target, project_, fileNode_, request_);
    emit FileChanged();
    return true;
}

bool ImageView::CanEditWith(const EditorEntry* editor) {
    if (!editor || !PaintCannotEditCursor(editor->command, path_))
        return true;
    app_.prompter.Ask("Microsoft Paint is not configured to handle Cursor Files\nPlease set up an "
                      "editor for cursors.\n",
                      "Warning", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void ImageView::SetColorizerPanel(QWidget* panel) {
    if (panel_ && panel_ != panel)
        panel_->hide();
    panel_ = panel;
    if (!panel_)
        return;
    panel_->setParent(this);
    panel_->setGeometry(
        ToQRect(ColorizerPanelRect(rects_, ShowsGroup(), width(), height(), band_)));
    panel_->show();
}

void ImageView::PreviewColorized(const Colorizer& colorizer) {
    std::vector<LoadedDib> colorized;
    if (ShowsGroup())
        for (const LoadedDib& member : group_.members)
            colorized.push_back(ColorizedCopy(member, colorizer));
    else if (!rects_.empty())
        colorized.push_back(ColorizedCopy(image_, colorizer));
    if (colorized.size() == rects_.size())
        Render(&colorized);
}

bool ImageView::ApplyColorization(const Colorizer& colorizer, ColorizeScope scope) {
    if (!project_ || path_.empty())
        return false;
    ShownImage shown{path_, &project_->Manifest(), fileNode_, request_};
    HRESULT result = vellum::ApplyColorization(colorizer, shown, scope, app_.prompter);
    if (result == S_FALSE)
        return false;
    // A failure stops no other file, so something may have been written either way.
    Load();
    emit FileChanged();
    if (FAILED(result)) {
        app_.ShowErrorTrail();
        return false;
    }
    return true;
}

} // namespace vellum::gui
