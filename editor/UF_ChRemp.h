#pragma once
// "Chercher / Remplacer": the text to find and its replacement with their
// histories, where to search, the options, and the search buttons. The
// window keeps the search's state from click to click; the main window runs
// the search (OnRun) and fills the file lists.
#include "editor/U_Recherche.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kep {

class TIniFilePlus;

class TChRempDlg : public QDialog {
    Q_OBJECT
public:
    // Non-modal, over `owner`, deleted when closed. Without `replaceAllowed`
    // (protected project) the replace controls are hidden.
    TChRempDlg(QWidget* owner, bool replaceAllowed);
    ~TChRempDlg() override;

    TChRempState& State() { return State_; }
    bool ReplaceAllowed() const { return ReplaceAllowed_; }

    // The proposed text (Windows-1252); empty keeps what Cherche holds.
    // Setting it counts as a change of Cherche.
    void SetSearchText(const std::string& text);
    // A click on a search button by its tag (cbSuivant, cbRemplace,
    // cbRemplaceTout): prepares the state when needed, then runs OnRun.
    void ButtonClick(int tag);

    // Histories (latest first, Windows-1252).
    const std::vector<std::string>& ChercheHistory() const { return HistCherche_; }
    const std::vector<std::string>& RemplaceHistory() const { return HistRemplace_; }

    // Section "Cherche Remplace": the position and the histories "C0".."C19"
    // and "R0".."R19".
    void ReadSettings(const TIniFilePlus& ini);
    void WriteSettings(TIniFilePlus& ini) const;
    static constexpr const char* Section = "Cherche Remplace";

    // The main window's handlers.
    std::function<void(std::vector<std::string>& list)> OnListOpen;    // "Les fichiers ouverts"
    std::function<void(std::vector<std::string>& list)> OnListProject; // "Les fichiers du projet"
    std::function<void()> OnRun;                                       // the engine
    // Just before the window is deleted (the main window saves its settings).
    std::function<void(TChRempDlg&)> OnClosing;

    QPushButton* btnSuiv;
    QPushButton* btnRempl;
    QPushButton* btnRemplTout;
    QPushButton* btnPrec;
    QPushButton* BtnAnnul;
    QLabel* lblCherche;
    QLabel* lblRemplace;
    QComboBox* Cherche;
    QComboBox* Remplace;
    QGroupBox* grpDans;
    QRadioButton* DansSelection; // "Le texte sélectionné"
    QRadioButton* DansTexte;     // "Tout le texte"
    QRadioButton* DansOuverts;   // "Les fichiers ouverts"
    QRadioButton* DansProjet;    // "Les fichiers du projet"
    QGroupBox* grpDebut;
    QRadioButton* DuDebut;       // "Du début du texte"
    QRadioButton* DuCurseur;     // "Du curseur"
    QRadioButton* DeSelection;   // "De la sélection"
    QCheckBox* optMemeCasse;
    QCheckBox* optConfirme;
    QCheckBox* optMotEntier;

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* e) override;

private:
    void TexteChange();  // Cherche or Remplace edited
    void DansChange();   // a click in grpDans

    TChRempState State_;
    bool ReplaceAllowed_;
    std::vector<std::string> HistCherche_;
    std::vector<std::string> HistRemplace_;
};

} // namespace kep
