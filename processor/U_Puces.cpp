#include "processor/U_Puces.h"

#include "platform/AsciiText.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"
#include "platform/SortieProgramme.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>

namespace kep {

namespace {

bool Ident(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The line without its comment (";" outside quotes).
std::string_view SansCommentaire(std::string_view line)
{
    return line.substr(0, CommentStart(line));
}

// Splits at blanks, keeping "<...>" and "..." whole.
std::vector<std::string_view> Mots(std::string_view s)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        if (i >= s.size())
            break;
        const std::size_t start = i;
        const char close = s[i] == '"' ? '"' : s[i] == '<' ? '>' : 0;
        if (close) {
            const std::size_t end = s.find(close, i + 1);
            i = end == std::string_view::npos ? s.size() : end + 1;
        } else {
            while (i < s.size() && s[i] != ' ' && s[i] != '\t')
                ++i;
        }
        out.push_back(s.substr(start, i - start));
    }
    return out;
}

std::string_view SansGuillemets(std::string_view s)
{
    if (s.size() >= 2 && ((s.front() == '"' && s.back() == '"') || (s.front() == '<' && s.back() == '>')))
        return s.substr(1, s.size() - 2);
    return s;
}

// "p=16f628a" among the options of a list line, blanks allowed around "=".
std::string PuceDeList(std::string_view options)
{
    std::size_t i = 0;
    while (i <= options.size()) {
        std::size_t end = options.find(',', i);
        if (end == std::string_view::npos)
            end = options.size();
        const std::string_view opt = Trim(options.substr(i, end - i));
        const std::size_t eq = opt.find('=');
        if (eq != std::string_view::npos && LowerAscii(Trim(opt.substr(0, eq))) == "p")
            return std::string(Trim(opt.substr(eq + 1)));
        i = end + 1;
    }
    return {};
}

// A file name of a folder as the disk spells it, ignoring case, from the
// folder's list kept until the folder changes: every source that opens asks
// for the table its first line names, which is mostly not a table at all.
std::string NomSurDisque(const std::string& dossier, const std::string& nom)
{
    struct TListe {
        std::int64_t Date = -1, LuLe = 0;
        std::map<std::string, std::string> Noms;
    };
    static std::mutex verrou;
    static std::map<std::string, TListe> listes;
    const std::int64_t date = FileModTimeNs(dossier);
    const std::int64_t maintenant =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    std::lock_guard<std::mutex> lock(verrou);
    if (listes.size() > 8)
        listes.clear();
    TListe& l = listes[dossier];
    // A folder's date moves by clock ticks of a few milliseconds: a list read
    // within a second of the last change may miss a file added in the same
    // tick, and is read again.
    if (l.Date != date || l.LuLe - date < 1000000000) {
        l = TListe{date, maintenant, {}};
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(dossier, ec)) {
            const std::string n = e.path().filename().string();
            l.Noms.try_emplace(LowerAscii(n), n);
        }
    }
    const auto it = l.Noms.find(LowerAscii(nom));
    return it == l.Noms.end() ? std::string() : it->second;
}

} // namespace

std::string DebutFichier(const std::string& chemin, std::size_t octets)
{
    std::string out;
    FILE* f = std::fopen(chemin.c_str(), "rb");
    if (!f)
        return out;
    out.resize(octets);
    out.resize(std::fread(out.data(), 1, octets, f));
    std::fclose(f);
    return out;
}

std::string_view TableDeFamille(TFamille f)
{
    switch (f) {
    case TFamille::Pic12: return "p12";
    case TFamille::Pic14: return "p16";
    case TFamille::Pic14E: return "p16e";
    case TFamille::Pic18: return "p18";
    case TFamille::Avr: return "avr";
    case TFamille::Aucune: break;
    }
    return {};
}

// ---------------------------------------------------------------------------
// Catalogue

std::string TCataloguePuces::Cle(std::string_view puce)
{
    std::string k = LowerAscii(Trim(puce));
    auto digitAt = [&](std::size_t i) { return i < k.size() && std::isdigit(static_cast<unsigned char>(k[i])); };
    if (k.rfind("pic", 0) == 0 && digitAt(3))
        k.erase(0, 3);
    else if (k.rfind("p", 0) == 0 && digitAt(1))
        k.erase(0, 1);
    return k;
}

