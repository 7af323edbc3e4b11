// What the terminal makes of any received bytes. The first byte sets the
// display rules, the second the size of the pieces the bytes come in; the
// rest passes through the mark decoder and the terminal. Whatever the
// bytes: pieces never change what is decoded or shown, the column count
// stays within the limit, and every received byte is shown (once in hex).
#include "serial/U_RxDecode.h"
#include "serial/U_Terminal.h"
#include "tests/fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

std::string Shown(const kep::TMorceaux& m)
{
    std::string s;
    for (const kep::TMorceau& p : m) {
        s += p.Texte;
        if (p.Saut)
            s += '\n';
    }
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const unsigned bits = data[0];
    const std::size_t piece = 1 + data[1] % 64;
    const std::string_view raw(reinterpret_cast<const char*>(data + 2), size - 2);
    kep::TRxDecodeRules rules;
    rules.Replace = bits & 1;
    rules.ReplaceChar = '?';
    rules.DiscardNull = bits & 2;

    kep::TRxDecoder whole, cut;
    std::string once, pieces;
    whole.Decode(raw, rules, once);
    for (std::size_t at = 0; at < raw.size(); at += piece)
        cut.Decode(raw.substr(at, piece), rules, pieces);
    KEP_FUZZ_CHECK(once == pieces);
    KEP_FUZZ_CHECK(once.size() <= raw.size());

    auto make = [bits] {
        kep::TTerminal t;
        t.Reglages.Hexa = bits & 4;
        t.Reglages.ByCR = bits & 8;
        t.Reglages.ByLF = bits & 16;
        t.Reglages.ByCol = bits & 32;
        t.Reglages.ColMax = 1 + int(bits >> 6) * 7;
        t.Reglages.DateCR = bits & 64;
        t.HeureTexte = [] { return std::string("00:00:00"); };
        return t;
    };
    kep::TTerminal a = make(), b = make();
    kep::TMorceaux ma, mb;
    a.Recoit(once, ma);
    for (std::size_t at = 0; at < once.size(); at += piece)
        b.Recoit(std::string_view(once).substr(at, piece), mb);
    KEP_FUZZ_CHECK(Shown(ma) == Shown(mb));
    KEP_FUZZ_CHECK(a.Colonne() == b.Colonne());
    if (a.Reglages.ByCol)
        KEP_FUZZ_CHECK(a.Colonne() < a.Reglages.ColMax);
    if (a.Reglages.Hexa && !a.Reglages.DateCR) {
        const std::string s = Shown(ma);
        KEP_FUZZ_CHECK(std::size_t(std::count(s.begin(), s.end(), '<')) == once.size());
    }
    for (const kep::TMorceau& p : ma)
        KEP_FUZZ_CHECK(!p.Texte.empty() || p.Saut);
    return 0;
}
