#include "previewwidget.h"

#include "pagepicture.h"

#include "engine/convert.h"
#include "engine/layout/sheetjob.h"
#include "engine/state/enginestate.h"
#include "engine/state/registry.h"
#include "platform/interfaces/surface.h"
#include "ui/dialogs/slotguard_p.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace quillon {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kNotch = 120;
// The zooms the steps and the fits stay within: beyond 400 % the picture of a page takes
// hundreds of megabytes.
constexpr double kMinZoom = 0.1;
constexpr double kMaxZoom = 4.0;

int toPixels(double twips)
{
    return roundHalfEven(twips / kTwipsPerPixel);
}

/// The page picture's size at the current zoom, in twips.
QSize pageTwips()
{
    const EngineState &s = engineState();
    return { roundHalfEven(s.ZoomRate * s.PaperWidthTw),
        roundHalfEven(s.ZoomRate * s.PaperHeightTw) };
}

QSize pagePixels()
{
    const QSize twips = pageTwips();
    return { std::max(1, toPixels(twips.width())), std::max(1, toPixels(twips.height())) };
}

/// A scroll bar's large change: 100 shared out over the views the page needs.
int largeChange(qint32 page, qint32 view)
{
    return view > 0 ? roundHalfEven(100.0 / (page / view + 1)) : 100;
}

} // namespace

PreviewWidget::PreviewWidget(QWidget *parent)
    : QWidget(parent)
{
    PicBackGround = new QWidget(this);
    PicBackGround->setObjectName(QStringLiteral("PicBackGround"));
    PicBackGround->setAutoFillBackground(true);
    QPalette grey = PicBackGround->palette();
    grey.setColor(QPalette::Window, grey.color(QPalette::Dark));
    PicBackGround->setPalette(grey);

    picPageView = new PagePicture(PicBackGround);
    picPageView->installEventFilter(this);

    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    VScroll1 = new QScrollBar(Qt::Vertical, this);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    for (QScrollBar *bar : { HScroll1, VScroll1 }) {
        bar->setRange(0, 100);
        bar->hide();
    }
    HScroll1->installEventFilter(this);
    VScroll1->installEventFilter(this);
    connect(HScroll1, &QScrollBar::valueChanged, this, &PreviewWidget::horizontalScrolled);
    connect(VScroll1, &QScrollBar::valueChanged, this, &PreviewWidget::verticalScrolled);

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAutoFillBackground(true); // the window's background colour
    Picture1->hide();
}

PreviewWidget::~PreviewWidget() = default;

void PreviewWidget::movePage(qint32 left, qint32 top)
{
    m_pageLeft = left;
    m_pageTop = top;
    picPageView->move(toPixels(left), toPixels(top));
}

void PreviewWidget::PaperResize()
{
    // What it shows stays until the sheet is drawn again. Hidden, it gives the focus away:
    // it takes it back, or the keys would go to the window's page box.
    const bool focused = picPageView->hasFocus();
    picPageView->hide();
    const QSize page = pageTwips();
    picPageView->resize(pagePixels());

    // The decisions measure the view without scroll bars, so that a placement does not depend
    // on the bars the previous one showed.
    const qint32 areaWidth = width() * kTwipsPerPixel;
    const qint32 areaHeight = height() * kTwipsPerPixel;
    const qint32 barWidth = VScroll1->sizeHint().width() * kTwipsPerPixel;
    const qint32 barHeight = HScroll1->sizeHint().height() * kTwipsPerPixel;
    StepX = page.width() + 300 - areaWidth;
    StepY = page.height() + 300 - areaHeight;

    qint32 viewWidth = areaWidth;
    qint32 viewHeight = areaHeight;
    qint32 left = m_pageLeft;
    qint32 top = m_pageTop;
    const bool vertical = StepY > 0;
    if (vertical) {
        viewWidth = areaWidth - barWidth;
        top = OriginY = 150;
        StepX += barWidth;
    }
    const bool horizontal = StepX > 0;
    if (horizontal) {
        viewHeight = areaHeight - barHeight;
        left = OriginX = 150;
        StepY += barHeight;
    } else {
        left = (viewWidth - page.width()) / 2;
    }
    // Centred in the height the view ends up with.
    if (!vertical)
        top = (viewHeight - page.height()) / 2;

    PicBackGround->setGeometry(0, 0, toPixels(viewWidth), toPixels(viewHeight));
    VScroll1->setVisible(vertical);
    HScroll1->setVisible(horizontal);
    if (horizontal)
        HScroll1->setGeometry(0, toPixels(viewHeight), toPixels(viewWidth), toPixels(barHeight));
    if (vertical)
        VScroll1->setGeometry(toPixels(viewWidth), 0, toPixels(barWidth), toPixels(viewHeight));
    Picture1->setVisible(vertical && horizontal);
    Picture1->setGeometry(
        toPixels(viewWidth), toPixels(viewHeight), toPixels(barWidth), toPixels(barHeight));

    HScroll1->setPageStep(largeChange(page.width(), viewWidth));
    VScroll1->setPageStep(largeChange(page.height(), viewHeight));
    StepX = roundHalfEven(StepX / 100.0);
    StepY = roundHalfEven(StepY / 100.0);
    {
        // Back to 0 without moving the page from where it was just placed.
        const QSignalBlocker blockH(HScroll1);
        const QSignalBlocker blockV(VScroll1);
        HScroll1->setValue(0);
        VScroll1->setValue(0);
    }
    movePage(left, top);
    picPageView->show();
    if (focused)
        picPageView->setFocus();
    Q_EMIT previewChanged();
}

