#include "controls/ccelllistctrl.h"
#include "controls/cimagebutton.h"
#include "controls/crangeslider.h"
#include "page/pagesources.h"
#include "page/previewtrim.h"
#include "pagefixture.h"

#include <QAccessible>
#include <QAccessibleValueInterface>

// What a screen reader finds on the page, read through QAccessible as a reader's bridge does.
// (The events that tell a reader of changes are not seen here: without a reader's bridge, as
// offscreen, QAccessible sends none.)
namespace {

// What a reader names a control by: the label it is labelled by, else its own name.
QString ReadName(QAccessibleInterface *control)
{
    const auto labels = control->relations(QAccessible::Label);
    return labels.isEmpty() ? control->text(QAccessible::Name)
                            : labels.first().first->text(QAccessible::Name);
}

// Every interface under the page, by the widget it speaks for.
QHash<QObject *, QAccessibleInterface *> Tree(QWidget *page)
{
    QHash<QObject *, QAccessibleInterface *> found;
    QList<QAccessibleInterface *> open{QAccessible::queryAccessibleInterface(page)};
    while (!open.isEmpty()) {
        QAccessibleInterface *node = open.takeLast();
        found.insert(node->object(), node);
        for (int i = 0; i < node->childCount(); ++i)
            open.append(node->child(i));
    }
    return found;
}

} // namespace

class TestPageAccessibility : public QObject
{
    Q_OBJECT

    PageFixture m;
    QString clip;

private slots:
    void initTestCase()
    {
        m.SetUp();
        clip = m.Clip("short", 4);
        QVERIFY(!clip.isEmpty());
    }
    void cleanup()
    {
        m.outer.reset();
        m.ClearOutput();
    }

    void everyControlHasANameAndARole_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("role");
        const auto row = [](int id, const char *name, QAccessible::Role role) {
            QTest::newRow(name) << id << QString(name) << int(role);
        };
        row(PageControl::OutputType, "Select Output Type:", QAccessible::ComboBox);
        row(PageControl::ProfileList, "Profile", QAccessible::List);
        row(PageControl::Browse, "Browse", QAccessible::Button);
        row(PageControl::ShutDownBox,
            "Automatically Shut Down the computer when converting finished",
            QAccessible::CheckBox);
        row(PageControl::OutputDirectory, "Output Directory:", QAccessible::EditableText);
        row(PageControl::JobList, "Videos to convert", QAccessible::Table);
        row(PageControl::Add, "Add", QAccessible::Button);
        row(PageControl::Remove, "Remove", QAccessible::Button);
        row(PageControl::RemoveAll, "Remove all", QAccessible::Button);
        row(PageControl::RangeSlider, "Range to convert", QAccessible::Slider);
        row(PageControl::Preview, "Preview", QAccessible::Button);
        row(PageControl::StopPreview, "Stop preview", QAccessible::Button);
        row(PageControl::Help, "Help", QAccessible::Button);
        row(PageControl::StartConverting, "Start converting", QAccessible::Button);
        row(PageControl::StopConverting, "Stop converting", QAccessible::Button);
        row(PageControl::OutputTypeLabel, "Select Output Type:", QAccessible::StaticText);
        row(PageControl::VideoEdit, "Video", QAccessible::Client);
        row(PageControl::FadeInPicture, "Picture", QAccessible::Client);
    }
    void everyControlHasANameAndARole()
    {
        QFETCH(int, id);
        QFETCH(QString, name);
        QFETCH(int, role);
        CMivartelDlg *page = m.Open();
        QVERIFY(page);
        QAccessibleInterface *control = Tree(page).value(page->Control(id));
        QVERIFY(control);
        QCOMPARE(ReadName(control), name);
        QCOMPARE(int(control->role()), role);
    }

    // Each thumb is a slider of its own that reads its time as the cells show it; a reader
    // that sets one trims the job as a key does.
    void theSliderReadsAndSetsEachEnd()
    {
        CMivartelDlg *page = m.Open();
        QVERIFY(page);
        CRangeSlider *slider = page->rangeSlider();
        page->previewTrim().SetSlider(0, 120, 65, 90);
        QAccessibleInterface *range = QAccessible::queryAccessibleInterface(slider);
        QCOMPARE(range->childCount(), 2);
        QAccessibleInterface *begin = range->child(0);
        QAccessibleInterface *end = range->child(1);
        QCOMPARE(begin->role(), QAccessible::Slider);
        QCOMPARE(begin->parent(), range);
        QCOMPARE(range->indexOfChild(end), 1);
        QCOMPARE(begin->text(QAccessible::Value), QString("Begin 00:01:05"));
        QCOMPARE(end->text(QAccessible::Value), QString("End 00:01:30"));
        QCOMPARE(range->text(QAccessible::Value), QString("Begin 00:01:05, End 00:01:30"));
        QCOMPARE(begin->valueInterface()->currentValue().toDouble(), 65.0);
        QCOMPARE(end->valueInterface()->maximumValue().toDouble(), 120.0);

        QVERIFY(page->sources().AddSourcePath(clip));
        end->valueInterface()->setCurrentValue(2.0);
        QCOMPARE(page->state().jobs.copyOut(0).endTime, 2.0);
        QCOMPARE(end->text(QAccessible::Value), QString("End 00:00:02"));
    }

    // The list reads its rows and cells, and says when a job has finished.
    void theListReadsItsCellsAndAnnouncesTheEnd()
    {
        CMivartelDlg *page = m.Open();
        QVERIFY(page);
        QVERIFY(page->sources().AddSourcePath(clip));
        QAccessibleTableInterface *table
            = QAccessible::queryAccessibleInterface(page->jobList())->tableInterface();
        QVERIFY(table);
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->columnDescription(0), QString("Source"));
        QCOMPARE(table->cellAt(0, 0)->text(QAccessible::Name), QString("short.avi"));
        QCOMPARE(table->cellAt(0, 2)->text(QAccessible::Name), QString("00:00:04"));

        page->state().outputDirectory = m.OutputDir();
        QTest::mouseClick(page->startButton(), Qt::LeftButton);
        QCOMPARE(table->cellAt(0, 4)->text(QAccessible::Name), QString("Finished"));
        QCOMPARE(page->jobList()->accessibleDescription(), QString("short.avi: finished"));
    }
};

QTEST_MAIN(TestPageAccessibility)
#include "tst_pageaccessibility.moc"
