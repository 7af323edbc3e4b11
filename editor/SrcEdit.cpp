#include "editor/SrcEdit.h"

#include "editor/LineStates.h"
#include "editor/MarkerGlyphs.h"
#include "editor/SrcEditAccess.h"
#include "editor/TextChanges.h"
#include "editor/SystemColours.h"
#include "editor/U_Syntaxe.h"
#include "platform/QtText.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <qdrawutil.h>

#include <algorithm>

using kep::SystemColour;

namespace {

// The system clipboard seen as the bytes of an editor's text: an OEM file
// exchanges its OEM characters.
class TQtClipboard final : public TClipboard {
public:
    explicit TQtClipboard(const TTextBuffer& buffer) : Buffer_(buffer) {}
    bool HasText() const override
    {
        const QClipboard* c = QGuiApplication::clipboard();
        return c && !c->text().isEmpty();
    }
    std::string Text() const override
    {
        std::size_t refused = 0;
        std::string text = kep::QStringToText(QGuiApplication::clipboard()->text(), Buffer_.OemFile, &refused);
        if (refused)
            QApplication::beep();
        return text;
    }
    void SetText(std::string_view text) override
    {
        QGuiApplication::clipboard()->setText(kep::TextToQString(text, Buffer_.OemFile));
    }

private:
    const TTextBuffer& Buffer_;
};

} // namespace

TSrcEdit::TSrcEdit(QWidget* parent)
    : QAbstractScrollArea(parent)
    , Clipboard_(std::make_unique<TQtClipboard>(Buffer_))
    , Styles_(kep::DefaultStyles())
    , Tokens_(&kep::SharedTokens())
{
    static const bool accessible = (QAccessible::installFactory(&SrcEditAccessibleFactory), true);
    Q_UNUSED(accessible);
    Buffer_.SetListener(this);
    Buffer_.SetClipboard(Clipboard_.get());
    Buffer_.OnCaretMove = [this] {
        CaretOn_ = true;
        // The bar drawn at the old place goes with its own repaint: edits and
        // selections repaint lines, but not always the line the caret left.
        RepaintCaret();
        AccessibleCaretMoved();
        emit CaretMoved();
    };
    Buffer_.OnChange = [this] { emit TextChanged(); };
    Buffer_.OnModifiedToggle = [this] { emit ModifiedToggled(); };
    Buffer_.OnInsReplSwap = [this] { emit InsReplSwapped(); };

    setFrameShape(QFrame::Box);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent, true);
    resize(185, 89);

    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
        if (!UpdatingBars_)
            Buffer_.SetTopLine(v);
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
        if (UpdatingBars_)
            return;
        const int cw = std::max(1, CharWidth());
        const int maxLeft = viewport()->width() + Buffer_.MaxLineWidth() - TextLeft();
        Buffer_.SetLeftPixel(std::clamp(v - v % cw, 0, std::max(0, maxLeft)));
    });

    DragTimer_.setInterval(50);
    connect(&DragTimer_, &QTimer::timeout, this, [this] { DragTo(DragPoint_); });
    BlinkTimer_.setInterval(QApplication::cursorFlashTime() > 0 ? QApplication::cursorFlashTime() / 2 : 500);
    connect(&BlinkTimer_, &QTimer::timeout, this, [this] {
        CaretOn_ = !CaretOn_;
        RepaintCaret();
    });

    SetEditorFont(QFont(QStringLiteral("Courier New"), 10));
}

TSrcEdit::~TSrcEdit()
{
    Buffer_.SetLineObserver(nullptr);
    Buffer_.SetListener(nullptr);
    Buffer_.OnCaretMove = nullptr;
    Buffer_.OnChange = nullptr;
    Buffer_.OnModifiedToggle = nullptr;
    Buffer_.OnInsReplSwap = nullptr;
}

// ---------------------------------------------------------------------------
// Settings and metrics

void TSrcEdit::SetStyles(const kep::TStyleTable& styles)
{
    Styles_ = styles;
    viewport()->update();
}

void TSrcEdit::SetChipTokens(std::shared_ptr<const kep::TTokens> tokens)
{
    if (tokens == ChipTokens_)
        return;
    ChipTokens_ = std::move(tokens);
    viewport()->update();
}

