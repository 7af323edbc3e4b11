#include "build/U_ListingGpasm.h"
#include "build/U_LignesTexte.h"
#include "platform/Paths.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <unordered_set>

namespace kep {

namespace {

using namespace texte;

// gpasm's listing columns: LOC from 0, the code groups in [7, 22), the line
// number (or "    M" for a macro expansion line) from 22, the text from 28.
constexpr std::size_t ColCode = 7;
constexpr std::size_t ColLigne = 22;
constexpr std::size_t ColTexte = 28;
// gpasm nests includes 16 deep at most; beyond this the frames are noise.
constexpr std::size_t ProfondeurMax = 32;
// Include files read to settle a doubtful return, at most.
constexpr int ComptesMax = 64;

bool ToutBlanc(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), EstBlanc);
}

char Minuscule(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool MemeMot(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Minuscule(a[i]) != Minuscule(b[i]))
            return false;
    return true;
}

bool PrefixeSansCasse(std::string_view debut, std::string_view s)
{
    return debut.size() <= s.size() && MemeMot(debut, s.substr(0, debut.size()));
}

// Columns [from, to) of a line, cut at its end.
std::string_view Colonnes(std::string_view l, std::size_t from, std::size_t to = std::string_view::npos)
{
    if (from >= l.size())
        return {};
    return l.substr(from, to == std::string_view::npos ? to : to - from);
}

// A name without its folder, written with either separator.
std::string_view NomSansDossier(std::string_view nom)
{
    const auto p = nom.find_last_of("/\\");
    return p == std::string_view::npos ? nom : nom.substr(p + 1);
}

std::string_view Souche(std::string_view nom)
{
    nom = NomSansDossier(nom);
    const auto p = nom.rfind('.');
    return p == std::string_view::npos ? nom : nom.substr(0, p);
}

std::string AvecExtension(const std::string& nom, std::string_view ext)
{
    const std::string_view fichier = NomSansDossier(nom);
    const auto point = fichier.rfind('.');
    const std::size_t garde = point == std::string_view::npos ? nom.size() : nom.size() - fichier.size() + point;
    return nom.substr(0, garde) + std::string(ext);
}

// --- Listing lines ---

enum class TGenre { Autre, Numero, Macro, SuiteCode };

// The code columns hold 5 groups at most (15 columns).
struct TGroupes {
    std::array<std::string_view, 8> G;
    std::size_t N = 0;
    bool empty() const { return N == 0; }
    std::size_t size() const { return N; }
    const std::string_view* begin() const { return G.data(); }
    const std::string_view* end() const { return G.data() + N; }
};

struct TColonnes {
    TGenre Genre = TGenre::Autre;
    bool ALoc = false;
    std::uint32_t Loc = 0;
    std::size_t ChiffresLoc = 0;
    TGroupes Groupes;
    bool Octets = false;
    std::int32_t Numero = 0;
    std::string_view Texte;
};

// The code groups of a field: all 2 or all 4 hex digits ('?' allowed).
bool LitGroupes(std::string_view champ, TGroupes& groupes, bool& octets)
{
    groupes.N = 0;
    std::size_t largeur = 0;
    std::size_t i = 0;
    while (i < champ.size()) {
        while (i < champ.size() && EstBlanc(champ[i]))
            ++i;
        const std::size_t debut = i;
        while (i < champ.size() && !EstBlanc(champ[i]))
            ++i;
        const std::string_view g = champ.substr(debut, i - debut);
        if (g.empty())
            break;
        if ((g.size() != 2 && g.size() != 4) || (largeur != 0 && g.size() != largeur))
            return false;
        for (char c : g)
            if (!EstHex(c) && c != '?')
                return false;
        if (groupes.N == groupes.G.size())
            return false;
        largeur = g.size();
        groupes.G[groupes.N++] = g;
    }
    octets = largeur == 2;
    return true;
}

