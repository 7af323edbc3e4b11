// Storage, views, geometry and search of the text buffer. The editing
// commands and the undo history are in TextBufferEdit.cpp, whole texts and
// files in TextBufferFiles.cpp.
#include "editor/TextBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

unsigned char UpperAscii(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

} // namespace

TTextBuffer::TTextBuffer()
{
    Lines_.reserve(100);
    Lines_.push_back(TLineRec{});
    Views_.push_back(TEditView{});
    for (auto& m : Markers_)
        m = TTextPos{-1, -1};
    MarkSaved();
}

// ---------------------------------------------------------------------------
// Raw storage

void TTextBuffer::LowerStateValid(std::int32_t i)
{
    if (i < StateValidBefore_)
        StateValidBefore_ = std::max<std::int32_t>(0, i);
}

void TTextBuffer::TrackWidth(int oldWidth, int newWidth)
{
    if (!WidthsValid_)
        return;
    if (oldWidth >= 0) {
        auto it = WidthCount_.find(oldWidth);
        if (it != WidthCount_.end() && --it->second == 0)
            WidthCount_.erase(it);
    }
    if (newWidth >= 0)
        ++WidthCount_[newWidth];
}

void TTextBuffer::StoreLine(std::int32_t i, std::string_view text)
{
    TLineRec& rec = Lines_[std::size_t(i)];
    if (WidthsValid_)
        TrackWidth(LineWidth(rec.Text), LineWidth(text));
    std::string old;
    if (LineObserver_ && LineObserver_->Listening())
        old = rec.Text;
    rec.Text.assign(text);
    if (Offsets_)
        Offsets_->SetLength(i, std::int32_t(rec.Text.size()));
    if (LineObserver_ && LineObserver_->Listening())
        LineObserver_->LineReplaced(i, old);
    LowerStateValid(i);
}

void TTextBuffer::StoreInsertLine(std::int32_t i, std::string text)
{
    TLineRec rec;
    rec.Text = std::move(text);
    rec.LineId = ++NextLineId_;
    if (WidthsValid_)
        TrackWidth(-1, LineWidth(rec.Text));
    const auto length = std::int32_t(rec.Text.size());
    Lines_.insert(Lines_.begin() + i, std::move(rec));
    LowerStateValid(i);
    if (Offsets_)
        Offsets_->Insert(i, {length});
    if (LineObserver_ && LineObserver_->Listening())
        LineObserver_->LinesInserted(i, 1);
}

void TTextBuffer::StoreEraseLines(std::int32_t first, std::int32_t count)
{
    if (count <= 0)
        return;
    if (WidthsValid_)
        for (std::int32_t i = first; i < first + count; ++i)
            TrackWidth(LineWidth(Lines_[std::size_t(i)].Text), -1);
    if (LineObserver_ && LineObserver_->Listening())
        LineObserver_->LinesErasing(first, count);
    Lines_.erase(Lines_.begin() + first, Lines_.begin() + first + count);
    if (Offsets_)
        Offsets_->Erase(first, count);
    if (Lines_.empty()) {
        // A text always has a line; this one adds no character.
        Lines_.push_back(TLineRec{});
        if (Offsets_)
            Offsets_->Insert(0, {0});
    }
    LowerStateValid(first);
}

// ---------------------------------------------------------------------------
// Programmatic line access

void TTextBuffer::SetLine(std::int32_t i, std::string_view text)
{
    if (i < 0 || i >= LineCount())
        return;
    StoreLine(i, text);
    SetModified(true);
}

void TTextBuffer::ReplaceLine(std::int32_t i, std::string_view text)
{
    if (ReadOnly || i < 0 || i >= LineCount())
        return;
    SetLine(i, text);
    RepaintLines(i, i);
}

void TTextBuffer::InsertLine(std::int32_t i, std::string_view text)
{
    i = std::clamp<std::int32_t>(i, 0, LineCount());
    StoreInsertLine(i, std::string(text));
}

void TTextBuffer::DeleteLine(std::int32_t i)
{
    if (i < 0 || i >= LineCount())
        return;
    StoreEraseLines(i, 1);
}

std::string TTextBuffer::GetText(TTextPos from, TTextPos to) const
{
    from = ClampPos(from);
    to = ClampPos(to);
    if (to < from)
        std::swap(from, to);
    const std::string& first = GetLine(from.Line);
    if (from.Line == to.Line)
        return first.substr(std::size_t(from.Col - 1), std::size_t(to.Col - from.Col));
    std::string out = first.substr(std::size_t(from.Col - 1));
    out += "\r\n";
    for (std::int32_t l = from.Line + 1; l < to.Line; ++l) {
        out += GetLine(l);
        out += "\r\n";
    }
    out.append(GetLine(to.Line), 0, std::size_t(to.Col - 1));
    return out;
}

