#pragma once
// "Quel répertoire ?": a folder tree with the chosen path under it.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace kep {

class TFolderTree;

class TEcrSelDir : public QDialog {
    Q_OBJECT
public:
    explicit TEcrSelDir(QWidget* parent = nullptr);

    // Selects the folder in the tree (and so in FolderPath).
    void SetFolder(const QString& path);
    // The text of FolderPath: the chosen folder.
    QString Folder() const;
    // A folder still to be made: its name follows whatever folder is
    // selected in FolderPath.
    void SetNewName(const QString& name);

    TFolderTree* FolderTree;
    QLineEdit* FolderPath;
    QPushButton* btnOk;
    QPushButton* btnAnnuler;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Place();
    void Show(const QString& folder);

    QString NewName_;
};

} // namespace kep
