#pragma once

#include <QColor>
#include <QIcon>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QSize>
#include <QString>

#include <array>

class QPainter;

// A flat push button that paints every state itself: an active icon while the mouse is over
// it or it is pressed, a rest icon otherwise, optional text, a background and text colour per
// state, and, in parent-background mode, a snapshot of its parent's pixels under it so that
// it looks transparent. Its border shows only on hover and press, and only while the hover
// border is on; a focus ring only while a focus that came from the keyboard lasts, and only
// then does Space press it (Enter never does).
//
// Check-box mode (setCheckable(true) or SetCheckBoxMode) makes a click flip a check state that
// draws the button pushed in.
class CImageButton : public QPushButton
{
    Q_OBJECT

public:
    // What the setters return.
    enum Result {
        Done = 0,
        IconUnreadable = 1, // every icon of the button has been released
        BadColorIndex = 3,
        BadLayout = 4,
        BadPressedStyle = 6,
    };
    // The six colour slots of SetStateColor.
    enum ColorSlot {
        BackActive = 0, // hovered or pressed
        TextActive = 1,
        BackNormal = 2,
        TextNormal = 3,
        BackFocused = 4, // focused, neither hovered nor pressed
        TextFocused = 5,
    };
    // Where the icon goes relative to the text.
    enum Layout { IconLeft = 0, IconAbove = 1, IconRight = 2, IconOver = 3 };
    // A rest icon id of SetIcons that asks for a gray copy of the active icon.
    static constexpr int GrayRestIcon = -2;

    explicit CImageButton(QWidget *parent = nullptr);
    ~CImageButton() override;

    // Loads the icons ":/res/icon_<id>.png". A rest id of 0 gives no rest icon, GrayRestIcon a
    // gray copy of the active icon. With standardSize the active icon is scaled to the
    // style's large icon size (32 x 32), else it keeps its own size. An id without a
    // picture gives no icon.
    int SetIcons(int activeId, int restId, bool standardSize);
    // Takes the icons at their own sizes; a null active icon leaves the button without icons.
    // An icon whose size or picture cannot be read releases every icon and returns
    // IconUnreadable.
    int SetIconHandles(const QIcon &active, const QIcon &rest);
    // The rest icon made from an icon: every pixel that is not pure black becomes gray,
    // 0.299 R + 0.587 G + 0.114 B truncated; black pixels and the transparency stay.
    static QIcon GrayIcon(const QIcon &icon);
    static QImage GrayImage(const QImage &image);

    int SetLayout(int layout, bool repaint);
    // Style 0 moves icon and text by (1, 1) while pressed, style 1 by (0, 2).
    int SetPressedShift(int style, bool repaint);
    void SetCheckBoxMode(bool on);
    // In check-box mode any non-zero state checks the button; outside it nothing changes.
    int SetChecked(int state, bool repaint);
    int GetChecked() const;
    // The check message of a check box: 1 and 2 (indeterminate) check, anything else clears.
    int SetCheck(int value);
    int GetCheck() const { return GetChecked(); }
    // Back to the system's button colours.
    void ResetColors(bool repaint);
    int SetStateColor(int index, const QColor &color, bool repaint);
    QColor StateColor(int index) const;
    void ShowHoverBorder(bool show, bool repaint);
    // Paints over a snapshot of the parent's pixels under the button instead of a colour;
    // the snapshot is taken afresh at the next paint.
    void UseParentBackground(bool repaint);
    // An empty text does nothing; an inactive tip is kept but not shown.
    void SetTip(const QString &text, bool active);

    bool IsHovered() const { return m_hovered; }
    // The focus came from the keyboard and the ring shows.
    bool FocusShown() const { return m_focusShown; }
    QSize sizeHint() const override;

protected:
    // The drawing steps, in the order paintEvent calls them.
    virtual void PaintFace(QPainter &painter, const QRect &rect);
    virtual void PaintFrame(QPainter &painter, const QRect &rect);
    virtual void PaintIcon(QPainter &painter,
                           bool hasText,
                           const QRect &rect,
                           QRect &captionRect,
                           bool pressed,
                           bool disabled);
    virtual void PaintCaption(QPainter &painter,
                              const QString &text,
                              const QRect &rect,
                              QRect &captionRect,
                              bool pressed,
                              bool disabled);

    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Icon
    {
        QPixmap pixmap;
        QSize size;
    };

    void OnClicked();
    void EndHover();
    void ReleaseIcons();
    void TakeSnapshot();
    bool IsPressedLook() const;
    QRect PlaceImage(const QRect &rect, QSize image, bool hasText, QRect &captionRect) const;

    bool m_hovered = false;
    bool m_focusShown = false;
    bool m_parentBackground = false;
    bool m_showBorder = true;
    int m_layout = IconLeft;
    QPoint m_pressedShift{1, 1};
    QPoint m_imageMargin{3, 3};
    std::array<QColor, 6> m_colors;
    QPalette m_systemPalette;    // the system's colours when the colours were last reset
    std::array<Icon, 2> m_icons; // 0: active, 1: rest
    QString m_tipText;
    QPixmap m_snapshot;
};
