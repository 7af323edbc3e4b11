#pragma once
// "Références": for one word, the lines of every open document where it
// occurs, grouped by document; a click on a line asks the main window to go
// there. The main window supplies the documents (OnRefresh answers with
// BeginList, AddDocument for each entry, EndList).
#include "editor/U_References.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QListWidget;
class TEditeur;

namespace kep {

class TIniFilePlus;

class TEcrCRef : public QWidget {
    Q_OBJECT
public:
    // A tool window over `owner`; it deletes itself when closed.
    explicit TEcrCRef(QWidget* owner);
    ~TEcrCRef() override;

    // Adds the word (Windows-1252) to the history, shows it and gives the
    // focus to the list. It does not list by itself.
    void SetWord(const std::string& word);
    // The word of RefEdit, Windows-1252.
    std::string Word() const;
    unsigned Options() const; // roRemarques | roMotSeul | roMinMaj from the boxes
    void SetOptions(unsigned options);
    const std::vector<std::string>& History() const { return History_; }

    // The current entry's index + 1 (0 = none), told before a listing.
    void SetCurrentEntry(int entryPlus1) { CurrentEntry_ = entryPlus1; }
    int CurrentEntry() const { return CurrentEntry_; }

    // One listing: BeginList clears the list; AddDocument appends the items
    // of one entry (its name as the sources list shows it, its editor, the
    // entry's index and the view's number); EndList shows the result.
    void BeginList();
    void AddDocument(const QString& entryName, const TEditeur* editor, int entry, int view);
    void EndList();

    // Calls OnRefresh with the word when there is one. RequestRefresh does
    // it once the events queued now are handled (many changes, one listing).
    void Refresh();
    void RequestRefresh();
    bool RefreshPending() const { return RefreshPending_; }

    // The items listed, and a click on one (what the mouse does).
    const std::vector<TRefItem>& Items() const { return Items_; }
    int SelectedItem() const;
    void ClickItem(int index);

    // Section "Références": the position, "Options" and the history "Ref0".."Ref19".
    void ReadSettings(const TIniFilePlus& ini);
    void WriteSettings(TIniFilePlus& ini) const;
    static constexpr const char* Section = "R\xE9" "f\xE9" "rences"; // Windows-1252, as the file holds it

    // The main window's handlers: list again for the word, and go to a line
    // (entry index, line identity). A header item goes to its entry with
    // lineId -1.
    std::function<void(const std::string& word)> OnRefresh;
    std::function<void(int entry, std::int32_t lineId)> OnGoTo;
    // Just before the window is deleted (the main window saves its settings).
    std::function<void(TEcrCRef&)> OnClosing;

    QComboBox* RefEdit;
    QCheckBox* optRems;
    QCheckBox* optMotSeul;
    QCheckBox* optMinMaj;
    QListWidget* Liste;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<std::string> History_;
    std::vector<TRefItem> Items_;
    int CurrentEntry_ = 0;
    int CaretItem_ = -1;
    bool RefreshPending_ = false;
    bool Listing_ = false;
};

} // namespace kep
