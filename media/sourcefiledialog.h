#pragma once

#include <QFileDialog>
#include <QStringList>

// The Open File dialog of Add: existing files only, several at once, the source types'
// filters with the first one chosen. Qt's own dialog, so that the filters match in any
// letter case (VIDEO.MP4) whatever the desktop.
class SourceFileDialog : public QFileDialog
{
    Q_OBJECT

public:
    explicit SourceFileDialog(QWidget *owner, const QString &folder = {});

    // The filter entries, "Name (*.a *.b)", the first the default.
    static QStringList Filters();
    // Shows the dialog modally; the chosen files, or none when the user cancels.
    static QStringList ChooseFiles(QWidget *owner, const QString &folder);
};
