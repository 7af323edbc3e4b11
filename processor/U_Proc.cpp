#include "processor/U_Proc.h"

#include "platform/AsciiText.h"
#include "platform/FileIo.h"

#include <algorithm>

namespace kep {

namespace {

// Blocks 1 to 6 come before the instructions; 2 and 6 have continued lines.
constexpr int BlocsSautes = 6;

// The shared group's name lists every name merged into it; past this length
// further names still share its bit but are no longer spelled out, so a file
// of endless group names cannot make the name (and its searches) grow.
constexpr std::size_t MaxNomPartage = 1000;

// Windows-1252 letters folded to lower case.
unsigned char Minuscule(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A: return 0x9A; // S caron
    case 0x8C: return 0x9C; // OE
    case 0x8E: return 0x9E; // Z caron
    case 0x9F: return 0xFF; // Y diaeresis
    default: return c;
    }
}

bool MemeTexte(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Minuscule(static_cast<unsigned char>(a[i])) != Minuscule(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool Contient(std::string_view texte, std::string_view mot)
{
    if (mot.size() > texte.size())
        return false;
    for (std::size_t i = 0; i + mot.size() <= texte.size(); ++i)
        if (MemeTexte(texte.substr(i, mot.size()), mot))
            return true;
    return false;
}

// Sort weight of a byte: symbols first (so "_Toutes_" heads the list), then
// digits, then letters by their base letter, accents and case aside.
int Poids(unsigned char c)
{
    c = Minuscule(c);
    char base = 0;
    if (c >= 'a' && c <= 'z')
        base = char(c);
    else if (c >= 0xE0 && c <= 0xE6)
        base = 'a';
    else if (c == 0xE7)
        base = 'c';
    else if (c >= 0xE8 && c <= 0xEB)
        base = 'e';
    else if (c >= 0xEC && c <= 0xEF)
        base = 'i';
    else if (c == 0xF0)
        base = 'd';
    else if (c == 0xF1)
        base = 'n';
    else if ((c >= 0xF2 && c <= 0xF6) || c == 0xF8 || c == 0x9C)
        base = 'o';
    else if (c >= 0xF9 && c <= 0xFC)
        base = 'u';
    else if (c == 0xFD || c == 0xFF)
        base = 'y';
    else if (c == 0xFE)
        base = 't';
    else if (c == 0xDF || c == 0x9A)
        base = 's';
    else if (c == 0x9E)
        base = 'z';
    else if (c == 0x83)
        base = 'f';
    if (base)
        return 0x200 + base;
    if (c >= '0' && c <= '9')
        return 0x100 + c;
    return c;
}

bool AvantPourTri(const TGroupe& x, const TGroupe& y)
{
    const std::string_view a = x.Nom, b = y.Nom;
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int pa = Poids(static_cast<unsigned char>(a[i])), pb = Poids(static_cast<unsigned char>(b[i]));
        if (pa != pb)
            return pa < pb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    // Same letters: a fixed order all the same, whatever the input order.
    return a < b;
}

bool FinitParDeuxPoints(std::string_view s)
{
    return !s.empty() && s.back() == ':';
}

// Passes line 1 (the option words) and blocks 1 to 6, each up to and
// including the empty line that ends it.
void SauteBlocs(TLignesTexte& lignes)
{
    std::string_view ligne;
    if (!lignes.Suivante(ligne))
        return;
    for (int bloc = 1; bloc <= BlocsSautes; ++bloc) {
        const bool suites = bloc == 2 || bloc == 6;
        while (lignes.Suivante(ligne) && !ligne.empty()) {
            if (!suites || !FinitParDeuxPoints(ligne))
                continue;
            // Continued lines belong to the block, even empty ones; each is
            // trimmed before being joined, so its own ":" continues it again.
            while (lignes.Suivante(ligne) && FinitParDeuxPoints(TrimControls(ligne))) {
            }
        }
    }
}

} // namespace

int TProcesseur::IndexOfGroupe(std::string_view nom) const
{
    for (std::size_t g = 0; g < Groupes_.size(); ++g)
        if (MemeTexte(Groupes_[g].Nom, nom))
            return int(g);
    return -1;
}

std::uint32_t TProcesseur::MasqueDuGroupe(std::string_view nom)
{
    const int g = IndexOfGroupe(nom);
    if (g >= 0)
        return Groupes_[std::size_t(g)].Masque;
    if (Groupes_.size() < MaxGroupes) {
        const std::uint32_t masque = std::uint32_t(1) << Groupes_.size();
        Groupes_.push_back(TGroupe{std::string(nom), masque});
        return masque;
    }
    TGroupe& partage = Groupes_[MaxGroupes - 1];
    if (partage.Nom.size() + 2 + nom.size() <= MaxNomPartage && !Contient(partage.Nom, nom))
        partage.Nom.append(", ").append(nom);
    return partage.Masque;
}

void TProcesseur::Clear()
{
    Instructions_.clear();
    Groupes_.clear();
}

bool TProcesseur::Load(const std::string& path, std::string* error)
{
    Clear();
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        if (error)
            *error = "Impossible de lire la description du processeur « " + path + " ».";
        return false;
    }
    LoadFromBytes(bytes);
    return true;
}

void TProcesseur::LoadFromBytes(std::string_view bytes)
{
    Clear();
    TLignesTexte lignes(bytes);
    SauteBlocs(lignes);
    std::string_view ligne;
    // Block 7 is a block like the others: its empty line ends it.
    while (lignes.Suivante(ligne) && !ligne.empty()) {
        if (ligne[0] != ';') {
            const std::size_t tab = ligne.find('\t');
            if (tab != std::string_view::npos && tab > 0)
                Instructions_.push_back(TInstruction{std::string(ligne.substr(0, tab)), {}, 0});
            continue;
        }
        const std::size_t fin = ligne.find('!');
        // Without an instruction to describe, the comment is only a comment.
        if (fin == std::string_view::npos || Instructions_.empty())
            continue;
        TInstruction& instr = Instructions_.back();
        const std::string_view texte = ligne.substr(1, fin - 1);
        std::size_t debut = texte.find('~');
        instr.Description = std::string(texte.substr(0, debut));
        while (debut != std::string_view::npos) {
            const std::size_t suivant = texte.find('~', debut + 1);
            const std::string_view nom = texte.substr(debut + 1, suivant == std::string_view::npos ? suivant : suivant - debut - 1);
            // "~~" or a last "~" names no group: a nameless group would be
            // a blank line of the list that filters on nothing one can read.
            if (!nom.empty())
                instr.Groupes |= MasqueDuGroupe(nom);
            debut = suivant;
        }
    }

    if (!Instructions_.empty()) {
        std::uint32_t et = ~std::uint32_t(0), ou = 0;
        for (const TInstruction& instr : Instructions_) {
            et &= instr.Groupes;
            ou |= instr.Groupes;
        }
        if (et == 0) {
            std::uint32_t toutes = 1;
            while (toutes != 0 && toutes <= ou)
                toutes <<= 1;
            Groupes_.push_back(TGroupe{NomToutes, toutes});
            for (TInstruction& instr : Instructions_)
                instr.Groupes |= toutes;
        } else {
            for (TGroupe& g : Groupes_)
                if (g.Masque & et) {
                    g.Nom = NomToutes;
                    break;
                }
        }
    }
    std::stable_sort(Groupes_.begin(), Groupes_.end(), AvantPourTri);
}

} // namespace kep
