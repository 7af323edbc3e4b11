#include "processor/U_TabFile.h"

#include "platform/AsciiText.h"
#include "platform/FileIo.h"

#include <algorithm>
#include <cstring>

namespace kep {

namespace {

constexpr std::size_t HeaderSize = 24;
constexpr std::size_t CountCount = 12;
constexpr std::size_t FlagBlockSize = 15;
constexpr std::size_t H8FlagByte = 6;
constexpr unsigned char H8FlagBit = 0x20;
constexpr std::size_t ValueRecordSize = 4;

// A hostile table can chain operand lists into an exponential number of
// lines, or long alternatives into huge texts: past these limits the
// mnemonic ends with an error text instead.
constexpr std::size_t MaxLines = 10000;
constexpr std::size_t MaxChars = 4 * 1024 * 1024;

const char* const Inherent = "Inh\xE9rent"; // Windows-1252
const char* const OpenQuote = "\xAB";
const char* const CloseQuote = "\xBB";

void SplitNames(std::string_view s, std::vector<std::string>& out)
{
    std::size_t start = 0;
    while (start <= s.size()) {
        std::size_t end = s.find(';', start);
        if (end == std::string_view::npos)
            end = s.size();
        if (end > start)
            out.emplace_back(s.substr(start, end - start));
        start = end + 1;
    }
}

// Text up to its zero byte, or the whole span when it has none.
std::string_view ZeroEnded(std::string_view s)
{
    std::size_t z = s.find('\0');
    return z == std::string_view::npos ? s : s.substr(0, z);
}

bool SameTextAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

std::string Hex2(unsigned v)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s(2, '0');
    s[0] = digits[(v >> 4) & 0xF];
    s[1] = digits[v & 0xF];
    return s;
}

} // namespace

// Decodes one mnemonic. Reads go through Byte and Word, which throw
// BadOffset when a position falls outside its area or table; a name index
// outside its list throws BadIndex, the exception the display texts report.
class TTabFile::TDescriber {
public:
    struct BadOffset {};
    struct BadIndex {};
    struct TooLong {};

    TDescriber(const TTabFile& tab, std::vector<std::string>& lines, std::vector<std::string>& types)
        : Tab(tab), Lines(lines), Types(types)
    {
    }

    void Run(std::size_t k);

private:
    unsigned char Byte(const TArea& area, std::size_t off) const
    {
        if (off >= area.Size)
            throw BadOffset{};
        return static_cast<unsigned char>(Tab.Data[area.Start + off]);
    }
    std::size_t Word(const TArea& table, std::size_t index) const
    {
        if (index >= table.Size / 2)
            throw BadOffset{};
        std::size_t p = table.Start + 2 * index;
        return static_cast<unsigned char>(Tab.Data[p]) | (static_cast<unsigned char>(Tab.Data[p + 1]) << 8);
    }
    // Up to count bytes from off, each as two hex digits and a space; stops
    // quietly at the end of the area.
    std::string HexBytes(const TArea& area, std::size_t off, std::size_t count) const
    {
        std::string s;
        for (std::size_t i = 0; i < count && off + i < area.Size; ++i)
            s += Hex2(Byte(area, off + i)) + ' ';
        return s;
    }
    const std::string& Keyword(unsigned n) const
    {
        if (n < 1 || n > Tab.KeywordList.size())
            throw BadIndex{};
        return Tab.KeywordList[n - 1];
    }
    const std::string& Value(unsigned n) const
    {
        if (n < 1 || n > Tab.ValueList.size())
            throw BadIndex{};
        return Tab.ValueList[n - 1];
    }
    // Counts the text already built and the entries an operand list has
    // gathered but not yet spread over the lines.
    void CheckLength(std::size_t chars) const
    {
        if (chars + Pending > MaxChars)
            throw TooLong{};
    }

    // Appends text to every line from the variant's first line on.
    void Append(const std::string& text, bool checked = true)
    {
        std::size_t added = text.size() * (Lines.size() - First);
        if (checked)
            CheckLength(Chars + added);
        for (std::size_t i = First; i < Lines.size(); ++i)
            Lines[i] += text;
        Chars += added;
    }

    std::string Alternatives(unsigned g) const;
    std::string OperandItem(unsigned i);
    void ExpandList(unsigned l);