TColonnes Analyse(std::string_view l)
{
    TColonnes c;
    if (l.empty())
        return c;
    std::size_t k = 0;
    while (k < l.size() && k < 7 && EstHex(l[k]))
        ++k;
    bool valeur = false; // the VALUE column of equ, set, extern... from column 2
    if (k >= 4 && k <= 6 && (k == l.size() || l[k] == ' ') && ToutBlanc(Colonnes(l, k, ColCode))) {
        c.ALoc = true;
        c.ChiffresLoc = k;
        for (std::size_t i = 0; i < k; ++i)
            c.Loc = c.Loc << 4 | ValHex(l[i]);
    } else if (l[0] != ' ') {
        return c; // page title, column heads, messages, symbol table
    } else {
        valeur = !ToutBlanc(Colonnes(l, 0, ColCode));
    }
    if (!valeur && !LitGroupes(Colonnes(l, ColCode, ColLigne), c.Groupes, c.Octets))
        c.Groupes.N = 0;

    const std::string_view champ = Colonnes(l, ColLigne);
    if (champ.size() >= 5 && ToutBlanc(champ.substr(0, 4)) && champ[4] == 'M' && (champ.size() == 5 || champ[5] == ' ')) {
        c.Genre = TGenre::Macro;
        c.Texte = Colonnes(l, ColTexte);
        return c;
    }
    std::size_t d = 0;
    while (d < champ.size() && d < 10 && champ[d] >= '0' && champ[d] <= '9')
        ++d;
    if (d >= 5 && d <= 9 && (d == champ.size() || champ[d] == ' ')) {
        c.Genre = TGenre::Numero;
        for (std::size_t i = 0; i < d; ++i)
            c.Numero = c.Numero * 10 + (champ[i] - '0');
        c.Texte = Colonnes(l, ColLigne + d + 1);
        return c;
    }
    // More groups of the line above: nothing but code in its columns.
    if (!c.ALoc && !valeur && !c.Groupes.empty() && ToutBlanc(champ)) {
        c.Genre = TGenre::SuiteCode;
        return c;
    }
    c = TColonnes{};
    return c;
}

// --- Source text ---

struct TSource {
    std::string_view Etiquette;
    std::string_view Directive;
    std::string_view Reste;
};

bool EstDirectiveSection(std::string_view d)
{
    static constexpr std::string_view noms[] = {"code",  "code_pack", "idata",     "idata_acs",
                                                "udata", "udata_acs", "udata_ovr", "udata_shr"};
    return std::any_of(std::begin(noms), std::end(noms), [d](std::string_view n) { return MemeMot(d, n); });
}

bool EstInclude(std::string_view d)
{
    return MemeMot(d, "include") || MemeMot(d, "#include");
}

// Words gpasm takes as directives even in column 1, where a label would be.
bool DirectiveEnColonne1(std::string_view d)
{
    return EstInclude(d) || EstDirectiveSection(d) || MemeMot(d, "org") || MemeMot(d, "while") || MemeMot(d, "endw") ||
           MemeMot(d, "__config") || MemeMot(d, "__idlocs");
}

TSource Decoupe(std::string_view t)
{
    auto finMot = [](char c) { return EstBlanc(c) || c == ';' || c == '"' || c == '<' || c == ':' || c == ',' || c == '='; };
    auto mot = [&](std::size_t& i) {
        while (i < t.size() && EstBlanc(t[i]))
            ++i;
        const std::size_t debut = i;
        while (i < t.size() && !finMot(t[i]))
            ++i;
        return t.substr(debut, i - debut);
    };
    TSource s;
    std::size_t i = 0;
    if (!t.empty() && !EstBlanc(t[0]) && t[0] != ';' && t[0] != '#') {
        const std::string_view premier = mot(i);
        if (DirectiveEnColonne1(premier)) {
            s.Directive = premier;
        } else {
            s.Etiquette = premier;
            if (i < t.size() && t[i] == ':')
                ++i;
            s.Directive = mot(i);
        }
    } else {
        s.Directive = mot(i);
    }
    s.Reste = Rogne(Colonnes(t, i));
    return s;
}

std::string_view NomInclus(std::string_view reste)
{
    if (reste.empty())
        return {};
    if (reste[0] == '"' || reste[0] == '<') {
        const char fin = reste[0] == '"' ? '"' : '>';
        const auto p = reste.find(fin, 1);
        return Rogne(reste.substr(1, p == std::string_view::npos ? std::string_view::npos : p - 1));
    }
    std::size_t i = 0;
    while (i < reste.size() && !EstBlanc(reste[i]) && reste[i] != ';')
        ++i;
    return reste.substr(0, i);
}

