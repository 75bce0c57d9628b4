#include "fullscreenview.h"

#include "engine/layout/printrange.h"
#include "engine/layout/sheetjob.h"
#include "engine/layout/sheetnavigation.h"
#include "engine/state/enginestate.h"
#include "engine/state/registry.h"
#include "platform/interfaces/imagepicture.h"
#include "ui/dialogs/progresswindow.h"
#include "ui/dialogs/slotguard_p.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <cmath>

namespace quillon {

namespace {

/// picPage: shows the sheet as drawn last, on white.
class PagePictureWidget : public QWidget
{
public:
    explicit PagePictureWidget(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("picPage"));
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void setImage(const QImage &image)
    {
        m_image = image;
        update();
    }
    const QImage &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        // The picture has the screen's device pixels; the widget's size is in logical ones.
        if (!m_image.isNull())
            painter.drawImage(
                QRectF(QPointF(0, 0), QSizeF(m_image.size()) / devicePixelRatioF()), m_image);
    }

private:
    QImage m_image;
};

/// The zoom after a step, computed as the value it is kept as (a single) plus or minus 0.2 and
/// stored as a single again: from 1, zooming out stops at 0.4000000357627869.
double zoomStep(double zoom, double step)
{
    return double(float(double(float(zoom)) + step));
}

} // namespace

void FullScreenView::showModal(SheetJob &job, QWidget *parent)
{
    FullScreenView view(job, parent);
    view.exec();
}

FullScreenView::FullScreenView(SheetJob &job, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_job(job)
{
    setObjectName(QStringLiteral("frmfullscreen"));
    setWindowTitle(QStringLiteral("全屏显示"));
    setModal(true);
    QPalette shadow = palette();
    shadow.setColor(QPalette::Window, shadow.color(QPalette::Dark));
    setPalette(shadow);
    setAutoFillBackground(true);

    EngineState &s = m_job.state();
    m_snapshot = std::make_unique<EngineSnapshot>(m_job.state());
    m_previewTarget = s.DrawTarget;
    m_previewZoom = s.ZoomRate;
    m_statusBar = s.PreviewStatusBar;
    m_progressBar = s.PreviewProgressBar;
    // The preview's bars keep what they show while the view draws.
    s.PreviewUiActive = false;
    s.PreviewStatusBar = nullptr;
    s.PreviewProgressBar = nullptr;
    s.OutputMode = 2;

    picPage = new PagePictureWidget(this);
    picPage->installEventFilter(this);
    buildMenu();

    if (QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        setGeometry(screen->geometry()); // where no window manager maximises
    setWindowState(Qt::WindowMaximized);

    m_picture = makeImagePicture(QSize(1, 1), qRound(logicalDpiX() * devicePixelRatioF()));
    s.DrawTarget = m_picture.get();
    sizePage();
    placePage();
    render();
    picPage->setFocus();
}

FullScreenView::~FullScreenView()
{
    restorePreview();
}

void FullScreenView::buildMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("mnuPopup"));
    const auto add = [this](const char *name, const QString &caption, auto action) {
        QAction *item = m_menu->addAction(caption);
        item->setObjectName(QLatin1String(name));
        connect(item, &QAction::triggered, this, [action] { runGuarded(action); });
        return item;
    };
    add("mnuStart", QStringLiteral("起始位置"), [this] { placePage(); });
    m_menu->addSeparator();
    add("mnuFirst", QStringLiteral("首页       Home"), [this] { firstSheet(); });
    add("mnuPrevious", QStringLiteral("前页       PageUp"), [this] { previousSheet(); });
    add("mnuNext", QStringLiteral("次页       PageDown"), [this] { nextSheet(); });
    add("mnuLast", QStringLiteral("末页       End"), [this] { lastSheet(); });
    m_menu->addSeparator();
    add("mnuZoomIn", QStringLiteral("放大        +"), [this] { zoomIn(); });
    add("mnuZoomOut", QStringLiteral("缩小        -"), [this] { zoomOut(); });
    m_menu->addSeparator();
    // The shortcut is shown, not bound: Ctrl+P prints on its release (keyReleaseEvent), and a
    // bound shortcut would print the sheet a second time.
    add("mnuPrint", QStringLiteral("打印本页\tCtrl+P"), [this] { printSheet(); });
    m_menu->addSeparator();
    add("mnuExit", QStringLiteral("退出       Esc"), [this] { reject(); });
}

double FullScreenView::twipsPerPixelX() const
{
    return 1440.0 / logicalDpiX();
}

double FullScreenView::twipsPerPixelY() const
{
    return 1440.0 / logicalDpiY();
}

void FullScreenView::sizePage()
{
    const EngineState &s = m_job.state();
    const QSize size(std::max(1, qRound(s.ZoomRate * s.PaperWidthTw / twipsPerPixelX())),
        std::max(1, qRound(s.ZoomRate * s.PaperHeightTw / twipsPerPixelY())));
    picPage->resize(size);
    m_picture->resizePixels((QSizeF(size) * devicePixelRatioF()).toSize());
}

void FullScreenView::placePage()
{
    const int top = picPage->height() > height() ? 0 : (height() - picPage->height()) / 2;
    const int left = picPage->width() > width() ? 0 : (width() - picPage->width()) / 2;
    picPage->move(left, top);
}