    const TTabFile& Tab;
    std::vector<std::string>& Lines;
    std::vector<std::string>& Types;
    std::size_t First = 0;
    std::size_t Chars = 0;
    std::size_t Pending = 0;
};

void TTabFile::TDescriber::Run(std::size_t k)
{
    const TArea& d = Tab.AreaD;
    std::size_t start;
    try {
        start = Word(Tab.TableOD, k);
    } catch (const BadOffset&) {
        Lines.push_back("??? Err > ");
        return;
    }
    std::size_t pos = start;
    for (;;) {
        unsigned cont = 0;
        try {
            unsigned char h = Byte(d, pos);
            std::size_t length;
            if (h == 0xFF) {
                length = Byte(d, pos + 1);
                cont = Byte(d, pos + 2);
                pos += 3;
            } else {
                length = (h >> 6) + 1u;
                cont = h & 0x3Fu;
                pos += 1;
            }
            if (length > 0)
                Byte(d, pos + length - 1);
            std::string line = HexBytes(d, pos, std::min<std::size_t>(length, 30)) + " : ";
            if (Lines.size() >= MaxLines)
                throw TooLong{};
            First = Lines.size();
            Lines.push_back(line);
            Chars += line.size();
            pos += length;
        } catch (...) {
            Lines.push_back("??? Err > ");
            return;
        }

        bool firstItem = true;
        for (;;) {
            unsigned char code;
            try {
                code = Byte(d, pos);
            } catch (const BadOffset&) {
                Append("??? Err > ", false);
                return;
            }
            if (code == 0) {
                if (firstItem)
                    Append(Inherent, false);
                ++pos;
                break;
            }
            try {
                switch (code) {
                case 0x01:
                    Append(Keyword(Byte(d, pos + 1)));
                    pos += 2;
                    break;
                case 0x02:
                    Append(OperandItem(Byte(d, pos + 1)));
                    pos += 2;
                    break;
                case 0x03:
                    Byte(d, pos + 2);
                    Append(Alternatives(Byte(d, pos + 1)));
                    pos += 3;
                    break;
                case 0x04:
                    Byte(d, pos + 2);
                    ExpandList(Byte(d, pos + 1));
                    pos += 3;
                    break;
                case 0x09:
                    Append(OpenQuote + Keyword(Byte(d, pos + 1)) + CloseQuote);
                    pos += 2;
                    break;
                case 0x0A:
                    Append(std::string(" ") + OpenQuote + ",");
                    pos += 1;
                    break;
                case 0x13:
                    Append(std::string(" ") + OpenQuote + "Macsig " + Hex2(Byte(d, pos + 1)) + " pos " +
                           Hex2(Byte(d, pos + 2)) + CloseQuote);
                    pos += 3;
                    break;
                default:
                    Append("<" + Hex2(code) + " ??" "?> " + HexBytes(d, start, 20), false);
                    return;
                }
            } catch (...) {
                Append(Hex2(code) + "??? Err > ", false);
                return;
            }
            firstItem = false;
        }
        if (cont == 0)
            return;
    }
}

std::string TTabFile::TDescriber::Alternatives(unsigned g) const
{
    if (g < 1)
        throw BadOffset{};
    const TArea& b = Tab.AreaB;
    std::size_t off = Word(Tab.TableOB, g - 1) + 1;
    std::string text;
    for (bool first = true;; first = false, off += 2) {
        unsigned char n = Byte(b, off);
        if (n == 0)
            break;
        if (!first)
            text += '|';
        text += Keyword(n);
        CheckLength(Chars + text.size());
    }
    return text;
}