// The file named by the title line: between the version's ")" and the date,
// time and page number. gpasm writes the name as given, cut to 13 characters.
std::string Titre(std::string_view l)
{
    const auto par = l.find(')');
    std::string_view r = par == std::string_view::npos ? std::string_view() : l.substr(par + 1);
    const auto page = r.rfind("PAGE");
    if (page != std::string_view::npos)
        r = r.substr(0, page);
    for (int mot = 0; mot < 2; ++mot) { // time, date
        r = Rogne(r);
        const auto sp = r.find_last_of(" \t");
        r = sp == std::string_view::npos ? std::string_view() : r.substr(0, sp);
    }
    return std::string(Rogne(r));
}

std::string HexMinuscule(std::uint32_t v)
{
    static const char chiffres[] = "0123456789abcdef";
    std::string s;
    do {
        s.insert(s.begin(), chiffres[v & 0xF]);
        v >>= 4;
    } while (v);
    return s;
}

std::string HexMajuscule(std::uint64_t v, int largeur)
{
    static const char chiffres[] = "0123456789ABCDEF";
    std::string s(std::size_t(largeur), '0');
    for (int i = largeur - 1; i >= 0; --i) {
        s[std::size_t(i)] = chiffres[v & 0xF];
        v >>= 4;
    }
    return s;
}

// One file being listed: the listed file, an include, or an include whose
// directive was not listed (NOLIST) but whose lines are.
struct TCadre {
    std::string Nom;     // as written in the directive
    std::string Fichier; // its name without folder
    bool Anonyme = false;
    bool Voulu = false;
    std::int32_t Dernier = 0; // last line number seen
    std::int32_t BoucleDe = 0; // line of the outer open while
    std::int32_t Boucles = 0;
};

std::uint64_t Unites(const TCodeListing& r, std::size_t groupes, bool adressesOctets)
{
    return r.Octets ? groupes : groupes * (adressesOctets ? 2u : 1u);
}

} // namespace

// --- Listing ---

