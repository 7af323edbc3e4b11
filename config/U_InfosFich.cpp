#include "config/U_InfosFich.h"

#include <algorithm>
#include <limits>

namespace kep {

namespace {

constexpr unsigned MaxColonne = std::numeric_limits<std::uint16_t>::max();
// The step that stands for a column left out.
constexpr unsigned PasParDefaut = 8;

bool Chiffre(char c)
{
    return c >= '0' && c <= '9';
}

unsigned Borne(unsigned long v)
{
    return v > MaxColonne ? MaxColonne : unsigned(v);
}

unsigned Composante(unsigned c, int pourCent)
{
    // Rounded to the nearest, halves upwards.
    const long v = (long(c) * pourCent + 50) / 100;
    return unsigned(std::clamp(v, 0L, 255L));
}

} // namespace

std::string TexteTabs(const TTabStops& tabs, bool relatif)
{
    std::string text;
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        if (i)
            text += ',';
        // A "+" cannot say that a column stands left of the one before it:
        // such a column is written as it is, which reads back the same.
        if (relatif && i && tabs[i] > tabs[i - 1])
            text += '+' + std::to_string(tabs[i] - tabs[i - 1]);
        else
            text += std::to_string(tabs[i]);
    }
    return text;
}

TTabStops LitTabs(std::string_view text)
{
    // Anything but digits, "+" and "," stops the reading: the columns left
    // then follow each other 8 apart. Values and sums beyond 65535 are held
    // at 65535 rather than wrapped round, so that a huge number still gives
    // the rightmost column and those after it never come back to the left.
    TTabStops tabs{};
    std::size_t p = 0;
    unsigned prev = 0;
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        bool relatif = false;
        if (p < text.size() && text[p] == '+') {
            relatif = i > 0;
            ++p;
        }
        unsigned long v = 0;
        for (; p < text.size() && Chiffre(text[p]); ++p)
            v = std::min<unsigned long>(v * 10 + unsigned(text[p] - '0'), MaxColonne + 1ul);
        if (p < text.size() && text[p] == ',')
            ++p;
        unsigned col;
        if (v == 0)
            col = Borne(i ? prev + PasParDefaut : PasParDefaut);
        else
            col = Borne(relatif ? prev + v : v);
        tabs[i] = std::uint16_t(col);
        prev = col;
    }
    return tabs;
}

std::string NormaliseExt(std::string_view text)
{
    std::string ext;
    ext.reserve(text.size() + 1);
    if (text.empty() || text.front() != '.')
        ext += '.';
    for (char c : text)
        ext += (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    return ext;
}

TColor NuanceCouleur(TColor c, int pourCent, const TResolveurCouleur& resolve)
{
    if (IsSystemColor(c)) {
        if (!resolve)
            return c;
        c = resolve(c) & 0xFFFFFFu;
    }
    return RGBColor(Composante(ColorR(c), pourCent), Composante(ColorG(c), pourCent),
                    Composante(ColorB(c), pourCent));
}

void NuanceStyles(TStyleTable& styles, int pourCent, const TResolveurCouleur& resolve)
{
    for (TStyleEntry& e : styles) {
        e.Back = NuanceCouleur(e.Back, pourCent, resolve);
        e.Fore = NuanceCouleur(e.Fore, pourCent, resolve);
    }
}

} // namespace kep