bool PreviewWidget::renderCurrentSheet()
{
    return m_requests.draw();
}

bool PreviewWidget::drawSheet()
{
    if (!m_job)
        return false;
    EngineState &s = engineState();
    m_drawn = true;
    fitZoom();
    // The layout may have changed the paper: the page picture takes its new size first.
    if (picPageView->size() != pagePixels())
        PaperResize();
    const bool drawn
        = m_job->renderSheetFrom(s.CurRowPage, s.CurColPage, *picPageView->surfaceForDrawing());
    picPageView->drawingDone();
    Q_EMIT previewChanged();
    return drawn;
}

void PreviewWidget::setZoom(double zoom)
{
    // The sheet being drawn is scaled by ZoomRate: the new zoom waits for it.
    m_requests.whenIdle([this, zoom] {
        m_fit = ZoomFit::None;
        engineState().ZoomRate = double(float(zoom));
        PaperResize();
        renderCurrentSheet();
    });
}

void PreviewWidget::setZoomFit(ZoomFit fit)
{
    m_requests.whenIdle([this, fit] {
        m_fit = fit;
        fitZoom();
        PaperResize();
        // Before the first sheet the window is not shown yet: its activation draws it.
        if (m_drawn)
            renderCurrentSheet();
    });
}

bool PreviewWidget::fitZoom()
{
    EngineState &s = engineState();
    if (m_fit == ZoomFit::None || s.PaperWidthTw <= 0 || s.PaperHeightTw <= 0)
        return false;
    // PaperResize keeps 150 twips around the page.
    const double areaWidth = width() * kTwipsPerPixel - 300.0;
    const double areaHeight = height() * kTwipsPerPixel - 300.0;
    double zoom = areaWidth / s.PaperWidthTw;
    if (m_fit == ZoomFit::WholePage)
        zoom = std::min(zoom, areaHeight / s.PaperHeightTw);
    else if (zoom * s.PaperHeightTw > areaHeight)
        zoom = (areaWidth - VScroll1->sizeHint().width() * kTwipsPerPixel) / s.PaperWidthTw;
    // Whole percents, rounded down: the status bar shows a plain figure and the page still fits.
    const double fitted
        = double(float(std::clamp(std::floor(zoom * 100) / 100, kMinZoom, kMaxZoom)));
    if (fitted == s.ZoomRate)
        return false;
    s.ZoomRate = fitted;
    return true;
}

void PreviewWidget::zoomBy(int notches, std::optional<QPointF> anchor)
{
    // Notches that come while a sheet is drawn add up.
    m_zoomNotches += notches;
    m_requests.whenIdle([this, anchor] { stepZoom(std::exchange(m_zoomNotches, 0), anchor); });
}

