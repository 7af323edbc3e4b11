#include "app/U_TexteLignes.h"

#include <algorithm>

namespace kep {

TPlageLignes LignesSelectionnees(TTextPos selStart, TTextPos selEnd)
{
    if (selEnd < selStart)
        std::swap(selStart, selEnd);
    return TPlageLignes{selStart.Line, selEnd.Col <= 1 ? selEnd.Line - 1 : selEnd.Line};
}

std::vector<std::string> MetEnRemarque(const std::vector<std::string>& lignes, std::string_view symbole)
{
    std::vector<std::string> out;
    out.reserve(lignes.size());
    for (const std::string& l : lignes)
        out.push_back(std::string(symbole) + l);
    return out;
}

std::vector<std::string> OteRemarque(const std::vector<std::string>& lignes, std::string_view symbole)
{
    std::vector<std::string> out;
    out.reserve(lignes.size());
    for (const std::string& l : lignes)
        out.push_back(!symbole.empty() && l.starts_with(symbole) ? l.substr(symbole.size()) : l);
    return out;
}

std::vector<std::string> InverseLignes(const std::vector<std::string>& lignes)
{
    return std::vector<std::string>(lignes.rbegin(), lignes.rend());
}

} // namespace kep
