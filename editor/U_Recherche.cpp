#include "editor/U_Recherche.h"

#include "platform/AsciiText.h"
#include "platform/CodePage.h"
#include "platform/FileIo.h"

#include <algorithm>
#include <cstring>

namespace kep {

unsigned ButtonOptions(int tag)
{
    switch (tag) {
    case cbPrecedent:
        return coPrecedent;
    case cbSuivant:
        return coSuivant;
    case cbRemplace:
        return coRemplace;
    case cbRemplaceTout:
        return coRemplace | coRemplaceTout;
    default:
        return 0;
    }
}

namespace {

inline unsigned char Up(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - 32) : u;
}

// Offset of the first match at or after `from`, npos when none.
std::size_t Next(std::string_view pattern, std::string_view text, std::size_t from, bool fold)
{
    if (!fold)
        return text.find(pattern, from);
    // The pattern is upper-cased; look for either case of its first byte.
    const unsigned char first = Up(pattern[0]);
    const unsigned char other = first >= 'A' && first <= 'Z' ? static_cast<unsigned char>(first + 32) : first;
    for (std::size_t at = from; at + pattern.size() <= text.size(); ++at) {
        const auto c = static_cast<unsigned char>(text[at]);
        if (c != first && c != other)
            continue;
        std::size_t k = 1;
        while (k < pattern.size() && Up(text[at + k]) == static_cast<unsigned char>(pattern[k]))
            ++k;
        if (k == pattern.size())
            return at;
    }
    return std::string_view::npos;
}

std::size_t Find(std::string_view pattern, std::string_view text, bool fold, bool word)
{
    if (pattern.empty() || pattern.size() > text.size())
        return 0;
    for (std::size_t at = Next(pattern, text, 0, fold); at != std::string_view::npos;
         at = Next(pattern, text, at + 1, fold)) {
        if (!word)
            return at + 1;
        const std::size_t after = at + pattern.size();
        const bool okBefore = at == 0 || !TTextBuffer::IsSearchWordChar(static_cast<unsigned char>(text[at - 1]));
        const bool okAfter = after >= text.size()
            || !TTextBuffer::IsSearchWordChar(static_cast<unsigned char>(text[after]));
        if (okBefore && okAfter)
            return at + 1;
    }
    return 0;
}

} // namespace

std::size_t FindPlain(std::string_view pattern, std::string_view text)
{
    return Find(pattern, text, false, false);
}

std::size_t FindWord(std::string_view pattern, std::string_view text)
{
    return Find(pattern, text, false, true);
}

std::size_t FindPlainNoCase(std::string_view pattern, std::string_view text)
{
    return Find(pattern, text, true, false);
}

std::size_t FindWordNoCase(std::string_view pattern, std::string_view text)
{
    return Find(pattern, text, true, true);
}

TMatcher ChooseMatcher(unsigned options)
{
    if (options & coMemeCasse)
        return options & coMotEntier ? FindWord : FindPlain;
    return options & coMotEntier ? FindWordNoCase : FindPlainNoCase;
}

std::string PreparePattern(std::string_view text, unsigned options)
{
    return options & coMemeCasse ? std::string(text) : UpperAscii(text);
}

void TChRempState::Prepare(std::string_view cherche, std::string_view remplace, unsigned checks, int tag)
{
    Options = (checks & (coMemeCasse | coConfirme | coMotEntier | coSelection | coMultiFich)) | ButtonOptions(tag);
    Pattern = PreparePattern(cherche, Options);
    Matcher = ChooseMatcher(Options);
    Replacement = std::string(remplace);
    FileIndex = 0;
    Prepared = true;
    Started = false;
}

std::string TChRempState::NextFile()
{
    if (FileIndex >= FileList.size())
        return {};
    return FileList[FileIndex++];
}

