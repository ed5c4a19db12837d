#include "csplashdlg.h"

#include "controls/respicture.h"

#include <QIcon>
#include <QPainter>
#include <QScreen>

CSplashDlg::CSplashDlg(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_picture(ResPicture(QStringLiteral(":/res/bitmap_173.png"), devicePixelRatioF()))
{
    // Hiding the splash must never count as the program's last window closing.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowIcon(QIcon(QStringLiteral(":/res/icon_128.png")));
    setWindowTitle(QStringLiteral("Mivartel"));
    setFixedSize(m_picture.deviceIndependentSize().toSize());
    const QRect work = screen()->availableGeometry();
    move(work.left() + (work.width() - width()) / 2, work.top() + (work.height() - height()) / 2);
}

void CSplashDlg::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
    ++m_paintCount;
    emit Painted();
}
