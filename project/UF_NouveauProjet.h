#pragma once
// "Nouveau projet": name, folder, chip and tool chain of a project that
// builds at once. The files themselves come from U_NouveauProjet.
#include "project/U_NouveauProjet.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kep {

class TEcrNouveauProjet : public QDialog {
    Q_OBJECT
public:
    explicit TEcrNouveauProjet(QWidget* parent = nullptr, const TCataloguePuces* puces = nullptr);

    QLineEdit* edNom;
    QLineEdit* edDossier;
    QPushButton* btnDossier;
    QComboBox* cbPuce;   // editable, completed over the chips the tools know
    QComboBox* cbChaine; // in TChaine's order
    QLabel* lblInfo;     // what will be written, or why it cannot be
    QPushButton* BtnCree;
    QPushButton* BtnAnnule;

    // The folder proposed until the user picks one: this folder + the name.
    void SetDossierParent(const QString& folder);
    // What OK does: checks, asks before replacing, writes. True when the
    // files were written (the dialog then closes).
    bool Cree();
    // The files written by the last successful Cree.
    const TPlanProjet& Plan() const { return Plan_; }

    // Replaceable so the dialog can be driven without modal boxes.
    std::function<bool(const QString& question)> AskReplace; // "Confirmation"
    std::function<QString(const QString& start)> AskFolder;
    TOptionsNouveau Options;

private:
    TNouveauProjet Demande() const;
    void MajChaine();
    void MajInfo();

    const TCataloguePuces& Puces_;
    TPlanProjet Plan_;
    QString Parent_;
    bool DossierChoisi_ = false;
};

} // namespace kep
