#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

// A picture that fades in over what lies under it, then stays. The fade has 52 steps with
// the constant alphas 0, 5, 10, ... 255, each laid over the result of the ones before, with
// the step delay after each; the last step leaves the picture fully opaque. The steps are
// timed by a timer and painted by the widget itself.
class CFadeInPicture : public QWidget
{
    Q_OBJECT

public:
    static constexpr int StepCount = 52;

    explicit CFadeInPicture(QWidget *parent = nullptr);

    // Loads ":/res/bitmap_<bitmapId>.png", takes its size and starts the fade; stepDelay is
    // in milliseconds. Returns false, and changes nothing, when there is no such picture.
    bool StartFadeIn(int bitmapId, int stepDelay);

    // How many steps have been laid down, 0 to StepCount.
    int StepsDone() const { return m_steps; }
    // True once the pause after the last step has passed.
    bool IsFinished() const { return m_finished; }
    // The share of the picture in the image after that many steps: 0 after the first step
    // (alpha 0), 1 after the last (alpha 255).
    static double Coverage(int steps);
    int BitmapId() const { return m_bitmapId; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void Step();

    QPixmap m_bitmap;
    int m_bitmapId = 0;
    int m_stepDelay = 100; // milliseconds
    int m_steps = 0;
    bool m_finished = false;
    QTimer m_timer;
};
