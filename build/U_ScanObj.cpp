#include "build/U_ScanObj.h"
#include "build/U_LignesTexte.h"
#include "build/U_ListingGpasm.h"
#include "build/U_ObjAvra.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"

#include <cstdio>
#include <optional>

namespace kep {

// ---- Reader ----------------------------------------------------------------------

bool TObjReader::Ouvre(const TFichiersScan& fs, const std::string& path)
{
    if (Data_ && path == Nom_)
        return true;
    Data_.reset();
    Nom_.clear();
    std::string bytes;
    if (!fs.Lit(path, bytes))
        return false;
    bytes.push_back('\0');
    Data_ = std::make_shared<const std::string>(std::move(bytes));
    Nom_ = path;
    Pos = Debut = Fin = 0;
    return true;
}

void TObjReader::Verifie(std::size_t n) const
{
    if (!Data_ || Pos > Taille() || Taille() - Pos < n)
        throw TFinFichier{};
}

std::uint8_t TObjReader::Octet()
{
    Verifie(1);
    return static_cast<std::uint8_t>((*Data_)[Pos++]);
}

std::uint16_t TObjReader::Mot()
{
    const std::uint16_t lo = Octet();
    return static_cast<std::uint16_t>(lo | Octet() << 8);
}

std::uint32_t TObjReader::U24()
{
    const std::uint32_t lo = Mot();
    return lo | std::uint32_t(Octet()) << 16;
}

std::uint32_t TObjReader::Long()
{
    const std::uint32_t lo = Mot();
    return lo | std::uint32_t(Mot()) << 16;
}

TLienObj TObjReader::Lien()
{
    TLienObj l;
    l.Offset = Long();
    const std::uint32_t len = Long();
    l.Longueur = len & 0x7FFFFFFFu;
    l.Drapeau = (len & 0x80000000u) != 0;
    return l;
}

std::string TObjReader::Chaine()
{
    Verifie(1);
    const std::string& d = *Data_;
    const std::size_t end = d.find('\0', Pos); // the added zero stops it at the latest
    std::string s = d.substr(Pos, end - Pos);
    Pos = end + 1;
    return s;
}

void TObjReader::Saute(std::size_t n)
{
    Verifie(n);
    Pos += n;
}

bool TObjReader::Entre(TLienObj lien) // a copy: it may be Prochain itself
{
    if (!Data_ || lien.Longueur == 0 || lien.Offset >= Taille())
        return false;
    // Chunks do not overlap, so a chain longer than the file can hold chunks
    // of 8 bytes is damaged; most such chains simply loop.
    if (++Pas_ > Taille() / 8 + 1)
        return false;
    if (Data_ == GardeFichier_ && lien.Offset == GardeOffset_)
        return false;
    if (++Lam_ == Puissance_) {
        GardeFichier_ = Data_;
        GardeOffset_ = lien.Offset;
        Puissance_ *= 2;
        Lam_ = 0;
    }
    Pos = lien.Offset;
    Prochain = Lien(); // throws when the chunk's link itself is cut
    Debut = Pos;
    Fin = Taille() - Debut < lien.Longueur ? Taille() : Debut + lien.Longueur;
    return true;
}

bool TObjReader::Debute(const TLienObj& lien)
{
    Pas_ = 0;
    GardeFichier_.reset();
    Puissance_ = 1;
    Lam_ = 0;
    return Entre(lien);
}

bool TObjReader::Suivant() { return Entre(Prochain); }

bool TObjReader::Continue(const TLienObj& lien) { return Entre(lien); }

// ---- Names and text ----------------------------------------------------------------

std::string ChangeExtension(const std::string& fileName, const std::string& ext)
{
    const auto dot = fileName.rfind('.');
    return (dot == std::string::npos ? fileName : fileName.substr(0, dot)) + ext;
}

namespace {

std::string Hex(std::uint64_t v, int digits)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "%0*llX", digits, static_cast<unsigned long long>(v));
    return buf;
}

// ---- Map file ----------------------------------------------------------------------

// The line at pos (without its end: CR, LF or CR LF); false at the end.
bool LigneMap(std::string_view t, std::size_t& pos, std::string_view& line)
{
    if (pos >= t.size())
        return false;
    std::size_t end = t.find_first_of("\r\n", pos);
    if (end == std::string_view::npos)
        end = t.size();
    line = t.substr(pos, end - pos);
    pos = end;
    if (pos < t.size() && t[pos] == '\r')
        ++pos;
    if (pos < t.size() && t[pos] == '\n')
        ++pos;
    return true;
}

