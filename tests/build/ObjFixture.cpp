#include "tests/build/ObjFixture.h"

#include <cstdio>

namespace kep::test {

void Put(std::string& out, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutLien(std::string& out, std::uint32_t offset, std::uint32_t length, bool flag)
{
    Put(out, offset, 4);
    Put(out, length | (flag ? 0x80000000u : 0u), 4);
}

std::uint32_t Get32(const std::string& bytes, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= std::uint32_t(static_cast<unsigned char>(bytes.at(at + i))) << (8 * i);
    return v;
}

void Patch32(std::string& bytes, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string ImageCod(const std::vector<TCodRec>& records, bool endRecord, bool len32)
{
    std::string out;
    for (const TCodRec& r : records) {
        Put(out, r.Start, 4);
        Put(out, r.Data.size(), len32 ? 4 : 2);
        out.append(r.Data.begin(), r.Data.end());
    }
    if (endRecord) {
        Put(out, 0, 4);
        Put(out, 0, len32 ? 4 : 2);
    }
    return out;
}

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t first)
{
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(first + i);
    return v;
}

std::string CodMicrochip(const std::string& tool)
{
    std::string b(1024, '\0');
    auto pascal = [&b](std::size_t at, const std::string& s) {
        b[at] = char(s.size());
        b.replace(at + 1, s.size(), s);
    };
    b[0] = 1;
    pascal(256, "prog.cod");
    b.replace(321, 7, "09Dec26");
    pascal(330, "1.4.0");
    pascal(350, tool);
    b.replace(512, 4, "\x33\x28\x83\x16");
    return b;
}

// ---- Map file -----------------------------------------------------------------------

std::string LigneSegment(const TMapSegment& s)
{
    // The start's hex digits end at the dash; the module stands 12
    // characters after that end.
    char buf[64];
    std::snprintf(buf, sizeof buf, "  %08X-%08X   ", s.Debut, s.Fin);
    return "  '" + s.Nom + "'" + buf + s.Module + "[" + std::to_string(s.Section) + "]";
}

std::string MapFile(const std::vector<TMapGroupe>& groupes, const std::vector<TMapSegment>& segments,
                    const std::string& eol)
{
    std::string out = "Linker map of the test project" + eol + eol;
    out += "Dependencies" + eol + "------------" + eol + eol;
    for (const TMapGroupe& g : groupes) {
        out += g.Module + eol;
        for (const std::string& f : g.Fichiers)
            out += " " + f + eol;
        out += eol;
    }
    out += "Segment List" + eol + "------------" + eol + "  Segment     Start    End        Module[section]" + eol;
    for (const TMapSegment& s : segments)
        out += LigneSegment(s) + eol;
    out += eol + "Symbols" + eol + "  'AILLEURS'  00009999-0000999A   AUTRE.OBJ[1]" + eol;
    return out;
}

// ---- Object module ----------------------------------------------------------------

std::string Enregs(const std::vector<TEnregLignes>& records)
{
    std::string out;
    for (const TEnregLignes& r : records) {
        Put(out, r.Maillon, 3);
        Put(out, r.Offset, 2);
        Put(out, r.Premiere, 2);
        Put(out, r.Adresse, 4);
        Put(out, 0, 1);
        Put(out, r.Drapeaux, 1);
        Put(out, 0, 1);
        Put(out, r.Index, 2);
        Put(out, r.MaillonSuite, 3);
        Put(out, r.OffsetSuite, 2);
        Put(out, r.Derniere, 2);
        Put(out, r.Nom.size(), 1);
        out += r.Nom;
    }
    return out;
}

std::string Tailles(const std::vector<std::uint32_t>& counts, bool longues)
{
    std::string out;
    for (std::uint32_t n : counts) {
        if (n < 0xFF && !longues) {
            Put(out, n, 1);
        } else {
            out += '\xFF';
            Put(out, 0xA5A5A5A5, 4);
            Put(out, n, 4);
            out += '\x5A';
        }
    }
    return out;
}

namespace {

// Chunks written one after another, each a link to the next and its data;
// the links are set once the chain is complete.
std::vector<std::size_t> Chaine(std::string& out, const std::vector<std::string>& datas)
{
    std::vector<std::size_t> at;
    for (const std::string& d : datas) {
        at.push_back(out.size());
        PutLien(out, 0, 0);
        out += d;
    }
    for (std::size_t i = 0; i + 1 < at.size(); ++i) {
        Patch32(out, at[i], static_cast<std::uint32_t>(at[i + 1]));
        Patch32(out, at[i] + 4, static_cast<std::uint32_t>(datas[i + 1].size()));
    }
    return at;
}

std::vector<std::string> Prefixe(const std::vector<std::string>& datas, bool first)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < datas.size(); ++i)
        out.push_back((first || i > 0 ? std::string(8, '\xEE') : std::string()) + datas[i]);
    return out;
}

} // namespace

