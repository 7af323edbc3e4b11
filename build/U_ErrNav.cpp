#include "build/U_ErrNav.h"

#include "platform/AsciiText.h"

#include <algorithm>
#include <climits>
#include <cstddef>

namespace kep {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Leading spaces skipped, then the digits up to the first other character.
// `saturate` decides what a value beyond int gives: INT_MAX, or 0 like a
// text without digits.
int LeadingInt(std::string_view text, bool saturate)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    long long v = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > INT_MAX)
            return saturate ? INT_MAX : 0;
    }
    return int(v);
}

int ClampInt(long long v)
{
    return int(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

int LinePos(int v)
{
    return std::clamp(v, 0, 20);
}

bool Contains(std::string_view line, std::string_view marker)
{
    return !marker.empty() && line.find(marker) != std::string_view::npos;
}

} // namespace

TErrLayout ErrLayoutOf(const TErrDefaults& err)
{
    TErrLayout l;
    l.FichErr = err.FichErr;
    l.MarqErr = err.MarqErr;
    l.LigMarqErr = LinePos(err.LigMarqErr);
    l.MarqErr2 = err.MarqErr2;
    l.LigMarqErr2 = LinePos(err.LigMarqErr2);
    // A huge count still means "long blocks", hence saturation rather than
    // the 0 that EntierDebut gives.
    l.NbrLigErr = std::clamp(LeadingInt(err.NbrLigErr, true), 1, 1000);
    l.DebNomFich = err.DebNomFich;
    l.FinNomFich = err.FinNomFich;
    l.LigNomFich = LinePos(err.LigNomFich);
    l.DebNumLig = err.DebNumLig;
    l.FinNumLig = err.FinNumLig;
    l.LigNumLig = LinePos(err.LigNumLig);
    return l;
}

int EntierDebut(std::string_view text)
{
    return LeadingInt(text, false);
}

int PosMarqueur(std::string_view marker, std::string_view line, int added)
{
    if (!marker.empty() && marker.front() == '#')
        return EntierDebut(marker.substr(1));
    // An empty marker is never "found at column 1": it gives 0 plus
    // `added`, so an empty start marker of the line number leaves the block
    // without a line, and an empty end marker leaves the field empty.
    const std::size_t at = marker.empty() ? std::string_view::npos : line.find(marker);
    const long long pos = at == std::string_view::npos ? 0 : (long long)at + 1;
    return ClampInt(pos + added);
}

std::string ChampEntre(std::string_view line, std::string_view deb, std::string_view fin)
{
    int start = PosMarqueur(deb, line, ClampInt((long long)deb.size()));
    int end = PosMarqueur(fin, line, -1);
    if (start < 1)
        start = 1;
    end = int(std::min<long long>(end, (long long)line.size()));
    if (end < start)
        return {};
    return std::string(line.substr(std::size_t(start - 1), std::size_t(end - start + 1)));
}

std::optional<TErrBlock> NextErrorBlock(const TLineAt& line, std::int32_t count, std::int32_t from,
                                        const TErrLayout& layout)
{
    static const std::string Empty;
    // Only lines of the file are read: a block reaching past its end sees
    // empty lines there.
    const auto lineAt = [&](long long i) -> const std::string& {
        return (i >= 0 && i < count) ? line(std::int32_t(i)) : Empty;
    };

    for (std::int32_t i = std::max<std::int32_t>(from, 0); i < count; ++i) {
        const std::string& text = line(i);
        long long start;
        if (Contains(text, layout.MarqErr))
            start = (long long)i - layout.LigMarqErr;
        else if (Contains(text, layout.MarqErr2))
            start = (long long)i - layout.LigMarqErr2;
        else
            continue;
        // A marker too near the top for its block is not an error block:
        // reading above the first line would make one up.
        if (start < 0)
            continue;

        TErrBlock b;
        b.BlockStart = std::int32_t(start);
        b.FileName = std::string(TrimControls(ChampEntre(lineAt(start + layout.LigNomFich), layout.DebNomFich, layout.FinNomFich)));

        const std::string& numText = lineAt(start + layout.LigNumLig);
        const int numStart = PosMarqueur(layout.DebNumLig, numText, ClampInt((long long)layout.DebNumLig.size()));
        if (numStart < 1) {
            // Nothing to show, and the search stays here: the next F6
            // stops on this same block until the layout is mended.
            b.NextSearch = b.BlockStart;
            return b;
        }
        b.HasLine = true;
        b.LineNumber = EntierDebut(ChampEntre(numText, layout.DebNumLig, layout.FinNumLig));
        b.NextSearch = std::int32_t(std::min<long long>(start + layout.NbrLigErr, INT32_MAX));

        const std::string& message = lineAt(start);
        const std::size_t colon = message.find(": ");
        // "MAKE" counts only right after a ": ". Without one, testing the
        // characters from column 2 would take "XMAKEFILE..." for an error of
        // the make tool.
        if (colon != std::string::npos && message.compare(colon + 2, 4, "MAKE") == 0) {
            b.IsMake = true;
            return b;
        }
        // From the character after the colon (its space included), or the
        // whole line.
        b.Status = message.substr(colon == std::string::npos ? 0 : colon + 1, 255);
        std::replace(b.Status.begin(), b.Status.end(), '\t', '_');

        const std::size_t quote = message.find(" '");
        if (quote != std::string::npos) {
            b.HasWord = true;
            // The word runs to the character before the last: the closing
            // apostrophe of "... 'LOOP1'".
            const std::size_t first = quote + 2;
            if (message.size() > first + 1)
                b.Word = UpperAscii(std::string_view(message).substr(first, message.size() - 1 - first));
        }
        return b;
    }
    return std::nullopt;
}

TErrSelection SelectionFor(std::string_view lineText, std::int32_t line, bool lastLine, std::string_view word)
{
    TErrSelection s;
    s.StartLine = line;
    s.StartCol = 1;
    if (!word.empty()) {
        const std::size_t at = UpperAscii(lineText).find(UpperAscii(word));
        if (at != std::string::npos) {
            const std::int32_t c = std::int32_t(at) + 1;
            s.EndLine = line;
            s.EndCol = c + std::int32_t(word.size());
            s.StartCol = c;
            s.MoveCaretCol = true;
            s.CaretCol = s.EndCol;
            return s;
        }
    }
    if (lastLine) {
        s.EndLine = line;
        s.EndCol = std::int32_t(lineText.size()) + 1;
    } else {
        s.EndLine = line + 1;
        s.EndCol = 1;
    }
    return s;
}

} // namespace kep
