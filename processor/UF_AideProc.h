#pragma once
// "Instructions": the instruction set of a processor from its description
// file (".s"), filtered by instruction group, with the encodings and the
// argument types of the chosen instruction from its table file (".tab").
#include "processor/U_Proc.h"
#include "processor/U_TabFile.h"

#include <QWidget>

#include <functional>
#include <string>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace kep {

class TIniFilePlus;

class TEcrAideProc : public QWidget {
    Q_OBJECT
public:
    // A top-level window; it deletes itself when closed.
    explicit TEcrAideProc(QWidget* parent = nullptr);
    ~TEcrAideProc() override;

    static constexpr const char* Section = "HelpProcessor";

    // Loads "<name>.s" and "<name>.tab" (the extension of `fileName`
    // replaced); the same name twice reloads nothing. A file that cannot be
    // read goes to ReportError (one French message) and the window stays
    // empty.
    void Load(const std::string& fileName);
    const std::string& FileName() const { return FileName_; }

    // Section "HelpProcessor"; the first time at left 10, top 40.
    void RestaureBounds(TIniFilePlus& ini);
    bool SauveBounds(TIniFilePlus& ini) const;

    // Called from closeEvent (the main window saves the bounds there unless
    // the project is protected).
    std::function<void(TEcrAideProc&)> OnClosing;
    // Default: a message box "Erreur".
    std::function<void(const QString&)> ReportError;
    // Default: the topic of Kep.hlp.
    std::function<void(int)> ShowHelp;

    QListWidget* Groupes;    // checkable group names; the mask in Qt::UserRole
    QListWidget* Adressages; // the chosen instruction's encodings
    QListWidget* Codes;      // "mnemonic\tdescription"
    QListWidget* Syntaxes;   // argument types of the chosen instruction
    QPushButton* BtnFermer;
    QPushButton* BtnAide;

    const TProcesseur& Processeur() const { return Proc_; }
    const TTabFile& Table() const { return Tab_; }

    // The group list's actions, as the mouse and the keyboard do them: a
    // click on a name lists its instructions (or, after ticks, those of
    // every ticked group); a tick only marks the group for that.
    void GroupClick(int row);
    void GroupTick(int row, bool ticked);
    // Describes the instruction of the Codes line.
    void InstructionClick(int row);
    // Shows an instruction's entry (F1 on a mnemonic): the whole set is
    // listed when the current group lacks it. False when the description
    // has no such instruction.
    bool MontreInstruction(const std::string& mnemonic);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void Vide();
    void OnGroupChanged(QListWidgetItem* item);

    std::string FileName_;
    TProcesseur Proc_;
    TTabFile Tab_;
    bool Updating_ = false;
};

} // namespace kep
