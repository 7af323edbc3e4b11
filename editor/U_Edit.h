#pragma once
// A source document: one file in an editor, with its name and disk date,
// numbered backups on saving, the processor table named by its first line,
// help on directives and the editor's context menu.
#include "editor/SrcEdit.h"
#include "editor/U_Assembleur.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

class QMenu;
class QAction;
class QMessageBox;

class TEditeur : public TSrcEdit {
    Q_OBJECT
public:
    explicit TEditeur(QWidget* parent = nullptr);

    std::string FileName;
    // Modification time of the file on disk (nanoseconds), 0 when not found.
    std::int64_t FileDate = 0;
    bool AutoSave = false;
    bool AutoLoad = false;
    int Backup = 0;

    // Folder of the processor tables (the option store keeps it up to date).
    static std::string TabPath;
    // The open project's main source and make file, where a source that
    // names no processor finds it.
    static std::string ProjetSource;
    static std::string ProjetMakeFile;
    // The open project's assembler: the syntax of the number a click gives
    // the converter (h'1F' whole under gpasm).
    static kep::TAssembleur ProjetAssembleur;

    // Loads FileName; false when the file is missing (the text stays).
    bool Load();
    // Rotates the numbered backups, then saves. A failure leaves the file on
    // disk as it was and gives a French reason.
    bool Save(std::string* error = nullptr);
    // The file on disk is newer than the text.
    bool ChangedOnDisk() const;
    // The question asked when the file changed on disk; with unsaved changes
    // it says they will be lost.
    QString ReloadQuestion() const;
    // Asks (text, unsaved changes) -> reload? for a file changed on disk:
    // reloads, or keeps the text and takes the new date. True when reloaded.
    using TAskReload = std::function<bool(const QString& text, bool modified)>;
    bool AskReloadIfChanged(const TAskReload& ask);
    // After a build, for an AutoLoad file: a newer file on disk replaces the
    // text at once unless the text holds unsaved changes, which are only
    // given up when `ask` says so. True when reloaded.
    bool ReloadAfterBuild(const TAskReload& ask);

    // Takes the table named by line 0, else the one of the processor the
    // source's directives name (or the project's), for the colouring, and the
    // chip's own names. A table that cannot be read leaves the vocabulary as
    // it was and is reported once per table; a name that is no table file
    // says nothing.
    void SelectTable(bool opening = false);
    std::string TableFileFor(const std::string& firstLine) const;
    // The table this file uses (empty before one was found), and its chip.
    const std::string& TableUtilisee() const { return Table_; }
    const std::string& Puce() const { return Puce_; }
    // Puts this file's table back in the shared vocabulary (another file may
    // have loaded its own since).
    void ReprendTable();
    // The last table text said and not yet shown (the window shows it when
    // the file comes to the front), emptied by taking it.
    QString TakeTableStatus();
    // The mnemonic under a point when it is one of the table's, else empty.
    std::string MnemonicAt(QPoint viewportPoint) const;

    // F1 on a directive: its help number, or -1 when the word is none.
    int DirectiveHelpAt(QPoint viewportPoint) const;

    // Handlers the main window assigns.
    std::function<void(const std::string& word)> OnReferences;
    std::function<void()> OnMarginClick;
    std::function<void(int line, const std::string& word)> OnOccurrenceClick; // 1-based line
    std::function<void(TEditeur*, const std::string& word)> OnConverterWord;

    // Replaces the selection by a converted value, with the rest of the
    // number form around it in the assembler's syntax taken along (without
    // one, a "$" or "%" prefix in front of it), as one undo step. False in a
    // read-only document or when the step was refused.
    bool ReplaceWithValue(const std::string& text, kep::TAssembleur a = kep::TAssembleur::Inconnu);

    // Fills the context menu for a click at a viewport point, above the
    // menu's first separator (the items of a previous call are removed).
    void PrepareContextMenu(QMenu* menu, QPoint viewportPoint);
    static constexpr int MaxOccurrences = 100;

signals:
    // What is wrong with the table line 0 names, in French, with its path.
    void TableRefused(const QString& message);
    // For the status bar: the table the file now uses, or why it keeps the
    // one it had.
    void TableStatus(const QString& text);
    // F1 on one of the table's mnemonics.
    void MnemonicHelp(const QString& mnemonic);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    static std::map<std::string, std::int64_t>& ReportedAtOpen();

    std::string LastFirstLine_;
    std::string ReportedTable_; // the table reported last, until another is named
    std::string Table_, Puce_;
    std::string SaidMessage_;
    QString PendingStatus_;
};

// Occurrence lines of a word for the context menu: "(n) text" captions with
// 1-based line numbers, comments cut, at most MaxOccurrences.
struct TOccurrence {
    int Line = 0; // 1-based
    std::string Caption;
};
std::vector<TOccurrence> FindOccurrences(const TTextBuffer& buffer, std::string_view word, bool* more);

// The external-change question as a box: "&Oui" reloads; "&Non" is the
// default when the text has unsaved changes.
std::unique_ptr<QMessageBox> MakeReloadBox(QWidget* parent, const QString& text, bool modified);
bool AskReloadBox(QWidget* parent, const QString& text, bool modified);