const TLineOffsets& TTextBuffer::Offsets() const
{
    if (!Offsets_) {
        std::vector<std::int32_t> lengths;
        lengths.reserve(Lines_.size());
        for (const auto& l : Lines_)
            lengths.push_back(std::int32_t(l.Text.size()));
        Offsets_ = std::make_unique<TLineOffsets>();
        Offsets_->Reset(lengths);
    }
    return *Offsets_;
}

std::int64_t TTextBuffer::OffsetOf(TTextPos p) const
{
    p = ClampPos(p);
    return Offsets().LineStart(p.Line) + p.Col - 1;
}

TTextPos TTextBuffer::PosAtOffset(std::int64_t offset) const
{
    const TLineOffsets& o = Offsets();
    const std::int32_t line = o.LineAt(offset);
    const std::int64_t col = std::clamp<std::int64_t>(offset - o.LineStart(line), 0, std::int64_t(GetLine(line).size()));
    return TTextPos{line, std::int32_t(col) + 1};
}

std::int64_t TTextBuffer::CharCount() const
{
    return Offsets().CharCount();
}

std::string TTextBuffer::GetAllText() const
{
    std::size_t total = 0;
    for (const auto& l : Lines_)
        total += l.Text.size() + 2;
    std::string out;
    out.reserve(total);
    for (std::size_t i = 0; i < Lines_.size(); ++i) {
        if (i)
            out += "\r\n";
        out += Lines_[i].Text;
    }
    return out;
}

// ---------------------------------------------------------------------------
// Views, caret and selection

TEditView* TTextBuffer::GetView(int i)
{
    if (i < 0 || i >= ViewCount())
        return nullptr;
    return &Views_[std::size_t(i)];
}

TEditView& TTextBuffer::AddView()
{
    Views_.push_back(TEditView{});
    return Views_.back();
}

void TTextBuffer::DeleteView(int i)
{
    // The editor always keeps one view.
    if (i < 0 || i >= ViewCount() || ViewCount() == 1)
        return;
    Views_.erase(Views_.begin() + i);
    if (Active_ > i || Active_ >= ViewCount())
        --Active_;
}

void TTextBuffer::SelectView(int i)
{
    if (i < 0 || i >= ViewCount())
        return;
    Active_ = i;
    TEditView& v = View();
    v.Caret = ClampPos(v.Caret);
    Anchor_ = v.Caret;
    DesiredX_ = -1;
    PlaceCaret();
    ScrollBarsChanged();
    RepaintAll();
}

std::int32_t TTextBuffer::ViewMinLine() const
{
    return std::clamp<std::int32_t>(View().ViewMinLine, 0, LineCount() - 1);
}

std::int32_t TTextBuffer::ViewMaxLine() const
{
    return std::clamp<std::int32_t>(View().ViewMaxLine, 0, LineCount() - 1);
}

TTextPos TTextBuffer::ClampPos(TTextPos p) const
{
    p.Line = std::clamp<std::int32_t>(p.Line, 0, LineCount() - 1);
    p.Col = std::clamp<std::int32_t>(p.Col, 1, std::int32_t(GetLine(p.Line).size()) + 1);
    return p;
}

void TTextBuffer::SetCaret(TTextPos p)
{
    View().Caret = ClampPos(p);
    PlaceCaret();
}

void TTextBuffer::SetCaretLine(std::int32_t line)
{
    TTextPos p{line, View().Caret.Col};
    View().Caret = ClampPos(p);
    if (!BringCaretIntoView())
        PlaceCaret();
}

void TTextBuffer::SetCaretCol(std::int32_t col)
{
    TTextPos p{View().Caret.Line, std::max(col, 1)};
    View().Caret = ClampPos(p);
    if (!BringCaretIntoView())
        PlaceCaret();
}

std::int32_t TTextBuffer::CaretScreenCol() const
{
    const TTextPos c = ClampPos(View().Caret);
    return PixelOfCol(GetLine(c.Line), c.Col) / std::max(1, Metrics_.CharWidth) + 1;
}

void TTextBuffer::SetSelection(std::int32_t startLine, std::int32_t startCol, std::int32_t endCol, std::int32_t endLine)
{
    SelectRange(TTextPos{startLine, startCol}, TTextPos{endLine, endCol});
}

