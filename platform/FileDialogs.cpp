#include "FileDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

FileDialogRunner &runner()
{
    static FileDialogRunner current;
    return current;
}

QString startFolder()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    return QDir(desktop).exists() ? desktop : QDir::homePath();
}

std::optional<QStringList> runRealDialog(const FileDialogRequest &request)
{
    QWidget *owner = QApplication::activeWindow();
    if (request.kind == FileDialogRequest::Folder) {
        const QString folder = QFileDialog::getExistingDirectory(owner, QString(), startFolder(),
                                                                 QFileDialog::ShowDirsOnly);
        if (folder.isEmpty())
            return std::nullopt;
        return QStringList{folder};
    }
    QFileDialog dialog(owner);
    dialog.setWindowModality(Qt::ApplicationModal);
    const QStringList filters = QtFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (request.kind == FileDialogRequest::SaveFile) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles();
}

} // namespace

std::optional<QStringList> RunFileDialog(const FileDialogRequest &request)
{
    return runner() ? runner()(request) : runRealDialog(request);
}

FileDialogRunner SetFileDialogRunner(FileDialogRunner replacement)
{
    FileDialogRunner previous = std::move(runner());
    runner() = std::move(replacement);
    return previous;
}

QStringList QtFilters(const QString &windowsFilter)
{
    QStringList filters;
    const QStringList parts = windowsFilter.split(u'|');
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(trailingPatterns);
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString &pattern : patterns)
            pattern = pattern.trimmed();
        filters << QStringLiteral("%1 (%2)").arg(description.trimmed(), patterns.join(u' '));
    }
    return filters;
}

bool TOpenDialog::Execute()
{
    const std::optional<QStringList> chosen =
        RunFileDialog({FileDialogRequest::OpenFiles, Filter, FilterIndex, true});
    if (!chosen || chosen->isEmpty())
        return false;
    Files = *chosen;
    FileName = Files.first();
    return true;
}

bool TSaveDialog::Execute()
{
    const std::optional<QStringList> chosen = RunFileDialog({FileDialogRequest::SaveFile, Filter, FilterIndex, false});
    if (!chosen || chosen->isEmpty())
        return false;
    FileName = chosen->first();
    return true;
}
