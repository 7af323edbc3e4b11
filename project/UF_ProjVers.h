#pragma once
// "&Versions": a tree of build versions; nothing of it is kept.
#include <QDialog>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kep {

class TEcrProjVers : public QDialog {
    Q_OBJECT
public:
    explicit TEcrProjVers(QWidget* parent = nullptr);

    // The one dialog of the run, created on first use.
    static TEcrProjVers& Instance(QWidget* parent = nullptr);

    QTreeWidget* Versions;
    QPushButton* btnAjoute;
    QPushButton* btnRenomme;
    QPushButton* btnSupprime;
    QPushButton* btnAjouteDef;
    QPushButton* btnSupprimeDef;
    QPushButton* btnOk;
    QPushButton* btnAnnuler;

private:
    QTreeWidgetItem* AddVersion(const QString& name);
};

} // namespace kep