void TSrcEdit::SetTokens(const kep::TTokens* tokens)
{
    Tokens_ = tokens ? tokens : &kep::SharedTokens();
    Buffer_.SetStateValidBefore(0);
    viewport()->update();
}

void TSrcEdit::SetEditorFont(const QFont& font)
{
    const int oldWidth = std::max(1, CharWidth());
    Font_ = font;
    Font_.setKerning(false);
    QFontMetrics fm(Font_);
    const int avg = std::max(1, fm.averageCharWidth());
    // A proportional font is drawn in fixed cells of its average width.
    ForcedFixed_ = fm.maxWidth() != avg;
    if (ForcedFixed_)
        Font_.setFixedPitch(true);
    TEditMetrics& m = Buffer_.Metrics();
    m.CharWidth = avg;
    m.LineHeight = std::max(1, fm.height() + fm.leading());
    Ascent_ = fm.ascent();
    for (int& stop : m.TabStops)
        stop = int(qint64(stop) * avg / oldWidth);
    UpdateMetrics();
}

void TSrcEdit::SetTabStops(const std::vector<int>& columns)
{
    TEditMetrics& m = Buffer_.Metrics();
    m.TabStops.clear();
    for (int c : columns)
        m.TabStops.push_back(int(std::uint16_t(c)) * m.CharWidth);
    Buffer_.MetricsChanged();
}

int TSrcEdit::TabStop(int i) const
{
    const auto& stops = Buffer_.Metrics().TabStops;
    return i >= 0 && i < int(stops.size()) ? stops[std::size_t(i)] : 0;
}

void TSrcEdit::SetTabStop(int i, int pixels)
{
    if (i < 0)
        return;
    auto& stops = Buffer_.Metrics().TabStops;
    if (i >= int(stops.size()))
        stops.resize(std::size_t(i) + 1, pixels);
    stops[std::size_t(i)] = pixels;
    Buffer_.MetricsChanged();
}

void TSrcEdit::UpdateMetrics()
{
    TEditMetrics& m = Buffer_.Metrics();
    m.ClientWidth = viewport()->width();
    m.VisibleLines = viewport()->height() / std::max(1, m.LineHeight);
    Buffer_.MetricsChanged();
}

void TSrcEdit::UpdateScrollBars()
{
    UpdatingBars_ = true;
    const TTextBuffer& b = Buffer_;
    const int vis = std::max(1, VisibleLines());
    // A QScrollBar holds the whole line range: no 16-bit limit on the thumb.
    const int first = std::max(0, b.View().ViewMinLine);
    const int last = std::min(b.LineCount() - 1, b.View().ViewMaxLine);
    QScrollBar* v = verticalScrollBar();
    v->setRange(first, std::max(first, last - vis + 1));
    v->setPageStep(vis);
    v->setSingleStep(1);
    v->setValue(b.TopLine());
    v->setEnabled(v->maximum() > v->minimum());

    const int textWidth = std::max(1, viewport()->width() - TextLeft());
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, Buffer_.MaxLineWidth() - textWidth + 1));
    h->setPageStep(textWidth);
    h->setSingleStep(std::max(1, CharWidth()));
    h->setValue(b.LeftPixel());
    h->setEnabled(h->maximum() > 0 || b.LeftPixel() > 0);
    UpdatingBars_ = false;
}

void TSrcEdit::scrollContentsBy(int, int)
{
    // Scrolling is the buffer's: the bars only report their positions.
}

QColor TSrcEdit::Resolve(kep::TColor c) const
{
    return kep::ResolveColour(c);
}

// ---------------------------------------------------------------------------
// Listener

