#include "app/U_OutilsTexte.h"
#include "platform/AsciiText.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <unordered_set>

namespace kep {

namespace {

bool EstBlanc(char c) { return c == ' ' || c == '\t'; }

// Blanks are every character of code 32 or less, as trimming does elsewhere.
std::string Trim(std::string_view s) { return std::string(TrimControls(s)); }

int ValeurHexa(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string Hexa4(std::uint64_t v)
{
    static constexpr char kChiffres[] = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), kChiffres[v & 0xF]);
        v >>= 4;
    } while (v != 0);
    if (s.size() < 4)
        s.insert(0, 4 - s.size(), '0');
    return s;
}

// ";   word" becomes ";--- word": the dashes replace the blanks, however many
// blanks or dashes were typed.
void TireCommentaire(std::string& s)
{
    if (s.size() < 4 || s.compare(0, 4, ";   ") != 0)
        return;
    s.insert(1, "--- ");
    while (s.size() > 5 && (EstBlanc(s[5]) || s[5] == '-'))
        s.erase(5, 1);
}

// Mnemonic, operands and comment separated by single tabs; a label or data
// name before the colon stays in front.
void PlaceTabs(std::string& s)
{
    const std::size_t deuxPoints = s.find(':');
    const std::size_t p = deuxPoints == std::string::npos ? 0 : deuxPoints + 1;
    s.insert(p, 1, '\t');
    while (p + 1 < s.size() && EstBlanc(s[p + 1]))
        s.erase(p + 1, 1);

    const std::size_t q = s.find_first_of("\t ;", p + 1);
    std::size_t pointVirgule = s.find(';');
    // The last character is never turned into a separator.
    if (q != std::string::npos && q + 1 < s.size()
        && (pointVirgule == std::string::npos || q < pointVirgule)) {
        s[q] = '\t';
        while (q + 1 < s.size() && s[q + 1] == ' ')
            s.erase(q + 1, 1);
    }

    pointVirgule = s.find(';');
    if (pointVirgule != std::string::npos && pointVirgule > 0 && s[pointVirgule - 1] == ' ') {
        std::size_t j = pointVirgule - 1;
        s[j] = '\t';
        while (j > 0 && s[j - 1] == ' ') {
            s.erase(j - 1, 1);
            --j;
        }
    }
}

// Eight address bytes as one key, so the listing is scanned once per line
// instead of once per address.
std::uint64_t Cle(const char* p)
{
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

bool LigneAdresse(const std::string& l) { return !l.empty() && l[0] == ':'; }

} // namespace

TLignes FormateSource(const TLignes& lignes)
{
    // The lines produced so far: the previous line is always the last one, so
    // a split can hand its remainder straight to the next round instead of
    // inserting into the middle of the text.
    TLignes res;
    res.reserve(lignes.size());
    for (const std::string& origine : lignes) {
        std::string ligne = origine;
        for (;;) {
            std::string s = Trim(ligne);
            if (s.empty()) {
                res.push_back(ligne);
                break;
            }
            if (s[0] == ';') {
                if (!res.empty()) {
                    // A line of blanks already sets the block apart.
                    const std::string prec = Trim(res.back());
                    if (!prec.empty() && prec[0] != ';')
                        res.emplace_back();
                }
                TireCommentaire(s);
                res.push_back(std::move(s));
                break;
            }
            const std::size_t c = s.find(':');
            const std::size_t k = s.find(';');
            // "dc"/"ds" anywhere means a labelled data line: name and data
            // stay together.
            if (c != std::string::npos && (k == std::string::npos || c < k)
                && s.find("dc") == std::string::npos && s.find("ds") == std::string::npos) {
                res.push_back(Trim(std::string_view(s).substr(0, c + 1)));
                // A label alone stays alone: no blank line after it, so that
                // formatting again changes nothing.
                if (Trim(std::string_view(s).substr(c + 1)).empty())
                    break;
                ligne = " " + s.substr(c + 1);
                continue;
            }
            PlaceTabs(s);
            res.push_back(std::move(s));
            break;
        }
    }
    return res;
}