TListingGpasm LitListing(std::string_view texte, std::string_view fichier, const TLignesInclude& lignesDe)
{
    TListingGpasm l;
    TLignes lignes(texte);
    std::string_view ligne;
    if (!lignes.Suivante(ligne) || ligne.substr(0, 5) != "gpasm")
        return l;
    l.Gpasm = true;
    l.Titre = Titre(ligne);
    const std::string_view fichierTitre = NomSansDossier(l.Titre);
    const bool titreExact = !fichierTitre.empty() && MemeMot(fichierTitre, fichier);
    const bool titreCoupe = l.Titre.size() >= 13 && PrefixeSansCasse(fichierTitre, fichier);

    std::vector<TCadre> cadres(1);
    std::map<std::int32_t, TCodeListing> lignesTitre, lignesInclus;
    bool inclusVu = false;

    std::unordered_map<std::string, std::optional<std::int32_t>> comptes;
    int lectures = 0;
    auto compte = [&](std::size_t i) -> std::optional<std::int32_t> {
        const TCadre& c = cadres[i];
        if (i == 0 || c.Anonyme || !lignesDe)
            return std::nullopt;
        if (auto it = comptes.find(c.Nom); it != comptes.end())
            return it->second;
        if (lectures >= ComptesMax)
            return std::nullopt;
        ++lectures;
        return comptes[c.Nom] = lignesDe(c.Nom);
    };

    // Which file a numbered line is in. Numbers only grow within a file, one
    // past the last is its next line; a return to a parent continues the
    // parent's numbers. The exceptions: NOLIST gaps, while loops listing
    // their body again, and includes hidden by NOLIST whose lines show.
    // Returns whether the line is seen for the first time.
    auto place = [&](std::int32_t n) {
        const std::size_t t = cadres.size() - 1;
        auto peut = [&](std::size_t i) {
            const auto c = compte(i);
            return !c || n <= *c;
        };
        auto parentSuivant = [&]() -> std::size_t {
            for (std::size_t i = t; i-- > 0;)
                if (n == cadres[i].Dernier + 1)
                    return i;
            return t;
        };
        TCadre& haut = cadres[t];
        if (n == haut.Dernier + 1) {
            // Both the include and a parent go on with n: the include's length decides.
            if (const std::size_t p = parentSuivant(); p != t && !peut(t))
                cadres.resize(p + 1);
        } else if (haut.Boucles > 0 && n > haut.BoucleDe && n <= haut.Dernier) {
            // another pass of a while loop
        } else if (const std::size_t p = parentSuivant(); p != t) {
            cadres.resize(p + 1);
        } else if (n > haut.Dernier && peut(t)) {
            // lines left out by NOLIST
        } else if (n == 1) {
            if (cadres.size() < ProfondeurMax) {
                TCadre c;
                c.Anonyme = true;
                cadres.push_back(c);
            }
        } else {
            for (std::size_t i = t; i-- > 0;)
                if (cadres[i].Dernier < n && peut(i)) {
                    cadres.resize(i + 1);
                    break;
                }
        }
        TCadre& c = cadres.back();
        const bool premiere = n > c.Dernier;
        if (premiere)
            c.Dernier = n;
        return premiere;
    };

    std::map<std::int32_t, TCodeListing>* proprio = nullptr;
    std::int32_t ligneProprio = 0;
    std::int32_t section = -1;
    std::unordered_map<std::string, std::int32_t> indexSections;
    bool locVu = false;
    std::uint64_t finPrecedent = 0;
    bool precedentOk = false;
    bool configPrecedent = false, idlocsPrecedent = false;

    auto ouvreSection = [&](std::string nom, bool absolue, bool code) {
        if (!nom.empty()) {
            if (auto it = indexSections.find(nom); it != indexSections.end()) {
                section = it->second;
                return;
            }
            indexSections.emplace(nom, std::int32_t(l.Sections.size()));
        }
        TSectionListing s;
        s.Nom = std::move(nom);
        s.Absolue = absolue;
        s.Code = code;
        section = std::int32_t(l.Sections.size());
        l.Sections.push_back(std::move(s));
    };

    // Section directives, org and includes act on macro lines too.
    auto directives = [&](const TSource& src) {
        if (EstDirectiveSection(src.Directive)) {
            l.Relogeable = true;
            std::string nom(src.Etiquette);
            if (nom.empty()) {
                nom = ".";
                for (char ch : src.Directive)
                    nom += Minuscule(ch);
                if (nom == ".code_pack")
                    nom = ".code"; // gpasm's name for an unnamed code_pack
            }
            const bool code = MemeMot(src.Directive, "code") || MemeMot(src.Directive, "code_pack");
            ouvreSection(std::move(nom), !src.Reste.empty() && src.Reste[0] != ';', code);
        } else if (MemeMot(src.Directive, "org")) {
            // Relocatable: an absolute section named after the address, known
            // from the next LOC.
            ouvreSection(std::string(), true, true);
        } else if (EstInclude(src.Directive)) {
            const std::string_view nom = NomInclus(src.Reste);
            if (!nom.empty() && cadres.size() < ProfondeurMax) {
                TCadre c;
                c.Nom = std::string(nom);
                c.Fichier = std::string(NomSansDossier(nom));
                c.Voulu = MemeMot(c.Fichier, fichier);
                inclusVu = inclusVu || c.Voulu;
                cadres.push_back(std::move(c));
            }
        }
    };

    auto ajouteCode = [&](const TColonnes& c, std::uint64_t loc, bool config, bool idlocs) {
        const std::uint64_t unites = c.Octets ? c.Groupes.size() : c.Groupes.size() * (l.AdressesOctets ? 2u : 1u);
        const std::int32_t sec = config ? -1 : section;
        if (sec >= 0) {
            TSectionListing& s = l.Sections[std::size_t(sec)];
            s.Fin = std::uint32_t(std::min<std::uint64_t>(std::max<std::uint64_t>(s.Fin, loc + unites), UINT32_MAX));
        }
        finPrecedent = loc + unites;
        precedentOk = true;
        configPrecedent = config;
        idlocsPrecedent = idlocs;
        if (!proprio)
            return;
        TCodeListing& r = (*proprio)[ligneProprio];
        if (r.Valeurs.empty()) {
            r.Section = sec;
            r.Loc = std::uint32_t(loc);
            r.Octets = c.Octets;
            r.Config = config;
            r.IdLocs = idlocs;
        } else if (r.Octets != c.Octets || r.Config != config || r.Section != sec ||
                   std::uint64_t(r.Loc) + Unites(r, r.Valeurs.size(), l.AdressesOctets) != loc) {
            proprio = nullptr; // code elsewhere: the line's code stops here
            return;
        }
        for (std::string_view g : c.Groupes) {
            std::string v(g);
            for (char& ch : v)
                if (ch >= 'a' && ch <= 'f')
                    ch = char(ch - 'a' + 'A');
            r.Valeurs.push_back(std::move(v));
        }
    };

    while (lignes.Suivante(ligne)) {
        if (ligne.substr(0, 12) == "SYMBOL TABLE")
            break;
        const TColonnes c = Analyse(ligne);
        if (c.Genre == TGenre::Autre)
            continue;
        if (c.ALoc) {
            if (!locVu)
                l.AdressesOctets = c.ChiffresLoc >= 6;
            locVu = true;
            if (section >= 0 && l.Sections[std::size_t(section)].Nom.empty()) {
                const std::string nom = ".org_" + HexMinuscule(c.Loc);
                if (auto it = indexSections.find(nom); it != indexSections.end()) {
                    section = it->second;
                } else {
                    l.Sections[std::size_t(section)].Nom = nom;
                    indexSections.emplace(nom, section);
                }
            }
        }
        bool config = false, idlocs = false;
        // Code continuation lines follow their line's code and nothing else.
        if (c.Genre != TGenre::SuiteCode)
            precedentOk = false;
        if (c.Genre == TGenre::Numero) {
            const bool premiere = place(c.Numero);
            const std::size_t haut = cadres.size() - 1;
            const TCadre& cadre = cadres[haut];
            std::map<std::int32_t, TCodeListing>* cible =
                haut == 0 ? &lignesTitre : (cadre.Voulu ? &lignesInclus : nullptr);
            proprio = nullptr;
            if (cible) {
                auto it = cible->find(c.Numero);
                if (it == cible->end() || it->second.Valeurs.empty()) {
                    proprio = cible;
                    ligneProprio = c.Numero;
                }
            }
            const TSource src = Decoupe(c.Texte);
            if (premiere) {
                TCadre& f = cadres.back();
                if (MemeMot(src.Directive, "while")) {
                    if (f.Boucles++ == 0)
                        f.BoucleDe = c.Numero;
                } else if (MemeMot(src.Directive, "endw") && f.Boucles > 0) {
                    --f.Boucles;
                }
            }
            if (c.ALoc && !src.Etiquette.empty() && section >= 0 && !cadre.Anonyme)
                l.Sections[std::size_t(section)].Etiquettes.push_back(
                    {std::string(src.Etiquette), haut == 0 ? std::string() : cadre.Fichier, c.Loc});
            config = MemeMot(src.Directive, "__config") || MemeMot(src.Directive, "__idlocs");
            idlocs = MemeMot(src.Directive, "__idlocs");
            directives(src);
        } else if (c.Genre == TGenre::Macro) {
            const TSource src = Decoupe(c.Texte);
            config = MemeMot(src.Directive, "__config") || MemeMot(src.Directive, "__idlocs");
            idlocs = MemeMot(src.Directive, "__idlocs");
            directives(src);
        }
        if (c.Groupes.empty())
            continue;
        if (c.Genre == TGenre::SuiteCode) {
            if (precedentOk)
                ajouteCode(c, finPrecedent, configPrecedent, idlocsPrecedent);
        } else if (c.ALoc) {
            ajouteCode(c, c.Loc, config, idlocs);
        }
    }
    if (titreExact) {
        l.Lignes = std::move(lignesTitre);
        l.Trouve = true;
    } else if (inclusVu) {
        l.Lignes = std::move(lignesInclus);
        l.Trouve = true;
    } else if (titreCoupe) {
        l.Lignes = std::move(lignesTitre);
        l.Trouve = true;
    }
    // Config lines of an absolute listing hold real values at real addresses.
    if (!l.Relogeable)
        for (auto& [n, r] : l.Lignes)
            r.Config = r.IdLocs = false;
    return l;
}