// Finds the heading from pos and skips the two lines after it.
bool Rubrique(std::string_view t, std::size_t& pos, std::string_view heading)
{
    std::string_view line;
    while (LigneMap(t, pos, line)) {
        if (line.find(heading) != std::string_view::npos) {
            LigneMap(t, pos, line);
            LigneMap(t, pos, line);
            return true;
        }
    }
    return false;
}

// A segment-list line placing section `section` of `module`: its start.
bool LigneSegment(std::string_view l, const std::string& module, int section, std::uint32_t& start)
{
    const auto a1 = l.find('\'');
    if (a1 == std::string_view::npos)
        return false;
    const auto a2 = l.find('\'', a1 + 1);
    if (a2 == std::string_view::npos)
        return false;
    const auto dash = l.find('-', a2 + 1);
    if (dash == std::string_view::npos || dash < 9)
        return false;
    std::size_t p = dash - 9;
    while (p < l.size() && l[p] == ' ')
        ++p;
    std::uint32_t v = 0;
    const std::size_t first = p;
    for (; p < l.size() && texte::EstHex(l[p]); ++p)
        v = v << 4 | texte::ValHex(l[p]);
    if (p == first)
        return false;
    const std::size_t m = p + 12;
    if (m > l.size() || l.substr(m, module.size()) != module)
        return false;
    std::size_t q = m + module.size();
    if (q >= l.size() || l[q] != '[')
        return false;
    std::uint64_t n = 0;
    const std::size_t digits = ++q;
    for (; q < l.size() && l[q] >= '0' && l[q] <= '9' && q - digits < 10; ++q)
        n = n * 10 + static_cast<unsigned>(l[q] - '0');
    if (q == digits || q >= l.size() || l[q] != ']' || n != static_cast<std::uint64_t>(section))
        return false;
    start = v;
    return true;
}

// ---- Object module -----------------------------------------------------------------

struct TEnreg {
    std::uint32_t Maillon = 0;  // chunk number in the size-list chain
    std::uint16_t Offset = 0;   // of the first size entry in that chunk
    std::uint16_t Premiere = 0; // first line covered
    std::uint32_t Adresse = 0;
    std::uint8_t Drapeaux = 0;
    std::uint16_t Index = 0;    // section index
    std::uint32_t MaillonSuite = 0;
    std::uint16_t OffsetSuite = 0;
    std::uint16_t Derniere = 0; // last line covered
};

void LitEnreg(TObjReader& r, TEnreg& e)
{
    e.Maillon = r.U24();
    e.Offset = r.Mot();
    e.Premiere = r.Mot();
    e.Adresse = r.Long();
    r.Saute(1);
    e.Drapeaux = r.Octet();
    r.Saute(1);
    e.Index = r.Mot();
    e.MaillonSuite = r.U24();
    e.OffsetSuite = r.Mot();
    e.Derniere = r.Mot();
    r.Saute(r.Octet());
}

constexpr std::size_t kTailleEnreg = 24;

// Where the line records are read and where their sizes are: an indirection
// record moves both to another file.
struct TPosLignes {
    TObjReader& R;
    TLienObj& LienTailles;
    std::string& FichierTailles;
};

class TRecherche {
public:
    TRecherche(const TFichiersScan& fs, SLD_BOOKMARK& b) : Fs_(fs), B_(b) {}
    bool Cherche();

private:
    bool ModuleSuivant();
    bool LitEntete();
    bool CouvreLigne();
    bool SectionSuivante();
    bool EntreLignes(TPosLignes p, TLienObj lien, bool debut);
    bool EnregSuivant(TPosLignes p, TEnreg& e);
    std::uint32_t EntreeTaille(); // throws TFinChaine
    bool Tailles(const TEnreg& e, std::uint64_t& adresse, std::uint64_t& unites);
    bool PlaceSegment(std::int64_t offset);

    struct TFinChaine {};
    const TFichiersScan& Fs_;
    SLD_BOOKMARK& B_;
    TLienObj LienTable_; // the module's line table
};