std::string TTabFile::TDescriber::OperandItem(unsigned i)
{
    if (i < 1)
        throw BadOffset{};
    const TArea& a = Tab.AreaA;
    std::size_t off = Word(Tab.TableOA, i - 1);
    unsigned char code = Byte(a, off);
    try {
        switch (code) {
        case 0x05:
            return "{" + Hex2(Byte(a, off + 1)) + "\\" + Hex2(Byte(a, off + 2)) + "\\" + Hex2(Byte(a, off + 3)) + "}";
        case 0x06:
            return OpenQuote + Value(Byte(a, off + 1)) + CloseQuote;
        case 0x40:
            return Keyword(Byte(a, off + 1));
        case 0x80:
        case 0x81: {
            unsigned t = Byte(a, off + 1);
            const TArgType* type = ArgType(static_cast<int>(t));
            if (!type)
                throw BadIndex{};
            std::string name = type->Name;
            bool known = std::any_of(Types.begin(), Types.end(), [&](const std::string& e) {
                std::size_t eq = e.find('=');
                return SameTextAscii(std::string_view(e).substr(0, eq), name);
            });
            if (!known)
                Types.push_back(name + "=" + type->Description + " (" + std::to_string(t) + ")");
            return name;
        }
        case 0xC0:
            return Alternatives(Byte(a, off + 1));
        default:
            if (code >= 0x10 && code <= 0x1F)
                return "Inset" + std::string(1, static_cast<char>(code + 0x20));
            return Hex2(code) + "???" + HexBytes(a, off, 4);
        }
    } catch (const BadIndex&) {
        return " ???" + Hex2(code) + "???";
    }
}

void TTabFile::TDescriber::ExpandList(unsigned l)
{
    if (l < 1)
        throw BadOffset{};
    const TArea& c = Tab.AreaC;
    std::size_t off = Word(Tab.TableOC, l - 1) + 1;
    // Every entry ends up on each of the variant's lines: an entry costs its
    // size that many times, counted as soon as it is built so that a long
    // list of long entries stops early instead of being gathered whole.
    const std::size_t variantLines = std::max<std::size_t>(1, Lines.size() - First);
    std::vector<std::string> texts;
    std::size_t longest = 0;
    struct TPendingReset {
        std::size_t& P;
        ~TPendingReset() { P = 0; }
    } reset{Pending};
    for (;; off += 3) {
        unsigned char i = Byte(c, off);
        if (i == 0)
            break;
        texts.push_back(OperandItem(i));
        longest = std::max(longest, texts.back().size());
        if (texts.size() > MaxLines)
            throw TooLong{};
        if (texts.back().size() > MaxChars / variantLines)
            throw TooLong{};
        Pending += texts.back().size() * variantLines;
        CheckLength(Chars);
    }
    Pending = 0;
    if (texts.empty())
        return;
    if (First + variantLines * texts.size() > MaxLines)
        throw TooLong{};
    std::size_t variantChars = 0;
    for (std::size_t j = First; j < Lines.size(); ++j)
        variantChars += Lines[j].size();
    CheckLength(Chars + variantChars * (texts.size() - 1) + longest * variantLines * texts.size());

    // Each line s becomes s + t for every entry t, in entry order, in place.
    std::vector<std::string> expanded;
    expanded.reserve(variantLines * texts.size());
    for (std::size_t j = First; j < Lines.size(); ++j)
        for (const std::string& t : texts)
            expanded.push_back(Lines[j] + t);
    Lines.resize(First);
    Chars = 0;
    for (const std::string& s : Lines)
        Chars += s.size();
    for (std::string& s : expanded) {
        Chars += s.size();
        Lines.push_back(std::move(s));
    }
}

bool TTabFile::Load(const std::string& path, std::string* error)
{
    Clear();
    if (path.empty())
        return true;
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        if (error)
            *error = "Impossible de lire la table processeur « " + path + " ».";
        return false;
    }
    std::string reason;
    if (!LoadFromBytes(std::move(bytes), &reason)) {
        if (error)
            *error = "Table processeur « " + path + " » invalide : " + reason;
        return false;
    }
    return true;
}

bool TTabFile::LoadFromBytes(std::string bytes, std::string* error)
{
    Clear();
    Data = std::move(bytes);
    std::string reason;
    if (!Index(&reason)) {
        Clear();
        if (error)
            *error = reason;
        return false;
    }
    return true;
}

void TTabFile::Clear()
{
    Data.clear();
    Data.shrink_to_fit();
    TitleText.clear();
    KeywordList.clear();
    MnemonicList.clear();
    ValueList.clear();
    MnemonicIndex.clear();
    H8Style = false;
    AreaA = AreaB = AreaC = AreaD = TArea{};
    TableOA = TableOB = TableOC = TableOD = TArea{};
}