void PreviewWidget::stepZoom(int notches, std::optional<QPointF> anchor)
{
    EngineState &s = engineState();
    const double before = s.ZoomRate;
    // In whole tenths of a percent: a single's 0.53000000… is 53 %.
    double percent = std::round(before * 1000) / 10;
    for (int i = 0; i < std::abs(notches); ++i)
        percent = notches > 0 ? std::floor(percent / 10 + 1e-6) * 10 + 10
                              : std::ceil(percent / 10 - 1e-6) * 10 - 10;
    const double zoom = double(float(std::clamp(percent / 100, kMinZoom, kMaxZoom)));
    // At a limit, or beyond it already (a zoom typed in): a step never goes the other way.
    if (notches > 0 ? zoom <= before : zoom >= before)
        return;
    const QPointF at = anchor.value_or(QPointF(PicBackGround->width(), PicBackGround->height()) / 2)
        * kTwipsPerPixel;
    const QPointF onPage = (at - QPointF(pagePosition())) * (zoom / before);
    m_fit = ZoomFit::None;
    s.ZoomRate = zoom;
    PaperResize();
    placePoint(at, onPage);
    renderCurrentSheet();
}

void PreviewWidget::placePoint(QPointF at, QPointF onPage)
{
    // An axis without a scroll bar keeps the page centred as PaperResize placed it.
    const auto place
        = [](QScrollBar *bar, qint32 origin, qint32 step, double wanted, qint32 placed) {
              if (bar->isHidden())
                  return placed;
              const qint32 position = roundHalfEven(
                  std::clamp(wanted, origin - 100.0 * std::max(0, step), double(origin)));
              const QSignalBlocker block(bar);
              bar->setValue(step > 0 ? roundHalfEven(double(origin - position) / step) : 0);
              return position;
          };
    movePage(place(HScroll1, OriginX, StepX, at.x() - onPage.x(), m_pageLeft),
        place(VScroll1, OriginY, StepY, at.y() - onPage.y(), m_pageTop));
}

void PreviewWidget::horizontalScrolled(int value)
{
    if (ScrollFollows)
        movePage(OriginX - value * StepX, m_pageTop);
}

void PreviewWidget::verticalScrolled(int value)
{
    if (ScrollFollows)
        movePage(m_pageLeft, OriginY - value * StepY);
}

void PreviewWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (window()->isMinimized())
        return;
    // While a sheet is drawn the zoom stays: the fit is taken again when it is drawn anew.
    const bool refit = m_fit != ZoomFit::None && (m_requests.drawing() || fitZoom());
    PaperResize();
    if (refit && m_drawn)
        runGuarded([this] { renderCurrentSheet(); });
}

void PreviewWidget::wheelEvent(QWheelEvent *event)
{
    runGuarded([&] { wheel(*event, event->position(), false); });
    event->accept();
}

void PreviewWidget::wheel(const QWheelEvent &event, QPointF at, bool sideways)
{
    const QPoint angle = event.angleDelta();
    const int turn = angle.y() != 0 ? angle.y() : angle.x();
    if (event.modifiers() & Qt::ControlModifier) {
        m_zoomAngle += turn;
        const int notches = m_zoomAngle / kNotch;
        m_zoomAngle -= notches * kNotch;
        if (notches != 0)
            zoomBy(notches, at);
        return;
    }
    sideways = sideways || (event.modifiers() & Qt::ShiftModifier) || angle.y() == 0;
    wheelScroll(sideways ? Qt::Horizontal : Qt::Vertical, turn);
}

void PreviewWidget::wheelScroll(Qt::Orientation orientation, int angle)
{
    const QScrollBar *bar = orientation == Qt::Vertical ? VScroll1 : HScroll1;
    const bool down = angle < 0;
    if (orientation == Qt::Vertical
        && (bar->isHidden() || bar->value() == (down ? bar->maximum() : bar->minimum()))) {
        // Past the bottom of the page the next sheet shows from its top, past the top the
        // previous one from its bottom: a whole notch for each sheet.
        m_turnAngle = (m_turnAngle < 0) == down ? m_turnAngle + angle : angle;
        if (std::abs(m_turnAngle) < kNotch)
            return;
        m_turnAngle = 0;
        if (m_requests.move(down ? SheetMove::Next : SheetMove::Previous) && !bar->isHidden())
            VScroll1->setValue(down ? VScroll1->minimum() : VScroll1->maximum());
        return;
    }
    m_turnAngle = 0;
    scrollTenths(orientation, -double(angle) / kNotch);
}

