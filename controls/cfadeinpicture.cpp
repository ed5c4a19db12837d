#include "controls/cfadeinpicture.h"

#include "controls/respicture.h"

#include <QPainter>

namespace {

int StepAlpha(int step)
{
    return 5 * step;
}

} // namespace

CFadeInPicture::CFadeInPicture(QWidget *parent)
    : QWidget(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CFadeInPicture::Step);
}

bool CFadeInPicture::StartFadeIn(int bitmapId, int stepDelay)
{
    const QPixmap bitmap
        = ResPicture(QStringLiteral(":/res/bitmap_%1.png").arg(bitmapId), devicePixelRatioF());
    if (bitmap.isNull())
        return false;
    m_bitmap = bitmap;
    m_bitmapId = bitmapId;
    m_stepDelay = stepDelay;
    m_steps = 0;
    m_finished = false;
    resize(m_bitmap.deviceIndependentSize().toSize());
    Step();
    return true;
}

double CFadeInPicture::Coverage(int steps)
{
    // Each step lays alpha / 255 of the picture over what is there, so what is left of the
    // background is the product of the complements.
    double background = 1.0;
    for (int step = 0; step < qMin(steps, StepCount); ++step)
        background *= 1.0 - StepAlpha(step) / 255.0;
    return 1.0 - background;
}

QSize CFadeInPicture::sizeHint() const
{
    return m_bitmap.isNull() ? QSize() : m_bitmap.deviceIndependentSize().toSize();
}

void CFadeInPicture::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    if (m_bitmap.isNull() || m_steps == 0)
        return;
    QPainter painter(this);
    if (!m_finished)
        painter.setOpacity(Coverage(m_steps));
    painter.drawPixmap(0, 0, m_bitmap);
}

void CFadeInPicture::Step()
{
    if (m_steps == StepCount) {
        m_finished = true;
        update();
        return;
    }
    ++m_steps;
    update();
    // The delay is read afresh at every step.
    m_timer.start(m_stepDelay);
}