bool TRecherche::ModuleSuivant()
{
    SLD_BOOKMARK& b = B_;
    b.ModuleOuvert = false;
    std::string_view line;
    for (;;) {
        // Blank lines between groups; the segment list ends the section.
        std::size_t at = b.PosDep;
        if (!LigneMap(b.TexteMap, at, line))
            return false;
        if (line.find("Segment List") != std::string_view::npos)
            return false;
        b.PosDep = at;
        if (line.empty())
            continue;
        b.Module = std::string(line);
        int position = 0, found = 0;
        while (LigneMap(b.TexteMap, b.PosDep, line) && !line.empty()) {
            ++position;
            if (!line.empty() && line[0] == ' ')
                line.remove_prefix(1);
            if (!found && SamePath(Fs_.Chemin(std::string(line)), b.Source))
                found = position;
        }
        if (!found)
            continue;
        b.PosFichier = found;
        if (!b.Entete.Ouvre(Fs_, Fs_.Chemin(b.Module)) || !LitEntete())
            continue;
        b.ModuleOuvert = true;
        if (CouvreLigne())
            return true;
    }
}

// The module's header: the links of its chains and its unit size. False
// without the end byte 0xFE.
bool TRecherche::LitEntete()
{
    SLD_BOOKMARK& b = B_;
    TObjReader& r = b.Entete;
    b.TailleUnite = 1;
    TLienObj sections, table;
    try {
        r.Pos = 0;
        r.Chaine();
        r.Saute(std::size_t(r.Octet()) + 4);
        for (;;) {
            switch (const std::uint8_t type = r.Octet()) {
            case 0xFE:
                b.LienSections = sections;
                LienTable_ = table;
                b.NbSections = 0;
                b.SectionOuverte = false;
                // A unit of no bytes would make every address meaningless.
                return b.TailleUnite != 0;
            case 0x75:
                sections = r.Lien();
                break;
            case 0x76:
                r.Saute(4);
                break;
            case 0x78:
                b.TailleUnite = r.Octet();
                r.Saute(3);
                break;
            case 0x7C: case 0x7E: case 0x7F: case 0xE6: case 0xEA:
                r.Saute(8);
                break;
            case 0xEB:
                table = r.Lien();
                break;
            default:
                (void)type;
                break;
            }
        }
    } catch (const TFinFichier&) {
        return false;
    }
}

// The line table: the last entry covering the wanted line gives the index
// of the section that holds its code.
bool TRecherche::CouvreLigne()
{
    SLD_BOOKMARK& b = B_;
    TObjReader& r = b.Entete;
    b.IndexSection = -1;
    if (!r.Debute(LienTable_))
        return false;
    r.Pos = r.Debut + 2;
    for (int n = 0;; ++n) {
        while (!r.Reste(7))
            if (!r.Suivant())
                return b.IndexSection >= 0;
        const int position = r.Mot() + 1;
        const int first = r.Mot();
        const int last = r.Mot();
        r.Saute(1);
        r.Chaine();
        if (position == b.PosFichier && first <= b.Ligne && (last == 0 || last > b.Ligne))
            b.IndexSection = n;
    }
}

bool TRecherche::SectionSuivante()
{
    SLD_BOOKMARK& b = B_;
    TObjReader& r = b.Entete;
    if (!(b.SectionOuverte ? r.Suivant() : r.Debute(b.LienSections)))
        return false;
    b.SectionOuverte = true;
    ++b.NbSections;
    r.Chaine();
    b.TypeSection = r.Octet() >> 5;
    r.Saute(1);
    b.BaseSection = r.Long();
    r.Saute(4);
    b.Segment = r.Chaine();
    if (const auto cut = b.Segment.find('\x02'); cut != std::string::npos)
        b.Segment.erase(cut);
    r.Saute(26);
    const TLienObj lignes = r.Lien();
    b.LienTailles = r.Lien();
    r.Saute(17);
    b.FichierTailles = b.Entete.Nom();
    // A section whose line records cannot be reached simply has none.
    if (!b.Lignes.Ouvre(Fs_, b.Entete.Nom()) || !EntreLignes({b.Lignes, b.LienTailles, b.FichierTailles}, lignes, true))
        b.Lignes = TObjReader{};
    return true;
}

// Enters a chunk of line records, through indirection records into other
// files; the position is then at the first record.
bool TRecherche::EntreLignes(TPosLignes p, TLienObj lien, bool debut)
{
    for (;;) {
        if (!(debut ? p.R.Debute(lien) : p.R.Continue(lien)))
            return false;
        debut = false;
        if (!lien.Drapeau) {
            p.R.Pos = p.R.Debut + 8;
            return true;
        }
        p.R.Saute(16);
        p.LienTailles = p.R.Lien();
        lien = p.R.Lien();
        const std::string name = FileNameOf(p.R.Chaine());
        p.FichierTailles = Fs_.Chemin(FolderOf(B_.NomMap) + name);
        if (!p.R.Ouvre(Fs_, p.FichierTailles))
            return false;
    }
}

