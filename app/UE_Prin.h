#pragma once
// The main window: start-up, the menus, the status bar, the open files and
// their views (the sources list), the reopen list, the project session and
// the three ways to quit.
#include "app/U_Session.h"
#include "config/UF_Cfg.h"
#include "platform/ProjectInstance.h"

#include <QMainWindow>
#include <QPointer>
#include <QUrl>

#include <QFont>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QDialog;
class QLabel;
class QLayout;
class QMenu;
class QSplitter;
class QStackedWidget;
class QStandardItemModel;
class QTimer;
class TEcrMake;
class TEditeur;
class THeaderCtrlG;
class TMakeThread;
class TSources;
struct TInfPage;
namespace kep {
struct TErrBlock;
struct TErrCompte;
class TChRempDlg;
class TEcrCRef;
class TEcrAideProc;
class TEcrAideQDX;
class TEcrComms;
class TEcrConv;
class TIniFilePlus;
class TEcrImprim;
class TFindDialog;
enum class TConfirmAnswer;
}

// The project's make file and programmer driver; the protected mode.
extern std::string NomMakeFile;
extern std::string NomProgFile;
extern bool ProjetProtege;

class TEcrPrin : public QMainWindow {
    Q_OBJECT
public:
    // Answers of the save question.
    enum TReponse { rOui, rNon, rAnnuler, rTous };

    explicit TEcrPrin(kep::TCfgStart start, QWidget* parent = nullptr);
    ~TEcrPrin() override;

    // The start-up steps; false when the program must end without showing
    // its window.
    bool FormCreate();
    bool Started() const { return Started_; }

    // ---- Project -------------------------------------------------------------
    // False, after a French message, when the file cannot be taken as a
    // project (binary, or no INI line at all).
    bool EstUnProjet(const std::string& path);
    bool ChargeProjet();
    void SauveProjet();
    // The project file could not be written: says so, with the system's reason.
    void ProjetNonSauve(const kep::TIniFilePlus& ini);
    bool FermeProjet();
    // Asks about each modified document, as closing does; false when the
    // user cancels.
    bool DemandeSauveModifies();
    void FermeTout(); // the project's windows, then every entry
    void FermeFenetresProjet();
    // The archive dialog of an archived project; its modal result. After a
    // copy (1) NomProjet names the copy's project file.
    int OuvreArchive();
    void MasqueProtege(bool masque);
    void ActiveMenusFichier(bool active);
    void EffaceFichiers(const std::string& masks);

    // ---- Files and entries --------------------------------------------------------
    // `settings`: the file's own record (tabs in pixels unless `tabsInPixels`
    // is false), or the type's when null.
    void OuvreFichier(const std::string& name, const kep::TInfosFich* settings = nullptr, bool tabsInPixels = true);
    bool FermePage(int index, bool ask);
    void ChoisitPage(int index);
    bool SauvePage(int index);
    bool DemandeSauve(int index, bool& tous);
    bool SauveSous();
    void RafraichitCRef(); // when what the references list has changed
    void MemoReouvre(kep::TReopenItem item); // on top of the reopen list
    std::optional<kep::TReopenItem> ItemReouvre(int index) const; // none unless the file's only view
    // "Fermer": asks about a modified file, then puts it on the reopen list.
    bool FermeEtMemorise(int index);
    // New views over the stretches of the entry's file that no view covers.
    void CreeVuesManquantes(int index);
    void Reouvre(int item); // click on a reopen item
    // Shows the line that had identity `lineId` in the view of the file that
    // shows it best, opening the file when it is not open. False when the
    // line no longer exists (deleted since the file was loaded or saved).
    bool MontreLigne(const std::string& name, std::int32_t lineId);
    // The settings dialogs of the entry's file and of its view.
    void ProprietesFichier(int entry);
    void ProprietesVue(int entry);
    // A file type's new colours reach every open file of its extension.
    void AppliqueStyles(const std::string& ext, const kep::TStyleTable& styles);
    void MajReglette();
    void ProgrammeBackup();
    void SauvegardePeriodique();
    void VerifDatesFichiers();
    // Dropped files: links lead to their targets; folders are ignored.
    void FichiersDeposes(const QList<QUrl>& urls);
    // "&Autres projets..." and "&Versions".
    void MP_ProjetClick();
    void MP_VersionsClick();
    // "&Archiver...": a zip file, the archived mark, a copy as the next
    // version, then work on the copy, go on read-only or quit.
    void MP_ArchiverClick();
    // "&Nouveau projet...": the dialog writes the files, the project joins
    // the list and opens.
    void MP_NouveauProjetClick();
    // The dialog alone; the new project's file, empty when cancelled.
    std::string CreeNouveauProjet();
    // Closes this project (asking about modified files) and opens `chosen`;
    // false when it stays as it was.
    bool OuvreAutreProjet(const std::string& chosen);
    // Ends the program without the closing questions: the secondary windows
    // write their places, the project file is not written again.
    void TermineProgramme();
    bool Termine() const { return Termine_; }

