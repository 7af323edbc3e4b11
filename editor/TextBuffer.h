#pragma once
// The text of an editor and everything that changes with it: the line table
// with each line's identity and colouring state, the views over the text,
// markers, caret and selection, every editing command with its undo record,
// and reading and writing files. The editor widget paints this model and maps
// keys and the mouse onto its commands; it learns what to repaint through
// TTextBufferListener.
#include "editor/Clipboard.h"
#include "editor/LineOffsets.h"
#include "editor/TextPos.h"
#include "editor/UndoBuffer.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// 40 bytes beside the text: a million-line file touches every byte of its
// table when it loads. A line's pixel width is measured again when it changes
// rather than kept here.
struct TLineRec {
    std::string Text;
    std::int32_t LineId = 0;
    std::int32_t State = 0;
};

struct TEditView {
    static constexpr std::int32_t NoMaxLine = 2147483647;
    std::string ViewName;
    std::int32_t ViewMinLine = -1;
    std::int32_t ViewMaxLine = NoMaxLine;
    std::int32_t TopLine = 0;
    std::int32_t LeftPixel = 0;
    TTextPos Caret{0, 1};
    TTextPos SelStart{0, 0};
    TTextPos SelEnd{0, 0};
};

// Screen geometry the commands need (caret placement, scrolling, line widths).
// The widget fills it from the resolved font and its size.
struct TEditMetrics {
    int CharWidth = 8;
    int LineHeight = 16;
    int VisibleLines = 20;
    int ClientWidth = 640;
    int LargMarge = 17;
    int TextLeft = 21;
    std::vector<int> TabStops{112, 184, 328, 384, 440, 560};
};

// Pixel width of a text drawn from x = 0: a tab goes to the next tab stop, or
// two characters on past the last one.
int TextPixelWidth(std::string_view text, const TEditMetrics& m);

// What the widget must repaint or refresh after a command.
class TTextBufferListener {
public:
    virtual ~TTextBufferListener() = default;
    static constexpr std::int32_t ToBottom = 2147483647;
    // Lines first..last of the text (last may be ToBottom).
    virtual void RepaintLines(std::int32_t first, std::int32_t last) = 0;
    virtual void RepaintAll() = 0;
    virtual void ScrollBarsChanged() = 0;
    virtual void MarginChanged() = 0;
    virtual void FocusRequested() = 0;
};

// Told of every change to the line table, once the offsets are in step: what
// an accessibility client is sent. Offsets count each line break as one.
class TLineObserver {
public:
    virtual ~TLineObserver() = default;
    // Whether anyone listens now: when not, the buffer neither copies the old
    // text nor calls the observer.
    virtual bool Listening() const { return true; }
    // The line's new text is in the table.
    virtual void LineReplaced(std::int32_t line, std::string_view oldText) = 0;
    virtual void LinesInserted(std::int32_t first, std::int32_t count) = 0;
    // Before the lines go: their text is still there.
    virtual void LinesErasing(std::int32_t first, std::int32_t count) = 0;
    // A new text as a whole (a file loaded); oldChars is what it replaced.
    virtual void LinesReset(std::int64_t oldChars) = 0;
};

enum TSearchOption : unsigned {
    soMatchCase = 1,
    soWholeWord = 2,
    // Start at the caret (the selection's end) instead of the next line, so
    // that "find next" visits every hit after the caret, several per line.
    soFromCaret = 4,
};

class TTextBuffer {
public:
    using TCharSet = std::bitset<256>;
    using TSearchCallback = std::function<bool(std::int32_t line, std::int32_t col)>;

    TTextBuffer();

    // ---- Line table -------------------------------------------------------
    std::int32_t LineCount() const { return std::int32_t(Lines_.size()); }
    const std::string& GetLine(std::int32_t i) const { return Lines_[std::size_t(i)].Text; }
    std::int32_t GetLineId(std::int32_t i) const { return Lines_[std::size_t(i)].LineId; }
    void SetLine(std::int32_t i, std::string_view text);
    void ReplaceLine(std::int32_t i, std::string_view text);
    void InsertLine(std::int32_t i, std::string_view text);
    void DeleteLine(std::int32_t i);
    std::int32_t NextLineId() const { return NextLineId_; }