void RunSearch(TChRempState& s, TSearchHost& host)
{
    if (s.Pattern.empty() || !s.Matcher)
        return;
    const bool multi = s.Options & coMultiFich;
    const bool inSel = s.Options & coSelection;
    const bool replace = s.Options & coRemplace;
    const bool replaceAll = s.Options & coRemplaceTout;
    const auto patLen = std::int32_t(s.Pattern.size());
    const auto repLen = std::int32_t(s.Replacement.size());
    bool done = false;
    if (s.Started && !multi && host.Current() != s.StartText)
        s.Started = false;
    while (!done) {
        if (!s.Started) {
            if (multi) {
                std::string name;
                for (;;) {
                    name = s.NextFile();
                    if (name.empty()) {
                        host.Message(TSearchMessage::FinMultiFichier);
                        return;
                    }
                    // A file that is not open and holds no hit need not be
                    // opened: most files of a project lack the word. A line
                    // break is not a word character and a pattern holds
                    // none, so the whole file matches when one line does.
                    if (host.IsOpen(name))
                        break;
                    // The pattern is compared in the file's own code page
                    // (both pages keep ASCII and the bytes from 0x80 apart,
                    // so word edges and case folding agree).
                    std::string bytes;
                    if (ReadWholeFile(name, bytes)
                        && s.Matcher(host.OemOnDisk(name) ? AnsiToOem(s.Pattern) : s.Pattern, bytes) != 0)
                        break;
                }
                host.OpenFile(name);
            }
            TTextBuffer* b = host.Current();
            if (!b)
                return;
            if (!multi)
                s.RangeStart = b->GetSelStart();
            s.RangeEnd = b->GetSelEnd();
            s.Pos = TTextPos{0, 1};
            if (inSel || (!multi && s.From == TChRempState::DeSelection))
                s.Pos = s.RangeStart;
            else if (!multi && s.From == TChRempState::DuCurseur)
                s.Pos = b->Caret();
            s.StartText = b;
            s.Started = true;
        }
        TTextBuffer* b = host.Current();
        if (!b)
            return;
        bool stoppedOnHit = false;
        bool toldReadOnly = false;
        while (s.Pos.Line < b->LineCount() && !done) {
            for (;;) {
                const std::string& line = b->GetLine(s.Pos.Line);
                const std::size_t from = std::size_t(std::max(s.Pos.Col, 1) - 1);
                if (from > line.size())
                    break;
                const std::size_t hit = s.Matcher(s.Pattern, std::string_view(line).substr(from));
                if (hit == 0)
                    break;
                const auto col = std::int32_t(hit) + s.Pos.Col - 1;
                // A hit must start before the end of the selection.
                if (inSel && TTextPos{s.Pos.Line, col} >= s.RangeEnd)
                    break;
                b->ShowLine(s.Pos.Line);
                b->SetSelection(s.Pos.Line, col, col + patLen, s.Pos.Line);
                if (!replace) {
                    s.Pos.Col = col + patLen;
                    done = stoppedOnHit = true;
                    break;
                }
                bool doIt = true;
                if (s.Options & coConfirme) {
                    switch (host.Confirm(replaceAll)) {
                    case TConfirmAnswer::Abandonner:
                        return;
                    case TConfirmAnswer::Non:
                        doIt = false;
                        break;
                    case TConfirmAnswer::Tous:
                        s.Options &= ~unsigned(coConfirme);
                        break;
                    case TConfirmAnswer::Oui:
                        break;
                    }
                    b = host.Current();
                    if (!b)
                        return;
                }
                if (doIt && b->ReadOnly) {
                    // Skipped like a "no", so that a replace-all cannot spin on it.
                    if (!toldReadOnly)
                        host.Message(TSearchMessage::LectureSeule);
                    toldReadOnly = true;
                    doIt = false;
                }
                // One undo step per replacement, as for any edit.
                if (doIt && !b->ReplaceSelectionBy(s.Replacement))
                    return;
                if (doIt) {
                    // The selection's end moves with an edit on its line.
                    if (inSel && s.Pos.Line == s.RangeEnd.Line)
                        s.RangeEnd.Col += repLen - patLen;
                    s.Pos.Col = col + repLen;
                } else {
                    s.Pos.Col = col + patLen; // past the hit, so it is not asked again
                }
                if (!replaceAll) {
                    done = stoppedOnHit = true;
                    break;
                }
            }
            if (!done)
                s.Pos = TTextPos{s.Pos.Line + 1, 1};
            if (inSel && (s.Pos.Line > s.RangeEnd.Line || (s.Pos.Line == s.RangeEnd.Line && s.Pos.Col >= s.RangeEnd.Col)))
                done = true;
        }
        if (stoppedOnHit)
            return;
        // The text is exhausted (or the selection's end was reached).
        if (multi) {
            host.CloseCurrent();
            s.Started = false;
            done = false;
            continue;
        }
        // The text searched is still the current one: the selection it had
        // comes back.
        host.Message(TSearchMessage::PlusDOccurences);
        if (TTextBuffer* back = host.Current(); back && back == s.StartText)
            back->SelectRange(s.RangeStart, s.RangeEnd);
        return;
    }
}

void AddProjectFiles(std::string_view makeText, const std::string& workFolder, std::vector<std::string>& list)
{
    auto less = [](const std::string& a, const std::string& b) {
        const std::string ua = UpperAscii(a), ub = UpperAscii(b);
        return ua != ub ? ua < ub : a < b;
    };
    std::sort(list.begin(), list.end(), less);
    list.erase(std::unique(list.begin(), list.end()), list.end());
    auto add = [&](std::string name) {
        if (name.empty())
            return;
        if (name.front() != '/' && !workFolder.empty())
            name = workFolder + (workFolder.back() == '/' ? "" : "/") + name;
        const auto at = std::lower_bound(list.begin(), list.end(), name, less);
        if (at == list.end() || *at != name)
            list.insert(at, std::move(name));
    };
    std::size_t start = 0;
    while (start < makeText.size()) {
        std::size_t end = makeText.find('\n', start);
        if (end == std::string_view::npos)
            end = makeText.size();
        std::string_view line = makeText.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::size_t colonTab = line.find(":\t");
        if (colonTab == std::string_view::npos)
            continue;
        std::string_view rest = line.substr(colonTab + 2);
        for (;;) {
            const std::size_t plus = rest.find('+');
            add(std::string(rest.substr(0, plus)));
            if (plus == std::string_view::npos)
                break;
            rest.remove_prefix(plus + 1);
        }
    }
}

} // namespace kep