TSuite ObjSuite(const std::vector<std::string>& ligneChunks, const std::vector<std::string>& tailleChunks)
{
    TSuite s;
    s.Bytes = std::string(16, '\x11');
    const auto lignes = Prefixe(ligneChunks, true);
    const auto tailles = Prefixe(tailleChunks, false);
    const auto l = Chaine(s.Bytes, lignes);
    const auto t = Chaine(s.Bytes, tailles);
    if (!l.empty()) {
        s.LignesOffset = static_cast<std::uint32_t>(l[0]);
        s.LignesLongueur = static_cast<std::uint32_t>(lignes[0].size());
    }
    if (!t.empty()) {
        s.TaillesOffset = static_cast<std::uint32_t>(t[0]);
        s.TaillesLongueur = static_cast<std::uint32_t>(tailles[0].size());
    }
    return s;
}

std::string ObjModule(const TModuleObj& m, TPlanObj* plan)
{
    std::string out = m.Nom;
    out += '\0';
    Put(out, 2, 1);
    out += "\x01\x02\x03\x04\x05\x06"; // 2 + 4 bytes skipped
    out += m.AutresRecords;
    if (m.TailleUnite) {
        Put(out, 0x78, 1);
        Put(out, m.TailleUnite, 1);
        Put(out, 0x00CCBB, 3);
    }
    std::size_t tableLink = 0, sectionLink = 0;
    if (!m.Table.empty()) {
        Put(out, 0xEB, 1);
        tableLink = out.size();
        PutLien(out, 0, 0);
    }
    if (!m.Sections.empty()) {
        Put(out, 0x75, 1);
        sectionLink = out.size();
        PutLien(out, 0, 0);
    }
    if (m.FinEntete)
        Put(out, 0xFE, 1);

    TPlanObj p;
    // The line table.
    std::vector<std::string> table;
    for (std::size_t c = 0; c < m.Table.size(); ++c) {
        std::string d = c == 0 ? std::string("\x77\x77") : std::string();
        for (const TEntreeTable& e : m.Table[c]) {
            Put(d, e.Position - 1, 2);
            Put(d, e.Premiere, 2);
            Put(d, e.Derniere, 2);
            Put(d, 0x33, 1);
            d += e.Nom;
            d += '\0';
        }
        table.push_back(d);
    }
    p.Table = Chaine(out, table);
    if (!table.empty()) {
        Patch32(out, tableLink, static_cast<std::uint32_t>(p.Table[0]));
        Patch32(out, tableLink + 4, static_cast<std::uint32_t>(table[0].size()));
    }

    // Section headers, each in a chunk of the section chain; the offsets of
    // their two links are patched once the records and sizes are written.
    std::vector<std::string> headers;
    constexpr std::size_t kLinks = 26; // from the end of the segment name
    std::vector<std::size_t> linkAt;
    for (const TSectionObj& s : m.Sections) {
        std::string d = s.Nom;
        d += '\0';
        Put(d, std::uint64_t(s.Type) << 5 | 0x03, 1);
        Put(d, 0x44, 1);
        Put(d, s.Base, 4);
        Put(d, 0x55555555, 4);
        d += s.Segment;
        d += '\0';
        d += std::string(kLinks, '\x66');
        linkAt.push_back(d.size());
        PutLien(d, 0, 0);
        PutLien(d, 0, 0);
        d += std::string(17, '\x77');
        headers.push_back(d);
    }
    p.Sections = Chaine(out, headers);
    if (!headers.empty()) {
        Patch32(out, sectionLink, static_cast<std::uint32_t>(p.Sections[0]));
        Patch32(out, sectionLink + 4, static_cast<std::uint32_t>(headers[0].size()));
    }
    for (std::size_t i = 0; i < m.Sections.size(); ++i) {
        const TSectionObj& s = m.Sections[i];
        const std::size_t links = p.Sections[i] + 8 + linkAt[i];
        if (!s.FichierSuite.empty()) {
            std::string d(16, '\x22');
            PutLien(d, s.Suite.TaillesOffset, s.Suite.TaillesLongueur);
            PutLien(d, s.Suite.LignesOffset, s.Suite.LignesLongueur);
            d += "C:\\AILLEURS\\" + s.FichierSuite;
            d += '\0';
            const auto at = Chaine(out, {d});
            p.Lignes.push_back(at);
            p.TaillesChunks.push_back({});
            Patch32(out, links, static_cast<std::uint32_t>(at[0]));
            Patch32(out, links + 4, static_cast<std::uint32_t>(d.size()) | 0x80000000u);
            continue;
        }
        const auto lignes = Prefixe(s.LigneChunks, true);
        const auto tailles = Prefixe(s.TailleChunks, false);
        p.Lignes.push_back(Chaine(out, lignes));
        p.TaillesChunks.push_back(Chaine(out, tailles));
        if (!lignes.empty()) {
            Patch32(out, links, static_cast<std::uint32_t>(p.Lignes.back()[0]));
            Patch32(out, links + 4, static_cast<std::uint32_t>(lignes[0].size()));
        }
        if (!tailles.empty()) {
            Patch32(out, links + 8, static_cast<std::uint32_t>(p.TaillesChunks.back()[0]));
            Patch32(out, links + 12, static_cast<std::uint32_t>(tailles[0].size()));
        }
    }
    if (plan)
        *plan = p;
    return out;
}

} // namespace kep::test