// The next line record of the chain; false when the chain ends.
bool TRecherche::EnregSuivant(TPosLignes p, TEnreg& e)
{
    while (!p.R.Reste(kTailleEnreg))
        if (!EntreLignes(p, p.R.Prochain, false))
            return false;
    LitEnreg(p.R, e);
    return true;
}

std::uint32_t TRecherche::EntreeTaille()
{
    TObjReader& t = B_.Tailles;
    auto octet = [&t]() -> std::uint8_t {
        while (t.Pos >= t.Fin) {
            if (!t.Suivant())
                throw TFinChaine{};
            t.Pos = t.Debut + 8;
        }
        return t.Octet();
    };
    const std::uint8_t n = octet();
    if (n != 0xFF)
        return n;
    for (int i = 0; i < 4; ++i)
        octet();
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= std::uint32_t(octet()) << (8 * i);
    octet();
    return v;
}

// The size list of a record: the wanted line's address and units. False
// when the chain ends first.
bool TRecherche::Tailles(const TEnreg& e, std::uint64_t& adresse, std::uint64_t& unites)
{
    SLD_BOOKMARK& b = B_;
    TObjReader& t = b.Tailles;
    if (!t.Ouvre(Fs_, b.FichierTailles) || !t.Debute(b.LienTailles))
        return false;
    for (std::uint32_t k = 0; k < e.Maillon; ++k)
        if (!t.Suivant())
            return false;
    t.Pos = t.Debut + e.Offset;
    adresse = e.Adresse;
    try {
        for (int line = e.Premiere;; ++line) {
            if (line == e.Derniere) {
                unites = 0;
                return true;
            }
            const std::uint32_t n = EntreeTaille();
            if (line < b.Ligne) {
                adresse += std::uint64_t(n) * std::uint64_t(b.TailleUnite);
            } else {
                unites = n;
                return true;
            }
        }
    } catch (const TFinChaine&) {
        return false;
    }
}

// The segment-list line of the current section, from where the list was
// left; false at the list's end, which stays the position.
bool TRecherche::PlaceSegment(std::int64_t offset)
{
    SLD_BOOKMARK& b = B_;
    std::string_view line;
    for (;;) {
        const std::size_t at = b.PosSeg;
        if (!LigneMap(b.TexteMap, b.PosSeg, line) || line.empty()) {
            b.PosSeg = at;
            return false;
        }
        std::uint32_t start = 0;
        if (LigneSegment(line, b.Module, b.NbSections, start)) {
            b.Adresse = static_cast<std::uint32_t>(std::int64_t(start) + offset);
            return true;
        }
    }
}

bool TRecherche::Cherche()
{
    SLD_BOOKMARK& b = B_;
    while (ModuleSuivant()) {
        while (SectionSuivante()) {
            TEnreg e, f;
            for (;;) {
                // Step 3: a record of the section covering the line.
                if (!EnregSuivant({b.Lignes, b.LienTailles, b.FichierTailles}, e))
                    break;
                if (e.Index != b.IndexSection || e.Premiere > b.Ligne || b.Ligne > e.Derniere || (e.Drapeaux & 3) == 3)
                    continue;
                // Step 4: its follower, read without moving on.
                TObjReader suite = b.Lignes;
                TLienObj lienTailles = b.LienTailles;
                std::string fichierTailles = b.FichierTailles;
                if (!EnregSuivant({suite, lienTailles, fichierTailles}, f))
                    break;
                // A follower whose sizes start where the record's do: the
                // record has no sizes of its own.
                if (f.Offset == 0 || (f.Offset == e.Offset && f.Maillon == e.Maillon))
                    continue;
                std::uint64_t adresse = 0;
                if (!Tailles(e, adresse, b.NbUnites))
                    break;
                // The last line's size: up to the record the follower names.
                if (b.Ligne == e.Derniere && (e.Drapeaux & 0x80)) {
                    if (f.OffsetSuite == 0)
                        break;
                    bool ok = true;
                    for (std::uint32_t k = 0; k < f.MaillonSuite && ok; ++k)
                        ok = EntreLignes({suite, lienTailles, fichierTailles}, suite.Prochain, false);
                    if (!ok)
                        break;
                    suite.Pos = suite.Debut + f.OffsetSuite;
                    TEnreg g;
                    LitEnreg(suite, g);
                    if (g.Adresse < adresse)
                        break;
                    b.NbUnites = (g.Adresse - adresse) / std::uint64_t(b.TailleUnite);
                }
                const std::int64_t offset = (std::int64_t(adresse) - std::int64_t(b.BaseSection)) / b.TailleUnite;
                if (PlaceSegment(offset))
                    return true;
            }
        }
    }
    return false;
}

} // namespace