bool FullScreenView::render()
{
    return m_requests.draw();
}

bool FullScreenView::drawSheet()
{
    bool drawn = false;
    runGuarded([this, &drawn] {
        const EngineState &s = m_job.state();
        drawn = m_job.renderSheetFrom(s.CurRowPage, s.CurColPage, *m_picture);
    });
    static_cast<PagePictureWidget *>(picPage)->setImage(m_picture->image());
    return drawn;
}

bool FullScreenView::firstSheet()
{
    return m_requests.move(SheetMove::First);
}

bool FullScreenView::previousSheet()
{
    return m_requests.move(SheetMove::Previous);
}

bool FullScreenView::nextSheet()
{
    return m_requests.move(SheetMove::Next);
}

bool FullScreenView::lastSheet()
{
    return m_requests.move(SheetMove::Last);
}

bool FullScreenView::zoomIn()
{
    // The sheet being drawn is scaled by ZoomRate: the step waits for it.
    if (m_requests.drawing()) {
        m_requests.whenIdle([this] { zoomIn(); });
        return true;
    }
    EngineState &s = m_job.state();
    if (!(float(s.ZoomRate) < 4))
        return false;
    s.ZoomRate = zoomStep(s.ZoomRate, 0.2);
    sizePage();
    return render();
}

bool FullScreenView::zoomOut()
{
    if (m_requests.drawing()) {
        m_requests.whenIdle([this] { zoomOut(); });
        return true;
    }
    EngineState &s = m_job.state();
    if (!(float(s.ZoomRate) > 0.5f))
        return false;
    s.ZoomRate = zoomStep(s.ZoomRate, -0.2);
    sizePage();
    return render();
}

void FullScreenView::printSheet()
{
    if (m_requests.drawing()) {
        m_requests.whenIdle([this] { printSheet(); });
        return;
    }
    runGuarded([this] {
        const EngineState &s = m_job.state();
        PrintRequest request;
        request.firstRowPage = request.lastRowPage = s.CurRowPage;
        request.firstColPage = request.lastColPage = s.CurColPage;
        request.copies = 1;
        request.parity = QStringLiteral("所有页");
        request.kind = 2;
        m_printed = true;
        const auto window = makePrintProgressWindow(this);
        // PrintRange puts back this view's picture, zoom and page; the sheet drawn stays.
        PrintRange(request, m_job, *window);
    });
}

QImage FullScreenView::pageImage() const
{
    return static_cast<PagePictureWidget *>(picPage)->image();
}

void FullScreenView::restorePreview()
{
    if (!m_snapshot)
        return;
    EngineState &s = m_job.state();
    if (m_printed && m_previewTarget) {
        // A print measured the layout on this view's picture again: the preview's own picture
        // measures it back, before the page position is put back.
        runGuarded([this] {
            if (!m_job.layOut(m_previewTarget, m_previewZoom))
                ShowMessage(m_job.error(), 48);
        });
    }
    m_snapshot.reset();
    s.PreviewStatusBar = m_statusBar;
    s.PreviewProgressBar = m_progressBar;
}

void FullScreenView::done(int result)
{
    // The preview's state comes back only after the sheet being drawn on this view's picture.
    if (m_requests.drawing()) {
        m_requests.whenIdle([this, result] { done(result); });
        return;
    }
    restorePreview();
    QDialog::done(result);
}

bool FullScreenView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != picPage)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton) {
            m_menu->popup(mouse->globalPosition().toPoint());
            return true;
        }
        if (mouse->button() == Qt::LeftButton) {
            picPage->setCursor(Qt::SizeAllCursor);
            DragStartX = qRound(mouse->position().x() * twipsPerPixelX());
            DragStartY = qRound(mouse->position().y() * twipsPerPixelY());
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->buttons() & Qt::LeftButton) {
            const double dx = mouse->position().x() * twipsPerPixelX() - DragStartX;
            const double dy = mouse->position().y() * twipsPerPixelY() - DragStartY;
            picPage->move(picPage->pos()
                + QPoint(qRound(dx / twipsPerPixelX()), qRound(dy / twipsPerPixelY())));
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            picPage->unsetCursor();
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void FullScreenView::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        placePage();
}

void FullScreenView::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    // The window takes the screen's size after it is shown on some window systems: placed
    // again as on activation.
    placePage();
}

void FullScreenView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        reject();
        return;
    case Qt::Key_PageUp:
        runGuarded([this] { previousSheet(); });
        return;
    case Qt::Key_PageDown:
        runGuarded([this] { nextSheet(); });
        return;
    case Qt::Key_Home:
        runGuarded([this] { firstSheet(); });
        return;
    case Qt::Key_End:
        runGuarded([this] { lastSheet(); });
        return;
    // On the keypad or the main keyboard, where + may come as = without Shift.
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        runGuarded([this] { zoomIn(); });
        return;
    case Qt::Key_Minus:
        runGuarded([this] { zoomOut(); });
        return;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

void FullScreenView::keyReleaseEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers held
        = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (event->key() == Qt::Key_P && held == Qt::ControlModifier && !event->isAutoRepeat()) {
        printSheet();
        return;
    }
    QDialog::keyReleaseEvent(event);
}

void FullScreenView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        m_menu->popup(event->globalPosition().toPoint());
        return;
    }
    QDialog::mousePressEvent(event);
}

} // namespace quillon
