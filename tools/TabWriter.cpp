#include "tools/TabWriter.h"

#include <algorithm>
#include <cstdint>

namespace kep {

namespace {

constexpr std::size_t MaxCount = 0xFFFF;
constexpr std::size_t FlagBlockSize = 15;

void PutWord(std::string& out, std::size_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

bool CheckName(const std::string& name, const char* what, std::string* error)
{
    if (!name.empty() && name.find(';') == std::string::npos && name.find('\0') == std::string::npos)
        return true;
    if (error)
        *error = std::string(what) + " « " + name + " » invalide : vide ou contenant « ; ».";
    return false;
}

// The areas of one kind laid end to end, with the offset of each entry.
struct TPacked {
    std::string Bytes;
    std::vector<std::size_t> Offsets;
};

TPacked Pack(const std::vector<std::string>& entries)
{
    TPacked p;
    for (const std::string& e : entries) {
        p.Offsets.push_back(p.Bytes.size());
        p.Bytes += e;
    }
    return p;
}

} // namespace

bool BuildTab(const TTabDesc& desc, std::string& bytes, std::string* error, TTabLayout* layout)
{
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    if (desc.Title.find('\0') != std::string::npos)
        return fail("Le titre ne peut contenir d'octet nul.");

    std::string keywords;
    for (const std::string& k : desc.Keywords) {
        if (!CheckName(k, "Mot clé", error))
            return false;
        keywords += (keywords.empty() ? "" : ";") + k;
    }
    std::string mnemonics;
    std::vector<std::string> encodings;
    for (const TTabDesc::TMnemonic& m : desc.Mnemonics) {
        if (!CheckName(m.Name, "Mnémonique", error))
            return false;
        mnemonics += (mnemonics.empty() ? "" : ";") + m.Name;
        encodings.push_back(m.Encoding);
    }
    mnemonics += '\0';

    const std::size_t namesSize = !keywords.empty() && keywords[0] == '^' ? 2048 : 512;
    if (keywords.size() + 1 > namesSize - FlagBlockSize)
        return fail("Les mots clés occupent " + std::to_string(keywords.size() + 1) +
                    " octets, la zone des noms n'en offre que " + std::to_string(namesSize - FlagBlockSize) +
                    " (2033 quand le premier mot clé commence par « ^ »).");

    std::string values;
    for (const auto& rec : desc.Values) {
        if (rec[0] == 0)
            return fail("Une valeur nommée ne peut désigner le mot clé 0.");
        values.append(reinterpret_cast<const char*>(rec.data()), rec.size());
    }
    values.append(4, '\0');

    const TPacked a = Pack(desc.Items), b = Pack(desc.Alternatives), c = Pack(desc.Lists), d = Pack(encodings);
    struct TPart {
        const char* What;
        std::size_t Count;
    };
    const TPart parts[] = {
        {"la zone A (éléments d'opérande)", a.Bytes.size()},
        {"la zone B (noms alternatifs)", b.Bytes.size()},
        {"la zone C (listes d'opérandes)", c.Bytes.size()},
        {"la chaîne des mnémoniques", mnemonics.size()},
        {"la zone D (codages)", d.Bytes.size()},
        {"la zone des valeurs nommées", values.size()},
    };
    if (std::max({a.Offsets.size(), b.Offsets.size(), c.Offsets.size(), d.Offsets.size()}) > MaxCount)
        return fail("Table trop grande : plus de 65535 entrées dans une table d'adresses.");
    for (const TPart& p : parts)
        if (p.Count > MaxCount)
            return fail("Table trop grande : " + std::string(p.What) + " occupe " + std::to_string(p.Count) +
                        " octets (65535 au plus).");

    TTabLayout l;
    std::string out = desc.Title;
    out += '\0';
    l.Header = out.size();
    for (std::size_t n : {a.Bytes.size(), b.Bytes.size(), c.Bytes.size(), mnemonics.size(), d.Bytes.size(),
                          values.size(), a.Offsets.size(), b.Offsets.size(), c.Offsets.size(), d.Offsets.size(),
                          std::size_t{0}, std::size_t{0}})
        PutWord(out, n);

    l.Names = out.size();
    l.NamesSize = namesSize;
    std::string names = keywords;
    names.resize(namesSize - FlagBlockSize, '\0');
    names.append(reinterpret_cast<const char*>(desc.Flags.data()), desc.Flags.size());
    out += names;

    l.AreaA = out.size();
    out += a.Bytes;
    l.AreaB = out.size();
    out += b.Bytes;
    l.AreaC = out.size();
    out += c.Bytes;
    l.MnemonicString = out.size();
    out += mnemonics;
    l.AreaD = out.size();
    out += d.Bytes;
    l.ValueRecords = out.size();
    out += values;
    l.TableOA = out.size();
    for (std::size_t o : a.Offsets)
        PutWord(out, o);
    l.TableOB = out.size();
    for (std::size_t o : b.Offsets)
        PutWord(out, o);
    l.TableOC = out.size();
    for (std::size_t o : c.Offsets)
        PutWord(out, o);
    l.TableOD = out.size();
    for (std::size_t o : d.Offsets)
        PutWord(out, o);
    l.End = out.size();

    bytes = std::move(out);
    if (layout)
        *layout = l;
    return true;
}

} // namespace kep
