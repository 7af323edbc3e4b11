#pragma once
// The developer's text tools of the Special menu. Each takes the lines it
// works on and gives the lines that replace them, so that the main window
// applies the result as one editing command (one undo step).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

using TLignes = std::vector<std::string>;

// "Formate Source": labels alone on their line, then tab, mnemonic, tab,
// operands, tab, comment; comment blocks after code set apart by an empty
// line.
TLignes FormateSource(const TLignes& lignes);

// "Formate Listing Lister32": a disassembly listing without its reference
// lines, with labels kept only where an address is referred to.
TLignes FormateListing(const TLignes& lignes);

// "Remplace mov par ':='": mov a,b becomes a:=b.
TLignes RemplaceMov(const TLignes& lignes);

// The offset typed for "Renum adresses": a leading "-" negates, the rest is
// decimal or hexadecimal after "$" (or "0x"); nullopt when not a number.
std::optional<std::int64_t> LitOffset(std::string_view texte);

// "Renum adresses": the four hexadecimal digits after the first "." of each
// line moved by the offset.
TLignes RenumAdresses(const TLignes& lignes, std::int64_t offset);

// "Conv C -> Pascal": a text of whole lines (CR LF breaks) rewritten
// character by character.
std::string ConvCPascal(std::string_view texte);

} // namespace kep
