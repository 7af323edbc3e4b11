#pragma once
// A tree of the file system's folders for choosing one.
#include <QTreeView>

class QFileSystemModel;

namespace kep {

class TFolderTree : public QTreeView {
    Q_OBJECT
public:
    explicit TFolderTree(QWidget* parent = nullptr);

    // The selected folder, without a final "/" (except for "/"); empty when
    // none is selected.
    QString SelectedFolder() const;
    // Selects the folder, expanding the tree down to it; false when it does
    // not exist.
    bool SetSelectedFolder(const QString& path);

signals:
    void FolderChanged(const QString& path);

private:
    QFileSystemModel* Model_;
};

} // namespace kep
