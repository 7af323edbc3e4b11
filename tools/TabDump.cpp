#include "tools/TabDump.h"

#include "platform/CodePage.h"

#include <vector>

namespace kep {

namespace {

void DumpList(std::string& out, const char* caption, const std::vector<std::string>& list)
{
    out += std::string(caption) + " (" + std::to_string(list.size()) + ") :\n";
    for (std::size_t i = 0; i < list.size(); ++i)
        out += "  " + std::to_string(i + 1) + " " + AnsiToUtf8(list[i]) + "\n";
}

} // namespace

std::string DumpTab(const TTabFile& tab)
{
    std::string out = "Titre : " + AnsiToUtf8(tab.Title()) + "\n";
    out += std::string("Style H8 : ") + (tab.IsH8Style() ? "oui" : "non") + "\n";
    DumpList(out, "Mots clés", tab.Keywords());
    DumpList(out, "Mnémoniques", tab.Mnemonics());
    DumpList(out, "Valeurs nommées", tab.Values());

    std::vector<std::string> lines, types;
    for (const std::string& m : tab.Mnemonics()) {
        tab.Describe(m, lines, types);
        out += "\n" + AnsiToUtf8(m) + "\n";
        for (const std::string& l : lines)
            out += "  " + AnsiToUtf8(l) + "\n";
        if (!types.empty()) {
            out += "  Types :\n";
            for (const std::string& t : types)
                out += "    " + AnsiToUtf8(t) + "\n";
        }
    }
    return out;
}

} // namespace kep
