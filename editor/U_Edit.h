#pragma once
// A source document: one file in an editor, with its name and disk date,
// numbered backups on saving, the processor table named by its first line,
// help on directives and the editor's context menu.
#include "editor/SrcEdit.h"

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

    // Takes the table named by line 0 for the colouring. A table that cannot
    // be read leaves the vocabulary as it was and is reported once per table
    // named; a missing one only as the file opens (or the tables folder
    // changes), and only when line 0 is spelled like a file name (other first
    // lines name no table).
    void SelectTable(bool opening = false);
    std::string TableFileFor(const std::string& firstLine) const;
    static bool NamesTable(std::string_view firstLine);

    // F1 on a directive: its help number, or -1 when the word is none.
    int DirectiveHelpAt(QPoint viewportPoint) const;

    // Handlers the main window assigns.
    std::function<void(const std::string& word)> OnReferences;
    std::function<void()> OnMarginClick;
    std::function<void(int line, const std::string& word)> OnOccurrenceClick; // 1-based line
    std::function<void(TEditeur*, const std::string& word)> OnConverterWord;

    // Replaces the selection by a converted value, with a "$" or "%" prefix
    // in front of it taken along, as one undo step. False in a read-only
    // document or when the step was refused.
    bool ReplaceWithValue(const std::string& text);

    // Fills the context menu for a click at a viewport point, above the
    // menu's first separator (the items of a previous call are removed).
    void PrepareContextMenu(QMenu* menu, QPoint viewportPoint);
    static constexpr int MaxOccurrences = 100;

signals:
    // What is wrong with the table line 0 names, in French, with its path.
    void TableRefused(const QString& message);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    static std::map<std::string, std::int64_t>& ReportedAtOpen();

    std::string LastFirstLine_;
    std::string ReportedTable_; // the table reported last, until another is named
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