    // Colouring state at the start of each line, valid before StateValidBefore.
    std::int32_t LineState(std::int32_t i) const { return Lines_[std::size_t(i)].State; }
    void SetLineState(std::int32_t i, std::int32_t s) { Lines_[std::size_t(i)].State = s; }
    std::int32_t StateValidBefore() const { return StateValidBefore_; }
    void SetStateValidBefore(std::int32_t n) { StateValidBefore_ = n; }

    // Character offsets, each line break counting one. The index behind them
    // is built at the first call and kept in step with every edit from then
    // on, at O(log n) an edit.
    std::int64_t OffsetOf(TTextPos p) const;
    TTextPos PosAtOffset(std::int64_t offset) const;
    std::int64_t CharCount() const;
    void SetLineObserver(TLineObserver* o) { LineObserver_ = o; }

    std::string GetAllText() const;
    // Replaces the text; as for an insertion, a NUL ends it.
    void SetAllText(std::string_view text);
    std::string GetText(TTextPos from, TTextPos to) const;

    // ---- Files ------------------------------------------------------------
    // False when the file is missing or unreadable (the text is then unchanged).
    // Every byte is kept: a file holding NUL bytes loads whole and read-only,
    // since the editing commands treat a NUL as the end of a text.
    bool LoadFromFile(const std::string& name);
    // The text loaded last holds NUL bytes (it then stays read-only).
    bool HoldsNul() const { return HoldsNul_; }
    bool SaveToFile(const std::string& name, std::string* error = nullptr);
    bool SaveFile(const std::string& name, std::string* error = nullptr);
    void MarkSaved();

    // ---- Caret, selection, views -------------------------------------------
    TEditView& View() { return Views_[std::size_t(Active_)]; }
    const TEditView& View() const { return Views_[std::size_t(Active_)]; }
    int ViewCount() const { return int(Views_.size()); }
    int ActiveView() const { return Active_; }
    TEditView* GetView(int i);
    TEditView& AddView();
    void DeleteView(int i);
    void SelectView(int i);
    std::int32_t ViewMinLine() const; // active view's limits clamped to the text
    std::int32_t ViewMaxLine() const;

    TTextPos Caret() const { return View().Caret; }
    std::int32_t CaretLine() const { return View().Caret.Line; }
    void SetCaretLine(std::int32_t line);
    void SetCaretCol(std::int32_t col);
    void SetCaret(TTextPos p); // clamped; no scrolling
    std::int32_t CaretScreenCol() const;
    TTextPos Anchor() const { return Anchor_; }
    void SetAnchor(TTextPos p) { Anchor_ = p; }

    bool HasSelection() const { return View().SelStart != View().SelEnd; }
    TTextPos GetSelStart() const { return View().SelStart; }
    TTextPos GetSelEnd() const { return View().SelEnd; }
    void SetSelection(std::int32_t startLine, std::int32_t startCol, std::int32_t endCol, std::int32_t endLine);
    void SelectRange(TTextPos a, TTextPos b); // either order
    void ClearSelection();
    std::string GetSelText() const;

    void InsertText(std::string_view text);
    // The selection replaced by the text as one editing command (one undo
    // step, OnChange raised); false when read-only or the step was refused.
    bool ReplaceSelectionBy(std::string_view text);
    void GoToLine(std::int32_t line);
    void ShowLine(std::int32_t line);
    std::int32_t FindLineById(std::int32_t id) const;
    std::int32_t GoToLineId(std::int32_t id);
    // The view that best shows `line`: the first whose screen holds it, else
    // the one whose middle line is nearest (the first of equals). Views whose
    // line limits exclude the line only compete when every view excludes it.
    int BestViewForLine(std::int32_t line) const;

