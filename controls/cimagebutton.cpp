#include "controls/cimagebutton.h"

#include "controls/focusring.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace {

QString IconPath(int id)
{
    return QStringLiteral(":/res/icon_%1.png").arg(id);
}

} // namespace

CImageButton::CImageButton(QWidget *parent)
    : QPushButton(parent)
{
    // Hover follows every mouse move, not only moves with a button held.
    setMouseTracking(true);
    ResetColors(false);
    // Connected before anyone else can connect, so the focus moves before the owner hears
    // of the click.
    connect(this, &QAbstractButton::clicked, this, &CImageButton::OnClicked);
}

CImageButton::~CImageButton() = default;

int CImageButton::SetIcons(int activeId, int restId, bool standardSize)
{
    QIcon active;
    const QPixmap activePixmap(IconPath(activeId));
    if (!activePixmap.isNull()) {
        if (standardSize) {
            const int side = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
            active = QIcon(
                activePixmap.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        } else {
            // From the file, so that the icon holds its @2x picture too.
            active = QIcon(IconPath(activeId));
        }
    }
    QIcon rest;
    if (restId == GrayRestIcon) {
        rest = GrayIcon(active);
    } else if (restId != 0) {
        const QPixmap restPixmap(IconPath(restId));
        if (!restPixmap.isNull())
            rest = QIcon(IconPath(restId));
    }
    return SetIconHandles(active, rest);
}

int CImageButton::SetIconHandles(const QIcon &active, const QIcon &rest)
{
    ReleaseIcons();
    if (active.isNull()) {
        update();
        return Done;
    }
    // An icon's own size is the first size it offers; an icon that offers none, or no
    // picture at it, cannot be shown.
    auto read = [](const QIcon &icon, Icon &into) {
        const QList<QSize> sizes = icon.availableSizes();
        if (sizes.isEmpty())
            return false;
        into.size = sizes.first();
        into.pixmap = icon.pixmap(into.size);
        return !into.pixmap.isNull();
    };
    if (!read(active, m_icons[0]) || (!rest.isNull() && !read(rest, m_icons[1]))) {
        ReleaseIcons();
        update();
        return IconUnreadable;
    }
    update();
    return Done;
}

QIcon CImageButton::GrayIcon(const QIcon &icon)
{
    const QList<QSize> sizes = icon.availableSizes();
    if (icon.isNull() || sizes.isEmpty())
        return QIcon();
    const QPixmap pixmap = icon.pixmap(sizes.first());
    if (pixmap.isNull())
        return QIcon();
    return QIcon(QPixmap::fromImage(GrayImage(pixmap.toImage())));
}

QImage CImageButton::GrayImage(const QImage &image)
{
    QImage gray = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < gray.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(gray.scanLine(y));
        for (int x = 0; x < gray.width(); ++x) {
            const QRgb pixel = line[x];
            if ((pixel & RGB_MASK) == 0)
                continue;
            const int value
                = int(0.299 * qRed(pixel) + 0.587 * qGreen(pixel) + 0.114 * qBlue(pixel));
            line[x] = qRgba(value, value, value, qAlpha(pixel));
        }
    }
    return gray;
}

int CImageButton::SetLayout(int layout, bool repaint)
{
    if (layout < 0 || layout > IconOver)
        return BadLayout;
    m_layout = layout;
    if (repaint)
        update();
    return Done;
}

int CImageButton::SetPressedShift(int style, bool repaint)
{
    if (style == 0)
        m_pressedShift = QPoint(1, 1);
    else if (style == 1)
        m_pressedShift = QPoint(0, 2);
    else
        return BadPressedStyle;
    if (repaint)
        update();
    return Done;
}

void CImageButton::SetCheckBoxMode(bool on)
{
    setCheckable(on);
}

int CImageButton::SetChecked(int state, bool repaint)
{
    if (isCheckable()) {
        setChecked(state != 0);
        if (repaint)
            update();
    }
    return Done;
}

int CImageButton::GetChecked() const
{
    return isChecked() ? 1 : 0;
}

int CImageButton::SetCheck(int value)
{
    SetChecked(value == 1 || value == 2 ? 1 : 0, true);
    return Done;
}

void CImageButton::ResetColors(bool repaint)
{
    // The system's colours, not this widget's palette: a style sheet may restyle the
    // widget's palette without the owner's colours being lost.
    m_systemPalette = QApplication::palette(this);
    const QColor face = m_systemPalette.color(QPalette::Button);
    const QColor text = m_systemPalette.color(QPalette::ButtonText);
    m_colors = {face, text, face, text, face, text};
    if (repaint)
        update();
}

