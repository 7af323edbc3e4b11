#pragma once
// "Configuration de KEP et du projet": the six pages over the options of
// TEcrCfg. The pages edit a copy that "Ok" hands back and saves; making the
// dialog (once per showing) and "&Annuler" reload the options from the file. The two boxes of
// "Facilités" act on the desktop at once, whatever button ends the dialog.
#include "config/UF_Cfg.h"
#include "platform/DesktopIntegration.h"
#include "editor/U_Assembleur.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace kep {

class TEcrCfgDlg : public QDialog {
    Q_OBJECT
public:
    enum TPage { pgStyles, pgEditeur, pgConstruction, pgErreurs, pgOutils, pgFacilites, NbPages };
    // The help topic of the first page; each page adds its index.
    static constexpr int AideBase = 11001;

    explicit TEcrCfgDlg(TEcrCfg& cfg, QWidget* parent = nullptr);

    // Reloads the options and the desktop's state into the pages; done when
    // the dialog is made.
    void Charge();
    // The pages read back into `opts` (the fields no page shows untouched).
    void Lit(TOptionsKep& opts) const;
    // "Ok": the options the pages hold become the configuration's and are
    // saved; false, after the store's message, when the file could not be written.
    bool Valide();

    // The chosen preset of the error layouts, or -1 for "Personnalisé".
    int PresetCourant() const;
    // The assembler whose preset the user chose in the list (the project
    // takes it on "Ok"), or none.
    std::optional<TAssembleur> AssembleurChoisi() const { return AssembleurChoisi_; }

    // Runs a sub-dialog (file type, tool) modally; true when accepted.
    std::function<bool(QDialog& dialog)> ExecDialog;
    // The folder chooser: title and start; empty = cancelled.
    std::function<QString(const QString& title, const QString& start)> AskFolder;
    std::function<void(int context)> ShowHelp;
    std::function<void(const QString& text)> ShowError;
    // "Appliquer ces couleurs..." of the file-type dialog: the open files
    // of that extension take the styles at once.
    std::function<void(const std::string& ext, const TStyleTable& styles)> OnApplStyles;
    // Where the association and the desktop launcher go.
    TXdgDirs Xdg;

    QTabWidget* Pages;
    // Styles
    QGroupBox* gbTypes;
    QComboBox* ListeTypesFich;
    QPushButton* btnModifType;
    QPushButton* btnAjoutType;
    QPushButton* btnSupprType;
    QLineEdit* edExt;
    QLineEdit* edNbrBak;
    QLineEdit* edPolice;
    QLineEdit* edTaillePolice;
    QLineEdit* Tab[6];
    QCheckBox* ConvDos;
    QCheckBox* ClrEol;
    QCheckBox* ReadOnly;
    QCheckBox* Autosave;
    QCheckBox* Autoload;
    QListWidget* DemoStyles;
    // Editeur
    QLineEdit* SymbRem;
    // Construction
    QLineEdit* TabPath;
    QPushButton* btnTabPath;
    QLineEdit* ProgMake;
    QLineEdit* ParamMake;
    QLineEdit* ParamMakeTout;
    QRadioButton* rbAffConsole;
    QRadioButton* rbMakeLog;
    QCheckBox* cbAfficheInfos;
    QCheckBox* cbFermeConsole;
    // Erreurs
    QComboBox* cbAssembleur;
    QLabel* lblAssembleur;
    QLineEdit* FichErr;
    QSpinBox* NbrLigErr;
    QLineEdit* MarqErr;
    QSpinBox* LigMarqErr;
    QLineEdit* MarqErr2;
    QSpinBox* LigMarqErr2;
    QLineEdit* DebNomFich;
    QLineEdit* FinNomFich;
    QSpinBox* LigNomFich;
    QLineEdit* DebNumLig;
    QLineEdit* FinNumLig;
    QSpinBox* LigNumLig;
    QPushButton* btnDefautErr;
    QPushButton* btnChargeErr;
    // Outils
    QListWidget* ListeOutils;
    QPushButton* btnAjoutOutil;
    QPushButton* btnSupprOutil;
    QPushButton* btnModifOutil;
    QPushButton* BtnHaut;
    QPushButton* BtnBas;
    // Facilités
    QCheckBox* chkAssoPja;
    QCheckBox* chkRaccourci;
    // Says when a helper of the desktop did not answer (hidden otherwise).
    QLabel* lblAssistants;
    QCheckBox* EnableBak;
    QLabel* lblDelaiBak;
    QSpinBox* DelaiBak;
    QLineEdit* NetPartiel;
    QLineEdit* NetComplet;
    // Buttons
    QPushButton* btnOk;
    QPushButton* btnAnnuler;
    QPushButton* btnAide;

private:
    void CreeStyles(QWidget* page);
    void CreeEditeur(QWidget* page);
    void CreeConstruction(QWidget* page);
    void CreeErreurs(QWidget* page);
    void CreeOutils(QWidget* page);
    void CreeFacilites(QWidget* page);

    // Styles
    void RemplitTypes(const std::string& selection);
    void MontreType();
    void EditeType(bool ajout);
    void SupprimeType();
    int TypeCourant() const; // index in Types_, -1 when none
    // Construction
    void FinTabPath();
    void ChoisitTabPath();
    void MajConsole();
    // Erreurs
    TErrDefaults LitErr() const;
    void MontreErr(const TErrDefaults& err);
    void ChoisitPreset(int index);
    void MajPreset();
    // Outils
    void MontreOutils(int selection);
    void MajBoutonsOutils();
    void EditeOutil(bool ajout);
    void SupprimeOutil();
    void DeplaceOutil(int sens);
    // Facilités
    void MajDelaiBak();
    void AssocieClick();
    void RaccourciClick();
    void MontreEtatBureau();
    void LanceAssistants(TAssistants assistants);

    bool Exec(QDialog& dlg);
    void Erreur(const QString& text);

    TEcrCfg& Cfg_;
    std::vector<TInfosFich> Types_;
    std::vector<TInfoOutils> Outils_;
    TStyleTable StylesDemo_;
    bool Remplissage_ = false;
    std::optional<TAssembleur> AssembleurChoisi_;
};

} // namespace kep