// --- Map ---

std::string TexteCode(std::string_view section, std::uint32_t adresse, bool octets,
                      const std::vector<std::string>& valeurs)
{
    std::string t = "'";
    t += section;
    t += "' $";
    t += HexMajuscule(adresse, 8);
    t += " (";
    t += std::to_string(valeurs.size());
    t += octets ? " octet" : " mot";
    if (valeurs.size() > 1)
        t += 's';
    t += ") :";
    for (const std::string& v : valeurs) {
        t += ' ';
        t += v;
    }
    return t;
}

std::optional<std::uint32_t> BaseSection(const TListingGpasm& listing, std::int32_t section, std::string_view souche,
                                         const TCarteGplink& carte)
{
    if (section < 0 || std::size_t(section) >= listing.Sections.size())
        return std::nullopt;
    const TSectionListing& s = listing.Sections[std::size_t(section)];
    std::unordered_set<std::string_view> essayees; // each name once: the map may repeat it
    for (const TEtiquetteListing& e : s.Etiquettes) {
        if (!essayees.insert(e.Nom).second)
            continue;
        auto it = std::lower_bound(carte.Symboles.begin(), carte.Symboles.end(), e.Nom,
                                   [](const TSymboleCarte& a, const std::string& nom) { return a.Nom < nom; });
        for (; it != carte.Symboles.end() && it->Nom == e.Nom; ++it) {
            const bool memeFichier = e.Fichier.empty() ? MemeMot(Souche(it->Fichier), souche)
                                                       : MemeMot(NomSansDossier(it->Fichier), e.Fichier);
            if (memeFichier && !it->Fichier.empty())
                return it->Adresse - e.Loc;
        }
    }
    // PIC12/14 program memory: LOC in words, the map's sizes in bytes.
    const std::uint64_t parUnite = s.Code && !listing.AdressesOctets ? 2 : 1;
    for (const TSectionCarte& m : carte.Sections)
        if (m.Nom == s.Nom)
            return std::uint64_t(m.Taille) == std::uint64_t(s.Fin) * parUnite ? std::optional(m.Adresse) : std::nullopt;
    return std::nullopt;
}