int CImageButton::SetStateColor(int index, const QColor &color, bool repaint)
{
    if (index < 0 || index > TextFocused)
        return BadColorIndex;
    m_colors[size_t(index)] = color;
    if (repaint)
        update();
    return Done;
}

QColor CImageButton::StateColor(int index) const
{
    return index >= 0 && index <= TextFocused ? m_colors[size_t(index)] : QColor();
}

void CImageButton::ShowHoverBorder(bool show, bool repaint)
{
    m_showBorder = show;
    if (repaint)
        update();
}

void CImageButton::UseParentBackground(bool repaint)
{
    m_parentBackground = true;
    m_snapshot = QPixmap();
    if (repaint)
        update();
}

void CImageButton::SetTip(const QString &text, bool active)
{
    if (text.isEmpty())
        return;
    m_tipText = text;
    setToolTip(active ? m_tipText : QString());
}

QSize CImageButton::sizeHint() const
{
    QSize hint = m_icons[0].size + QSize(2 * m_imageMargin.x(), 2 * m_imageMargin.y());
    if (!text().isEmpty()) {
        const QSize textSize = fontMetrics().size(0, text()) + QSize(8, 6);
        if (m_layout == IconAbove)
            hint = QSize(qMax(hint.width(), textSize.width()), hint.height() + textSize.height());
        else
            hint = QSize(hint.width() + textSize.width(), qMax(hint.height(), textSize.height()));
    }
    return hint.expandedTo(QSize(8, 8));
}

void CImageButton::PaintFace(QPainter &painter, const QRect &rect)
{
    int slot = BackNormal;
    if (m_hovered || IsPressedLook())
        slot = BackActive;
    else if (hasFocus())
        slot = BackFocused;
    painter.fillRect(rect, m_colors[size_t(slot)]);
}

void CImageButton::PaintFrame(QPainter &painter, const QRect &rect)
{
    if (!m_showBorder)
        return;
    const bool pressed = IsPressedLook();
    if (!pressed && !m_hovered)
        return;
    const QPalette system = QApplication::palette(this);
    const QColor shadow = system.color(QPalette::Dark);
    const QColor light = system.color(QPalette::Light);
    const QColor topLeft = pressed ? shadow : light;
    const QColor bottomRight = pressed ? light : shadow;
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

QRect CImageButton::PlaceImage(const QRect &rect,
                               QSize image,
                               bool hasText,
                               QRect &captionRect) const
{
    const int w = image.width();
    const int h = image.height();
    const int centredX = rect.left() + (rect.width() - w) / 2;
    const int centredY = rect.top() + (rect.height() - h) / 2;
    QPoint at = rect.topLeft();
    switch (m_layout) {
    case IconLeft:
        if (hasText) {
            at = QPoint(rect.left() + m_imageMargin.x(), centredY);
            captionRect.setLeft(captionRect.left() + w + m_imageMargin.x());
        } else {
            at = QPoint(centredX, centredY);
        }
        break;
    case IconAbove:
        if (hasText) {
            at = QPoint(centredX, m_imageMargin.y());
            captionRect.setTop(captionRect.top() + h);
        } else {
            at = QPoint(centredX, centredY);
        }
        break;
    case IconRight:
        if (hasText) {
            // Right edge exclusive at caption width - w - margin.
            captionRect.setRight(captionRect.width() - w - m_imageMargin.x() - 1);
            captionRect.setLeft(m_imageMargin.x());
            at = QPoint(width() - m_imageMargin.x() - w, centredY);
        } else {
            at = QPoint(centredX, rect.top());
        }
        break;
    default:
        break;
    }
    return QRect(at, image);
}

void CImageButton::PaintIcon(QPainter &painter,
                             bool hasText,
                             const QRect &rect,
                             QRect &captionRect,
                             bool pressed,
                             bool disabled)
{
    const bool useActive = pressed || (!isCheckable() && m_hovered) || m_icons[1].pixmap.isNull();
    const Icon &icon = m_icons[useActive ? 0 : 1];
    QRect place = PlaceImage(rect, icon.size, hasText, captionRect);
    if (pressed && !isCheckable())
        place.translate(m_pressedShift);
    QPixmap pixmap = icon.pixmap;
    if (disabled) {
        QStyleOption option;
        option.initFrom(this);
        pixmap = style()->generatedIconPixmap(QIcon::Disabled, pixmap, &option);
    }
    painter.drawPixmap(place, pixmap);
}

void CImageButton::PaintCaption(QPainter &painter,
                                const QString &text,
                                const QRect &rect,
                                QRect &captionRect,
                                bool pressed,
                                bool disabled)
{
    Q_UNUSED(rect);
    if (pressed && !isCheckable())
        captionRect.translate(m_pressedShift);
    const int flags = Qt::TextWordWrap | Qt::AlignHCenter;
    QRect measured = painter.fontMetrics().boundingRect(captionRect, flags, text);
    measured.moveTo(captionRect.left() + (captionRect.width() - measured.width()) / 2,
                    captionRect.top() + (captionRect.height() - measured.height()) / 2);
    QColor color;
    if (disabled) {
        measured.translate(1, 1);
        color = QApplication::palette(this).color(QPalette::Light);
    } else if (m_hovered || pressed) {
        color = m_colors[TextActive];
    } else if (hasFocus()) {
        color = m_colors[TextFocused];
    } else {
        color = m_colors[TextNormal];
    }
    painter.setPen(color);
    painter.drawText(measured, flags, text);
}

void CImageButton::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    const QRect area = rect();
    const bool pressed = IsPressedLook();
    const bool disabled = !isEnabled();

    if (m_parentBackground && parentWidget()) {
        if (m_snapshot.isNull())
            TakeSnapshot();
        painter.drawPixmap(area, m_snapshot);
    } else {
        PaintFace(painter, area);
    }
    PaintFrame(painter, area);

    const QString caption = text();
    QRect captionRect = area;
    if (!m_icons[0].pixmap.isNull())
        PaintIcon(painter, !caption.isEmpty(), area, captionRect, pressed, disabled);
    if (!caption.isEmpty())
        PaintCaption(painter, caption, area, captionRect, pressed, disabled);
    if (m_focusShown && hasFocus())
        FocusRing::Paint(painter, *this, area);
}

