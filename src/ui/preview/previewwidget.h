#pragma once

#include "sheetrequests.h"

#include <QWidget>

#include <optional>

class QMenu;
class QScrollBar;
class QWheelEvent;

namespace quillon {

class PagePicture;
class SheetJob;

/// The preview's view of the current sheet: the grey area `PicBackGround` with the page
/// picture `picPageView` in it, the scroll bars `HScroll1` and `VScroll1` (0 to 100) and the
/// corner square `Picture1`. It places the page for the zoom (PaperResize), scrolls and drags
/// it, and draws the current sheet through the job. Positions are twips, 15 to the pixel.
/// The wheel and the arrow keys scroll a tenth of the page; the wheel turns the sheet past its
/// bottom or top; Ctrl with the wheel zooms around the pointer.
class PreviewWidget : public QWidget
{
    Q_OBJECT

public:
    /// A zoom that follows the view: the whole sheet, or its width.
    enum class ZoomFit { None, WholePage, PageWidth };
    Q_ENUM(ZoomFit)

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
    /// Fits the zoom to the view from now on (or no more, with ZoomFit::None), also when the
    /// view or the paper changes; draws the sheet when one was drawn before.
    void setZoomFit(ZoomFit fit);
    ZoomFit zoomFit() const { return m_fit; }
    /// To the next or previous step of ten percent (10 % to 400 %), `notches` times, keeping
    /// the point `anchor` (pixels in this widget) where it is; the view's centre without one.
    void zoomBy(int notches, std::optional<QPointF> anchor = std::nullopt);
    /// Runs a window command now, or when the sheet being drawn is done.
    void whenIdle(std::function<void()> command) { m_requests.whenIdle(std::move(command)); }

    /// First, previous, next and last sheet; a move that is ruled out draws nothing. A move
    /// asked for while a sheet is drawn waits for it (see SheetRequests).
    void firstSheet() { m_requests.move(SheetMove::First); }
    void previousSheet() { m_requests.move(SheetMove::Previous); }
    void nextSheet() { m_requests.move(SheetMove::Next); }
    void lastSheet() { m_requests.move(SheetMove::Last); }
    /// The sheet of this number, kept within the sheets there are.
    void goToSheet(qint32 sheet) { m_requests.moveTo(sheet); }

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
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void movePage(qint32 left, qint32 top);
    void horizontalScrolled(int value);
    void verticalScrolled(int value);
    /// Moves the page by the pointer's offset (twips, in the page) from the drag's start.
    void dragTo(QPoint twips);
    bool pageKey(int key);
    bool drawSheet();
    /// ZoomRate for the fit and the view's size; true when it changed.
    bool fitZoom();
    /// Moves the page so that its point `onPage` (twips from its corner) lies at `at` (twips
    /// in the view), as far as the scroll bars go.
    void placePoint(QPointF at, QPointF onPage);
    /// A wheel turn at `at` (pixels in this widget); `sideways` over the horizontal bar.
    void wheel(const QWheelEvent &event, QPointF at, bool sideways);
    /// Scrolls by wheel angle (eighths of a degree, 120 a notch; positive is up or left).
    void wheelScroll(Qt::Orientation orientation, int angle);
    void stepZoom(int notches, std::optional<QPointF> anchor);
    /// Scrolls a number of tenths of the page, as far as the scroll bar goes.
    void scrollTenths(Qt::Orientation orientation, double tenths);

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
    bool m_drawn = false;
    ZoomFit m_fit = ZoomFit::None;
    /// Wheel turns not yet acted on: a part of a scroll step, a part of a notch.
    double m_wheelRest[2] {};
    int m_turnAngle = 0;
    int m_zoomAngle = 0;
    int m_zoomNotches = 0;
};

} // namespace quillon