void TSrcEdit::RepaintLines(std::int32_t first, std::int32_t last)
{
    if (first > last)
        std::swap(first, last);
    const std::int32_t top = Buffer_.TopLine();
    const std::int32_t bottom = top + VisibleLines();
    first = std::max(first, top);
    last = std::min(last, bottom);
    if (first > last)
        return;
    // Lines whose context changed with the edit repaint too, down to the last
    // line painted at most.
    const kep::TStateUpdate changed = kep::BringStatesUpTo(Buffer_, std::min(bottom, Buffer_.LineCount() - 1));
    if (changed.Any())
        last = std::max(last, std::min(changed.Last, bottom));
    const int y0 = (first - top) * LineHeight();
    const int y1 = (last - top + 1) * LineHeight();
    viewport()->update(QRect(0, y0, viewport()->width(), y1 - y0));
}

QRect TSrcEdit::CaretRect() const
{
    const int lh = LineHeight();
    return QRect(Buffer_.CaretX(), (Buffer_.CaretLine() - Buffer_.TopLine()) * lh + 1, 2, lh - 2);
}

void TSrcEdit::RepaintCaret()
{
    // Both places: where a bar may still be drawn, and where it goes now.
    if (!DrawnCaret_.isNull())
        viewport()->update(DrawnCaret_);
    viewport()->update(CaretRect());
}

void TSrcEdit::RepaintAll()
{
    viewport()->update();
}

void TSrcEdit::ScrollBarsChanged()
{
    UpdateScrollBars();
}

void TSrcEdit::MarginChanged()
{
    viewport()->update(QRect(0, 0, LargMarge(), viewport()->height()));
}

void TSrcEdit::FocusRequested()
{
    setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------
// Geometry

QRect TSrcEdit::LineRect(std::int32_t line) const
{
    return QRect(0, (line - Buffer_.TopLine()) * LineHeight(), viewport()->width(), LineHeight());
}

TTextPos TSrcEdit::PosAtPoint(QPoint p, bool round) const
{
    const TTextBuffer& b = Buffer_;
    const int lh = std::max(1, LineHeight());
    std::int32_t line = b.TopLine() + (p.y() >= 0 ? p.y() / lh : -((-p.y() + lh - 1) / lh));
    line = std::clamp<std::int32_t>(line, 0, b.LineCount() - 1);
    const int x = p.x() - TextLeft() + b.LeftPixel() + (round ? CharWidth() / 2 : 0);
    return TTextPos{line, b.ColAtPixel(b.GetLine(line), x)};
}

std::string TSrcEdit::WordAtPoint(QPoint p, const TTextBuffer::TCharSet& set) const
{
    if (p.x() < TextLeft() || p.x() > viewport()->width() || p.y() < 0 || p.y() > viewport()->height())
        return {};
    const TTextPos pos = PosAtPoint(p, false);
    return Buffer_.WordAt(pos.Line, pos.Col, set);
}

// ---------------------------------------------------------------------------
// Painting

void TSrcEdit::DrawChars(QPainter& p, int x, int y, std::string_view text, const QColor& fore, const QColor& back,
                         std::uint8_t style)
{
    const int cw = CharWidth();
    p.fillRect(QRect(x, y, cw * int(text.size()), LineHeight()), back);
    QFont f = Font_;
    f.setBold(style & kep::fsBold);
    f.setItalic(style & kep::fsItalic);
    f.setUnderline(style & kep::fsUnderline);
    f.setStrikeOut(style & kep::fsStrikeOut);
    p.setFont(f);
    p.setPen(fore);
    const bool nul = text.find('\0') != std::string_view::npos;
    if (!nul && !ForcedFixed_ && !(style & (kep::fsBold | kep::fsItalic))) {
        p.drawText(x, y + Ascent_, kep::TextToQString(text, Buffer_.OemFile));
        return;
    }
    // Cells of the average width keep columns aligned whatever the glyphs.
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int cx = x + int(i) * cw;
        if (text[i] == '\0') {
            // A NUL has no glyph: a "0" in reverse video shows the byte is there.
            const QRect cell(cx, y + 1, cw, LineHeight() - 2);
            p.fillRect(cell, fore);
            p.setPen(back);
            p.drawText(cell, Qt::AlignCenter, QStringLiteral("0"));
            p.setPen(fore);
            continue;
        }
        p.drawText(cx, y + Ascent_, kep::TextToQString(text.substr(i, 1), Buffer_.OemFile));
    }
}

