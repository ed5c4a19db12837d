#include "page/textfitter.h"

#include "controls/ccelllistctrl.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionHeader>

int TextFitter::TextRoom(QWidget *control, int index, const QString &text)
{
    QStyle *style = control->style();
    if (auto *list = qobject_cast<CCellListCtrl *>(control))
        return list->columnWidth(index) - CellTextInsets;
    if (auto *header = qobject_cast<QHeaderView *>(control)) {
        QStyleOptionHeader option;
        option.initFrom(header);
        option.rect = QRect(0, 0, header->sectionSize(index), header->height());
        option.section = index;
        option.text = text;
        return style->subElementRect(QStyle::SE_HeaderLabel, &option, header).width();
    }
    if (auto *box = qobject_cast<QCheckBox *>(control)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = text;
        return style->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width();
    }
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        const QRect field = style->subControlRect(
            QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
        return field.width() - 2 * ComboTextMargin;
    }
    if (auto *button = qobject_cast<QPushButton *>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        return style->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
    }
    if (auto *label = qobject_cast<QLabel *>(control))
        return label->contentsRect().width();
    return control->width();
}

void TextFitter::Fit(const QList<QPair<QWidget *, QStringList>> &texts,
                     qreal largest,
                     qreal smallest)
{
    for (const auto &[control, lines] : texts) {
        auto *view = qobject_cast<QAbstractScrollArea *>(control);
        QFont fitted = control->font();
        for (qreal points = largest; points >= smallest; points -= 0.5) {
            fitted.setPointSizeF(points);
            control->setFont(fitted);
            // A view paints with its viewport's font, which may keep the desktop's own.
            if (view)
                view->viewport()->setFont(fitted);
            const QFontMetrics metrics(fitted);
            bool fits = view || metrics.height() <= control->height();
            for (int i = 0; fits && i < lines.size(); ++i)
                fits = metrics.horizontalAdvance(lines[i]) <= TextRoom(control, i, lines[i]);
            if (fits)
                break;
        }
    }
}
