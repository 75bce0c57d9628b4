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

#include <algorithm>

namespace quillon {

namespace {

constexpr int kTwipsPerPixel = 15;

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
    picPageView->hide(); // what it shows stays until the sheet is drawn again
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
        engineState().ZoomRate = double(float(zoom));
        PaperResize();
        renderCurrentSheet();
    });
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
    if (!window()->isMinimized())
        PaperResize();
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
    default:
        return false;
    }
}

bool PreviewWidget::eventFilter(QObject *watched, QEvent *event)
{
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