std::string CodeDeLigne(const TListingGpasm& listing, std::int64_t ligne, std::string_view souche,
                        const TCarteGplink* carte, const TImageHex* image)
{
    const auto it = ligne < 1 || ligne > INT32_MAX ? listing.Lignes.end() : listing.Lignes.find(std::int32_t(ligne));
    if (it == listing.Lignes.end() || it->second.Valeurs.empty())
        return std::string(PasDeCodeTrouve);
    const TCodeListing& r = it->second;
    std::string nom = "CODE";
    std::uint32_t adresse = r.Loc;
    bool placee = true;   // the address is in program memory's terms
    bool programme = true;
    if (r.Config) {
        // gplink's section for it, else the name gpasm gives it.
        const std::uint64_t parUnite = listing.AdressesOctets ? 1 : 2;
        bool trouve = false;
        if (carte)
            for (const TSectionCarte& m : carte->Sections)
                if (m.Lieu == "program" && m.Adresse <= r.Loc && r.Loc < std::uint64_t(m.Adresse) + m.Taille / parUnite) {
                    nom = m.Nom;
                    trouve = true;
                    break;
                }
        if (!trouve) {
            if (r.IdLocs) {
                nom = ".idlocs";
            } else {
                // .config_2007_DEMO.O: the address, then the object's name in capitals.
                nom = ".config_" + HexMajuscule(r.Loc, int(HexMinuscule(r.Loc).size())) + "_";
                for (char ch : souche)
                    nom += ch >= 'a' && ch <= 'z' ? char(ch - 'a' + 'A') : ch;
                nom += ".O";
            }
        }
    } else if (listing.Relogeable && r.Section >= 0 && std::size_t(r.Section) < listing.Sections.size()) {
        const TSectionListing& s = listing.Sections[std::size_t(r.Section)];
        nom = s.Nom;
        programme = s.Code;
        if (!s.Absolue) {
            const auto base = carte ? BaseSection(listing, r.Section, souche, *carte) : std::nullopt;
            placee = base.has_value();
            if (base)
                adresse = *base + r.Loc;
        }
    }

    std::vector<std::string> valeurs = r.Valeurs;
    if (image && placee && programme) {
        for (std::size_t i = 0; i < valeurs.size(); ++i) {
            std::string& v = valeurs[i];
            if (!r.Config && v.find('?') == std::string::npos)
                continue;
            std::optional<unsigned> lu;
            if (!r.Octets) {
                const std::uint64_t mot = std::uint64_t(adresse) + i * (listing.AdressesOctets ? 2u : 1u);
                if (const auto m = image->Mot(listing.AdressesOctets ? mot : mot * 2))
                    lu = *m;
            } else if (listing.AdressesOctets) {
                if (const auto o = image->Octet(std::uint64_t(adresse) + i))
                    lu = *o;
            }
            if (!lu)
                continue;
            const std::string h = HexMajuscule(*lu, int(v.size()));
            // The listing's known digits must agree, or the image is not this build's.
            bool accord = true;
            for (std::size_t k = 0; k < v.size() && !r.Config; ++k)
                accord = accord && (v[k] == '?' || v[k] == h[k]);
            if (accord)
                v = h;
        }
    }
    return TexteCode(nom, adresse, r.Octets, valeurs);
}

