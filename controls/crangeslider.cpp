#include "controls/crangeslider.h"

#include "controls/crangeslideraccessible.h"
#include "controls/focusring.h"
#include "controls/respicture.h"

#include <QAccessible>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <utility>

namespace {

// The track image is 11 pixels high and starts 3 pixels below the top; the bar between the
// thumbs is 7 pixels high and starts 5 pixels below the top.
constexpr int kTrackTop = 3;
constexpr int kTrackHeight = 11;
constexpr int kBarTop = 5;
constexpr int kBarHeight = 7;
constexpr int kPaintedThumbWidth = 13;

QPixmap Image(int id, qreal devicePixelRatio)
{
    // QPixmap's own cache makes this cheap, so the images are fetched for every paint.
    return ResPicture(QStringLiteral(":/res/bitmap_%1.png").arg(id), devicePixelRatio);
}

} // namespace

CRangeSlider::CRangeSlider(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel is painted from the snapshot and the images, so Qt need not erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&CRangeSliderAccessible::Create);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    connect(this, &CRangeSlider::rangeChanged, this, &CRangeSlider::NotifyAccessible);
}

QString CRangeSlider::ThumbName(Part part) const
{
    return part == RightThumb ? tr("End") : tr("Begin");
}

void CRangeSlider::SetValueText(std::function<QString(double)> text)
{
    m_valueText = std::move(text);
}

QString CRangeSlider::ValueText(double value) const
{
    return m_valueText ? m_valueText(value) : QString::number(value);
}

void CRangeSlider::MoveEnd(Part part, double value)
{
    if (part == RightThumb)
        m_rightPos = std::clamp(value, m_leftPos, m_upperBound);
    else
        m_leftPos = std::clamp(value, m_lowerBound, m_rightPos);
    emit rangeChanged(part == RightThumb ? RightThumb : LeftThumb, false);
    update();
}

void CRangeSlider::NotifyAccessible()
{
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface *slider = QAccessible::queryAccessibleInterface(this);
    for (int i = 0; slider && i < slider->childCount(); ++i) {
        QAccessibleInterface *thumb = slider->child(i);
        QAccessibleValueChangeEvent event(thumb, thumb->valueInterface()->currentValue());
        QAccessible::updateAccessibility(&event);
    }
}

QSize CRangeSlider::sizeHint() const
{
    return QSize(224, 20);
}

void CRangeSlider::SetBounds(double a, double b)
{
    if (a > b)
        std::swap(a, b);
    m_lowerBound = a;
    m_upperBound = b;
    ClampPositions();
    NotifyAccessible();
    update();
}

void CRangeSlider::SetPositions(double left, double right)
{
    m_leftPos = left;
    m_rightPos = right;
    ClampPositions();
    NotifyAccessible();
    update();
}

void CRangeSlider::GetPositions(double &left, double &right) const
{
    left = m_leftPos;
    right = m_rightPos;
}

void CRangeSlider::ClampPositions()
{
    // The receiver may call back into the slider, so each notification follows its own change.
    if (m_leftPos < m_lowerBound) {
        m_leftPos = m_lowerBound;
        emit rangeChanged(LeftThumb, false);
        if (m_rightPos < m_leftPos) {
            m_rightPos = m_leftPos;
            emit rangeChanged(RightThumb, false);
        }
    }
    if (m_rightPos > m_upperBound) {
        m_rightPos = m_upperBound;
        emit rangeChanged(RightThumb, false);
        if (m_leftPos > m_rightPos) {
            m_leftPos = m_rightPos;
            emit rangeChanged(LeftThumb, false);
        }
    }
}

int CRangeSlider::PixelOf(double value) const
{
    const double range = m_upperBound - m_lowerBound;
    // An empty range or a control too narrow for a track puts everything at the left end.
    if (m_trackLength <= 0 || range <= 0.0)
        return 0;
    return static_cast<int>(m_trackLength * (value - m_lowerBound) / range + 0.5);
}

double CRangeSlider::ValuePerPixel() const
{
    if (m_trackLength <= 0)
        return 0.0;
    return (m_upperBound - m_lowerBound) / m_trackLength;
}

