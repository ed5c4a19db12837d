#include "media/sourcefiledialog.h"

QStringList SourceFileDialog::Filters()
{
    // "*rmvb" has no dot in the original list; it matches the same files, so it stays.
    return {
        QStringLiteral("Support Video Files (*.wav *.wma *.mp3 *.rm *rmvb *.avi *.mpg *.mpeg "
                       "*.vob *.wmv *.flv *.asf *.mov *.qt *.mp4 *.m4v *.m4a *.3gp *.3g2 *.mkv "
                       "*.webm *.ogg *.ogv *.oga *.opus *.flac *.aac *.ts *.mts *.m2ts)"),
        QStringLiteral("AVI Files (*.avi)"),
        QStringLiteral("WAV Files (*.wav)"),
        QStringLiteral("Mpeg files (*.mp3 *.mpg *.mpeg *.vob)"),
        QStringLiteral("RealMedia Files (*.rm *.rmvb)"),
        QStringLiteral("Windows Media files (*.wmv *.wma *.asf)"),
        QStringLiteral("Quick Time Files (*.mov *.qt)"),
        QStringLiteral("All Files (*)"),
    };
}

SourceFileDialog::SourceFileDialog(QWidget *owner, const QString &folder)
    : QFileDialog(owner, QString(), folder)
{
    // Desktop dialogs (GTK's among them) match patterns in one letter case only.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilters(Filters());
    selectNameFilter(Filters().constFirst());
}

QStringList SourceFileDialog::ChooseFiles(QWidget *owner, const QString &folder)
{
    SourceFileDialog dialog(owner, folder);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}
