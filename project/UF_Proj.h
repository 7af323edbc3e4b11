#pragma once
// "Gestion des projets": the list of known projects kept in the option file.
#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTimer;

namespace kep {

class TInstanceBus;
class TProjSearch;

// The registered message that tells every instance the list changed.
inline constexpr const char* MsgProjListChange = "KEPProjListChange";

class TEcrProj : public QDialog {
    Q_OBJECT
public:
    // Modal results, as the main window tests them.
    enum { mrOk = 1, mrAbort = 3, mrYes = 6 };

    // `nomProjet`: the project open in this window (empty when none).
    explicit TEcrProj(const std::string& nomProjet, QWidget* parent = nullptr, TInstanceBus* bus = nullptr);
    ~TEcrProj() override;

    // "&Autres projets...": the dialog 10 pixels right of and below the
    // owner's top-left corner, modal. Returns its modal result; `chosen`
    // receives the selected project's path.
    // `creeProjet`, when given, is "Nouveau projet...": it writes a new
    // project and returns its file, empty when cancelled.
    static int Choisir(QWidget* owner, const std::string& nomProjet, std::string& chosen,
                       std::function<std::string()> creeProjet = {});
    // Shows "Nou&veau projet..." running `creeProjet`.
    void SetCreeProjet(std::function<std::string()> creeProjet);
    // Adds a project file (once) and selects it; the list is then changed.
    void AjouteProjet(const std::string& path);

    // Path of the selected item; empty when none is selected.
    std::string SelectedPath() const;
    // Paths of the items in list order.
    std::vector<std::string> Paths() const;
    int CheckedIndex() const;

    // Saves the list, clears the change flags and tells the other instances.
    bool SauveListe();
    // Adds the project file of a copy of `original` (once), moves the check
    // to it when `original` was the checked project, and saves the list.
    bool AjouteCopie(const std::string& copie, const std::string& original);
    // Searches the folder tree under `folder` for project files; returns at
    // once, the search runs in small steps from the event loop.
    void StartSearch(const QString& folder);
    bool Searching() const;
    void StopSearch();

    // Ways to ask the user, replaceable so that the dialog can be driven
    // without the modal file dialogs and message boxes.
    std::function<QString()> AskSearchFolder;
    std::function<QString()> AskNewProject;
    std::function<QString()> AskExistingProject;
    std::function<void(const QString& text)> ShowMessage;
    // The program started by "Nouvel Editeur" (this one by default).
    QString NewEditorProgram;

    QLabel* lblTitre;
    QListWidget* ListeProj;
    QLineEdit* Edit1;
    QLabel* lblInfo;
    QPushButton* BtnOuvre;
    QPushButton* BtnNouvEdit;
    QPushButton* BtnSauve;
    QPushButton* BtnAbandon;
    QPushButton* BtnNouveau;
    QPushButton* BtnNouveauProjet;
    QPushButton* BtnAjouter;
    QPushButton* btnCherche;
    QPushButton* BtnSupprime;
    QPushButton* btnAide;

    // Set to stop a running search; shared by the whole program.
    static bool SearchAbort;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void Charge();
    void AddItem(const std::string& path, bool checked = false);
    void UpdateButtons();
    void UpdateSauve();
    void OnItemChanged(QListWidgetItem* item);
    void OnBusMessage(const QString& message, qint64 pid, quint64 sender, bool local);
    void SearchStep();
    void EndSearch();
    void SetSearchButton(bool searching);

    void BtnOuvreClick();
    void BtnNouvEditClick();
    void BtnNouveauClick();
    std::function<std::string()> CreeProjet_;
    void BtnAjouterClick();
    void btnChercheClick();
    void BtnSupprimeClick();

    std::string NomProjet_;
    std::string SavedChecked_;
    bool ListChanged_ = false;
    bool CheckChanged_ = false;
    bool Updating_ = false;
    TInstanceBus* Bus_;
    std::unique_ptr<TProjSearch> Search_;
    QTimer* SearchTimer_;
    int CountBeforeSearch_ = 0;
};

} // namespace kep
