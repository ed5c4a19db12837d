#pragma once

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

#include <array>

class CRangeSlider;

// What a screen reader reads of a CRangeSlider: a slider holding two sliders, its thumbs, each
// with its value in seconds and as text ("Begin 00:01:05" with the page's time format). A
// reader that sets a thumb's value moves that end as a key would.
class CRangeSliderAccessible : public QAccessibleWidget
{
public:
    explicit CRangeSliderAccessible(CRangeSlider *slider);
    ~CRangeSliderAccessible() override;

    // The factory for QAccessible::installFactory.
    static QAccessibleInterface *Create(const QString &className, QObject *object);

    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    CRangeSlider *slider() const;

private:
    class Thumb;
    // Made when first asked for, registered with QAccessible so that readers can hold ids.
    mutable std::array<Thumb *, 2> m_thumbs{};
};
