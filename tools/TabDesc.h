#pragma once
// Text description of a processor table (".tabdesc"), the source from which
// keptool builds a ".tab" file. The format is described in tools/README.md
// and at the top of TabDesc.cpp.
//
// The description is UTF-8; names and the title are converted to
// Windows-1252, the table's code page.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

// A table with every name resolved to its index: each element is already the
// byte sequence its area holds.
struct TTabDesc {
    struct TMnemonic {
        std::string Name;
        std::string Encoding; // the mnemonic's variants as area D holds them
    };

    std::string Title;
    std::vector<std::string> Keywords;
    std::array<std::uint8_t, 15> Flags{};
    std::vector<std::array<std::uint8_t, 4>> Values; // named-value records
    std::vector<std::string> Items;                  // area A entries
    std::vector<std::string> Alternatives;           // area B entries
    std::vector<std::string> Lists;                  // area C entries
    std::vector<TMnemonic> Mnemonics;
};

// Parses a description. On error returns false with a French message that
// starts with the line number ("Ligne 12 : ...").
bool ParseTabDesc(std::string_view text, TTabDesc& desc, std::string* error);

} // namespace kep