    // ---- Build -------------------------------------------------------------------
    // "&Construire" (sender MM_Make) or "&Tout reconstruire" (any other).
    void MM_MakeClick(QAction* sender);
    // Opens a new output window and runs the make program on the make file;
    // true when the launcher could be started. `code` and `interrompu`, when
    // given, receive how the tool ended.
    bool LanceMake(const std::string& prog, const std::string& makeFile, const std::string& params,
                   std::uint32_t* code = nullptr, bool* interrompu = nullptr);
    // The make-file dialog; true when confirmed (even with the same file).
    bool ChoisitMakeFile();
    void MM_EditMakeFileClick();
    void M_ProgrammeClick();
    void MPr_ChangeProgFileClick();
    // The current output window, null once closed.
    TEcrMake* EcrMake() const;
    // Ends the running build, if any, and everything it started.
    void ArreteMake();

    // ---- Errors ----------------------------------------------------------------------
    // Opens the error file when it exists and is not empty; the current entry
    // stays current. True when opened.
    bool OuvreFichErr();
    // "&Erreur suivante": the next error block of the error file.
    void MC_ErrSuivClick();
    // The error of the output window's line `index`, when the layout reads one there.
    bool MontreErreurConsole(std::size_t index);
    // The full path of the error file (relative to the current folder).
    std::string CheminFichErr() const;

    // ---- Search ------------------------------------------------------------------
    // "Chercher/&Remplacer...", "&Chercher...", "Remplacer...", "Répète
    // cherche/remplace", "Ré&férences..." and "&Va à la ligne...".
    void MC_ChRempClick();
    void MC_ChercheClick();
    void MC_RemplaceClick();
    void MC_RepeteClick();
    void MC_ReferencesClick();
    void MC_VaLigneClick();
    // The word under the mouse pointer in the current editor (word
    // characters 0-9, A-Z, a-z, "_" and 0x80-0xFF).
    std::string MotSousSouris() const;
    // Lists the references of the word (the window's own when empty) in
    // every entry that is not ignored; opens the window when needed.
    void ListeReferences(const std::string& word);
    // Goes to the line of a reference (lineId -1: only the entry).
    void VaReference(int entry, std::int32_t lineId);
    kep::TChRempDlg* ChRempDlg() const;
    kep::TEcrCRef* CRef() const;
    kep::TEcrComms* Comms() const;
    // "C&onvertisseur": docks the number converter under the sources list,
    // or removes it. Conv() is null while it is not there.
    void MD_ConvertisseurClick();
    kep::TEcrConv* Conv() const;
    // "&Imprimer...": the print dialog, made on first use and kept.
    void MF_ImprimerClick();
    kep::TEcrImprim* Imprim() const;
    // The processor reference windows, null until opened or once closed.
    kep::TEcrAideProc* FenAideProc() const;
    kep::TEcrAideQDX* FenAideQDX() const;
    kep::TFindDialog* FindDlg() const { return FindDlg_; }
    kep::TFindDialog* ReplaceDlg() const { return ReplaceDlg_; }

