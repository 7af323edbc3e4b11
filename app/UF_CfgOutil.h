#pragma once
// "Configuration de programme outil": one tool of the menu Outils. The
// configuration dialog fills it, shows it modally and reads it back after
// "Ok", which refuses a tool without a name, a name another tool already
// has and a program that cannot be found.
#include "config/U_Options.h"

#include <QDialog>

#include <functional>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kep {

class TEcrOutil : public QDialog {
    Q_OBJECT
public:
    explicit TEcrOutil(QWidget* parent = nullptr);

    // Fills EdNom, EdProg, EdRep, EdParams, UneInstance and OutilLocal from a tool.
    void Remplit(const TInfoOutils& outil);
    // The fields read back into `outil` (other members of it untouched).
    void Lit(TInfoOutils& outil) const;
    // The tools list for the duplicate-name check and the entry being edited (-1: a new tool).
    void SetListe(const std::vector<TInfoOutils>* outils, int selection);

    // The edit field that last had the focus; the keywords go there.
    QLineEdit* ChampCourant() const { return Champ_; }
    // True when `prog` names a program: a file (not a folder), or a bare
    // name found on the PATH.
    static bool ProgrammeExiste(const QString& prog);

    QLineEdit* EdNom;
    QCheckBox* OutilLocal;
    QLineEdit* EdProg;
    QPushButton* BtnParcourProg;
    QLineEdit* EdRep;
    QPushButton* btnParcoursRep;
    QLineEdit* EdParams;
    QCheckBox* UneInstance;
    QCheckBox* FermeEnQuittant;
    QGroupBox* gbInfos;
    std::vector<QLabel*> MotsCles; // the six keyword labels, in order
    QPushButton* BtnOk;
    QPushButton* BtnAnuller;
    QPushButton* btnAide;

    // The open dialog, starting from the current program; empty = cancelled.
    std::function<QString(const QString& start)> AskProgram;
    // The folder chooser, starting from the current folder; empty = cancelled.
    std::function<QString(const QString& start)> AskFolder;
    std::function<void(const QString&)> ShowMessage;
    std::function<void(int)> ShowHelp;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ChoisitChamp(QLineEdit* champ);
    void InsereMotCle(const QString& libelle);
    void BtnOkClick();
    void Refuse(QLineEdit* champ, const QString& message);

    const std::vector<TInfoOutils>* Outils_ = nullptr;
    int Selection_ = -1;
    QLineEdit* Champ_ = nullptr;
};

} // namespace kep
