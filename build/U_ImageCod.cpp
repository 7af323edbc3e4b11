#include "build/U_ImageCod.h"

#include <cstddef>
#include <cstdint>

namespace kep {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr std::size_t kBytesPerLine = 16;

// At least `digits` upper-case hex digits, more when the value needs them.
void AppendHex(std::string& out, std::uint64_t v, int digits)
{
    char buf[16];
    int n = 0;
    do {
        buf[n++] = kHex[v & 0xF];
        v >>= 4;
    } while (v != 0);
    while (n < digits)
        buf[n++] = '0';
    while (n > 0)
        out += buf[--n];
}

void AppendBytes(std::string& out, std::string_view data)
{
    for (const char c : data) {
        const auto b = static_cast<unsigned char>(c);
        out += kHex[b >> 4];
        out += kHex[b & 0xF];
        out += ' ';
    }
}

std::uint32_t ReadLE(std::string_view bytes, std::size_t pos, int width)
{
    std::uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[pos + std::size_t(i)]);
    return v;
}

// "%2.2d": at least two digits.
std::string Numero(std::size_t n)
{
    std::string s = std::to_string(n);
    return s.size() < 2 ? "0" + s : s;
}

std::string Octets(std::uint64_t n)
{
    return std::to_string(n) + (n > 1 ? " octets" : " octet");
}

} // namespace

// Lines of 16 bytes; the address is 64-bit so that a record near the top of
// the 32-bit space goes on counting instead of wrapping to 0.
void AjouteDump(std::vector<std::string>& out, std::uint64_t address, std::string_view data)
{
    out.reserve(out.size() + (data.size() + kBytesPerLine - 1) / kBytesPerLine);
    for (std::size_t at = 0; at < data.size(); at += kBytesPerLine, address += kBytesPerLine) {
        const std::string_view line = data.substr(at, kBytesPerLine);
        std::string text;
        text.reserve(10 + 3 * line.size());
        AppendHex(text, address, 6);
        text += ": ";
        AppendBytes(text, line);
        out.push_back(std::move(text));
    }
}

std::string TexteSegment(std::size_t numero, std::uint64_t debut, std::uint64_t longueur)
{
    std::string t = "Segment " + Numero(numero) + " : ";
    AppendHex(t, debut, 8);
    if (longueur != 0) {
        t += '-';
        AppendHex(t, debut + longueur - 1, 8);
    } else {
        t.append(9, ' ');
    }
    t += " (" + Octets(longueur) + ")";
    return t;
}

std::vector<TNoeudCod> ArbreCod(std::string_view bytes, bool taille32)
{
    const int lenWidth = taille32 ? 4 : 2;
    const std::size_t header = 4 + std::size_t(lenWidth);
    std::vector<TNoeudCod> tree;
    std::size_t pos = 0;
    std::size_t segment = 0;
    // Exactly at the end there is nothing left to show: the file simply
    // lacks its end record.
    while (pos < bytes.size()) {
        TNoeudCod node;
        node.Texte = "Segment " + Numero(segment) + " : ";
        const std::size_t rest = bytes.size() - pos;
        if (rest < header) {
            node.Texte += "en-tête incomplet (" + Octets(rest) + " sur " + std::to_string(header) + ")";
            node.Enfants.emplace_back("Fin du fichier atteinte, en-tête tronqué");
            std::string left = "Octets restants : ";
            AppendBytes(left, bytes.substr(pos));
            node.Enfants.push_back(std::move(left));
            tree.push_back(std::move(node));
            break;
        }
        const std::uint32_t start = ReadLE(bytes, pos, 4);
        const std::uint32_t length = ReadLE(bytes, pos + 4, lenWidth);
        pos += header;

        node.Texte = TexteSegment(segment, start, length);

        if (start == 0 && length == 0) {
            node.Enfants.emplace_back("Fin normale des données");
            tree.push_back(std::move(node));
            break;
        }
        const std::size_t avail = bytes.size() - pos;
        if (length <= avail) {
            AjouteDump(node.Enfants, start, bytes.substr(pos, length));
            pos += length;
        } else {
            // The declared length is only compared, never used to size
            // anything: what is shown is what the file holds.
            node.Enfants.emplace_back("Fin du fichier atteinte, données tronquées");
            AjouteDump(node.Enfants, start, bytes.substr(pos));
            pos = bytes.size();
        }
        tree.push_back(std::move(node));
        ++segment;
    }
    return tree;
}

std::string ArbreCodTexte(const std::vector<TNoeudCod>& arbre)
{
    std::size_t size = 0;
    for (const TNoeudCod& n : arbre) {
        size += n.Texte.size() + 1;
        for (const std::string& c : n.Enfants)
            size += c.size() + 3;
    }
    std::string out;
    out.reserve(size);
    for (const TNoeudCod& n : arbre) {
        out += n.Texte;
        out += '\n';
        for (const std::string& c : n.Enfants) {
            out += "  ";
            out += c;
            out += '\n';
        }
    }
    return out;
}

} // namespace kep