void TSrcEdit::PaintLine(QPainter& p, std::int32_t line, int y, int right)
{
    const TTextBuffer& b = Buffer_;
    const std::string& text = b.GetLine(line);
    const std::uint32_t state = std::uint32_t(b.LineState(line));
    const int cw = CharWidth();
    const int origin = TextLeft() - b.LeftPixel(); // screen x of text x = 0
    const auto& stops = b.Metrics().TabStops;

    // Selected columns of this line: [selFrom, selTo), and whether the line
    // break is selected.
    std::int32_t selFrom = 0, selTo = 0;
    bool breakSelected = false;
    if (b.HasSelection()) {
        const TTextPos s = b.GetSelStart(), e = b.GetSelEnd();
        if (line >= s.Line && line <= e.Line) {
            selFrom = line == s.Line ? s.Col : 1;
            selTo = line == e.Line ? e.Col : std::int32_t(text.size()) + 1;
            breakSelected = line < e.Line;
        }
    }
    const kep::TTokenColours selColours = kep::TokenColours(Styles_, kep::stSel, state);
    const QColor selFore = Resolve(selColours.Fore), selBack = Resolve(selColours.Back);

    int x = 0; // text x of the next character
    kep::TRunWalker walker(*Tokens_, Styles_, text, state, ChipTokens_.get());
    kep::TStyledRun run;
    while (walker.Next(run) && x + origin < right) {
        const QColor fore = Resolve(run.Fore), back = Resolve(run.Back);
        std::int32_t col = run.Col;
        const std::int32_t end = run.Col + run.Length;
        while (col < end && x + origin < right) {
            const bool selected = col >= selFrom && col < selTo;
            if (text[std::size_t(col - 1)] == '\t') {
                auto it = std::upper_bound(stops.begin(), stops.end(), x);
                const int next = it != stops.end() ? *it : x + 2 * cw;
                if (next + origin > TextLeft())
                    p.fillRect(QRect(x + origin, y, next - x, LineHeight()), selected ? selBack : back);
                x = next;
                ++col;
                continue;
            }
            // A chunk: up to a tab, the run's end or a selection boundary.
            std::int32_t stop = col;
            while (stop < end && text[std::size_t(stop - 1)] != '\t' && (stop >= selFrom && stop < selTo) == selected)
                ++stop;
            const int width = (stop - col) * cw;
            if (x + width + origin > 0)
                DrawChars(p, x + origin, y, std::string_view(text).substr(std::size_t(col - 1), std::size_t(stop - col)),
                          selected ? selFore : fore, selected ? selBack : back,
                          selected ? Styles_[kep::stSel].Style : run.FontStyle);
            x += width;
            col = stop;
        }
    }
    // After the line's end: the selection colour when the break is selected,
    // else the neutral style with the context background.
    if (x + origin < right) {
        const QColor fill =
            breakSelected ? selBack : Resolve(kep::TokenColours(Styles_, kep::stRien, state).Back);
        p.fillRect(QRect(std::max(x + origin, TextLeft()), y, right - std::max(x + origin, TextLeft()), LineHeight()),
                   fill);
    }
}

void TSrcEdit::PaintMargin(QPainter& p, std::int32_t first, std::int32_t last)
{
    const int lm = LargMarge();
    if (lm <= 0)
        return;
    const int lh = LineHeight();
    const std::int32_t top = Buffer_.TopLine();
    const std::int32_t minLine = Buffer_.View().ViewMinLine;
    const std::int32_t maxLine = Buffer_.View().ViewMaxLine;
    const QColor face = SystemColour(15), shadow = SystemColour(16);
    for (std::int32_t l = first; l <= last; ++l) {
        const bool outside = l < minLine || l > maxLine;
        p.fillRect(QRect(0, (l - top) * lh, lm - 2, lh), outside ? shadow : face);
    }
    const int y0 = (first - top) * lh, y1 = (last - top + 1) * lh;
    p.setPen(SystemColour(22));
    p.drawLine(lm - 2, y0, lm - 2, y1);
    p.setPen(SystemColour(21));
    p.drawLine(lm - 1, y0, lm - 1, y1);

    for (int n = 0; n < 10; ++n) {
        const TTextPos m = Buffer_.GetMarker(n);
        if (m.Line < first || m.Line > last)
            continue;
        const int y = (m.Line - top) * lh;
        const QRect box(1, y, kep::MarkerGlyphWidth + 9, lh);
        qDrawShadePanel(&p, box, palette(), false, 1, nullptr);
        p.fillRect(box.adjusted(1, 1, -1, -1), face);
        p.drawImage(QPoint(5, y + (lh - kep::MarkerGlyphHeight) / 2), kep::MarkerGlyph(n));
    }
}