    TSources* Sources() const { return Sources_; }
    kep::TEcrCfg* Cfg() const { return Cfg_.get(); }
    TEditeur* EditeurCourant() const;
    const kep::TReopenList& Reopen() const { return Reopen_; }
    QMenu* ReopenMenu() const { return MF_ReOuvre; }
    QString Panel(int i) const;
    void SetPanel(int i, const QString& text);
    QAction* Action(const char* name) const;
    QMenu* Menu(const char* name) const;
    QTimer* BackupTimer() const { return BackupTimer_; }
    // The application's title: "KEP", then the project's title.
    const QString& Titre() const { return Titre_; }

    bool MakeEnCours = false;

    // Ways to ask and tell the user; tests replace them.
    std::function<void(const QString& text)> ShowMessage;          // plain box
    std::function<void(const QString& text)> ShowWarning;          // "Avertissement"
    std::function<void(const QString& text)> ShowError;            // "Erreur"
    std::function<void(const QString& caption, const QString& text)> ShowTitled;
    std::function<TReponse(const QString& text, bool tous)> AskSave; // "Confirmation"
    std::function<QString(const QString& start)> AskSaveName;       // SaveDlg
    std::function<QStringList()> AskOpenFiles;                      // DlgOuvreFichier
    std::function<std::string()> ChooseProject;                     // TEcrProj, empty = cancelled
    std::function<bool(const QString& text, bool modified)> AskReload; // file changed on disk: reload?
    std::function<std::optional<QFont>(const QFont& start)> AskFont;  // FontDlg, nothing = cancelled
    // An open-file dialog with its title, Qt filter and start name; empty = cancelled.
    std::function<QString(const QString& title, const QString& filter, const QString& start)> AskOpenFile;
    // Runs a modal dialog of the window (file and view settings, versions);
    // true when it was accepted.
    std::function<bool(QDialog& dialog)> ExecDialog;
    // The project list of "&Autres projets...": its modal result, and the
    // chosen project's path in `chosen`.
    std::function<int(std::string& chosen)> ChoisitProjet;
    // "Remplacer ?" with "&Oui", "&Non", "&Abandonner" and, when `tous`, "&Tous".
    std::function<kep::TConfirmAnswer(bool tous)> AskReplace;
    // The mouse pointer in screen coordinates.
    std::function<QPoint()> MousePos;
    // A yes/no question ("Confirmation", "&Oui" / "&Non"); true = yes.
    std::function<bool(const QString& text)> AskConfirm;
    // An input box: caption, prompt, start text; nothing = cancelled.
    std::function<std::optional<QString>(const QString& caption, const QString& prompt, const QString& start)>
        AskText;
    // The login that shows the developer menus.
    static constexpr const char* DeveloperLogin = "kepdev";
    std::function<std::string()> LoginName;
    // Shows a topic of KEP's help; 0 shows the contents.
    std::function<void(int context)> ShowHelp;

signals:
    // The window closed: the program ends even if other windows are open.
    void Ferme();

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreeMenus();
    void CreePopups();
    QAction* Item(QMenu* menu, const char* name, const QString& caption, bool p, const QString& shortcut = {},
                  bool enabled = false);
    void ActiveRaccourcis(bool active);
    void MajMenuOutils();
    void MajReouvre();
    void MSp_MontreMenuClick();
    void CaretMoved();
    void MajSelection();
    void ModifiedToggled();
    void InsReplSwapped();
    void OuvreEditionMenu();
    void OuvrePmEdit();
    void OuvrePmSources();
    void AssigneEditeur(TEditeur* ed);
    void RenommeVues(TEditeur* ed, const std::string& oldName);
    int IndexDe(const TInfPage* page) const;
    int EntreeCible() const; // the entry the popup commands act on
    void RegletteDebut(int section, int width);
    void RegletteSuit(int section, int width);
    void RegletteFin(int section, int width);
    void TraceGuide(int x); // the guide line over the editor; x < 0 hides it
    bool FormCloseQuery();
    kep::TSessionState EtatSession() const;
    void DefautConstruire(QAction* item); // the build menu's default item
    void MontreErreur(const kep::TErrBlock& block);
    void EffaceRestesAssembleur();
    // The errors and warnings of the error file on disk.
    kep::TErrCompte CompteErreursFichErr() const;
    void CreeRecherche(); // connects the Chercher menu
    void ChercheSuivant(kep::TFindDialog* dlg);
    void RemplaceDlg(kep::TFindDialog* dlg, bool all);
    kep::TEcrCRef* OuvreCRef();
    // The references follow the documents: a listing soon after a change.
    void ReferencesAJour();
    // The search windows keep their settings in the project they belong to.
    void SauveFenetresRecherche();
    void FermeFenetresRecherche();
    void OuvreFichiers();
    void Nouveau();

