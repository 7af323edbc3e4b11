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
#include <map>
#include <string_view>
#include <utility>
#include <vector>

namespace kep {

// A table with every name resolved to its index: each element is already the
// byte sequence its area holds.
struct TTabDesc {
    // One syntax item of a variant, as written on its "encoding" line.
    struct TSyntaxItem {
        enum TKind { Keyword, Item, Alternative, List, QuotedKeyword, Comma, Other };
        TKind Kind = Other;
        unsigned Index = 0; // 1-based keyword, item, alternative or list
    };
    struct TVariant {
        std::string Opcode; // opcode bytes as written
        std::vector<TSyntaxItem> Syntax;
        int Line = 0;
    };
    struct TMnemonic {
        std::string Name;
        std::string Encoding; // the mnemonic's variants as area D holds them
        std::vector<TVariant> Variants;
        std::vector<std::string> Needs; // "needs" tags, in order, no repeats
    };
    // Where an operand's value lands in the opcode ("field" statement), for
    // the check against the real assemblers; the table file does not hold it.
    // Bits count in the little-endian integer of the opcode bytes.
    struct TField {
        std::vector<std::pair<unsigned, unsigned>> Bits; // (high, low), most significant part first
        bool Signed = false; // two's complement; set by "rel" too
        bool HasMax = false;
        std::uint64_t Max = 0;
        bool Rel = false; // value = (target - (address + RelOffset)) / RelScale
        long long RelOffset = 0;
        long long RelScale = 1;
        long long Scale = 1; // the source writes value x Scale (PIC18 goto: a byte address)
        bool Invert = false; // "not": the complement lands (AVR cbr is andi with ~K)
        std::vector<std::pair<unsigned, unsigned>> Also; // "also": placed a second time (AVR clr is eor Rd,Rd)
        int Line = 0;
        unsigned Width() const
        {
            unsigned w = 0;
            for (auto [hi, lo] : Bits)
                w += hi - lo + 1;
            return w;
        }
    };

    std::string Title;
    std::vector<std::string> Keywords;
    std::array<std::uint8_t, 15> Flags{};
    std::vector<std::array<std::uint8_t, 4>> Values; // named-value records
    std::vector<std::string> Items;                  // area A entries
    std::vector<std::string> Alternatives;           // area B entries
    std::vector<std::string> Lists;                  // area C entries
    std::vector<TMnemonic> Mnemonics;
    std::map<unsigned, TField> ItemFields;        // by 1-based item index
    std::map<unsigned, TField> AlternativeFields; // by 1-based alternative index
};

// Parses a description. On error returns false with a French message that
// starts with the line number ("Ligne 12 : ...").
bool ParseTabDesc(std::string_view text, TTabDesc& desc, std::string* error);

} // namespace kep