void TTextBuffer::SelectRange(TTextPos a, TTextPos b)
{
    a = ClampPos(a);
    b = ClampPos(b);
    if (b < a)
        std::swap(a, b);
    TEditView& v = View();
    const std::int32_t oldFirst = v.SelStart.Line, oldLast = v.SelEnd.Line;
    const bool had = HasSelection();
    v.SelStart = a;
    v.SelEnd = b;
    if (had)
        RepaintLines(oldFirst, oldLast);
    RepaintLines(a.Line, b.Line);
}

void TTextBuffer::ClearSelection()
{
    TEditView& v = View();
    if (HasSelection())
        RepaintLines(v.SelStart.Line, v.SelEnd.Line);
    v.SelStart = v.SelEnd = v.Caret;
}

std::string TTextBuffer::GetSelText() const
{
    if (!HasSelection())
        return {};
    return GetText(View().SelStart, View().SelEnd);
}

void TTextBuffer::GoToLine(std::int32_t line)
{
    line = std::clamp<std::int32_t>(line, 0, LineCount() - 1);
    TEditView& v = View();
    v.Caret = TTextPos{line, 1};
    Anchor_ = v.Caret;
    const int vis = std::max(1, Metrics_.VisibleLines);
    if (line >= v.TopLine && line < v.TopLine + vis) {
        ClearSelection();
        RepaintLines(line, line);
        PlaceCaret();
    } else {
        ShowLine(line);
    }
}

void TTextBuffer::ShowLine(std::int32_t line)
{
    const int vis = std::max(1, Metrics_.VisibleLines);
    const std::int32_t before = View().TopLine;
    SetTopLine(line - vis / 3);
    if (View().TopLine == before)
        PlaceCaret();
}

std::int32_t TTextBuffer::FindLineById(std::int32_t id) const
{
    for (std::size_t i = 0; i < Lines_.size(); ++i)
        if (Lines_[i].LineId == id)
            return std::int32_t(i);
    return -1;
}