bool TTabFile::Index(std::string* error)
{
    const std::string_view data(Data);
    auto fail = [&](const std::string& why) {
        *error = why;
        return false;
    };

    std::size_t z = data.find('\0');
    if (z == std::string_view::npos)
        return fail("le titre n'est pas terminé par un octet nul.");
    TitleText.assign(data.substr(0, z));
    std::size_t pos = z + 1;

    if (data.size() - pos < HeaderSize)
        return fail("l'en-tête est tronqué.");
    unsigned counts[CountCount];
    for (std::size_t i = 0; i < CountCount; ++i)
        counts[i] = static_cast<unsigned char>(data[pos + 2 * i]) |
                    (static_cast<unsigned char>(data[pos + 2 * i + 1]) << 8);
    pos += HeaderSize;

    // Each area follows the previous one; all must lie inside the file.
    auto take = [&](TArea& area, std::size_t size, const char* what) {
        if (data.size() - pos < size) {
            *error = std::string(what) + " est tronquée : " + std::to_string(size) + " octets attendus à la position " +
                     std::to_string(pos) + ", le fichier en a " + std::to_string(data.size()) + ".";
            return false;
        }
        area.Start = pos;
        area.Size = size;
        pos += size;
        return true;
    };

    TArea names, mnemonics, values;
    const std::size_t namesSize = pos < data.size() && data[pos] == '^' ? 2048 : 512;
    if (!take(names, namesSize, "la zone des noms") || !take(AreaA, counts[0], "la zone A (éléments d'opérande)") ||
        !take(AreaB, counts[1], "la zone B (noms alternatifs)") ||
        !take(AreaC, counts[2], "la zone C (listes d'opérandes)") ||
        !take(mnemonics, counts[3], "la chaîne des mnémoniques") || !take(AreaD, counts[4], "la zone D (codages)") ||
        !take(values, counts[5], "la zone des valeurs nommées") || !take(TableOA, 2u * counts[6], "la table OA") ||
        !take(TableOB, 2u * counts[7], "la table OB") || !take(TableOC, 2u * counts[8], "la table OC") ||
        !take(TableOD, 2u * counts[9], "la table OD"))
        return false;

    const std::size_t flags = names.Start + names.Size - FlagBlockSize;
    H8Style = (static_cast<unsigned char>(data[flags + H8FlagByte]) & H8FlagBit) != 0;
    // The keyword string cannot run into the flag block.
    SplitNames(ZeroEnded(data.substr(names.Start, names.Size - FlagBlockSize)), KeywordList);
    SplitNames(ZeroEnded(data.substr(mnemonics.Start, mnemonics.Size)), MnemonicList);

    for (std::size_t off = 0; off < values.Size; off += ValueRecordSize) {
        unsigned n = static_cast<unsigned char>(data[values.Start + off]);
        if (n == 0)
            break;
        if (n > KeywordList.size())
            return fail("la valeur nommée " + std::to_string(ValueList.size() + 1) + " désigne le mot clé " +
                        std::to_string(n) + ", la table n'en a que " + std::to_string(KeywordList.size()) + ".");
        ValueList.push_back(KeywordList[n - 1]);
    }

    if (counts[9] < MnemonicList.size())
        return fail("la table OD a " + std::to_string(counts[9]) + " entrées pour " +
                    std::to_string(MnemonicList.size()) + " mnémoniques.");
    return true;
}

int TTabFile::IndexOfMnemonic(std::string_view mnemonic) const
{
    if (MnemonicIndex.empty() && !MnemonicList.empty()) {
        MnemonicIndex.reserve(MnemonicList.size());
        for (std::size_t k = 0; k < MnemonicList.size(); ++k)
            MnemonicIndex.emplace_back(UpperAscii(MnemonicList[k]), static_cast<int>(k));
        // Stable, so a repeated name finds its first position.
        std::stable_sort(MnemonicIndex.begin(), MnemonicIndex.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    const std::string key = UpperAscii(mnemonic);
    auto it = std::lower_bound(MnemonicIndex.begin(), MnemonicIndex.end(), key,
                               [](const auto& e, const std::string& k) { return e.first < k; });
    return it != MnemonicIndex.end() && it->first == key ? it->second : -1;
}

void TTabFile::Describe(std::string_view mnemonic, std::vector<std::string>& lines,
                        std::vector<std::string>& types) const
{
    lines.clear();
    types.clear();
    if (H8Style) {
        types.push_back("H8 style");
        return;
    }
    int k = IndexOfMnemonic(mnemonic);
    if (k < 0)
        return;
    TDescriber(*this, lines, types).Run(static_cast<std::size_t>(k));
}

} // namespace kep
