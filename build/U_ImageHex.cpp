#include "build/U_ImageHex.h"

#include "build/U_LignesTexte.h"
#include "build/U_ScanObj.h"
#include "platform/Paths.h"

#include <algorithm>
#include <optional>

namespace kep {

namespace {

using namespace texte;

constexpr char kHex[] = "0123456789ABCDEF";
// A binary file taken for text would give a message per line: past this
// many, the bad lines are only counted.
constexpr std::size_t kMessagesMax = 100;

std::string Hex(std::uint64_t v, int digits)
{
    std::string s;
    do {
        s.insert(s.begin(), kHex[v & 0xF]);
        v >>= 4;
    } while (v != 0);
    if (int(s.size()) < digits)
        s.insert(0, std::size_t(digits) - s.size(), '0');
    return s;
}

std::string Ligne(std::size_t n)
{
    return "Ligne " + std::to_string(n) + " : ";
}

// Why the line is no record, or empty when it is one (then `rec` holds its
// bytes: length, address, type, data, checksum).
std::string Decode(std::string_view l, std::vector<std::uint8_t>& rec)
{
    if (l[0] != ':')
        return "pas un enregistrement Intel HEX (« : » attendu en début de ligne)";
    rec.clear();
    for (std::size_t i = 1; i < l.size(); ++i) {
        if (!EstHex(l[i]))
            return "caractère non hexadécimal en colonne " + std::to_string(i + 1);
    }
    if ((l.size() - 1) % 2 != 0)
        return "nombre impair de chiffres hexadécimaux";
    for (std::size_t i = 1; i + 1 < l.size(); i += 2)
        rec.push_back(std::uint8_t(ValHex(l[i]) << 4 | ValHex(l[i + 1])));
    if (rec.size() < 5)
        return "enregistrement trop court (" + std::to_string(rec.size()) + " octets, 5 au moins)";
    const std::size_t present = rec.size() - 5;
    if (present != rec[0])
        return "longueur annoncée de " + std::to_string(rec[0]) + " octets, " + std::to_string(present) + " présents";
    std::uint8_t somme = 0;
    for (std::size_t i = 0; i + 1 < rec.size(); ++i)
        somme = std::uint8_t(somme + rec[i]);
    const std::uint8_t attendue = std::uint8_t(0x100 - somme);
    if (rec.back() != attendue)
        return "somme de contrôle " + Hex(rec.back(), 2) + ", " + Hex(attendue, 2) + " attendue";
    return {};
}

std::uint32_t Grand(const std::vector<std::uint8_t>& rec, std::size_t at, int n)
{
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | rec[at + std::size_t(i)];
    return v;
}

} // namespace

TLectureHex LitImageHex(std::string_view texte)
{
    TLectureHex lu;
    std::uint64_t base = 0;
    std::vector<std::uint8_t> rec;
    TLignes lignes(texte);
    std::string_view l;
    std::size_t numero = 0;
    auto faute = [&lu, &numero](const std::string& pourquoi) {
        if (++lu.Fautes <= kMessagesMax)
            lu.Blocs.push_back({0, {}, Ligne(numero) + pourquoi});
    };
    while (lignes.Suivante(l)) {
        ++numero;
        l = Rogne(l);
        if (l.empty())
            continue;
        if (const std::string pourquoi = Decode(l, rec); !pourquoi.empty()) {
            faute(pourquoi);
            continue;
        }
        const std::size_t n = rec[0];
        const std::uint32_t decalage = Grand(rec, 1, 2);
        const std::uint8_t type = rec[3];
        const auto longueur = [&](std::size_t voulue) {
            if (n == voulue)
                return true;
            faute("enregistrement de type " + Hex(type, 2) + " de " + std::to_string(n) + " octets, "
                  + std::to_string(voulue) + " attendus");
            return false;
        };
        switch (type) {
        case 0x00: {
            if (n == 0)
                break;
            const std::uint64_t adresse = base + decalage;
            const std::string_view data(reinterpret_cast<const char*>(rec.data() + 4), n);
            TBlocHex* dernier = lu.Blocs.empty() ? nullptr : &lu.Blocs.back();
            // A record that goes on where the last one ended extends its run.
            if (dernier && dernier->Message.empty() && dernier->Adresse + dernier->Octets.size() == adresse)
                dernier->Octets.append(data);
            else
                lu.Blocs.push_back({adresse, std::string(data), {}});
            break;
        }
        case 0x01:
            lu.Fin = true;
            lu.LigneFin = numero;
            return lu;
        case 0x02:
            if (longueur(2))
                base = std::uint64_t(Grand(rec, 4, 2)) << 4;
            break;
        case 0x04:
            if (longueur(2))
                base = std::uint64_t(Grand(rec, 4, 2)) << 16;
            break;
        case 0x03:
            if (longueur(4))
                lu.Blocs.push_back({0, {}, Ligne(numero) + "adresse de départ " + Hex(Grand(rec, 4, 2), 4) + ":"
                                                + Hex(Grand(rec, 6, 2), 4)});
            break;
        case 0x05:
            if (longueur(4))
                lu.Blocs.push_back({0, {}, Ligne(numero) + "adresse de départ " + Hex(Grand(rec, 4, 4), 8)});
            break;
        default:
            faute("type d'enregistrement " + Hex(type, 2) + " inconnu");
        }
    }
    return lu;
}

std::vector<TNoeudCod> ArbreHex(std::string_view texte)
{
    const TLectureHex lu = LitImageHex(texte);
    std::vector<TNoeudCod> arbre;
    std::size_t segment = 0;
    for (const TBlocHex& b : lu.Blocs) {
        if (!b.Message.empty()) {
            arbre.push_back({b.Message, {}});
            continue;
        }
        TNoeudCod n{TexteSegment(segment++, b.Adresse, b.Octets.size()), {}};
        AjouteDump(n.Enfants, b.Adresse, b.Octets);
        arbre.push_back(std::move(n));
    }
    if (lu.Fautes > kMessagesMax)
        arbre.push_back({std::to_string(lu.Fautes - kMessagesMax) + " autres lignes fausses", {}});
    if (lu.Fin)
        arbre.push_back({"Enregistrement de fin, ligne " + std::to_string(lu.LigneFin), {"Fin normale des données"}});
    else
        arbre.push_back({"Enregistrement de fin absent", {"Fin du fichier atteinte"}});
    return arbre;
}

// ---- Which format -----------------------------------------------------------------

namespace {

// The directory block of a Microchip .cod: 512 bytes, the file a whole
// number of blocks; Pascal strings for the source name at 256, the version
// at 330 and the tool at 350, the date as 7 characters at 321.
constexpr std::size_t kBloc = 512;
constexpr std::size_t kSource = 256, kDate = 321, kVersion = 330, kOutil = 350;

bool Imprimable(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

// The Pascal string of at most `max` characters at `at`, or nothing.
std::optional<std::string_view> Pascal(std::string_view b, std::size_t at, std::size_t max)
{
    const std::size_t n = static_cast<unsigned char>(b[at]);
    if (n > max)
        return std::nullopt;
    const std::string_view s = b.substr(at + 1, n);
    if (!Imprimable(s))
        return std::nullopt;
    return s;
}

bool EstCodMicrochip(std::string_view b)
{
    if (b.size() < kBloc || b.size() % kBloc != 0)
        return false;
    const auto source = Pascal(b, kSource, 63);
    const auto version = Pascal(b, kVersion, 19);
    const auto outil = Pascal(b, kOutil, 11);
    return source && version && outil && !outil->empty() && Imprimable(b.substr(kDate, 7));
}

bool EstIntelHex(std::string_view b)
{
    std::size_t i = 0;
    while (i < b.size() && (EstBlanc(b[i]) || b[i] == '\r' || b[i] == '\n'))
        ++i;
    // ':' then at least the length and the address.
    if (i + 5 > b.size() || b[i] != ':')
        return false;
    return std::all_of(b.begin() + std::ptrdiff_t(i) + 1, b.begin() + std::ptrdiff_t(i) + 5, EstHex);
}

} // namespace

TFormatImage FormatImage(std::string_view bytes)
{
    if (EstCodMicrochip(bytes))
        return TFormatImage::CodMicrochip;
    if (EstIntelHex(bytes))
        return TFormatImage::IntelHex;
    return TFormatImage::Cod;
}

std::string OutilCodMicrochip(std::string_view bytes)
{
    if (!EstCodMicrochip(bytes))
        return {};
    return std::string(*Pascal(bytes, kOutil, 11));
}

std::string MessageCodMicrochip(const std::string& nom, std::string_view bytes, const std::string& hex)
{
    const std::string outil = OutilCodMicrochip(bytes);
    std::string m = nom + " n'est pas une image programme de ce format : c'est un fichier COD de Microchip"
                    + (outil.empty() ? std::string() : " écrit par " + outil) + ", que ce visionneur ne lit pas.";
    if (!hex.empty())
        m += " Il montre à la place " + hex + ", l'image Intel HEX du même programme.";
    return m;
}

std::vector<TNoeudCod> ArbreCodMicrochip(const std::string& nom, std::string_view bytes)
{
    const std::string outil = OutilCodMicrochip(bytes);
    return {{nom + " n'est pas une image programme de ce format",
             {"C'est un fichier COD de Microchip" + (outil.empty() ? std::string() : " écrit par " + outil)
                  + ", que ce visionneur ne lit pas.",
              "Le programme est dans le fichier Intel HEX écrit à côté (.hex) : ouvrez-le."}}};
}

std::string ImageDuProjet(const TFichiersScan& fs, const std::string& makeFile)
{
    if (makeFile.empty() || !fs.Chemin || !fs.Existe || !fs.Lit)
        return {};
    const std::string nom = FileNameOf(makeFile);
    const std::string cod = fs.Chemin(ChangeExtension(nom, ".COD"));
    std::string octets;
    if (fs.Existe(cod) && fs.Lit(cod, octets) && FormatImage(octets) == TFormatImage::Cod)
        return cod;
    const std::string hex = fs.Chemin(ChangeExtension(nom, ".hex"));
    return fs.Existe(hex) ? hex : std::string();
}

} // namespace kep
