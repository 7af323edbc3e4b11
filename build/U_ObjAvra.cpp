#include "build/U_ObjAvra.h"
#include "build/U_ListingGpasm.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstdio>

namespace kep {

namespace {

// The header: two offsets, the record size, the number of files, the name.
constexpr std::string_view Signature{"AVR Object File\0", 16};
constexpr std::size_t TailleEntete = 10 + Signature.size();
constexpr std::size_t TailleEnreg = 9;
// Record file indexes are one byte: entries past these are never named.
constexpr std::size_t FichiersMax = 256;
// Sources named by the make file whose object files are tried, at most.
constexpr int SourcesMax = 32;

std::uint32_t BigEndian(std::string_view o, std::size_t at, int n)
{
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | static_cast<unsigned char>(o[at + std::size_t(i)]);
    return v;
}

std::string_view NomSansDossier(std::string_view nom)
{
    const auto p = nom.find_last_of("/\\");
    return p == std::string_view::npos ? nom : nom.substr(p + 1);
}

std::string AvecExtension(const std::string& nom, std::string_view ext)
{
    const std::string_view fichier = NomSansDossier(nom);
    const auto point = fichier.rfind('.');
    const std::size_t garde = point == std::string_view::npos ? nom.size() : nom.size() - fichier.size() + point;
    return nom.substr(0, garde) + std::string(ext);
}

std::string Slashes(std::string_view nom)
{
    std::string s(nom);
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}

// The name-table entries that are `source`: those naming the same file when
// any does, else those with its file part. `exact` tells which.
std::vector<bool> Entrees(const TObjAvra& obj, const TFichiersScan& fs, const std::string& source, bool& exact)
{
    const std::string complet = fs.Chemin(Slashes(source));
    const std::string_view partie = NomSansDossier(source);
    std::vector<bool> memePartie(obj.Fichiers.size()), memeFichier(obj.Fichiers.size());
    bool partieVue = false;
    exact = false;
    for (std::size_t i = 0; i < obj.Fichiers.size(); ++i) {
        if (!SamePath(NomSansDossier(obj.Fichiers[i]), partie))
            continue;
        memePartie[i] = partieVue = true;
        if (SamePath(fs.Chemin(Slashes(obj.Fichiers[i])), complet))
            memeFichier[i] = exact = true;
    }
    if (exact)
        return memeFichier;
    return partieVue ? memePartie : std::vector<bool>{};
}

bool CaractereDeNom(char c)
{
    return static_cast<unsigned char>(c) >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z') || c == '_' || c == '-' || c == '.' || c == '/' || c == '\\';
}

// The .asm files a make file's text names, in order, each once.
std::vector<std::string> SourcesNommees(std::string_view texte)
{
    std::vector<std::string> noms;
    std::size_t i = 0;
    while (i < texte.size() && noms.size() < std::size_t(SourcesMax)) {
        while (i < texte.size() && !CaractereDeNom(texte[i]))
            ++i;
        const std::size_t debut = i;
        while (i < texte.size() && CaractereDeNom(texte[i]))
            ++i;
        const std::string_view mot = texte.substr(debut, i - debut);
        const std::string_view partie = NomSansDossier(mot);
        if (partie.size() > 4 && SamePath(partie.substr(partie.size() - 4), ".asm") &&
            std::none_of(noms.begin(), noms.end(), [mot](const std::string& n) { return SamePath(n, mot); }))
            noms.emplace_back(mot);
    }
    return noms;
}

} // namespace

TObjAvra LitObjAvra(std::string_view o)
{
    TObjAvra obj;
    if (o.size() < TailleEntete || o.substr(10, Signature.size()) != Signature)
        return obj;
    obj.Avra = true;
    const std::uint64_t noms = BigEndian(o, 0, 4);
    const std::uint64_t premier = BigEndian(o, 4, 4);
    const std::size_t taille = static_cast<unsigned char>(o[8]);
    // Records run up to the name table, or to the end when its offset lies.
    const std::uint64_t fin = noms >= premier && noms <= o.size() ? noms : o.size();
    if (taille >= TailleEnreg && premier >= TailleEntete && premier <= fin) {
        obj.Enregs.reserve(std::size_t((fin - premier) / taille));
        for (std::uint64_t p = premier; fin - p >= taille; p += taille) {
            const std::size_t at = std::size_t(p);
            TEnregObjAvra e;
            e.Adresse = BigEndian(o, at, 3);
            e.Valeur = std::uint16_t(BigEndian(o, at + 3, 2));
            e.Fichier = std::uint8_t(o[at + 5]);
            e.Ligne = std::uint16_t(BigEndian(o, at + 6, 2));
            e.Macro = o[at + 8] != 0;
            obj.Enregs.push_back(e);
        }
    }
    if (noms >= TailleEntete && noms < o.size()) {
        // Zero-terminated names up to an empty one; a name cut by the end
        // of the bytes may be cut short, so it is left out.
        for (std::size_t p = std::size_t(noms); p < o.size() && obj.Fichiers.size() < FichiersMax;) {
            const std::size_t zero = o.find('\0', p);
            if (zero == std::string_view::npos || zero == p)
                break;
            obj.Fichiers.emplace_back(o.substr(p, zero - p));
            p = zero + 1;
        }
    }
    return obj;
}

std::string CodeDeLigneAvra(const TObjAvra& obj, const std::vector<bool>& fichiers, std::int64_t ligne)
{
    auto vise = [&](const TEnregObjAvra& e) {
        return e.Ligne == ligne && e.Fichier < fichiers.size() && fichiers[e.Fichier];
    };
    const auto debut = ligne < 1 ? obj.Enregs.end() : std::find_if(obj.Enregs.begin(), obj.Enregs.end(), vise);
    if (debut == obj.Enregs.end())
        return std::string(PasDeCodeTrouve);
    // The line's words as written; an .org inside a macro, or the same
    // include placed twice, starts another run that is not this one.
    std::vector<std::string> valeurs;
    std::uint32_t attendue = debut->Adresse;
    for (auto it = debut; it != obj.Enregs.end() && vise(*it) && it->Adresse == attendue; ++it, ++attendue) {
        char h[5];
        std::snprintf(h, sizeof h, "%04X", unsigned(it->Valeur));
        valeurs.emplace_back(h);
    }
    return TexteCode(SegmentCodeAvra, debut->Adresse, false, valeurs);
}

std::optional<std::string> CodeParObjAvra(const TFichiersScan& fs, const std::string& makeName,
                                          const std::string& sourceName, std::int32_t lineId)
{
    if (sourceName.empty() || !fs.Chemin || !fs.Lit)
        return std::nullopt;
    std::vector<std::string> essayes;
    TObjAvra retenu;
    std::vector<bool> fichiers;
    // True when the object file names the source itself: no further search.
    auto essaie = [&](const std::string& nom) {
        const std::string chemin = fs.Chemin(Slashes(nom));
        if (std::any_of(essayes.begin(), essayes.end(), [&](const std::string& c) { return SamePath(c, chemin); }))
            return false;
        essayes.push_back(chemin);
        std::string octets;
        if (!fs.Lit(chemin, octets))
            return false;
        TObjAvra obj = LitObjAvra(octets);
        bool exact = false;
        std::vector<bool> marques = obj.Avra ? Entrees(obj, fs, sourceName, exact) : std::vector<bool>{};
        if (marques.empty())
            return false;
        if (exact || fichiers.empty()) {
            retenu = std::move(obj);
            fichiers = std::move(marques);
        }
        return exact;
    };
    bool trouve = essaie(AvecExtension(sourceName, ".obj"));
    if (!trouve && !makeName.empty()) {
        trouve = essaie(AvecExtension(makeName, ".obj"));
        // An include is listed in the object file of the source that
        // includes it, which need not be named after the make file.
        std::string texte;
        if (!trouve && fs.Lit(fs.Chemin(Slashes(makeName)), texte))
            for (const std::string& source : SourcesNommees(texte))
                if ((trouve = essaie(AvecExtension(source, ".obj"))))
                    break;
    }
    if (fichiers.empty())
        return std::nullopt;
    return CodeDeLigneAvra(retenu, fichiers, std::int64_t(lineId) + 1);
}

} // namespace kep