TLignes FormateListing(const TLignes& lignes)
{
    TLignes res;
    res.reserve(lignes.size());
    for (const std::string& l : lignes) {
        if (l.starts_with("* Referenced by a ") || l.starts_with("|"))
            continue;
        res.push_back(l);
    }

    // Whether an address is referred to is judged on the listing as it is
    // once the reference lines are gone, before any address line is cut:
    // cutting them as we go would make the answer depend on line order.
    std::unordered_set<std::uint64_t> candidates;
    for (const std::string& l : res)
        if (LigneAdresse(l) && l.size() >= 9)
            candidates.insert(Cle(l.data() + 1));
    std::unordered_set<std::uint64_t> referencees;
    if (!candidates.empty())
        for (const std::string& l : res)
            // From index 2 on, so that an address line does not refer to
            // itself.
            for (std::size_t j = 2; j + 8 <= l.size(); ++j) {
                const std::uint64_t cle = Cle(l.data() + j);
                if (candidates.count(cle))
                    referencees.insert(cle);
            }

    bool apresSaut = true;
    for (std::string& l : res) {
        if (!LigneAdresse(l))
            continue;
        bool label;
        if (apresSaut) {
            label = true;
            apresSaut = false;
        } else {
            apresSaut = l.find(" ret") != std::string::npos || l.find(" jmp") != std::string::npos;
            // A truncated address cannot be referred to.
            label = l.size() >= 9 && referencees.count(Cle(l.data() + 1)) != 0;
        }
        if (label) {
            if (l.size() >= 10)
                l[9] = '\t';
        } else {
            l.erase(0, std::min<std::size_t>(9, l.size()));
            if (!l.empty())
                l[0] = '\t';
        }
    }
    return res;
}

TLignes RemplaceMov(const TLignes& lignes)
{
    TLignes res = lignes;
    for (std::string& l : res) {
        const std::size_t virgule = l.find(',');
        if (virgule == std::string::npos || l.find("mov ") == std::string::npos)
            continue;
        l.replace(virgule, 1, ":=");
        l.erase(l.find("mov "), 4);
    }
    return res;
}