    // ---- Scrolling and geometry --------------------------------------------
    TEditMetrics& Metrics() { return Metrics_; }
    const TEditMetrics& Metrics() const { return Metrics_; }
    // Call after changing the character width or the tab stops.
    void MetricsChanged();
    int PixelOfCol(std::string_view line, std::int32_t col) const;
    std::int32_t ColAtPixel(std::string_view line, int x) const;
    int LineWidth(std::string_view line) const;
    int MaxLineWidth(); // widest line of the whole text, kept up to date
    std::int32_t TopLine() const { return View().TopLine; }
    void SetTopLine(std::int32_t top);
    std::int32_t MaxTopLine() const;
    int LeftPixel() const { return View().LeftPixel; }
    void SetLeftPixel(int px);
    int CaretX() const { return CaretX_; }
    int CaretY() const { return CaretY_; }
    int DesiredX() const { return DesiredX_; }
    void SetDesiredX(int x) { DesiredX_ = x; }
    // Recomputes the caret's pixel position and raises OnCaretMove.
    void PlaceCaret();
    // Scrolls so the caret is visible; true when it scrolled.
    bool BringCaretIntoView();

    // ---- Editing commands ------------------------------------------------------
    void TypeChar(unsigned char c);
    void Backspace(bool shift = false);
    void DeleteKey(bool shift = false);
    void Enter();
    void DeleteCurrentLine();
    void IndentBlock();
    void UnindentBlock();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void ToggleCase();
    void Undo();
    bool CanUndo() const { return !Undo_.Empty(); }
    bool RecordUndo(std::string_view oldText, std::string_view newText, TTextPos pos);
    // Replaces `count` whole lines from `first` by new lines as one editing
    // command (one undo step, OnChange raised). Lines the change leaves alone
    // at either end keep their identity; with as many new lines as old, every
    // line keeps it. The caret keeps its line and column where it can. False
    // when read-only, nothing changed or the step was refused.
    bool ReplaceLines(std::int32_t first, std::int32_t count, const std::vector<std::string>& newLines);
    // The whole text converted to the other code page: the new lines and the
    // OemFile flag change as one undo step, so that undoing gives back both.
    bool SetCodePageText(const std::vector<std::string>& lines, bool oemFile);

    // ---- Markers -------------------------------------------------------------------
    TTextPos GetMarker(int n) const;
    void ToggleMarker(int n, TTextPos pos);
    void GoToMarker(int n);

    // ---- Search and words -----------------------------------------------------------
    bool SearchText(std::string_view pattern, unsigned options, const TSearchCallback& callback = {});
    // The word around (line, col) made of characters of the set; empty when the
    // character there is past the line's end or below 33.
    std::string WordAt(std::int32_t line, std::int32_t col, const TCharSet& set) const;
    static bool IsSearchWordChar(unsigned char c);

    // ---- Flags ---------------------------------------------------------------------
    bool Modified() const { return Modified_; }
    void SetModified(bool m);
    // Also keeps CleanEol from changing the text when it is saved.
    bool ReadOnly = false;
    bool ReplaceMode = false;
    bool OemFile = false;
    bool CleanEol = true;
    bool HistoryComplete() const { return Undo_.HistoryComplete(); }
    int UndoCount() const { return Undo_.Count(); }

    // ---- Events ----------------------------------------------------------------------
    std::function<void()> OnChange;
    std::function<void()> OnModifiedToggle;
    std::function<bool()> OnCannotStoreUndo;
    std::function<void()> OnCaretMove;
    std::function<void()> OnInsReplSwap;

    void SetListener(TTextBufferListener* l) { Listener_ = l; }
    void SetClipboard(TClipboard* c) { Clipboard_ = c; }
    TClipboard& Clipboard() { return *Clipboard_; }

