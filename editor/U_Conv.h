#pragma once
// The number converter's arithmetic: a word taken from a source is read as
// binary, decimal or hexadecimal, then written back in every base, in the
// syntax of the project's assembler (without one, "$1F" and "%0101").
#include "editor/U_Assembleur.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

// The stored unit of the input; uOuverte leaves the choice to the default
// unit. The values are those of the unit byte the window has always used
// (octal came with the assemblers' syntaxes).
enum TUniteConv : int { uOuverte = 0, uBinaire = 1, uDecimale = 2, uHexa = 3, uOctale = 4 };

// Indexes of the default-unit list ("Binaire", "Decimal", "Hexa").
enum TUniteDefaut : int { udBinaire = 0, udDecimal = 1, udHexa = 2 };

class TConversion {
public:
    // Takes a word: a "$" prefix means hexadecimal, "%" binary. False when the
    // word holds no digits or something that is no digit of any base: the
    // previous number is kept.
    // With an assembler the word is read in its syntax, and a word that
    // starts with a letter is a name, not a number:
    // - gpasm: 0x1F, h'1F', 1Fh, b'0101', d'31', .31, o'17', 17o (q for o
    //   too), 'c' and a'c', escapes as in C ('\n', '\x41'). A trailing b or
    //   d is a hexadecimal digit under a hexadecimal default unit, as under
    //   gpasm's default radix, and a suffix under the others (list r=dec).
    // - avra: 0x1F, $1F, 0b0101, 'c' (one character, no escapes).
    // Plain digits follow the default unit in every syntax.
    bool SetValue(std::string_view text, TAssembleur a = TAssembleur::Inconnu);

    bool HasValue() const { return !Digits_.empty(); }
    const std::string& Digits() const { return Digits_; } // upper case, no prefix
    TUniteConv Unit() const { return Unit_; }

    // The unit the digits are read in under this default unit. An open unit
    // takes the default, unless the digits cannot be written in it (a 5 in
    // binary): then the base the digits need.
    TUniteConv UnitUsed(int uniteDefaut) const;
    // The number as 32 bits (negative values as their two's complement);
    // nothing when there is no input or it does not fit in 32 bits.
    std::optional<std::uint32_t> Value(int uniteDefaut) const;

private:
    bool SetPlain(std::string s, TUniteConv prefix);
    bool SetFixed(std::string_view digits, TUniteConv unit);
    bool SetGpasm(std::string_view w);
    bool SetAvra(std::string_view w);

    std::string Digits_;
    TUniteConv Unit_ = uOuverte;
    TUniteConv Class_ = uBinaire; // the smallest base the digits fit
    // gpasm's "0101b" and "31d" under a default unit other than hexadecimal.
    std::string SuffixDigits_;
    TUniteConv SuffixUnit_ = uOuverte;
};

// The list of forms of a 32-bit value, in order: "%" binary (groups of 8
// digits), "$" hexadecimal (an even number of digits), for a negative value
// its unsigned reading, the signed decimal, and the character between single
// quotes when the code is printable (33 to 255, DEL and the codes
// Windows-1252 leaves unassigned excepted). Text in Windows-1252.
// With an assembler, its forms: gpasm b'00011111', 0x1F, .31 (-.31 for a
// negative value) and 'c' ('\'', '\"' and '\\' escaped); avra 0b00011111,
// 0x1F, 31 and 'c'.
std::vector<std::string> FormesConversion(std::uint32_t value, TAssembleur a = TAssembleur::Inconnu);

// A stretch [Debut, Fin) of a line, 0-based.
struct TPortee {
    std::size_t Debut = 0;
    std::size_t Fin = 0;
    bool operator==(const TPortee&) const = default;
};
// What a value written over the selection `sel` of a line replaces: the
// whole number form in the assembler's syntax that holds the selection (the
// digits of h'1F' selected: all of h'1F'); without an assembler the
// selection with a "$" or "%" just before it. The selection itself when no
// form holds it.
TPortee PorteeNombre(std::string_view ligne, TPortee sel, TAssembleur a);
// The word a click on the character at index `at` gives the converter: the
// editor's word there (letters, digits, "_" and codes from 128), or with an
// assembler the whole number form holding that character when there is one.
// Empty on a blank or past the line's end.
std::string MotConversion(std::string_view ligne, std::size_t at, TAssembleur a);

// Reads digits of one base; nothing past 32 bits or for a wrong digit.
std::optional<std::uint32_t> LitNombre(std::string_view digits, int base);

} // namespace kep
