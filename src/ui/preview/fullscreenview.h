#pragma once

#include "sheetrequests.h"

#include <QDialog>
#include <QImage>

#include <memory>

class QMenu;

namespace quillon {

class EngineSnapshot;
class ImagePicture;
class PreviewProgressSink;
class PreviewStatusSink;
class SheetJob;
class Surface;

/// The full-screen view (frmfullscreen): the preview's sheet on a borderless, maximised window,
/// without toolbar, scroll bars or status bar. The page picture picPage can be dragged with the
/// left button; the keys (Esc, Page Up, Page Down, Home, End, + (or =) and - on the keypad or
/// the main keyboard, Ctrl+P on release) and the right-button popup menu page, zoom in steps of
/// 0.2, print the sheet on screen (the view stays open) and close.
///
/// The preview opens it for its "全屏" command with the job it draws through:
/// \code
/// FullScreenView::showModal(job, this);
/// \endcode
/// While the view is open it draws on its own picture and leaves the preview's status and
/// progress bars alone. When it closes it puts back what the preview had (drawing target, zoom,
/// current logical page, SheetNav, sheet number, status and progress bars), and the preview is
/// not drawn again: its picture still shows the sheet those values point to.
class FullScreenView : public QDialog
{
    Q_OBJECT

public:
    /// Opens the view on the current sheet of a preview job, modally, and returns when the view
    /// has closed and the preview's state is back.
    static void showModal(SheetJob &job, QWidget *parent = nullptr);

    /// Takes over the drawing from the preview and draws the current sheet; exec() shows it.
    /// The preview's state comes back when the view closes or is destroyed.
    explicit FullScreenView(SheetJob &job, QWidget *parent = nullptr);
    ~FullScreenView() override;

    /// The sheet commands: false when the command does not apply and nothing was drawn.
    bool firstSheet();
    bool previousSheet();
    bool nextSheet();
    bool lastSheet();
    /// ZoomRate up or down by 0.2 in single precision, below 4 and above 0.5 only.
    bool zoomIn();
    bool zoomOut();
    /// Places the page picture: centred where it fits the window, else at its top or left.
    void placePage();
    /// Prints the sheet on screen on the current printer: one copy of its first logical page.
    void printSheet();

    /// The sheet as drawn last.
    QImage pageImage() const;
    QMenu *popupMenu() const { return m_menu; }

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void buildMenu();
    /// Sizes picPage for ZoomRate; its top-left stays.
    void sizePage();
    bool render();
    bool drawSheet();
    void restorePreview();
    double twipsPerPixelX() const;
    double twipsPerPixelY() const;

    SheetJob &m_job;
    std::unique_ptr<EngineSnapshot> m_snapshot;
    PreviewStatusSink *m_statusBar = nullptr;
    PreviewProgressSink *m_progressBar = nullptr;
    std::unique_ptr<ImagePicture> m_picture;
    Surface *m_previewTarget = nullptr;
    double m_previewZoom = 1;
    bool m_printed = false;
    qint32 DragStartX = 0;
    qint32 DragStartY = 0;
    QWidget *picPage = nullptr;
    QMenu *m_menu = nullptr;
    SheetRequests m_requests { false, [this] { return drawSheet(); } };
};

} // namespace quillon