    // Moves a position forward over a text as an insertion would (line breaks
    // CR LF, CR and LF each count one; a NUL ends the text).
    static TTextPos AdvanceOver(TTextPos p, std::string_view text);
    // The end of a span of n positions from p, each line end counting one.
    TTextPos ForwardPositions(TTextPos p, std::int64_t n) const;
    TTextPos ClampPos(TTextPos p) const;

private:
    friend class TTextBufferTest;

    // Raw storage changes: keep widths, states and ids in step.
    void StoreLine(std::int32_t i, std::string_view text);
    void StoreInsertLine(std::int32_t i, std::string text);
    void StoreEraseLines(std::int32_t first, std::int32_t count);
    void LowerStateValid(std::int32_t i);
    void TrackWidth(int oldWidth, int newWidth);

    // Fresh line table from the text (no read-only check, no undo); without
    // keepNul the text ends at its first NUL.
    void SetLines(std::string_view text, bool keepNul);
    // Takes a table the splitter made, with its line widths, as the text.
    void AdoptLines(std::vector<TLineRec> lines, std::map<int, std::int32_t> widthCounts);
    // Replaces the selection by the text (no read-only check, no undo).
    void ReplaceSelection(std::string_view text);
    TTextPos InsertAt(TTextPos pos, std::string_view text);
    void RemoveRange(TTextPos from, TTextPos to);
    // Keeps markers, view limits and the other views in step with an edit.
    void AdjustPositions(TTextPos a, std::string_view oldText, std::string_view newText);
    void AdjustPositionsRaw(TTextPos a, TTextPos b, std::int32_t lineDelta, TTextPos newEnd);
    // Stores a record; 'adjust' false when the caller adjusts positions itself.
    bool StoreUndo(std::string_view oldText, std::string_view newText, TTextPos pos, bool adjust, bool askHandler);
    // Replaces whole lines first..last by new texts (block indent, line-end
    // cleaning) with one undo record.
    void ShiftBlock(bool indent);
    bool ReplaceLineBlock(std::int32_t first, const std::vector<std::string>& newLines, bool askHandler);
    void AfterEdit(std::int32_t firstLine, std::int32_t lastLine);
    void Changed();
    void RepaintLines(std::int32_t first, std::int32_t last);
    void RepaintAll();
    void ScrollBarsChanged();
    void InvalidateSavedPoint() { SavedDepth_ = -1; }
    // The current text becomes the saved one, its line identities kept.
    void MarkUnmodified();
    // The OemFile flag that undoing the step at depth `Depth` gives back.
    struct TFlagMark {
        int Depth;
        bool OemFile;
    };
    std::vector<TFlagMark> FlagMarks_;

    std::vector<TLineRec> Lines_;
    std::int32_t NextLineId_ = 1;
    std::int32_t StateValidBefore_ = 0;

    std::vector<TEditView> Views_;
    int Active_ = 0;
    TTextPos Anchor_{0, 1};
    std::array<TTextPos, 10> Markers_;
    int CaretX_ = 0;
    int CaretY_ = 0;
    int DesiredX_ = -1;

    TUndoBuffer Undo_;
    // Depth of the history at the last save, -1 when that state cannot be
    // reached by undoing any more.
    int SavedDepth_ = 0;
    bool Modified_ = false;
    bool HoldsNul_ = false;

    TEditMetrics Metrics_;
    bool WidthsValid_ = false;
    std::map<int, std::int32_t> WidthCount_; // width -> number of lines
    // The character width and tab stops the widths were measured with: a
    // resize changes neither and keeps them.
    int WidthsCharWidth_ = 0;
    std::vector<int> WidthsTabStops_;

    const TLineOffsets& Offsets() const;
    mutable std::unique_ptr<TLineOffsets> Offsets_; // none until asked for
    TLineObserver* LineObserver_ = nullptr;

    TTextBufferListener* Listener_ = nullptr;
    TMemoryClipboard OwnClipboard_;
    TClipboard* Clipboard_ = &OwnClipboard_;
};
