#include "controls/UC_FolderTree.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>

namespace kep {

namespace {

QString WithoutFinalSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

TFolderTree::TFolderTree(QWidget* parent) : QTreeView(parent), Model_(new QFileSystemModel(this))
{
    Model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    Model_->setReadOnly(true);
    Model_->setRootPath(QDir::rootPath());
    setModel(Model_);
    setRootIndex(Model_->index(QDir::rootPath()).parent());
    for (int c = 1; c < Model_->columnCount(); ++c)
        hideColumn(c);
    header()->hide();
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    emit FolderChanged(WithoutFinalSlash(Model_->filePath(current)));
            });
}

QString TFolderTree::SelectedFolder() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? WithoutFinalSlash(Model_->filePath(current)) : QString();
}

bool TFolderTree::SetSelectedFolder(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return false;
    const QModelIndex index = Model_->index(info.absoluteFilePath());
    if (!index.isValid())
        return false;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
        expand(p);
    setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    return true;
}

} // namespace kep
