#pragma once
// What the program image viewer opens besides its own .cod images: Intel HEX
// files (what gplink and avra leave), read into the same tree, and the
// telling apart of the formats a file named .cod may hold. Plain C++, no
// window; texts in UTF-8.
#include "build/U_FichiersScan.h"
#include "build/U_ImageCod.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

// ---- Intel HEX ------------------------------------------------------------------

// One run of data at consecutive addresses, or one line worth telling the
// user (a bad line, a start address), in file order.
struct TBlocHex {
    std::uint64_t Adresse = 0; // of the first byte; 64-bit so that nothing wraps
    std::string Octets;
    std::string Message;       // set for a line, empty for data
    bool operator==(const TBlocHex&) const = default;
};

struct TLectureHex {
    std::vector<TBlocHex> Blocs;
    bool Fin = false;          // the end record (type 01) was read; nothing after it is
    std::size_t LigneFin = 0;  // its line, from 1
    std::size_t Fautes = 0;    // bad lines, all of them (only the first ones get a message)
};

// Records 00 (data), 01 (end), 02 and 04 (segment and linear base), 03 and
// 05 (start address). A bad line (no ':', a non-hex digit, an odd digit
// count, a wrong length or checksum, an unknown type) gets a message naming
// its number and is skipped; reading goes on.
TLectureHex LitImageHex(std::string_view texte);

// The viewer's tree: "Segment NN : ..." per run as for a .cod image, a node
// per message, then the end.
std::vector<TNoeudCod> ArbreHex(std::string_view texte);

// ---- Which format -----------------------------------------------------------------

enum class TFormatImage {
    Cod,          // the records this viewer and the code look-up read
    CodMicrochip, // the directory-block .cod of gpasm, gplink and MPASM
    IntelHex,
};
TFormatImage FormatImage(std::string_view bytes);
// The tool a Microchip .cod names in its directory ("gplink"), or empty.
std::string OutilCodMicrochip(std::string_view bytes);
// What the viewer says of a Microchip .cod (`nom` without folder), and of
// the Intel HEX file it shows instead when there is one (`hex`).
std::string MessageCodMicrochip(const std::string& nom, std::string_view bytes, const std::string& hex = {});
// The tree of such a file: the same said in short lines.
std::vector<TNoeudCod> ArbreCodMicrochip(const std::string& nom, std::string_view bytes);

// The project's program image, the viewer's first file: the make file's
// .COD when it holds records of this viewer's format, else the make file's
// .hex (a gputils project), else nothing. `makeFile` may be empty.
std::string ImageDuProjet(const TFichiersScan& fs, const std::string& makeFile);

} // namespace kep
