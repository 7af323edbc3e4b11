#include "editor/U_Assembleur.h"

#include "platform/AsciiText.h"

namespace kep {

namespace {

// What ends a word on a make or shell line.
bool Separator(char c)
{
    switch (c) {
    case ' ': case '\t': case '\r': case '\n': case '\f': case '\v':
    case ';': case '|': case '&': case '(': case ')': case '{': case '}':
    case '=': case '@': case '"': case '\'': case '`': case '$': case '<': case '>': case ',': case ':':
        return true;
    default:
        return false;
    }
}

// The assembler a word runs: the program's name, its folder and a ".exe"
// aside.
TAssembleur ProgramOf(std::string_view word)
{
    if (word.empty() || word.front() == '-')
        return TAssembleur::Inconnu; // an option: "-I/usr/share/avra"
    if (const auto slash = word.find_last_of("/\\"); slash != std::string_view::npos)
        word.remove_prefix(slash + 1);
    std::string name = LowerAscii(word);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0)
        name.resize(name.size() - 4);
    if (name == "gpasm" || name == "gplink")
        return TAssembleur::Gpasm;
    if (name == "avra")
        return TAssembleur::Avra;
    return TAssembleur::Inconnu;
}

} // namespace

std::string NomAssembleur(TAssembleur a)
{
    switch (a) {
    case TAssembleur::Gpasm:
        return "gpasm";
    case TAssembleur::Avra:
        return "avra";
    default:
        return {};
    }
}

std::optional<TAssembleur> LitAssembleur(std::string_view nom)
{
    while (!nom.empty() && (nom.front() == ' ' || nom.front() == '\t'))
        nom.remove_prefix(1);
    while (!nom.empty() && (nom.back() == ' ' || nom.back() == '\t'))
        nom.remove_suffix(1);
    const std::string n = LowerAscii(nom);
    if (n == "gpasm")
        return TAssembleur::Gpasm;
    if (n == "avra")
        return TAssembleur::Avra;
    return std::nullopt;
}

TAssembleur DevineAssembleur(std::string_view text)
{
    bool gpasm = false, avra = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        // make's comments, "\#" aside; a shell comment in a recipe too.
        for (std::size_t i = 0; i < line.size(); ++i)
            if (line[i] == '#' && (i == 0 || line[i - 1] != '\\')) {
                line = line.substr(0, i);
                break;
            }
        std::size_t w = 0;
        while (w < line.size()) {
            while (w < line.size() && Separator(line[w]))
                ++w;
            std::size_t e = w;
            while (e < line.size() && !Separator(line[e]))
                ++e;
            switch (ProgramOf(line.substr(w, e - w))) {
            case TAssembleur::Gpasm:
                gpasm = true;
                break;
            case TAssembleur::Avra:
                avra = true;
                break;
            default:
                break;
            }
            w = e;
        }
    }
    if (gpasm == avra)
        return TAssembleur::Inconnu;
    return gpasm ? TAssembleur::Gpasm : TAssembleur::Avra;
}

void TAssembleurProjet::Nomme(std::optional<TAssembleur> a)
{
    Nomme_ = a.has_value() && *a != TAssembleur::Inconnu;
    Valeur_ = Nomme_ ? *a : TAssembleur::Inconnu;
}

void TAssembleurProjet::Devine(std::string_view makeFileText)
{
    if (!Nomme_)
        Valeur_ = DevineAssembleur(makeFileText);
}

std::optional<TAssembleur> TAssembleurProjet::Stocke() const
{
    if (!Nomme_)
        return std::nullopt;
    return Valeur_;
}

} // namespace kep
