#pragma once
// The sources list: one entry per view of every open file, the views of a
// file kept together. Entries show whether their file is read-only, group a
// file's views with tree lines and mark the entry shown and the one shown
// before it. A file's group of entries can be dragged to another place.
#include <QListWidget>

#include <functional>
#include <string>

class QMenu;
class TEditeur;

// What an entry designates.
struct TInfPage {
    TEditeur* Editor = nullptr;
    int View = 0;        // index of the editor's view
    bool NoRefs = false; // ignored by the cross-reference search
};

// The entry whose editor is shown; none when no file is open.
extern TInfPage* PageCourante;

class TSources : public QListWidget {
    Q_OBJECT
public:
    explicit TSources(QWidget* parent = nullptr);
    ~TSources() override;

    int Count() const { return count(); }
    // The list owns the record.
    void AddEntry(const QString& text, TInfPage* page) { InsertEntry(count(), text, page); }
    void InsertEntry(int index, const QString& text, TInfPage* page);
    // Removes the entry and frees its record (not its editor).
    void DeleteEntry(int index);
    TInfPage* Entry(int index) const;
    QString Text(int index) const;
    void SetText(int index, const QString& text);

    virtual int ItemIndex() const { return currentRow(); }
    virtual void SelectPage(int index);

    int CurrentPage() const { return Current_; }
    int PreviousPage() const { return Previous_; }
    // Records the indices without selecting anything (closing and loading).
    void SetCurrentPage(int index) { Current_ = index; }
    void SetPreviousPage(int index) { Previous_ = index; }

    // Entries of the file whose editor's FileName equals `name` (ASCII case
    // ignored): first and last index.
    bool FindFile(const std::string& name, int& first, int& last) const;

    // Drag and drop of the current file's group. The boundary is the index
    // of the entry the group would be put before; -1 where a drop is refused.
    int DropBoundaryAt(QPoint p) const;
    bool DropAccepted(int boundary, const TEditeur* dragged) const;
    // Moves the current editor's entries before `boundary`.
    void MoveGroup(int boundary);

    // The entry popup; its "tag" property receives the entry it acts on.
    QMenu* PopupMenu = nullptr;
    int PopupTag() const;
    void SetPopupTag(int index);

    // The main window's page change (an entry picked with the mouse).
    std::function<void(int index)> OnPageChange;
    // After a drop (the cross-reference window refreshes).
    std::function<void()> OnMoved;
    // The mouse position in screen coordinates at the last button press.
    QPoint MousePos;

    // Colours of the entries.
    static QColor ReadOnlyColor() { return QColor(0xE0, 0xC0, 0xC0); }
    static QColor WritableColor() { return QColor(0xC0, 0xE0, 0xC0); }
    static QColor MarkerColor() { return QColor(0x80, 0x80, 0x80); }

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    friend class TSourcesDelegate;
    void RepaintRow(int row);

    int Current_ = -1;
    int Previous_ = -1;
    // Dragging: where the left button went down, and whether it moved enough.
    bool Pressed_ = false;
    bool Dragging_ = false;
    QPoint PressPos_;
    int DropBoundary_ = -1;
};
