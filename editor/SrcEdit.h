#pragma once
// The editor control: paints a TTextBuffer with its colouring, margin,
// markers, selection and caret, scrolls it, and maps keys and the mouse onto
// the buffer's commands.
#include "editor/PageImpr.h"
#include "editor/TextBuffer.h"
#include "editor/U_SyntaxeStyles.h"

#include <QAbstractScrollArea>
#include <QTimer>

#include <functional>
#include <memory>

namespace kep {
class TTokens;
}
class QAccessibleEvent;
class TTextChangeFeed;

class TSrcEdit : public QAbstractScrollArea, protected TTextBufferListener {
    Q_OBJECT
public:
    explicit TSrcEdit(QWidget* parent = nullptr);
    ~TSrcEdit() override;

    TTextBuffer& Buffer() { return Buffer_; }
    const TTextBuffer& Buffer() const { return Buffer_; }

    void SetStyles(const kep::TStyleTable& styles);
    const kep::TStyleTable& Styles() const { return Styles_; }
    // The vocabulary that colours the text; the program's shared one by default.
    void SetTokens(const kep::TTokens* tokens);
    const kep::TTokens& Tokens() const { return *Tokens_; }
    // The names of the file's chip, coloured beside the shared vocabulary.
    void SetChipTokens(std::shared_ptr<const kep::TTokens> tokens);
    const kep::TTokens* ChipTokens() const { return ChipTokens_.get(); }

    // Sets the font and recomputes the metrics; tab stops keep their columns.
    void SetEditorFont(const QFont& font);
    const QFont& EditorFont() const { return Font_; }
    // Stops in character columns (what project files hold).
    void SetTabStops(const std::vector<int>& columns);
    int TabStop(int i) const;
    void SetTabStop(int i, int pixels);
    int CharWidth() const { return Buffer_.Metrics().CharWidth; }
    int LineHeight() const { return Buffer_.Metrics().LineHeight; }
    int VisibleLines() const { return Buffer_.Metrics().VisibleLines; }
    int LargMarge() const { return Buffer_.Metrics().LargMarge; }
    int TextLeft() const { return Buffer_.Metrics().TextLeft; }
    int RightMarginCol() const { return RightMarginCol_; }
    char PrefixKey() const { return PrefixKey_; }
    bool FontForcedFixed() const { return ForcedFixed_; }

    // The commands keys and menus reach; the source document adds to them.
    virtual void TypeChar(unsigned char c);
    virtual void PasteFromClipboard();
    // Draws one printed page of the text; returns the lines printed.
    int PrintLines(TPageImpr& page) const { return ImprimePage(Buffer_, page); }

    // Text position under a point of the viewport; 'round' picks the nearest
    // character boundary (caret placement), else the character under it.
    TTextPos PosAtPoint(QPoint p, bool round) const;
    // WordAtMouse for a viewport point: empty outside the text area.
    std::string WordAtPoint(QPoint p, const TTextBuffer::TCharSet& set) const;
    QRect LineRect(std::int32_t line) const;
    QColor Resolve(kep::TColor c) const;
    // Where an input method places its candidate window, and the text around
    // the caret it may read.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

    // From the first time an accessibility client asks for the editor, it is
    // told of every change of the text, the caret and the selection.
    void StartAccessibility();
    // Where those events go instead of the platform (tests, benchmarks).
    static void SetAccessibleEventHook(std::function<void(QAccessibleEvent*)> hook);

signals:
    void CaretMoved();
    void InsReplSwapped();
    void TextChanged();
    void ModifiedToggled();
    // A typed character the file's code page cannot hold (after the beep).
    void InputRefused();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    bool event(QEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void inputMethodEvent(QInputMethodEvent* e) override;

    // Character keys after the prefix rules.
    void HandleChar(unsigned char c);
    // Typed or committed text: each character the file's code page holds,
    // the others refused with a beep.
    void TypeText(const QString& text);
    // Committed text that replaces `length` characters from `from` relative
    // to the caret, or holds line breaks: one editing step.
    void CommitReplacing(const QString& commit, int from, int length);

    // TTextBufferListener
    void RepaintLines(std::int32_t first, std::int32_t last) override;
    void RepaintAll() override;
    void ScrollBarsChanged() override;
    void MarginChanged() override;
    void FocusRequested() override;

private:
    void UpdateMetrics();
    void UpdateScrollBars();
    // The caret bar in viewport pixels, and the repaint of its old and new
    // places.
    QRect CaretRect() const;
    void RepaintCaret();
    bool HandleCtrlKey(QKeyEvent* e);
    bool HandleMovementKey(int key, bool shift, bool ctrl);
    void FinishMovement(bool shift);
    void DragTo(QPoint p);
    void PaintLine(QPainter& p, std::int32_t line, int y, int right);
    void PaintMargin(QPainter& p, std::int32_t first, std::int32_t last);
    bool AccessibleEventsWanted() const;
    void SendAccessible(QAccessibleEvent& e);
    void AccessibleCaretMoved();
    void DrawChars(QPainter& p, int x, int y, std::string_view text, const QColor& fore, const QColor& back,
                   std::uint8_t style);

    TTextBuffer Buffer_;
    std::unique_ptr<TClipboard> Clipboard_;
    kep::TStyleTable Styles_;
    const kep::TTokens* Tokens_ = nullptr;
    std::shared_ptr<const kep::TTokens> ChipTokens_;
    QFont Font_;
    int Ascent_ = 12;
    bool ForcedFixed_ = false;
    int RightMarginCol_ = 80;
    char PrefixKey_ = 0;
    bool Dragging_ = false;
    QPoint DragPoint_;
    QTimer DragTimer_;
    QTimer BlinkTimer_;
    bool CaretOn_ = true;
    QRect DrawnCaret_; // where bars may still be on screen, empty when none
    QString Preedit_;  // what an input method is composing, drawn at the caret
    int WheelRest_ = 0; // wheel or touchpad scrolling not yet a whole line
    bool WheelByPixels_ = false;
    std::unique_ptr<TTextChangeFeed> AccessFeed_;
    TTextPos AccessSelStart_{0, 0}, AccessSelEnd_{0, 0}; // the selection clients know
    bool UpdatingBars_ = false;
};
