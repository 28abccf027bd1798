#include "shell/ui/file_dialog.h"

#include <QDateTime>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QTreeView>

namespace shell::ui {
namespace {

// The detail view's columns of Qt's file system model.
constexpr int kTypeColumn = 2;
constexpr int kDateColumn = 3;

class KoreanListing : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files || role != Qt::DisplayRole ||
            (index.column() != kTypeColumn && index.column() != kDateColumn))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        if (index.column() == kDateColumn)
            return files->lastModified(source).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        // Files are named by their type's description, which Qt reads in
        // Korean; folders, drives and files of no known type by texts its
        // translation lacks.
        const QFileInfo info = files->fileInfo(source);
        if (info.isRoot())
            return QStringLiteral("드라이브");
        if (files->isDir(source))
            return QStringLiteral("폴더");
        const QString type = QIdentityProxyModel::data(index, role).toString();
        if (type == QLatin1String("File") || type.endsWith(QLatin1String(" File")))
            return info.suffix().isEmpty() ? QStringLiteral("파일")
                                           : info.suffix() + QStringLiteral(" 파일");
        return type;
    }
};

QString ask(QFileDialog& dialog)
{
    MakeKorean(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

} // namespace

void MakeKorean(QFileDialog& dialog)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new KoreanListing(&dialog));
    // Room for the whole date in the detail view.
    if (auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        const QFontMetrics metrics(view->font());
        view->header()->resizeSection(
            kDateColumn, metrics.horizontalAdvance(QStringLiteral("0000-00-00 00:00")) +
                             metrics.averageCharWidth() * 3);
    }
}

QString AskOpenFile(QWidget* parent, const QString& caption, const QString& dir,
                    const QString& filter)
{
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return ask(dialog);
}

QString AskSaveFile(QWidget* parent, const QString& caption, const QString& path,
                    const QString& filter)
{
    QFileDialog dialog(parent, caption, path, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    return ask(dialog);
}

QString AskDirectory(QWidget* parent, const QString& caption, const QString& dir)
{
    QFileDialog dialog(parent, caption, dir);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return ask(dialog);
}

} // namespace shell::ui