void CImageButton::mouseMoveEvent(QMouseEvent *event)
{
    QPushButton::mouseMoveEvent(event);
    // Hover never starts while the left button is held: a drag that began elsewhere
    // passes over the button without lighting it.
    if ((event->buttons() & Qt::LeftButton) && !m_hovered)
        return;
    if (rect().contains(event->position().toPoint())) {
        if (!m_hovered) {
            m_hovered = true;
            update();
        }
        return;
    }
    EndHover();
}

void CImageButton::leaveEvent(QEvent *event)
{
    QPushButton::leaveEvent(event);
    EndHover();
}

void CImageButton::focusInEvent(QFocusEvent *event)
{
    QPushButton::focusInEvent(event);
    m_focusShown = FocusRing::FromKeyboard(event->reason());
    update();
}

void CImageButton::focusOutEvent(QFocusEvent *event)
{
    QPushButton::focusOutEvent(event);
    m_focusShown = false;
    update();
    EndHover();
}

void CImageButton::keyPressEvent(QKeyEvent *event)
{
    // A button focused by a click shows no ring: a later Space would press a button the user
    // cannot see is meant ("Remove all" among them).
    if (event->key() == Qt::Key_Space && !m_focusShown) {
        event->ignore();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void CImageButton::changeEvent(QEvent *event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        // Only a change of the system's colours gives the owner's colours up for the new
        // defaults; a style sheet that restyles this widget does not.
        if (QApplication::palette(this) != m_systemPalette) {
            m_snapshot = QPixmap();
            ResetColors(true);
        }
    } else if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        EndHover();
    } else if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        // A disabled button must not keep the keyboard: pass it on to the next tab stop,
        // or to the parent when there is none.
        if (hasFocus() && !focusNextChild() && parentWidget())
            parentWidget()->setFocus();
        EndHover();
    }
}

void CImageButton::moveEvent(QMoveEvent *event)
{
    QPushButton::moveEvent(event);
    // The parent's pixels under the button are no longer the ones in the snapshot.
    m_snapshot = QPixmap();
}

void CImageButton::resizeEvent(QResizeEvent *event)
{
    QPushButton::resizeEvent(event);
    m_snapshot = QPixmap();
}

void CImageButton::OnClicked()
{
    setFocus(Qt::MouseFocusReason);
}

void CImageButton::EndHover()
{
    if (!m_hovered)
        return;
    m_hovered = false;
    update();
}

void CImageButton::ReleaseIcons()
{
    m_icons = {};
}

void CImageButton::TakeSnapshot()
{
    const qreal ratio = devicePixelRatioF();
    QPixmap snapshot(size() * ratio);
    snapshot.setDevicePixelRatio(ratio);
    snapshot.fill(Qt::transparent);
    // Only the parent's own painting: its other children and this button stay out.
    parentWidget()->render(&snapshot, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    m_snapshot = snapshot;
}

bool CImageButton::IsPressedLook() const
{
    return isDown() || (isCheckable() && isChecked());
}