std::optional<std::int64_t> LitOffset(std::string_view texte)
{
    bool negatif = false;
    if (!texte.empty() && texte[0] == '-') {
        negatif = true;
        texte.remove_prefix(1);
    }
    std::size_t i = 0;
    while (i < texte.size() && EstBlanc(texte[i]))
        ++i;
    if (i < texte.size() && (texte[i] == '-' || texte[i] == '+')) {
        if (texte[i] == '-')
            negatif = !negatif;
        ++i;
    }
    unsigned base = 10;
    if (i < texte.size() && texte[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < texte.size() && texte[i] == '0' && (texte[i + 1] == 'x' || texte[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= texte.size())
        return std::nullopt;

    std::uint64_t v = 0;
    const char* fin = texte.data() + texte.size();
    const auto [fait, erreur] = std::from_chars(texte.data() + i, fin, v, int(base));
    // The magnitude may reach 2^63 only when the result is negative.
    const std::uint64_t limite = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (negatif ? 1 : 0);
    if (erreur != std::errc{} || fait != fin || v > limite)
        return std::nullopt;
    if (!negatif)
        return static_cast<std::int64_t>(v);
    return v == 0 ? 0 : -static_cast<std::int64_t>(v - 1) - 1;
}

TLignes RenumAdresses(const TLignes& lignes, std::int64_t offset)
{
    TLignes res = lignes;
    for (std::string& l : res) {
        const std::size_t point = l.find('.');
        if (point == std::string::npos || l.size() - point - 1 < 4)
            continue;
        std::int64_t valeur = 0;
        bool hexa = true;
        for (std::size_t j = point + 1; j < point + 5; ++j) {
            const int d = ValeurHexa(l[j]);
            if (d < 0) {
                hexa = false;
                break;
            }
            valeur = valeur * 16 + d;
        }
        if (!hexa)
            continue;
        // A negative or overflowing address has no sensible spelling: the line
        // is better left as it was.
        if (offset > std::numeric_limits<std::int64_t>::max() - valeur)
            continue;
        const std::int64_t nouveau = valeur + offset;
        if (nouveau < 0)
            continue;
        l.replace(point + 1, 4, Hexa4(static_cast<std::uint64_t>(nouveau)));
    }
    return res;
}

std::string ConvCPascal(std::string_view t)
{
    std::string out;
    out.reserve(t.size() + t.size() / 4);
    const std::size_t len = t.size();
    bool debutLigne = true;
    int niveau = 0;
    std::size_t i = 0;

    auto ecrit = [&](std::string_view s) {
        if (debutLigne) {
            out.append(static_cast<std::size_t>(2 * niveau), ' ');
            debutLigne = false;
        }
        out += s;
    };
    auto dernier = [&]() { return out.empty() ? '\0' : out.back(); };
    // After "{", "}" and ";" the next statement goes on a line of its own;
    // false when the text ends there.
    auto finInstruction = [&]() {
        while (i < len && EstBlanc(t[i]))
            ++i;
        if (i >= len)
            return false;
        if (t[i] != '\r' && t[i] != '\n')
            out += "\r\n";
        debutLigne = true;
        return true;
    };
    auto operateur = [&](char c, std::string_view mot) {
        if (dernier() != ' ')
            ecrit(" ");
        ecrit(mot);
        ++i;
        if (i < len && t[i] == c)
            ++i;
        if (i < len && !EstBlanc(t[i]))
            ecrit(" ");
    };

    while (i < len) {
        const char c = t[i];
        const char suivant = i + 1 < len ? t[i + 1] : '\0';
        switch (c) {
        case ' ':
        case '\t':
            if (!debutLigne)
                out += c;
            ++i;
            break;
        case '\r':
        case '\n':
            out += c;
            debutLigne = true;
            ++i;
            break;
        case '{':
            // The brace's "Begin" stays on the line of its statement
            // ("if (a) Begin"); only its body moves down.
            ecrit("Begin ");
            ++niveau;
            ++i;
            if (!finInstruction())
                return out;
            break;
        case '}':
            // An unbalanced brace must not indent to the left of the margin.
            niveau = std::max(niveau - 1, 0);
            if (!debutLigne) {
                out += "\r\n";
                debutLigne = true;
            }
            ecrit("End;");
            ++i;
            if (!finInstruction())
                return out;
            break;
        case ';':
            ecrit(";");
            ++i;
            if (!finInstruction())
                return out;
            break;
        case '!':
            if (suivant == '=') {
                ecrit("<>");
                i += 2;
            } else {
                ecrit("!");
                ++i;
            }
            break;
        case '=':
            if (suivant == '=') {
                ecrit("=");
                i += 2;
            } else {
                const char avant = dernier();
                ecrit(avant == '<' || avant == '>' ? "=" : ":=");
                ++i;
            }
            break;
        case '|':
            operateur('|', "or");
            break;
        case '&':
            operateur('&', "and");
            break;
        case '-':
            if (suivant == '>') {
                ecrit("^.");
                i += 2;
            } else {
                ecrit("-");
                ++i;
            }
            break;
        case '\'': {
            if (suivant != '\\') {
                ecrit(t.substr(i, 3));
                i = std::min(i + 3, len);
                break;
            }
            if (i + 2 >= len) {
                ecrit(t.substr(i));
                i = len;
                break;
            }
            const char e = t[i + 2];
            switch (e) {
            case 'b': ecrit("\x7F"); break;
            case 'f': ecrit("FF"); break;
            case 'n': ecrit("LF"); break;
            case 'r': ecrit("CR"); break;
            case 't': ecrit("TAB"); break;
            case '\\': ecrit("'\\'"); break;
            case '\'': ecrit("''''"); break;
            case '0': ecrit("#0"); break;
            case '"': ecrit("'\"'"); break;
            default:
                ecrit("'\\");
                ecrit(std::string_view(&e, 1));
                ecrit("'");
                break;
            }
            i += 3;
            if (i < len && t[i] == '\'')
                ++i;
            break;
        }
        case '"': {
            ecrit("'");
            bool ouvert = true;
            ++i;
            while (i < len && t[i] != '"') {
                if (t[i] != '\\' || i + 1 >= len) {
                    // A quote inside a Pascal string is doubled.
                    out += t[i] == '\'' ? "''" : std::string(1, t[i]);
                    ++i;
                    continue;
                }
                const char e = t[i + 1];
                i += 2;
                // These escapes have no spelling inside a Pascal string: the
                // string is closed around a named character.
                std::string_view hors;
                std::string_view reouvre = "+'";
                switch (e) {
                case 'b': hors = "#$7F"; reouvre = "'"; break;
                case '0': hors = "#0"; reouvre = "'"; break;
                case 'f': hors = "+FF"; break;
                case 'n': hors = "+LF"; break;
                case 'r': hors = "+CR"; break;
                case 't': hors = "+TAB"; break;
                case '\\': out += '\\'; continue;
                case '\'': out += "''"; continue;
                case '"': out += '"'; continue;
                default:
                    out += '\\';
                    out += e;
                    continue;
                }
                out += '\'';
                out += hors;
                ouvert = i < len && t[i] != '"';
                if (ouvert)
                    out += reouvre;
            }
            if (i < len)
                ++i;
            if (ouvert)
                out += '\'';
            break;
        }
        default:
            ecrit(std::string_view(&t[i], 1));
            ++i;
            break;
        }
    }
    return out;
}

} // namespace kep
