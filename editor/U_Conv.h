#pragma once
// The number converter's arithmetic: a word taken from a source is read as
// binary, decimal or hexadecimal, then written back in every base.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

// The stored unit of the input; uOuverte leaves the choice to the default
// unit. The values are those of the unit byte the window has always used.
enum TUniteConv : int { uOuverte = 0, uBinaire = 1, uDecimale = 2, uHexa = 3 };

// Indexes of the default-unit list ("Binaire", "Decimal", "Hexa").
enum TUniteDefaut : int { udBinaire = 0, udDecimal = 1, udHexa = 2 };

class TConversion {
public:
    // Takes a word: a "$" prefix means hexadecimal, "%" binary. False when the
    // word holds no digits or something that is no digit of any base: the
    // previous number is kept.
    bool SetValue(std::string_view text);

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
    std::string Digits_;
    TUniteConv Unit_ = uOuverte;
    TUniteConv Class_ = uBinaire; // the smallest base the digits fit
};

// The list of forms of a 32-bit value, in order: "%" binary (groups of 8
// digits), "$" hexadecimal (an even number of digits), for a negative value
// its unsigned reading, the signed decimal, and the character between single
// quotes when the code is printable (33 to 255, DEL and the codes
// Windows-1252 leaves unassigned excepted). Text in Windows-1252.
std::vector<std::string> FormesConversion(std::uint32_t value);

// Reads digits of one base; nothing past 32 bits or for a wrong digit.
std::optional<std::uint32_t> LitNombre(std::string_view digits, int base);

} // namespace kep