    // Edition, Sélection and the editor popup.
    void CreeEdition();
    // Lines of the current editor replaced by what f gives them, as one
    // undo step: `count` lines from `first`, the selected lines or the whole
    // text. False when nothing changed.
    using TTransfoLignes = std::function<std::vector<std::string>(const std::vector<std::string>&)>;
    bool ChangeLignes(std::int32_t first, std::int32_t count, const TTransfoLignes& f);
    bool ChangeLignesSelection(const TTransfoLignes& f);
    bool ChangeTexte(const TTransfoLignes& f);
    void ConvertitTexte(bool versWindows); // "Dos -> win" / "Win -> dos"
    void InsereDateHeure(bool heure);
    void MajMarqueurs(); // captions of "Pose marqueur"
    void VaOccurrence(TEditeur* ed, int line, const std::string& word);
    // Special.
    void CreeSpecial();
    void MSp_RenumClick();
    void MSp_MarqueLabelClick();
    void MSp_ConvCClick();
    // Débug: the code generated for an editor's caret line, in panel 3.
    void CreeDebug();
    void MontreCode(TEditeur* ed);
    void MD_FindCodeClick();
    void MC_TrouveLigOrgClick();
    void MD_CodViewClick();
    // The serial terminal (F9), one at a time.
    void MD_CommsClick();
    void FermeComms();
    void OuvreConv();
    void FermeConv(); // writes its settings to the project it belongs to
    // Aide: the help topics of the items, the processor reference windows.
    void CreeAide();
    void SuitAideMenu(QMenu* menu); // F1 in a menu made later
    void OuvreMenuAide();
    void MA_RubriquesClick();
    void MA_VieilleAideClick();
    void MA_ProcesseurClick();
    // F1 on a mnemonic: its entry in the description of the file's table.
    void AideMnemonique(TEditeur* ed, const QString& mnemonic);
    // The project's main source and make file, for the sources that name no
    // processor; the project's assembler guessed again from the make file.
    void SuitProjetPourTables();
    // The project's assembler: named by its file or chosen in the
    // configuration dialog, else the one its make file runs.
    kep::TAssembleurProjet Assembleur_;
    void ChoisitAssembleur(kep::TAssembleur a);
    void AppliqueAssembleur(); // the converter and the clicks follow
    void MA_ProcesseursClick();
    void MA_HistoriqueClick();
    void MA_AProposClick();
    kep::TEcrAideProc* AideProc(); // made on first use
    void FermeAides();
    // Outils: the configured tools.
    void ExeOutilMenu(QAction* item);
    // "&Configuration...": the options dialog; what Ok changed takes effect at once.
    void MO_ConfigClick();
    // Open files whose colours are their type's follow the type's new ones.
    void SuitTypes(const std::vector<kep::TInfosFich>& anciens);
    // Editors follow the processor folder of the options: each takes its
    // table from the new folder when the folder changed.
    void SuitTabPath();
    void OuvreMenuOutils();

