#pragma once

#include <QPixmap>
#include <QRect>
#include <QWidget>

#include <functional>

// A horizontal slider with two thumbs that selects [leftPos, rightPos] inside
// [lowerBound, upperBound] (seconds, on the main page). The user drags either thumb, drags the
// bar between them, or uses Left/Right (with Shift to move the right end alone, with Ctrl the
// left end alone). Every change is reported synchronously with rangeChanged; the page may call
// back into the slider from its handler. A focus that came from the keyboard shows a ring.
class CRangeSlider : public QWidget
{
    Q_OBJECT

public:
    // Which part a notification is about.
    enum Part : int { LeftThumb = 0, RightThumb = 1, MiddleBar = 2 };
    Q_ENUM(Part)

    explicit CRangeSlider(QWidget *parent = nullptr);

    // The smaller value becomes the lower bound; then the positions are clamped into the bounds.
    void SetBounds(double a, double b);
    // Sets both positions as given (a left above the right is kept), then clamps them.
    void SetPositions(double left, double right);
    void GetPositions(double &left, double &right) const;
    // Brings the positions back into the bounds, notifying every change.
    void ClampPositions();

    double LowerBound() const { return m_lowerBound; }
    double UpperBound() const { return m_upperBound; }
    double LeftPos() const { return m_leftPos; }
    double RightPos() const { return m_rightPos; }
    // A mouse drag is under way: its changes are not a key's.
    bool IsDragging() const { return m_dragging; }
    // The focus came from the keyboard and the ring shows.
    bool FocusShown() const { return m_focusShown; }
    // Where the thumbs were last painted; empty before the first paint.
    QRect LeftThumbRect() const { return m_leftThumbRect; }
    QRect RightThumbRect() const { return m_rightThumbRect; }
    // The pixel offset of a value along the track, as the thumbs are placed.
    int PixelOf(double value) const;
    // The value of one pixel along the track: what a key moves an end by.
    double StepSize() const { return ValuePerPixel(); }

    // What screen readers hear: the thumbs' names ("Begin", "End") and a value as text (by
    // default the number; the page gives its time format).
    QString ThumbName(Part part) const;
    void SetValueText(std::function<QString(double)> text);
    QString ValueText(double value) const;
    // Moves one end to `value` (kept inside the bounds and on its side of the other end) and
    // notifies as a key does: a screen reader setting a thumb's value.
    void MoveEnd(Part part, double value);

    QSize sizeHint() const override;

signals:
    // released false: a change; part RightThumb when the right end changed alone, MiddleBar
    // when both ends moved together, LeftThumb otherwise. released true: a mouse drag ended;
    // part is the dragged one.
    void rangeChanged(CRangeSlider::Part part, bool released);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // Value per pixel; 0 when the range is empty or the control too narrow for a track.
    double ValuePerPixel() const;
    void TakeBackgroundSnapshot();
    // Tells screen readers that the thumbs' values changed.
    void NotifyAccessible();

    double m_lowerBound = 0.0;
    double m_upperBound = 1.0;
    double m_leftPos = 0.0;
    double m_rightPos = 1.0;
    int m_thumbWidth = 10;
    int m_trackLength = 0;
    bool m_dragging = false;
    bool m_focusShown = false;
    Part m_dragPart = LeftThumb;
    int m_dragOffsetX = 0;
    QRect m_leftThumbRect;
    QRect m_rightThumbRect;
    QPixmap m_backgroundCache; // the parent's pixels under the control at the first paint
    bool m_hasBackground = false;
    std::function<QString(double)> m_valueText;
};
