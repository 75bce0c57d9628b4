#pragma once

#include "sheetrequests.h"

#include <QWidget>

class QMenu;
class QScrollBar;

namespace quillon {

class PagePicture;
class SheetJob;

/// The preview's view of the current sheet: the grey area `PicBackGround` with the page
/// picture `picPageView` in it, the scroll bars `HScroll1` and `VScroll1` (0 to 100) and the
/// corner square `Picture1`. It places the page for the zoom (PaperResize), scrolls and drags
/// it, and draws the current sheet through the job. Positions are twips, 15 to the pixel.
class PreviewWidget : public QWidget
{
    Q_OBJECT

public:
    explicit PreviewWidget(QWidget *parent = nullptr);
    ~PreviewWidget() override;

    /// The job whose sheets are shown; it must outlive the widget's use of it.
    void setJob(SheetJob *job) { m_job = job; }
    /// Opened at the pointer by a right-button press on the page picture.
    void setPopupMenu(QMenu *menu) { m_popup = menu; }

    PagePicture *pagePicture() const { return picPageView; }

    /// Sizes the page picture for ZoomRate and places it in the view: centred on an axis where
    /// it fits, 150 twips from the edge with a scroll bar where it does not. The vertical
    /// decision comes first and is not taken again. Draws nothing.
    void PaperResize();
    /// Draws the current sheet (the one starting at CurRowPage, CurColPage), or once more when
    /// the sheet being drawn is done. False when it could not be drawn completely (the reason
    /// was shown).
    bool renderCurrentSheet();
    /// Sets ZoomRate (a single-precision value), places the page again and draws the sheet;
    /// while a sheet is being drawn, when it is done.
    void setZoom(double zoom);
    /// Runs a window command now, or when the sheet being drawn is done.
    void whenIdle(std::function<void()> command) { m_requests.whenIdle(std::move(command)); }

    /// First, previous, next and last sheet; a move that is ruled out draws nothing. A move
    /// asked for while a sheet is drawn waits for it (see SheetRequests).
    void firstSheet() { m_requests.move(SheetMove::First); }
    void previousSheet() { m_requests.move(SheetMove::Previous); }
    void nextSheet() { m_requests.move(SheetMove::Next); }
    void lastSheet() { m_requests.move(SheetMove::Last); }

    qint32 OriginX = 0;
    qint32 OriginY = 0;
    qint32 StepX = 0;
    qint32 StepY = 0;
    qint32 DragStartX = 0;
    qint32 DragStartY = 0;
    bool ScrollFollows = true;

    /// The page picture's position in the view, in twips.
    QPoint pagePosition() const { return { m_pageLeft, m_pageTop }; }

Q_SIGNALS:
    /// The sheet was drawn again, or the page was placed again.
    void previewChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void movePage(qint32 left, qint32 top);
    void horizontalScrolled(int value);
    void verticalScrolled(int value);
    /// Moves the page by the pointer's offset (twips, in the page) from the drag's start.
    void dragTo(QPoint twips);
    bool pageKey(int key);
    bool drawSheet();

    SheetJob *m_job = nullptr;
    SheetRequests m_requests { true, [this] { return drawSheet(); } };
    QMenu *m_popup = nullptr;
    QWidget *PicBackGround = nullptr;
    PagePicture *picPageView = nullptr;
    QScrollBar *HScroll1 = nullptr;
    QScrollBar *VScroll1 = nullptr;
    QWidget *Picture1 = nullptr;
    qint32 m_pageLeft = 0;
    qint32 m_pageTop = 0;
    bool m_dragging = false;
};

} // namespace quillon