    kep::TCfgStart Start_;
    std::unique_ptr<kep::TEcrCfg> Cfg_;
    kep::TProjectInstance Instance_;
    kep::TReopenList Reopen_;
    bool Started_ = false;
    bool Termine_ = false;
    bool VerifEnCours_ = false;
    QString Titre_ = QStringLiteral("KEP");

    QWidget* pSource;
    THeaderCtrlG* TabBar;
    QLabel* Guide_;
    QLayout* RegletteMarge_; // its left margin puts the ruler over the text
    int GuideRight_ = 0; // right edge of the dragged section when the drag began
    QStackedWidget* Pile_;
    QSplitter* Splitter1;
    QWidget* PanneauDroit;
    TSources* Sources_;
    QLabel* Etat_[4];
    QTimer* BackupTimer_ = nullptr;

    QMenu* M_Fichier;
    QMenu* MF_ReOuvre;
    QMenu* M_Edition;
    QMenu* M_Selection;
    QMenu* M_Chercher;
    QMenu* M_Construire;
    QMenu* M_Outils;
    QMenu* M_Special;
    QMenu* PM_Edit;
    QMenu* PM_Sources;
    QMenu* PM_TabBar;
    QAction* MO__1;

    QPointer<kep::TChRempDlg> ChRemp_;
    QPointer<kep::TEcrCRef> CRef_;
    QTimer* CRefTimer_ = nullptr;
    kep::TFindDialog* FindDlg_ = nullptr;
    kep::TFindDialog* ReplaceDlg_ = nullptr;
    kep::TFindDialog* Repete_ = nullptr; // the dialog F3 repeats
    bool RepeteRemplace_ = false;
    bool SauveTousRech_ = false; // "&Tous" answered to a save question during a search
    friend class TPrinSearchHost;

    QPointer<kep::TEcrComms> Comms_;
    QSplitter* Splitter2; // the sources list above, the converter below
    QPointer<kep::TEcrConv> Conv_;
    QPointer<kep::TEcrImprim> Imprim_;
    QPointer<kep::TEcrAideProc> AideProc_;
    QPointer<kep::TEcrAideQDX> AideQDX_;
    QObject* AideMenus_ = nullptr;
    QPointer<TEcrMake> EcrMake_;
    TMakeThread* Run_ = nullptr;     // the build running now
    bool FermeApresMake_ = false;    // the window was asked to close during a build
    bool GardeEcrMake_ = false;      // a jump from the output window keeps it open
    // Where F6 goes on when the last block ended past the error file's end.
    QPointer<TEditeur> ErrEditeur_;
    std::int32_t ErrCaret_ = -1, ErrSuite_ = -1;
    // Where the caret was when panel 3 was last cleared for a caret move.
    QPointer<TEditeur> Panel3Editeur_;
    TTextPos Panel3Caret_;
};

// The font dialog starts on the font the editor really shows: family, style
// and size as resolved, so that changing one of them keeps the others.
QFont FontForDialog(const QFont& editorFont);
// The font of a file's settings (a wild stored size falls back to 10).
QFont PoliceDe(const kep::TInfosFich& f);
// The font the editor takes from the dialog's choice.
QFont FontFromDialog(const QFont& editorFont, const QFont& chosen);
std::optional<QFont> AskFontDialog(QWidget* parent, const QFont& start);

class QLocale;
class QDateTime;
// "Insère date" / "Insère heure": the locale's short date, its hours and minutes.
QString TexteDate(const QLocale& locale, const QDateTime& when);
QString TexteHeure(const QLocale& locale, const QDateTime& when);