// --- From the project's files ---

namespace {

std::int32_t CompteLignes(const std::string& t)
{
    std::int64_t n = std::count(t.begin(), t.end(), '\n');
    if (!t.empty() && t.back() != '\n')
        ++n;
    return std::int32_t(std::min<std::int64_t>(n, INT32_MAX));
}

} // namespace

std::optional<std::string> CodeParListing(const TFichiersScan& fs, const std::string& makeName,
                                          const std::string& sourceName, std::int32_t lineId)
{
    if (sourceName.empty() || !fs.Chemin || !fs.Lit || !fs.Existe)
        return std::nullopt;
    const std::string nomListing = AvecExtension(std::string(NomSansDossier(sourceName)), ".lst");
    std::string texte;
    if (!fs.Lit(fs.Chemin(nomListing), texte))
        return std::nullopt;
    if (texte.compare(0, 5, "gpasm") != 0)
        return std::nullopt;

    const TLignesInclude lignesDe = [&fs](std::string_view nom) -> std::optional<std::int32_t> {
        std::string chemin(nom);
        std::replace(chemin.begin(), chemin.end(), '\\', '/');
        chemin = fs.Chemin(chemin);
        std::string contenu;
        if (!fs.Existe(chemin) || !fs.Lit(chemin, contenu))
            return std::nullopt;
        return CompteLignes(contenu);
    };
    const TListingGpasm listing = LitListing(texte, NomSansDossier(sourceName), lignesDe);
    if (!listing.Trouve)
        return std::nullopt;

    const std::int64_t ligne = std::int64_t(lineId) + 1;
    const auto it = ligne < 1 || ligne > INT32_MAX ? listing.Lignes.end() : listing.Lignes.find(std::int32_t(ligne));
    if (it == listing.Lignes.end() || it->second.Valeurs.empty())
        return std::string(PasDeCodeTrouve);

    // The map and the image only when the line needs them.
    std::optional<TCarteGplink> carte;
    std::optional<TImageHex> image;
    if (!makeName.empty()) {
        const TCodeListing& r = it->second;
        std::string lu;
        if (listing.Relogeable && fs.Lit(fs.Chemin(AvecExtension(makeName, ".map")), lu))
            carte = LitCarte(lu);
        const bool inconnues = std::any_of(r.Valeurs.begin(), r.Valeurs.end(),
                                           [](const std::string& v) { return v.find('?') != std::string::npos; });
        if ((inconnues || r.Config) && fs.Lit(fs.Chemin(AvecExtension(makeName, ".hex")), lu))
            image = LitHex(lu);
    }
    return CodeDeLigne(listing, ligne, Souche(nomListing), carte ? &*carte : nullptr, image ? &*image : nullptr);
}

} // namespace kep