void TSrcEdit::paintEvent(QPaintEvent* e)
{
    QPainter p(viewport());
    const QRect area = e->rect();
    const int lh = std::max(1, LineHeight());
    const std::int32_t top = Buffer_.TopLine();
    const int right = viewport()->width();
    std::int32_t first = top + std::max(0, area.top()) / lh;
    std::int32_t last = top + std::max(0, area.bottom()) / lh;

    const QColor controlColour(0, 0, 0);
    // The strip between the margin and the text.
    p.fillRect(QRect(LargMarge(), area.top(), TextLeft() - LargMarge(), area.height()), controlColour);

    const std::int32_t lastText = std::min(last, Buffer_.LineCount() - 1);
    if (first <= lastText) {
        kep::BringStatesUpTo(Buffer_, lastText);
        p.setClipRect(QRect(TextLeft(), area.top(), right - TextLeft(), area.height()));
        for (std::int32_t l = first; l <= lastText; ++l)
            PaintLine(p, l, (l - top) * lh, right);
        p.setClipping(false);
        PaintMargin(p, first, lastText);
    }
    // Below the text: the control's colour.
    const int below = (std::max(lastText, first - 1) - top + 1) * lh;
    if (below <= area.bottom()) {
        p.fillRect(QRect(TextLeft(), below, right - TextLeft(), area.bottom() - below + 1), controlColour);
        if (LargMarge() > 0) {
            p.fillRect(QRect(0, below, LargMarge() - 2, area.bottom() - below + 1), SystemColour(15));
            p.setPen(SystemColour(22));
            p.drawLine(LargMarge() - 2, below, LargMarge() - 2, area.bottom());
            p.setPen(SystemColour(21));
            p.drawLine(LargMarge() - 1, below, LargMarge() - 1, area.bottom());
        }
    }

    // The right-margin rule.
    const int rx = RightMarginCol_ * CharWidth() + TextLeft() - Buffer_.LeftPixel();
    if (rx > TextLeft() && rx < right) {
        p.setPen(Qt::white);
        p.drawLine(rx, area.top(), rx, std::min(area.bottom(), (lastText - top + 1) * lh - 1));
    }

    // Text an input method is composing sits over the text at the caret,
    // underlined, until it is committed.
    if (!Preedit_.isEmpty() && Buffer_.CaretX() > LargMarge()) {
        const QRect caret = CaretRect();
        QFont f = Font_;
        f.setUnderline(true);
        p.setFont(f);
        const int width = int(Preedit_.size()) * CharWidth();
        const int y = caret.top() - 1;
        p.fillRect(QRect(caret.left(), y, width, lh), Qt::black);
        p.setPen(Qt::white);
        p.drawText(caret.left(), y + Ascent_, Preedit_);
    }

    // The caret: 2 pixels wide, hidden when scrolled out of the text area,
    // inverting what is under it so that it shows on every background. Each
    // paint draws afresh everything under it first, so it is inverted once.
    // What was painted over the last bar drawn no longer shows it.
    if (e->region().contains(DrawnCaret_))
        DrawnCaret_ = QRect();
    if (hasFocus() && CaretOn_ && Buffer_.CaretX() > LargMarge()) {
        const QRect caret = CaretRect();
        if (e->region().intersects(caret)) {
            p.setCompositionMode(QPainter::CompositionMode_Difference);
            p.fillRect(caret, Qt::white);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            DrawnCaret_ = DrawnCaret_.isNull() ? caret : DrawnCaret_.united(caret);
        }
    }
}

void TSrcEdit::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    UpdateMetrics();
}