// ---- The look-up -------------------------------------------------------------------

std::string ValeursImage(std::string_view image, std::uint32_t adresse, std::uint64_t unites, int tailleUnite)
{
    const std::uint64_t us = tailleUnite > 0 ? std::uint64_t(tailleUnite) : 1;
    std::size_t pos = 0;
    auto u = [&](std::size_t at, int n) {
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i)
            v |= std::uint64_t(static_cast<unsigned char>(image[at + i])) << (8 * i);
        return v;
    };
    while (image.size() - pos >= 6) {
        const std::uint64_t start = u(pos, 4);
        const std::uint64_t len = u(pos + 4, 2);
        if (start == 0 && len == 0)
            break;
        const std::size_t data = pos + 6;
        const std::uint64_t first = start / us, end = (start + len) / us;
        if (adresse >= first && adresse < end) {
            std::string out = ":";
            for (std::uint64_t i = 0; i < unites; ++i) {
                const std::uint64_t unit = adresse + i;
                const std::uint64_t at = data + (unit - first) * us;
                if (unit >= end || at - data + us > len || at + us > image.size())
                    break;
                out += ' ';
                for (std::uint64_t k = 0; k < us; ++k)
                    out += Hex(static_cast<unsigned char>(image[at + k]), 2);
            }
            return out;
        }
        if (image.size() - data < len)
            break;
        pos = data + len;
    }
    return {};
}

std::string TrouveCode(const TFichiersScan& fs, const std::string& makeFile, const std::string& sourceFile,
                       std::int32_t lineId)
{
    SLD_BOOKMARK b;
    b.Source = fs.Chemin(ChangeExtension(FileNameOf(sourceFile), ".ASM"));
    b.Ligne = lineId + 1;
    b.NomMap = fs.Chemin(ChangeExtension(FileNameOf(makeFile), ".MAP"));
    const std::string image = fs.Chemin(ChangeExtension(FileNameOf(makeFile), ".COD"));
    const std::string mapName = FileNameOf(b.NomMap);

    // Tool chains without these files (gputils: gplink's map has no
    // dependencies; avra: its map, when asked for, lists symbols only) still
    // leave the assembler's listing or object file of the source.
    auto autreOutil = [&]() {
        if (std::optional<std::string> listed = CodeParListing(fs, makeFile, sourceFile, lineId))
            return listed;
        return CodeParObjAvra(fs, makeFile, sourceFile, lineId);
    };
    if (!fs.Existe(b.NomMap) || !fs.Lit(b.NomMap, b.TexteMap)) {
        if (std::optional<std::string> listed = autreOutil())
            return *listed;
        return "Fichier " + mapName + " absent";
    }
    if (!Rubrique(b.TexteMap, b.PosDep, "Dependencies")) {
        if (std::optional<std::string> listed = autreOutil())
            return *listed;
        // gplink names its listing after the program: a source of that name
        // loses gpasm's listing to it.
        const std::string listing = fs.Chemin(ChangeExtension(FileNameOf(sourceFile), ".lst"));
        std::string tete;
        if (fs.Lit(listing, tete) && tete.compare(0, 6, "gplink") == 0)
            return FileNameOf(listing) + " est le listing de gplink, qui a remplacé celui de gpasm : le source ne "
                                         "doit pas porter le nom du programme";
        return "Section \"Dependencies\" absente de " + mapName;
    }
    b.PosSeg = b.PosDep;
    if (!Rubrique(b.TexteMap, b.PosSeg, "Segment List"))
        return "Section \"Segment List\" absente de " + mapName;

    std::string text = "Pas de code trouvé";
    if (lineId < 0)
        return text;
    try {
        TRecherche search(fs, b);
        if (!search.Cherche())
            return text;
        // Names inside object files are Windows-1252; the result is UTF-8.
        text = "'" + AnsiToUtf8(b.Segment) + "' $" + Hex(b.Adresse, 8) + " (" + std::to_string(b.NbUnites) + " "
               + (b.TailleUnite == 1 ? "octet" : "mot") + (b.NbUnites > 1 ? "s" : "") + ") ";
        if (b.TypeSection & 5) {
            std::string bytes;
            if (!fs.Existe(image) || !fs.Lit(image, bytes))
                text += "; Fichier " + FileNameOf(image) + " absent";
            else
                text += ValeursImage(bytes, b.Adresse, b.NbUnites, b.TailleUnite);
        }
    } catch (const TFinFichier&) {
    }
    return text;
}

} // namespace kep
