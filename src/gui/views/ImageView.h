// The image pane: a toolbar (Edit, Replace..., View Hex, True Size, Copy to Clipboard, Memory
// Replace...), an info band with the file's name, size and depth, and the image drawn over a
// checkerboard so that transparency shows. Icon and cursor groups list their directory and
// stack their members. GIF and JPEG files are previewed by Qt's readers. The file is watched
// and reloaded when another program changes it; the colorizer panel sits right of the image.
#pragma once

#include "application/AppServices.h"
#include "imaging/ColorizeApply.h"
#include "imaging/ImageFile.h"
#include "imaging/ImageLayout.h"
#include "project/Project.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMimeData;
class QMovie;
class QToolBar;

namespace vellum {
class Colorizer;
}

namespace vellum::gui {

class EditorButton;

class ImageView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWatchIntervalMs = 2000;
    static constexpr int kDragDistance = 3;

    ImageView(AppServices& app, QWidget* parent = nullptr);

    // Shows the file of the resource whose File node is `fileNode`; the group requests show the
    // group file's listing and its members.
    void Show(const std::string& path, Project* project, XmlNode* fileNode, ImageRequest request);
    // Forgets the image and stops watching its file.
    void Clear();

    const std::string& Path() const { return path_; }
    ImageKind Kind() const { return kind_; }
    // Kinds drawn from a DIB: bitmaps, PNGs, icons, cursors and animated cursors.
    bool ShowsDib() const { return IsDibKind(kind_) || kind_ == ImageKind::AnimatedCursor; }
    // The step of an animated cursor on screen.
    std::size_t AnimationStep() const { return step_; }
    bool ShowsGroup() const {
        return kind_ == ImageKind::IconGroup || kind_ == ImageKind::CursorGroup;
    }
    const LoadedDib& Dib() const { return image_; }
    int Zoom() const { return zoom_; }
    // The rectangles drawn: the image, or one per group member (empty for a missing member).
    const std::vector<PixelRect>& DrawnRects() const { return rects_; }
    const ImageInfoTexts& InfoTexts() const { return info_; }
    QString ListingText() const;
    QToolBar* Toolbar() { return toolbar_; }
    // The toolbar's band at the top; the info band and the image area lie below it.
    int ToolbarBand() const { return band_; }
    EditorButton* EditButton() { return editButton_; }
    // The text shown instead of a picture the platform cannot preview.
    QLabel* Preview() { return preview_; }

    bool TrueSize() const;
    void SetTrueSize(bool on);

    // Copy to Clipboard: the image and its DIB bytes; nothing without a DIB or for a group.
    void CopyToClipboard();
    // Replaces the resource's file by `chosen` (Replace... after its file dialog).
    bool ReplaceWith(const std::string& chosen);
    // What a drag out of drawn rectangle `index` carries: the image, its DIB and the shortcut.
    QMimeData* DragData(std::size_t index) const;

    // The colorizer panel, placed right of the image.
    void SetColorizerPanel(QWidget* panel);
    // Draws the image (each member of a group) colorized in memory; the files stay as they are.
    // The next reload shows the files again.
    void PreviewColorized(const Colorizer& colorizer);
    // Writes the colorization into the files of `scope` after the user agrees, then reloads.
    bool ApplyColorization(const Colorizer& colorizer, ColorizeScope scope);

signals:
    // The pane changed the project: it replaced or colorized the file.
    void FileChanged();
    // View Hex: the host shows the same file in the hex view.
    void ViewHexRequested();

public slots:
    // Reloads the file when its last-write time is newer than the one last seen.
    void CheckFile();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void CreateToolbar();
    void Load();
    void LoadPreview();
    void LoadAnimationFrames();
    void ScheduleNextFrame();
    void NextFrame();
    void Relayout();
    void Render(const std::vector<LoadedDib>* colorized = nullptr);
    void AskAboutInvalidImage();
    void Replace();
    bool CanEditWith(const EditorEntry* editor);
    void PaintInfoBand(QPainter& painter);
    void PaintListing(QPainter& painter);
    int RectAt(QPoint point) const;
    std::string OfferedPath() const;
    void StartDrag(std::size_t index);
    void ShowTip();

    AppServices& app_;
    QToolBar* toolbar_;
    EditorButton* editButton_;
    QAction* trueSize_;
    QAction* copy_;
    QLabel* preview_;
    QMovie* movie_ = nullptr;
    QWidget* panel_ = nullptr;
    QTimer watch_;
    QTimer animationTimer_;
    QTimer tipTimer_;
    QPoint tipAt_;
    int band_ = kToolbarBand;

    std::string path_;
    Project* project_ = nullptr;
    XmlNode* fileNode_ = nullptr;
    ImageRequest request_ = ImageRequest::Plain;
    ImageKind kind_ = ImageKind::None;
    LoadedDib image_;
    LoadedGroup group_;
    LoadedAnimation animation_;
    std::size_t step_ = 0;
    ImageInfoTexts info_;
    int zoom_ = 1;
    std::vector<PixelRect> rects_;
    std::vector<QImage> drawn_; // one per rectangle
    std::filesystem::file_time_type seen_{};
    std::optional<QPoint> pressAt_;
    int pressedRect_ = -1;
};

} // namespace vellum::gui
