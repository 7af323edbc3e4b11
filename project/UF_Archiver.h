#pragma once
// "Archiver le projet ?": a zip file of the project's folder, the archived
// mark, a copy as the next version, and how to go on afterwards.
#include "project/U_Archivage.h"

#include <QDialog>

#include <functional>
#include <string>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kep {

class TEcrArchiver : public QDialog {
    Q_OBJECT
public:
    // `nomProjet`: the current project file, whose section "Archivage"
    // gives the bounds and options.
    explicit TEcrArchiver(const std::string& nomProjet, QWidget* parent = nullptr);

    TOptArchivage Options() const;
    void SetOptions(const TOptArchivage& opts);
    // Writes the bounds and options into the project file current now.
    void EcritOptions();

    // A zip file or a copy was made.
    bool Fait = false;
    TResultatArchivage Resultat;

    // Ways to ask the user, replaceable so that the dialog can be driven
    // without modal boxes.
    std::function<bool(const QString& text)> AskOkCancel; // warning, OK / Cancel
    std::function<void(const QString& text)> ShowMessage;
    std::function<QString(const QString& start)> AskZipName;             // empty = cancelled
    std::function<QString(const QString& parent, const QString& name)> AskFolder; // empty = cancelled
    std::function<void(int context)> ShowHelp;
    // Told of each file packed, so that the window can repaint.
    std::function<void(const std::string& path)> OnProgress;

    QCheckBox* cbCreerZip;
    QLineEdit* edNomZip;
    QPushButton* btnNouvZip;
    QRadioButton* rbCheminVide;
    QRadioButton* rbCheminNomProj;
    QRadioButton* rbCheminComplet;
    QCheckBox* cbMarqueArchive;
    QCheckBox* cbCreerCopie;
    QLineEdit* edNomCopie;
    QPushButton* btnNouvProj;
    QRadioButton* rbNouvDossier;
    QRadioButton* rbLectureSeule;
    QRadioButton* rbFermerProjet;
    QCheckBox* cbNettoyer;
    QPushButton* btnOk;
    QPushButton* btnAnnuler;
    QPushButton* btnAide;

private:
    void MajEtats();
    void btnOkClick();

    std::string NomProjet_;
    QButtonGroup* Chemins_;
    QButtonGroup* Suites_;
    bool Maj_ = false;
};

// The folder chooser with a new folder's name kept after the selection
// ("Dossier pour la nouvelle version ?"); empty when cancelled.
QString ChoisitDossierNouveau(QWidget* parent, const QString& start, const QString& name);
// Lets the user pick the folder of a text field: the chooser starts in the
// field's folder and keeps its last part as the new folder's name; a
// confirmed choice replaces the field's text.
void ChoisitDossier(QLineEdit* field, const std::function<QString(const QString& parent, const QString& name)>& ask);

// The boxes of both archive dialogs: a warning answered by OK or Cancel,
// and a plain message.
bool DemandeOkAnnuler(QWidget* parent, const QString& text);
void MontreMessage(QWidget* parent, const QString& text);

// The help topic of both archive dialogs.
inline constexpr int AideArchivage = 2001;

} // namespace kep
