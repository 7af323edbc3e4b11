// Whole texts: a new text set at once, files read into lines as they arrive
// and written back, and the saved state.
#include "editor/TextBuffer.h"

#include "editor/LineSplitter.h"
#include "platform/CodePage.h"
#include "platform/FileIo.h"

#include <algorithm>
#include <cstring>

void TTextBuffer::SetAllText(std::string_view text)
{
    if (ReadOnly)
        return;
    SetLines(text, false);
}

void TTextBuffer::SetLines(std::string_view text, bool keepNul)
{
    if (!keepNul)
        text = text.substr(0, std::min(text.size(), text.find('\0')));
    HoldsNul_ = keepNul && text.find('\0') != std::string_view::npos;
    TLineSplitter splitter(Metrics_, text.size());
    splitter.Add(text);
    std::vector<TLineRec> lines = splitter.Finish();
    AdoptLines(std::move(lines), splitter.WidthCounts());
}

void TTextBuffer::AdoptLines(std::vector<TLineRec> lines, std::map<int, std::int32_t> widthCounts)
{
    const std::int64_t oldChars = LineObserver_ && LineObserver_->Listening() ? CharCount() : 0;
    Lines_ = std::move(lines);
    Offsets_.reset();
    NextLineId_ = LineCount();
    WidthCount_ = std::move(widthCounts);
    WidthsValid_ = true;
    WidthsCharWidth_ = Metrics_.CharWidth;
    WidthsTabStops_ = Metrics_.TabStops;
    StateValidBefore_ = 0;
    TEditView& v = View();
    v.Caret = TTextPos{0, 1};
    v.SelStart = v.SelEnd = v.Caret;
    v.TopLine = 0;
    v.LeftPixel = 0;
    Anchor_ = v.Caret;
    SetModified(true);
    if (LineObserver_ && LineObserver_->Listening())
        LineObserver_->LinesReset(oldChars);
    ScrollBarsChanged();
    PlaceCaret();
    RepaintAll();
}

// ---------------------------------------------------------------------------
// Files

bool TTextBuffer::LoadFromFile(const std::string& name)
{
    if (!kep::FileExists(name))
        return false;
    // The file is cut into lines as it is read: a large file is never held
    // whole beside its lines, and each piece is split while in the cache.
    TLineSplitter splitter(Metrics_, std::size_t(kep::FileSize(name)));
    bool nul = false;
    std::string oem;
    const bool read = kep::ReadFileInPieces(name, [&](std::string_view piece) {
        if (OemFile) {
            oem = kep::OemToAnsi(piece);
            piece = oem;
        }
        nul = nul || std::memchr(piece.data(), '\0', piece.size());
        splitter.Add(piece);
    });
    if (!read)
        return false;
    if (kep::IsReadOnlyFile(name))
        ReadOnly = true;
    std::vector<TLineRec> lines = splitter.Finish();
    HoldsNul_ = nul;
    AdoptLines(std::move(lines), splitter.WidthCounts());
    if (HoldsNul_)
        ReadOnly = true;
    // Records of the previous text would act on the new one. The fresh table
    // is numbered from 0 already.
    Undo_.Reset();
    FlagMarks_.clear();
    MarkUnmodified();
    return true;
}

bool TTextBuffer::SaveToFile(const std::string& name, std::string* error)
{
    if (CleanEol && !ReadOnly) {
        // Trailing blanks and control characters go, as one undo record so
        // that earlier records still find their text.
        std::int32_t first = -1, last = -1;
        for (std::int32_t i = 0; i < LineCount(); ++i) {
            const std::string& t = GetLine(i);
            if (!t.empty() && static_cast<unsigned char>(t.back()) <= 32) {
                if (first < 0)
                    first = i;
                last = i;
            }
        }
        if (first >= 0) {
            std::vector<std::string> cleaned;
            cleaned.reserve(std::size_t(last - first + 1));
            for (std::int32_t i = first; i <= last; ++i) {
                std::string t = GetLine(i);
                std::size_t n = t.size();
                while (n > 0 && static_cast<unsigned char>(t[n - 1]) <= 32)
                    --n;
                t.resize(n);
                cleaned.push_back(std::move(t));
            }
            const bool wasModified = Modified_;
            ReplaceLineBlock(first, cleaned, false);
            SetModified(wasModified);
            TEditView& v = View();
            v.Caret = ClampPos(v.Caret);
            v.SelStart = ClampPos(v.SelStart);
            v.SelEnd = ClampPos(v.SelEnd);
            Anchor_ = ClampPos(Anchor_);
            RepaintLines(first, last);
            PlaceCaret();
        }
    }
    std::string text = GetAllText();
    if (OemFile && !text.empty())
        text = kep::AnsiToOem(text);
    return kep::WriteFileAtomic(name, text, error);
}

bool TTextBuffer::SaveFile(const std::string& name, std::string* error)
{
    if (!SaveToFile(name, error))
        return false;
    MarkSaved();
    return true;
}

void TTextBuffer::MarkSaved()
{
    for (std::size_t i = 0; i < Lines_.size(); ++i)
        Lines_[i].LineId = std::int32_t(i);
    NextLineId_ = LineCount();
    MarkUnmodified();
}

void TTextBuffer::MarkUnmodified()
{
    StateValidBefore_ = 0;
    SavedDepth_ = Undo_.Count();
    SetModified(false);
}

void TTextBuffer::SetModified(bool m)
{
    if (m == Modified_)
        return;
    Modified_ = m;
    if (OnModifiedToggle)
        OnModifiedToggle();
}
