#pragma once

#include <QPixmap>
#include <QWidget>

// The splash window: the product picture (bitmap 173) in a borderless window centred on the
// screen's work area. It carries the program icon and the title "Mivartel" although it shows
// no caption. Closing it only hides it.
class CSplashDlg : public QWidget
{
    Q_OBJECT

public:
    explicit CSplashDlg(QWidget *parent = nullptr);

    // How many times the picture has been painted.
    int PaintCount() const { return m_paintCount; }

signals:
    void Painted();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
    int m_paintCount = 0;
};