int TTextBuffer::BestViewForLine(std::int32_t line) const
{
    const std::int64_t vis = std::max(1, Metrics_.VisibleLines);
    auto inLimits = [line](const TEditView& v) {
        return line >= std::max<std::int32_t>(0, v.ViewMinLine) && line <= v.ViewMaxLine;
    };
    const bool limited = std::any_of(Views_.begin(), Views_.end(), inLimits);
    int best = -1;
    std::int64_t bestDistance = 0;
    for (int i = 0; i < ViewCount(); ++i) {
        const TEditView& v = Views_[std::size_t(i)];
        if (limited && !inLimits(v))
            continue;
        const std::int64_t top = v.TopLine;
        if (line >= top && line < top + vis)
            return i;
        const std::int64_t distance = std::llabs((top + (top + vis)) / 2 - line);
        if (best < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

std::int32_t TTextBuffer::GoToLineId(std::int32_t id)
{
    std::int32_t i = FindLineById(id);
    if (i >= 0)
        GoToLine(i);
    return i;
}

// ---------------------------------------------------------------------------
// Geometry and scrolling

int TextPixelWidth(std::string_view text, const TEditMetrics& m)
{
    const int cw = m.CharWidth;
    const char* p = text.data();
    const char* end = p + text.size();
    int x = 0;
    // From tab to tab: the characters between them are whole cells.
    while (const auto* tab = static_cast<const char*>(std::memchr(p, '\t', std::size_t(end - p)))) {
        x += int(tab - p) * cw;
        auto it = std::upper_bound(m.TabStops.begin(), m.TabStops.end(), x);
        x = it != m.TabStops.end() ? *it : x + 2 * cw;
        p = tab + 1;
    }
    return x + int(end - p) * cw;
}

int TTextBuffer::PixelOfCol(std::string_view line, std::int32_t col) const
{
    const std::size_t n = std::min<std::size_t>(line.size(), std::size_t(std::max(col - 1, 0)));
    return TextPixelWidth(line.substr(0, n), Metrics_);
}

std::int32_t TTextBuffer::ColAtPixel(std::string_view line, int x) const
{
    const int cw = Metrics_.CharWidth;
    int left = 0;
    const auto& stops = Metrics_.TabStops;
    for (std::size_t i = 0; i < line.size(); ++i) {
        int right;
        if (line[i] == '\t') {
            auto it = std::upper_bound(stops.begin(), stops.end(), left);
            right = it != stops.end() ? *it : left + 2 * cw;
        } else {
            right = left + cw;
        }
        if (right > x)
            return std::int32_t(i) + 1;
        left = right;
    }
    return std::int32_t(line.size()) + 1;
}

int TTextBuffer::LineWidth(std::string_view line) const
{
    return PixelOfCol(line, std::int32_t(line.size()) + 1);
}

void TTextBuffer::MetricsChanged()
{
    std::sort(Metrics_.TabStops.begin(), Metrics_.TabStops.end());
    if (Metrics_.CharWidth != WidthsCharWidth_ || Metrics_.TabStops != WidthsTabStops_) {
        WidthsValid_ = false;
        WidthCount_.clear();
    }
    PlaceCaret();
    ScrollBarsChanged();
    RepaintAll();
}

int TTextBuffer::MaxLineWidth()
{
    if (!WidthsValid_) {
        WidthCount_.clear();
        for (const auto& rec : Lines_)
            ++WidthCount_[LineWidth(rec.Text)];
        WidthsValid_ = true;
        WidthsCharWidth_ = Metrics_.CharWidth;
        WidthsTabStops_ = Metrics_.TabStops;
    }
    return WidthCount_.empty() ? 0 : WidthCount_.rbegin()->first;
}

std::int32_t TTextBuffer::MaxTopLine() const
{
    return std::max<std::int32_t>(0, LineCount() - std::max(1, Metrics_.VisibleLines));
}

void TTextBuffer::SetTopLine(std::int32_t top)
{
    top = std::clamp<std::int32_t>(top, 0, MaxTopLine());
    if (top == View().TopLine)
        return;
    View().TopLine = top;
    ScrollBarsChanged();
    PlaceCaret();
    RepaintAll();
}

void TTextBuffer::SetLeftPixel(int px)
{
    px = std::max(0, px);
    if (px == View().LeftPixel)
        return;
    View().LeftPixel = px;
    ScrollBarsChanged();
    PlaceCaret();
    RepaintAll();
}

void TTextBuffer::PlaceCaret()
{
    TEditView& v = View();
    v.Caret = ClampPos(v.Caret);
    // Views restored from a project file may hold any numbers.
    v.TopLine = std::clamp<std::int32_t>(v.TopLine, 0, MaxTopLine());
    v.LeftPixel = std::clamp(v.LeftPixel, 0, 1 << 26);
    CaretY_ = (v.Caret.Line - v.TopLine) * Metrics_.LineHeight;
    CaretX_ = PixelOfCol(GetLine(v.Caret.Line), v.Caret.Col) - v.LeftPixel + Metrics_.TextLeft;
    if (CaretX_ <= Metrics_.LargMarge) {
        CaretX_ = -5;
        CaretY_ = 0;
    }
    if (OnCaretMove)
        OnCaretMove();
}

bool TTextBuffer::BringCaretIntoView()
{
    TEditView& v = View();
    v.Caret = ClampPos(v.Caret);
    const int cw = std::max(1, Metrics_.CharWidth);
    const int vis = std::max(1, Metrics_.VisibleLines);
    const int x = PixelOfCol(GetLine(v.Caret.Line), v.Caret.Col) - v.LeftPixel + Metrics_.TextLeft;
    int left = v.LeftPixel;
    if (x < Metrics_.TextLeft)
        left -= Metrics_.TextLeft - x;
    else if (x >= Metrics_.ClientWidth)
        left += x - Metrics_.ClientWidth + cw;
    left = std::max(0, left - left % cw);
    std::int32_t top = v.TopLine;
    if (v.Caret.Line < top)
        top = v.Caret.Line;
    else if (v.Caret.Line >= top + vis)
        top = std::max<std::int32_t>(0, std::min(LineCount(), v.Caret.Line + 1) - vis);
    const bool scrolled = left != v.LeftPixel || top != v.TopLine;
    v.LeftPixel = left;
    v.TopLine = top;
    PlaceCaret();
    if (scrolled) {
        ScrollBarsChanged();
        RepaintAll();
    }
    return scrolled;
}

// ---------------------------------------------------------------------------
// Search and words

bool TTextBuffer::IsSearchWordChar(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
}

bool TTextBuffer::SearchText(std::string_view pattern, unsigned options, const TSearchCallback& callback)
{
    if (pattern.empty())
        return false;
    const bool matchCase = options & soMatchCase;
    const bool wholeWord = options & soWholeWord;
    // Only a-z fold; comparing through the fold avoids copying every line.
    auto fold = [matchCase](char c) { return matchCase ? c : char(UpperAscii(static_cast<unsigned char>(c))); };
    auto same = [&](char a, char b) { return fold(a) == fold(b); };
    auto hash = [&](char c) { return std::hash<char>()(fold(c)); };
    const std::boyer_moore_horspool_searcher searcher(pattern.begin(), pattern.end(), hash, same);

    bool found = false;
    std::int32_t start = HasSelection() ? View().SelEnd.Line + 1 : 1;
    std::size_t firstFrom = 0; // offset where the first line's search begins
    if (options & soFromCaret) {
        const TTextPos p = ClampPos(HasSelection() ? View().SelEnd : View().Caret);
        start = p.Line;
        firstFrom = std::size_t(p.Col - 1);
    }
    for (std::int32_t l = start; l < LineCount(); ++l) {
        const std::string_view text = GetLine(l);
        const std::size_t skip = l == start ? std::min(firstFrom, text.size()) : 0;
        if (text.size() - skip < pattern.size())
            continue;
        auto from = text.begin() + std::ptrdiff_t(skip);
        std::size_t hit = std::string_view::npos;
        for (;;) {
            // Exact matches take the library's memchr-based find.
            const auto it = matchCase ? [&] {
                const auto pos = text.find(pattern, std::size_t(from - text.begin()));
                return pos == std::string_view::npos ? text.end() : text.begin() + std::ptrdiff_t(pos);
            }()
                                      : std::search(from, text.end(), searcher);
            if (it == text.end())
                break;
            const auto at = std::size_t(it - text.begin());
            const std::size_t after = at + pattern.size();
            const bool okBefore = at == 0 || !IsSearchWordChar(static_cast<unsigned char>(text[at - 1]));
            const bool okAfter = after >= text.size() || !IsSearchWordChar(static_cast<unsigned char>(text[after]));
            if (!wholeWord || (okBefore && okAfter)) {
                hit = at;
                break;
            }
            from = it + 1;
        }
        if (hit == std::string_view::npos)
            continue;
        found = true;
        const std::int32_t col = std::int32_t(hit) + 1;
        if (!callback) {
            if (Listener_)
                Listener_->FocusRequested();
            GoToLine(l);
            SelectRange(TTextPos{l, col}, TTextPos{l, col + std::int32_t(pattern.size())});
            View().Caret = View().SelEnd;
            Anchor_ = View().SelStart;
            PlaceCaret();
            return true;
        }
        if (!callback(l, col))
            break;
    }
    return found;
}

std::string TTextBuffer::WordAt(std::int32_t line, std::int32_t col, const TCharSet& set) const
{
    if (line < 0 || line >= LineCount() || col < 1)
        return {};
    const std::string& t = GetLine(line);
    if (std::size_t(col) > t.size())
        return {};
    const auto at = std::size_t(col - 1);
    const auto c = static_cast<unsigned char>(t[at]);
    if (c < 33 || !set.test(c))
        return {};
    std::size_t b = at, e = at + 1;
    while (b > 0 && set.test(static_cast<unsigned char>(t[b - 1])))
        --b;
    while (e < t.size() && set.test(static_cast<unsigned char>(t[e])))
        ++e;
    return t.substr(b, e - b);
}

// ---------------------------------------------------------------------------
// Markers

TTextPos TTextBuffer::GetMarker(int n) const
{
    if (n < 0 || n > 9)
        return TTextPos{-1, -1};
    return Markers_[std::size_t(n)];
}

void TTextBuffer::ToggleMarker(int n, TTextPos pos)
{
    if (n < 0 || n > 9)
        return;
    TTextPos& m = Markers_[std::size_t(n)];
    const TTextPos old = m;
    if (m == pos)
        m = TTextPos{-1, -1};
    else
        m = pos;
    (void)old;
    if (Listener_)
        Listener_->MarginChanged();
}

void TTextBuffer::GoToMarker(int n)
{
    const TTextPos m = GetMarker(n);
    if (m.Line < 0)
        return;
    GoToLine(m.Line);
    View().Caret = ClampPos(m);
    Anchor_ = View().Caret;
    PlaceCaret();
}

// ---------------------------------------------------------------------------
// Notifications

void TTextBuffer::RepaintLines(std::int32_t first, std::int32_t last)
{
    if (Listener_)
        Listener_->RepaintLines(first, last);
}

void TTextBuffer::RepaintAll()
{
    if (Listener_)
        Listener_->RepaintAll();
}

void TTextBuffer::ScrollBarsChanged()
{
    if (Listener_)
        Listener_->ScrollBarsChanged();
}

void TTextBuffer::Changed()
{
    if (OnChange)
        OnChange();
}
