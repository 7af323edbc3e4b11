#pragma once
// A read-only view over a console line store: paints only the lines on
// screen, and of a long line only the columns on screen, so a flood of
// output or a megabyte line costs nothing while it is off screen. Selection
// with the mouse (Shift+click extends) or Shift+arrows, Ctrl+C, Ctrl+A.
#include "build/U_ConsoleLines.h"

#include <QAbstractScrollArea>
#include <QPoint>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <string_view>

class TConsoleView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TConsoleView(QWidget* parent = nullptr);

    kep::TConsoleStore& Store() { return Store_; }
    const kep::TConsoleStore& Store() const { return Store_; }
    // Call after appending to the store: updates the scroll range and keeps
    // the last line in view when the view was at the bottom. Lines that fell
    // off the top do not move the text the user is reading.
    void StoreChanged();
    // Empties the store and forgets the selection.
    void Clear();

    // Console bytes as shown: UTF-8 when they are valid UTF-8, else code page
    // 850; tabs expanded to 8 columns, other control characters shown as
    // U+00B7. One UTF-16 unit per column.
    static QString ShownText(std::string_view bytes);
    // A kept line as shown (index 0 = oldest kept).
    QString DisplayText(std::size_t i) const;
    // Kept lines of the selection as shown, joined with "\n".
    QString SelectedText() const;
    void SelectAll();
    bool HasSelection() const;
    // Puts the selection on the clipboard; nothing without one.
    void Copy() const;

    int LineHeight() const { return LineHeight_; }
    qreal CharWidth() const { return CharWidth_; }
    // Index of the first kept line on screen.
    std::size_t TopLine() const;
    // Columns of the widest line seen since the last Clear.
    int LongestColumns() const { return LongestCols_; }

signals:
    void LineDoubleClicked(std::size_t index);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    // A place between two characters. Lines are counted from the first line
    // ever appended, so a selection stays on its text while older lines fall
    // off the top.
    struct TPos {
        std::uint64_t Line = 0;
        int Col = 0;
        auto operator<=>(const TPos&) const = default;
    };

    void UpdateMetrics();
    void UpdateScrollBars();
    int LinesPerPage() const;
    int ColumnX(int col) const;
    TPos PosAt(QPoint p) const;
    TPos Clamped(TPos p) const;
    // The selection, ordered and limited to the kept lines; false if empty.
    bool Selection(TPos& from, TPos& to) const;
    void MoveCaret(int key, bool ctrl);
    void ShowPos(TPos p);
    void DragStep();
    void DrawSpan(QPainter& p, const QString& text, int from, int to, int y) const;

    kep::TConsoleStore Store_;
    std::uint64_t SeenTotal_ = 0;   // Store_.Total() at the last StoreChanged
    std::uint64_t SeenDropped_ = 0; // Store_.Dropped() then
    int LongestCols_ = 0;

    qreal CharWidth_ = 1;
    int LineHeight_ = 1;
    int Ascent_ = 0;

    TPos Anchor_; // where the selection started
    TPos Caret_;  // where it ends: the mouse or Shift+arrows move this end
    bool Dragging_ = false;
    QPoint DragPoint_;
    QTimer DragTimer_;
};
