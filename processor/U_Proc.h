#pragma once
// Reader of the processor description files (".s") that come with the
// assembler tool chain beside the tables: the instructions with a one-line
// description each, and the instruction groups the help window filters by.
//
// Only block 7 (the instructions) is used; line 1 and blocks 1 to 6 are
// skipped. Texts are Windows-1252 bytes, as the files hold them; load errors
// are UTF-8 messages for the user.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

struct TInstruction {
    std::string Mnemo;
    std::string Description;
    std::uint32_t Groupes = 0; // bit n: member of the group of bit n
};

struct TGroupe {
    std::string Nom;
    std::uint32_t Masque = 0;
};

class TProcesseur {
public:
    // Groups with a bit of their own; later names share the last one.
    static constexpr std::size_t MaxGroupes = 31;
    static constexpr const char* NomToutes = "_Toutes_";

    TProcesseur() = default;

    // Reads a description file; on failure (missing/unreadable) false, empty
    // lists, and *error holds a French message naming the file.
    bool Load(const std::string& path, std::string* error = nullptr);
    // Never fails: damaged text gives what can be read.
    void LoadFromBytes(std::string_view bytes);
    void Clear();

    int Count() const { return int(Instructions_.size()); }
    const TInstruction& Instruction(int n) const { return Instructions_.at(std::size_t(n)); }
    const std::vector<TInstruction>& Instructions() const { return Instructions_; }
    // Sorted by name (letters without regard to case or accents, "_" before
    // them); includes "_Toutes_" when the file has instructions.
    const std::vector<TGroupe>& Groupes() const { return Groupes_; }
    // Index in Groupes() of the name, without regard to case; -1 when absent.
    int IndexOfGroupe(std::string_view nom) const;

private:
    std::uint32_t MasqueDuGroupe(std::string_view nom);

    std::vector<TInstruction> Instructions_;
    std::vector<TGroupe> Groupes_;
};

} // namespace kep