void TCataloguePuces::AjouteListeGpasm(TFamille f, std::string_view sortie)
{
    for (std::string_view mot : Mots(sortie)) {
        // Lists are columns separated by blanks and line ends.
        std::size_t i = 0;
        while (i < mot.size()) {
            std::size_t j = i;
            while (j < mot.size() && mot[j] != '\n' && mot[j] != '\r')
                ++j;
            if (j > i) {
                const std::string cle = Cle(mot.substr(i, j - i));
                Puces_.try_emplace(cle, f);
                Noms_.try_emplace(cle, cle);
            }
            i = j + 1;
        }
    }
}

void TCataloguePuces::AjouteListeAvra(std::string_view sortie)
{
    // " ATmega328P   |      16384 | ..." under a two-line header.
    std::size_t i = 0;
    while (i < sortie.size()) {
        std::size_t end = sortie.find('\n', i);
        if (end == std::string_view::npos)
            end = sortie.size();
        const std::string_view line = sortie.substr(i, end - i);
        const std::size_t bar = line.find('|');
        if (bar != std::string_view::npos) {
            const std::string_view name = Trim(line.substr(0, bar));
            if (!name.empty() && std::all_of(name.begin(), name.end(), Ident)
                && std::any_of(name.begin(), name.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            {
                Puces_.try_emplace(Cle(name), TFamille::Avr);
                Noms_.try_emplace(Cle(name), std::string(name));
            }
        }
        i = end + 1;
    }
}

const TCataloguePuces& TCataloguePuces::Systeme()
{
    static TCataloguePuces c;
    static const bool pret = [] {
        std::string out;
        // Each list holds the more specific one: the enhanced cores first.
        const std::pair<const char*, TFamille> listes[] = {
            {"-l14e", TFamille::Pic14E}, {"-l14", TFamille::Pic14}, {"-l12", TFamille::Pic12}, {"-l16e", TFamille::Pic18}};
        for (const auto& [option, famille] : listes)
            if (CaptureSortie({"gpasm", option}, out))
                c.AjouteListeGpasm(famille, out);
        if (CaptureSortie({"avra", "--devices"}, out))
            c.AjouteListeAvra(out);
        return true;
    }();
    (void)pret;
    return c;
}

std::vector<std::string> TCataloguePuces::Noms() const
{
    std::vector<std::string> pics, avr;
    for (const auto& [cle, famille] : Puces_)
        (famille == TFamille::Avr ? avr : pics).push_back(Noms_.at(cle));
    pics.insert(pics.end(), avr.begin(), avr.end());
    return pics;
}

std::string TCataloguePuces::NomDe(std::string_view puce) const
{
    const auto it = Noms_.find(Cle(puce));
    return it == Noms_.end() ? std::string() : it->second;
}

TFamille TCataloguePuces::Famille(std::string_view puce) const
{
    const auto it = Puces_.find(Cle(puce));
    return it == Puces_.end() ? TFamille::Aucune : it->second;
}

std::string TCataloguePuces::DeviceDeFichier(const std::string& chemin)
{
    const std::string tete = DebutFichier(chemin, 16384);
    for (const TDirectivePuce& d : TrouveDirectivesPuce(tete, 200))
        if (d.Avra && !d.Puce.empty())
            return d.Puce;
    return {};
}

void TCataloguePuces::IndexeAvra() const
{
    std::call_once(AvraLu_, [this] {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(DossierAvra, ec)) {
            const std::string path = e.path().string();
            if (LowerAscii(e.path().extension().string()) != ".inc")
                continue;
            const std::string device = DeviceDeFichier(path);
            if (!device.empty())
                IncludesAvra_.try_emplace(Cle(device), path);
        }
    });
}

std::string TCataloguePuces::IncludeDe(std::string_view puce) const
{
    const TFamille f = Famille(puce);
    if (f == TFamille::Aucune)
        return {};
    if (f == TFamille::Avr) {
        IndexeAvra();
        const auto it = IncludesAvra_.find(Cle(puce));
        return it == IncludesAvra_.end() ? std::string() : it->second;
    }
    const std::string header = DossierGputils + "p" + Cle(puce) + ".inc";
    return FileExists(header) ? header : std::string();
}

// ---------------------------------------------------------------------------
// Directives

std::vector<TDirectivePuce> TrouveDirectivesPuce(std::string_view texte, int lignes)
{
    std::vector<TDirectivePuce> out;
    std::size_t i = 0;
    for (int n = 0; n < lignes && i < texte.size(); ++n) {
        std::size_t end = texte.find('\n', i);
        if (end == std::string_view::npos)
            end = texte.size();
        const std::vector<std::string_view> mots = Mots(SansCommentaire(texte.substr(i, end - i)));
        i = end + 1;
        // A directive may stand in column 1 or after a label.
        for (std::size_t k = 0; k < mots.size() && k < 2; ++k) {
            const std::string mot = LowerAscii(mots[k]);
            const bool suite = k + 1 < mots.size();
            TDirectivePuce d;
            if (mot == "list" && suite) {
                // "p = 16f628a, r = dec": the options without their blanks.
                std::string options;
                for (std::size_t j = k + 1; j < mots.size(); ++j)
                    options += std::string(mots[j]);
                d.Puce = PuceDeList(options);
            } else if (mot == "processor" && suite) {
                d.Puce = std::string(mots[k + 1]);
            } else if ((mot == "#include" || mot == "include") && suite) {
                d.Include = std::string(SansGuillemets(mots[k + 1]));
            } else if (mot == ".device" && suite) {
                d.Puce = std::string(mots[k + 1]);
                d.Avra = true;
            } else if (mot == ".include" && suite) {
                d.Include = std::string(SansGuillemets(mots[k + 1]));
                d.Avra = true;
            } else {
                continue;
            }
            if (!d.Puce.empty() || !d.Include.empty())
                out.push_back(std::move(d));
            break;
        }
    }
    return out;
}

std::string PuceDuMakeFile(const std::string& chemin)
{
    const std::string texte = DebutFichier(chemin, 65536);
    std::size_t i = 0;
    while (i < texte.size()) {
        std::size_t end = texte.find('\n', i);
        if (end == std::string::npos)
            end = texte.size();
        const std::string_view line(texte.data() + i, end - i);
        i = end + 1;
        const std::vector<std::string_view> mots = Mots(line);
        bool gpasm = false;
        for (std::size_t k = 0; k < mots.size(); ++k) {
            const std::string mot = LowerAscii(mots[k]);
            if (mot == "gpasm" || (mot.size() > 6 && mot.compare(mot.size() - 6, 6, "/gpasm") == 0))
                gpasm = true;
            else if (!gpasm)
                continue;
            else if ((mot == "-p" || mot == "--processor") && k + 1 < mots.size())
                return std::string(mots[k + 1]);
            else if (mot.size() > 2 && mot.rfind("-p", 0) == 0)
                return std::string(mots[k].substr(mot[2] == '=' ? 3 : 2));
            else if (mot.rfind("--processor=", 0) == 0)
                return std::string(mots[k].substr(12));
        }
    }
    return {};
}

// ---------------------------------------------------------------------------
// Names of a chip

std::vector<std::string> LitNomsPuce(std::string_view texte)
{
    std::vector<std::string> noms;
    auto nomValide = [](std::string_view s) {
        return !s.empty() && s.size() <= 64 && !std::isdigit(static_cast<unsigned char>(s[0]))
               && std::all_of(s.begin(), s.end(), Ident);
    };
    std::size_t i = 0;
    while (i < texte.size()) {
        std::size_t end = texte.find('\n', i);
        if (end == std::string_view::npos)
            end = texte.size();
        const std::string_view line = SansCommentaire(texte.substr(i, end - i));
        i = end + 1;
        const std::vector<std::string_view> mots = Mots(line);
        if (mots.size() < 2)
            continue;
        const std::string premier = LowerAscii(mots[0]);
        std::string_view nom;
        if (premier == ".equ" || premier == ".def" || premier == ".set") {
            // ".equ PORTB = 0x05", also written "PORTB=0x05".
            nom = mots[1].substr(0, mots[1].find('='));
        } else if (mots.size() >= 3 && LowerAscii(mots[1]) == "equ") {
            nom = mots[0];
        }
        if (nomValide(nom))
            noms.push_back(UpperAscii(nom));
    }
    std::sort(noms.begin(), noms.end());
    noms.erase(std::unique(noms.begin(), noms.end()), noms.end());
    return noms;
}

std::shared_ptr<const std::vector<std::string>> NomsDuFichierPuce(const std::string& chemin)
{
    struct TEntree {
        std::int64_t Date = 0;
        std::shared_ptr<const std::vector<std::string>> Noms;
    };
    static std::mutex verrou;
    static std::map<std::string, TEntree> cache;
    constexpr std::uint64_t Limite = 8u << 20;

    const std::int64_t date = FileModTimeNs(chemin);
    std::lock_guard<std::mutex> lock(verrou);
    if (const auto it = cache.find(chemin); it != cache.end() && it->second.Date == date)
        return it->second.Noms;
    auto noms = std::make_shared<std::vector<std::string>>();
    std::string texte;
    if (date != 0 && FileSize(chemin) <= Limite && ReadWholeFile(chemin, texte))
        *noms = LitNomsPuce(texte);
    // A session opens a handful of chips; a pathological one cannot make
    // the cache grow without end.
    if (cache.size() >= 64)
        cache.clear();
    cache[chemin] = TEntree{date, noms};
    return noms;
}

// ---------------------------------------------------------------------------
// Choice

namespace {

struct TResolu {
    std::string Puce, Include;
    TFamille Famille = TFamille::Aucune;
    bool Nomme = false; // a chip was named, known or not
};

// What one directive says, the include resolved as the assembler would: the
// source's folder first, then the tool chain's own folder.
TResolu Resout(const TDirectivePuce& d, const std::string& dossier, const TCataloguePuces& cat, int profondeur);

TResolu ResoutListe(const std::vector<TDirectivePuce>& ds, const std::string& dossier, const TCataloguePuces& cat,
                    int profondeur)
{
    TResolu premierInconnu;
    for (const TDirectivePuce& d : ds) {
        TResolu r = Resout(d, dossier, cat, profondeur);
        if (r.Famille != TFamille::Aucune)
            return r;
        if (r.Nomme && !premierInconnu.Nomme)
            premierInconnu = r;
    }
    return premierInconnu;
}

TResolu Resout(const TDirectivePuce& d, const std::string& dossier, const TCataloguePuces& cat, int profondeur)
{
    TResolu r;
    if (!d.Puce.empty()) {
        r.Puce = d.Puce;
        r.Nomme = true;
        r.Famille = cat.Famille(d.Puce);
        if (r.Famille != TFamille::Aucune)
            r.Include = cat.IncludeDe(d.Puce);
        return r;
    }
    std::string fichier = d.Include;
    std::replace(fichier.begin(), fichier.end(), '\\', '/');
    // The exact spellings first: looking for another case reads a whole
    // folder, and the source's folder may hold hundreds of files.
    const std::string systeme = d.Avra ? cat.DossierAvra : cat.DossierGputils;
    const bool absolu = !fichier.empty() && fichier[0] == '/';
    // A text not yet saved has no folder of its own.
    std::string local = absolu || dossier.empty() ? fichier : dossier + fichier;
    if (!absolu && dossier.empty())
        local.clear();
    const std::string nom = FileNameOf(fichier);
    std::string chemin;
    if (!local.empty() && FileExists(local)) {
        chemin = local;
    } else if (FileExists(systeme + nom)) {
        chemin = systeme + nom;
    } else {
        // Sources written on Windows spell their includes in any case.
        if (!local.empty() && !absolu) {
            local = ExpandName(dossier, fichier);
            if (FileExists(local))
                chemin = local;
        }
        if (chemin.empty())
            chemin = ExpandName(systeme, nom);
    }
    if (d.Avra) {
        const std::string device = TCataloguePuces::DeviceDeFichier(chemin);
        if (!device.empty()) {
            r = TResolu{device, chemin, cat.Famille(device), true};
            return r;
        }
    } else {
        // "p16f628a.inc" names its chip.
        std::string stem = FileNameOf(fichier);
        if (const auto dot = stem.rfind('.'); dot != std::string::npos)
            stem.erase(dot);
        const TFamille f = cat.Famille(stem);
        if (f != TFamille::Aucune && f != TFamille::Avr)
            return TResolu{stem, FileExists(chemin) ? chemin : cat.IncludeDe(stem), f, true};
    }
    // A project's own include may be where the chip is named.
    if (profondeur == 0 && FileExists(local) && FileSize(local) <= (1u << 20))
        return ResoutListe(TrouveDirectivesPuce(DebutFichier(local, 65536)), FolderOf(local), cat, 1);
    return r;
}

} // namespace

std::string FichierTableLigne0(const std::string& tabPath, std::string_view ligne0)
{
    std::string path = tabPath + std::string(TrimControls(ligne0));
    if (!path.empty() && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    const auto slash = path.find_last_of("/\\");
    const auto dot = path.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        path.erase(dot);
    path += ".tab";
    // Sources written on Windows name their table in any case.
    if (!FileExists(path) && !tabPath.empty() && path.compare(0, tabPath.size(), tabPath) == 0) {
        const std::string rest = path.substr(tabPath.size());
        if (rest.find_first_of("/\\") == std::string::npos && (tabPath.back() == '/' || tabPath.back() == '\\')) {
            const std::string spelled = NomSurDisque(tabPath, rest);
            return spelled.empty() ? path : tabPath + spelled;
        }
        std::string spelled = ExpandName(tabPath, rest);
        if (FileExists(spelled))
            return spelled;
    }
    return path;
}

TChoixTable ChoisitTable(std::string_view texte, const TContexteTable& ctx, const TCataloguePuces* cat)
{
    TChoixTable choix;
    const std::string_view ligne0 = texte.substr(0, texte.find('\n'));
    const std::string t0 = FichierTableLigne0(ctx.TabPath, ligne0);
    const bool parLigne0 = !TrimControls(ligne0).empty() && FileExists(t0) && !std::filesystem::is_directory(t0);
    const std::vector<TDirectivePuce> directives = TrouveDirectivesPuce(texte);
    const bool autres = !ctx.SourcePrincipale.empty() || !ctx.MakeFile.empty();
    if (parLigne0)
        choix.Table = t0;
    if (directives.empty() && (parLigne0 || !autres))
        return choix;
    const TCataloguePuces& catalogue = cat ? *cat : TCataloguePuces::Systeme();
    TResolu r = ResoutListe(directives, ctx.DossierSource, catalogue, 0);
    if (!r.Nomme && !ctx.SourcePrincipale.empty() && FileExists(ctx.SourcePrincipale))
        r = ResoutListe(TrouveDirectivesPuce(DebutFichier(ctx.SourcePrincipale, 65536)), FolderOf(ctx.SourcePrincipale),
                        catalogue, 0);
    if (!r.Nomme && !ctx.MakeFile.empty()) {
        const std::string puce = PuceDuMakeFile(ctx.MakeFile);
        if (!puce.empty()) {
            r = TResolu{puce, {}, catalogue.Famille(puce), true};
            if (r.Famille != TFamille::Aucune)
                r.Include = catalogue.IncludeDe(puce);
        }
    }
    if (!r.Nomme)
        return choix;
    choix.Puce = r.Puce;
    choix.Famille = r.Famille;
    if (parLigne0) {
        choix.Include = r.Include;
        return choix;
    }
    if (r.Famille == TFamille::Aucune) {
        choix.Message = "Processeur « " + r.Puce + " » inconnu de gpasm et d'avra : la table reste la même.";
        return choix;
    }
    choix.Include = r.Include;
    const std::string table = ctx.TabPath + std::string(TableDeFamille(r.Famille)) + ".tab";
    if (FileExists(table))
        choix.Table = table;
    else
        choix.Message = "Table « " + std::string(TableDeFamille(r.Famille)) + ".tab » absente du dossier des tables.";
    return choix;
}

} // namespace kep
