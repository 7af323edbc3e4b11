#include "build/U_ErrPresets.h"

#include <cstddef>
#include <tuple>
#include <utility>

namespace kep {

namespace {

// One-line blocks with name and number on the marker's line: what every
// assembler here prints.
TErrDefaults Layout(std::string marqErr, std::string marqErr2, std::string debNom, std::string finNom,
                    std::string debNum, std::string finNum)
{
    return TErrDefaults{.FichErr = {},
                        .MarqErr = std::move(marqErr),
                        .LigMarqErr = 0,
                        .MarqErr2 = std::move(marqErr2),
                        .LigMarqErr2 = 0,
                        .NbrLigErr = "1",
                        .DebNomFich = std::move(debNom),
                        .FinNomFich = std::move(finNom),
                        .LigNomFich = 0,
                        .DebNumLig = std::move(debNum),
                        .FinNumLig = std::move(finNum),
                        .LigNumLig = 0};
}

std::vector<TErrPreset> MakePresets()
{
    std::vector<TErrPreset> p;
    p.push_back({"KEP (d\xE9" "faut)",
                 "Valeurs d'origine : lignes du type PROG.ASM(27): as: undefined symbol 'LOOP1'",
                 Layout("): as", "): Lyn", "#1", "(", "(", "):")});
    // gpasm writes "name:line:Error[nnn]   text" on its console; the name is
    // the path as it opened the file (for an included one, the -I folder
    // and the name), relative to where it ran. A name holding ":" would be
    // cut there. Its "Message[nnn]" notes are left out on purpose.
    // gplink shares the file in gpasm projects: its "error:" and
    // "warning:" lines are read too (its "message:" notes are not).
    p.push_back({"gpasm",
                 "gpasm (gputils), sortie console : lignes du type t.asm:3:Error[113] ... et "
                 "t.asm:4:Warning[202] ... ; gplink aussi (lignes error: ... et warning: ...)",
                 Layout(":Error[", ":Warning[", "#1", ":", ":", "["), TErrLecteur::Gpasm});
    // avra writes "name(line) : Error   : text" on stderr, which the make
    // file must therefore send to the error file.
    p.push_back({"avra",
                 "avra, sortie d'erreur : lignes du type b.asm(2) : Error   : ... et b.asm(3) : Warning : ... "
                 "(les lignes PRAGMA ne sont pas des erreurs)",
                 Layout(") : Error", ") : Warning", "#1", "(", "(", ")"), TErrLecteur::Avra});
    return p;
}

bool SameAsciiNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    const auto up = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (up(a[i]) != up(b[i]))
            return false;
    return true;
}

} // namespace

const std::vector<TErrPreset>& ErrPresets()
{
    static const std::vector<TErrPreset> presets = MakePresets();
    return presets;
}

const TErrPreset* FindErrPreset(std::string_view nom)
{
    for (const TErrPreset& p : ErrPresets())
        if (SameAsciiNoCase(p.Nom, nom))
            return &p;
    return nullptr;
}

int IndexErrPreset(const TErrDefaults& err)
{
    const auto layout = [](const TErrDefaults& e) {
        return std::tie(e.MarqErr, e.LigMarqErr, e.MarqErr2, e.LigMarqErr2, e.NbrLigErr, e.DebNomFich, e.FinNomFich,
                        e.LigNomFich, e.DebNumLig, e.FinNumLig, e.LigNumLig);
    };
    const auto& presets = ErrPresets();
    for (std::size_t i = 0; i < presets.size(); ++i)
        if (layout(presets[i].Err) == layout(err))
            return int(i);
    return -1;
}

TErrLecteur ErrLecteurOf(const TErrDefaults& err)
{
    const int i = IndexErrPreset(err);
    return i < 0 ? TErrLecteur::Aucun : ErrPresets()[std::size_t(i)].Lecteur;
}

TErrDefaults ApplyErrPreset(const TErrPreset& preset, const TErrDefaults& err)
{
    TErrDefaults r = preset.Err;
    r.FichErr = err.FichErr;
    return r;
}

} // namespace kep
