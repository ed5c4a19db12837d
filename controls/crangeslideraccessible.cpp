#include "controls/crangeslideraccessible.h"

#include "controls/crangeslider.h"

#include <QWidget>

class CRangeSliderAccessible::Thumb : public QAccessibleInterface, public QAccessibleValueInterface
{
public:
    Thumb(const CRangeSliderAccessible *owner, CRangeSlider::Part part)
        : m_owner(owner)
        , m_part(part)
    {}

    bool isValid() const override { return m_owner->isValid(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_owner->window(); }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override
    {
        return const_cast<CRangeSliderAccessible *>(m_owner);
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::Slider; }
    QAccessible::State state() const override
    {
        QAccessible::State state = m_owner->state();
        state.focused = false;
        return state;
    }
    void setText(QAccessible::Text, const QString &) override {}
    QString text(QAccessible::Text t) const override
    {
        const CRangeSlider *slider = m_owner->slider();
        const QString name = slider->ThumbName(m_part);
        switch (t) {
        case QAccessible::Name:
            return name;
        case QAccessible::Value:
            return name + QLatin1Char(' ') + slider->ValueText(Value());
        default:
            return {};
        }
    }
    QRect rect() const override
    {
        const CRangeSlider *slider = m_owner->slider();
        const QRect local = m_part == CRangeSlider::LeftThumb ? slider->LeftThumbRect()
                                                              : slider->RightThumbRect();
        return QRect(slider->mapToGlobal(local.topLeft()), local.size());
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface *>(this)
                                                   : nullptr;
    }

    QVariant currentValue() const override { return Value(); }
    void setCurrentValue(const QVariant &value) override
    {
        m_owner->slider()->MoveEnd(m_part, value.toDouble());
    }
    QVariant maximumValue() const override { return m_owner->slider()->UpperBound(); }
    QVariant minimumValue() const override { return m_owner->slider()->LowerBound(); }
    QVariant minimumStepSize() const override { return m_owner->slider()->StepSize(); }

private:
    double Value() const
    {
        const CRangeSlider *slider = m_owner->slider();
        return m_part == CRangeSlider::LeftThumb ? slider->LeftPos() : slider->RightPos();
    }

    const CRangeSliderAccessible *m_owner;
    CRangeSlider::Part m_part;
};

CRangeSliderAccessible::CRangeSliderAccessible(CRangeSlider *slider)
    : QAccessibleWidget(slider, QAccessible::Slider)
{}

CRangeSliderAccessible::~CRangeSliderAccessible()
{
    for (Thumb *thumb : m_thumbs) {
        if (thumb)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(thumb));
    }
}

QAccessibleInterface *CRangeSliderAccessible::Create(const QString &, QObject *object)
{
    if (auto *slider = qobject_cast<CRangeSlider *>(object))
        return new CRangeSliderAccessible(slider);
    return nullptr;
}

CRangeSlider *CRangeSliderAccessible::slider() const
{
    return static_cast<CRangeSlider *>(widget());
}

QString CRangeSliderAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Value)
        return QAccessibleWidget::text(t);
    // Both ends at once, for a reader that does not go into the thumbs.
    return child(0)->text(t) + QLatin1String(", ") + child(1)->text(t);
}

int CRangeSliderAccessible::childCount() const
{
    return 2;
}

QAccessibleInterface *CRangeSliderAccessible::child(int index) const
{
    if (index < 0 || index > 1)
        return nullptr;
    if (!m_thumbs[size_t(index)]) {
        m_thumbs[size_t(index)]
            = new Thumb(this, index == 0 ? CRangeSlider::LeftThumb : CRangeSlider::RightThumb);
        QAccessible::registerAccessibleInterface(m_thumbs[size_t(index)]);
    }
    return m_thumbs[size_t(index)];
}

int CRangeSliderAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (int i = 0; i < 2; ++i) {
        if (m_thumbs[size_t(i)] && m_thumbs[size_t(i)] == child)
            return i;
    }
    return -1;
}

QAccessibleInterface *CRangeSliderAccessible::childAt(int x, int y) const
{
    for (int i = 0; i < 2; ++i) {
        if (child(i)->rect().contains(x, y))
            return child(i);
    }
    return nullptr;
}