void CRangeSlider::TakeBackgroundSnapshot()
{
    const qreal ratio = devicePixelRatioF();
    m_backgroundCache = QPixmap(size() * ratio);
    m_backgroundCache.setDevicePixelRatio(ratio);
    m_backgroundCache.fill(palette().color(QPalette::Window));
    // Only the parent's own painting, not its children: the slider itself is one of them.
    if (QWidget *parent = parentWidget())
        parent->render(
            &m_backgroundCache, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    m_hasBackground = true;
}

void CRangeSlider::paintEvent(QPaintEvent *event)
{
    m_thumbWidth = kPaintedThumbWidth;
    m_trackLength = width() - 2 * kPaintedThumbWidth;
    // The page's background is frozen at the first paint so that the slider blends into the
    // skin without asking the parent to paint again each time a thumb moves.
    if (!m_hasBackground)
        TakeBackgroundSnapshot();

    const int w = width();
    const int h = height();
    const int pL = PixelOf(m_leftPos);
    const int pR = PixelOf(m_rightPos);

    // Qt's backing store already double-buffers the widget, so the drawing goes straight to it.
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.drawPixmap(0, 0, m_backgroundCache);
    const qreal ratio = devicePixelRatioF();
    painter.drawPixmap(QRect(0, kTrackTop, w, kTrackHeight), Image(212, ratio));

    painter.drawPixmap(pL, 0, Image(213, ratio));
    m_leftThumbRect = QRect(pL, 0, kPaintedThumbWidth, h);
    painter.drawPixmap(pR + kPaintedThumbWidth, 0, Image(214, ratio));
    m_rightThumbRect = QRect(pR + kPaintedThumbWidth, 0, kPaintedThumbWidth, h);

    // Drawn last, the bar covers the inner pixel column of each thumb.
    painter.drawPixmap(QRect(pL + kPaintedThumbWidth - 1, kBarTop, pR - pL + 2, kBarHeight),
                       Image(215, ratio));
    if (m_focusShown && hasFocus())
        FocusRing::Paint(painter, *this, rect());
}

void CRangeSlider::resizeEvent(QResizeEvent *event)
{
    // Keys act on the track of the current width even before the next paint.
    m_trackLength = width() - 2 * kPaintedThumbWidth;
    QWidget::resizeEvent(event);
}

void CRangeSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    update();
    if (m_dragging)
        return;

    const QPoint point = event->position().toPoint();
    // One pixel column beside each thumb belongs to no part.
    const int middleLeft = m_leftThumbRect.left() + kPaintedThumbWidth + 1;
    const int middleWidth = m_rightThumbRect.left() - 1 - middleLeft;
    const QRect middle = middleWidth > 0 ? QRect(middleLeft, 0, middleWidth, height()) : QRect();

    QRect hit;
    if (m_leftThumbRect.contains(point)) {
        m_dragPart = LeftThumb;
        hit = m_leftThumbRect;
    } else if (m_rightThumbRect.contains(point)) {
        m_dragPart = RightThumb;
        hit = m_rightThumbRect;
    } else if (middle.contains(point)) {
        m_dragPart = MiddleBar;
        hit = middle;
    } else {
        return;
    }
    m_dragging = true;
    // The centre as the exclusive right edge gives it; the mouse is grabbed by Qt until release.
    m_dragOffsetX = point.x() - (hit.left() + hit.left() + hit.width()) / 2;
}

void CRangeSlider::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click starts no drag (QWidget would treat it as a press).
    event->accept();
}

void CRangeSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const int centre = event->position().toPoint().x() - m_dragOffsetX;
    const double s = ValuePerPixel();
    Part moved = LeftThumb;

    switch (m_dragPart) {
    case LeftThumb:
        if (s != 0.0) {
            m_leftPos = m_lowerBound + (centre - m_thumbWidth / 2) * s;
            if (m_leftPos >= m_rightPos)
                m_leftPos = m_rightPos;
            if (m_leftPos <= m_lowerBound)
                m_leftPos = m_lowerBound;
        }
        break;
    case RightThumb: {
        const double before = m_rightPos;
        if (s != 0.0) {
            m_rightPos = m_lowerBound + (centre - 3 * m_thumbWidth / 2) * s;
            if (m_rightPos <= m_leftPos)
                m_rightPos = m_leftPos;
            if (m_rightPos >= m_upperBound)
                m_rightPos = m_upperBound;
        }
        moved = m_rightPos != before ? RightThumb : LeftThumb;
        break;
    }
    default: {
        if (s != 0.0) {
            const double width = m_rightPos - m_leftPos;
            const double d = (centre - m_thumbWidth) * s;
            m_leftPos = m_lowerBound + d - width / 2;
            m_rightPos = m_lowerBound + d + width / 2;
            if (m_leftPos <= m_lowerBound) {
                m_leftPos = m_lowerBound;
                m_rightPos = m_lowerBound + width;
            }
            if (m_rightPos >= m_upperBound) {
                m_rightPos = m_upperBound;
                m_leftPos = m_upperBound - width;
            }
        }
        moved = MiddleBar;
        break;
    }
    }
    emit rangeChanged(moved, false);
    update();
}

void CRangeSlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_dragging) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    emit rangeChanged(m_dragPart, true);
    update();
}

void CRangeSlider::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    if ((key != Qt::Key_Left && key != Qt::Key_Right) || (shift && ctrl)) {
        QWidget::keyPressEvent(event);
        return;
    }
    const double s = ValuePerPixel();
    if (s == 0.0)
        return;

    const int step = key == Qt::Key_Right ? 1 : -1;
    // The values snap to whole pixel steps of the track.
    int kL = static_cast<int>((m_leftPos - m_lowerBound) / s + 0.5);
    int kR = static_cast<int>((m_rightPos - m_lowerBound) / s + 0.5);
    if (!ctrl)
        kR += step;
    if (!shift)
        kL += step;
    // kL <= kR keeps Shift+Left and Ctrl+Right from pushing one end past the other.
    if (kL >= 0 && kR <= m_trackLength && kL <= kR) {
        m_leftPos = m_lowerBound + kL * s;
        m_rightPos = m_lowerBound + kR * s;
    }
    emit rangeChanged(shift ? RightThumb : ctrl ? LeftThumb : MiddleBar, false);
    update();
}

void CRangeSlider::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    m_focusShown = FocusRing::FromKeyboard(event->reason());
    update();
}

void CRangeSlider::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    m_focusShown = false;
    update();
}