void PreviewWidget::scrollTenths(Qt::Orientation orientation, double tenths)
{
    const bool vertical = orientation == Qt::Vertical;
    QScrollBar *bar = vertical ? VScroll1 : HScroll1;
    if (bar->isHidden())
        return;
    // The bar counts steps of StepX or StepY twips; what is left of a step waits for the next
    // turn the same way.
    const QSize page = pageTwips();
    const double units = tenths * (vertical ? page.height() : page.width()) / 10.0
        / std::max(1, vertical ? StepY : StepX);
    double &rest = m_wheelRest[vertical ? 1 : 0];
    rest = (rest < 0) == (units < 0) ? rest + units : units;
    const int whole = int(rest);
    rest -= whole;
    bar->setValue(bar->value() + whole);
}

void PreviewWidget::dragTo(QPoint twips)
{
    ScrollFollows = false;
    movePage(m_pageLeft + twips.x() - DragStartX, m_pageTop + twips.y() - DragStartY);
    const auto value = [](qint32 origin, qint32 position, qint32 step) {
        return step == 0 ? 0 : std::clamp(roundHalfEven(double(origin - position) / step), 0, 100);
    };
    VScroll1->setValue(value(OriginY, m_pageTop, StepY));
    HScroll1->setValue(value(OriginX, m_pageLeft, StepX));
}

bool PreviewWidget::pageKey(int key)
{
    switch (key) {
    case Qt::Key_PageUp:
        previousSheet();
        return true;
    case Qt::Key_PageDown:
        nextSheet();
        return true;
    case Qt::Key_End:
        lastSheet();
        return true;
    case Qt::Key_Home:
        firstSheet();
        return true;
    // The arrows scroll half of what a wheel notch does.
    case Qt::Key_Up:
    case Qt::Key_Down:
        scrollTenths(Qt::Vertical, key == Qt::Key_Up ? -0.5 : 0.5);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        scrollTenths(Qt::Horizontal, key == Qt::Key_Left ? -0.5 : 0.5);
        return true;
    default:
        return false;
    }
}

bool PreviewWidget::eventFilter(QObject *watched, QEvent *event)
{
    // A notch over a bar moves as far as one over the page, not the bar's few pixels. The page
    // takes its turns here too: a wheel event sent to it (not by the window system) would not
    // reach this widget.
    if (event->type() == QEvent::Wheel
        && (watched == HScroll1 || watched == VScroll1 || watched == picPageView)) {
        const auto *turn = static_cast<QWheelEvent *>(event);
        auto *over = static_cast<QWidget *>(watched);
        runGuarded([&] { wheel(*turn, over->mapTo(this, turn->position()), over == HScroll1); });
        return true;
    }
    if (watched == HScroll1) {
        if (event->type() == QEvent::FocusIn)
            picPageView->setFocus();
        return false;
    }
    if (watched != picPageView)
        return false;
    bool handled = false;
    runGuarded([&] {
        switch (event->type()) {
        case QEvent::KeyPress:
            handled = pageKey(static_cast<QKeyEvent *>(event)->key());
            break;
        case QEvent::MouseButtonPress: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton) {
                picPageView->setCursor(Qt::SizeAllCursor);
                DragStartX = roundHalfEven(mouse->position().x() * kTwipsPerPixel);
                DragStartY = roundHalfEven(mouse->position().y() * kTwipsPerPixel);
                m_dragging = true;
                handled = true;
            } else if (mouse->button() == Qt::RightButton && m_popup) {
                m_popup->popup(mouse->globalPosition().toPoint());
                handled = true;
            }
            break;
        }
        case QEvent::MouseMove: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (m_dragging && (mouse->buttons() & Qt::LeftButton)) {
                const QPointF at = mouse->position() * kTwipsPerPixel;
                dragTo(QPoint(roundHalfEven(at.x()), roundHalfEven(at.y())));
                handled = true;
            }
            break;
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && m_dragging) {
                picPageView->unsetCursor();
                ScrollFollows = true;
                m_dragging = false;
                handled = true;
            }
            break;
        default:
            break;
        }
    });
    return handled || QWidget::eventFilter(watched, event);
}

} // namespace quillon
