#pragma once
// Build messages read the way gpasm, gplink and avra write them, for the
// layouts of their presets: the whole message goes to the status bar, the
// name it complains about is highlighted, and a linker error, which names no
// line, leads to the source of the object it names. Plain C++, no window.
#include "build/U_ErrNav.h"
#include "build/U_ErrPresets.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kep {

// The block one line of an error file makes, or nothing for a line that is
// no error or warning (gpasm's Message[n] notes, gplink's "message:", avra's
// PRAGMA and closing lines, make's own). BlockStart and NextSearch are left
// at 0. A gplink message naming an object "X.o" points at X.asm when
// `projectDir` holds it (LineNumber 0, FindWord the symbol); otherwise, and
// for a message naming no source, the block is StatusOnly.
std::optional<TErrBlock> AsmBlockOf(std::string_view line, TErrLecteur lecteur, const std::string& projectDir);

// The next such block from line `from` (0-based) on; NextSearch is the line
// after it.
std::optional<TErrBlock> NextAsmBlock(const TLineAt& line, std::int32_t count, std::int32_t from,
                                      TErrLecteur lecteur, const std::string& projectDir);

// 0-based line of the first use of `word` (whole word, ASCII case ignored)
// outside comments and extern/global directives; failing that, the first of
// those directives that names it; -1 when no line holds it.
std::int32_t LigneUtilisant(const TLineAt& line, std::int32_t count, std::string_view word);

struct TErrCompte {
    int Erreurs = 0;
    int Avertissements = 0;
};
// The blocks of an error text, as F6 would walk them. For a layout that is
// no assembler's preset, a block whose marker line holds MarqErr is an
// error, any other a warning.
TErrCompte CompteErreurs(const TLineAt& line, std::int32_t count, const TErrDefaults& err);
// The same over a whole error file's text (lines end with LF, CR LF or CR).
TErrCompte CompteErreursTexte(std::string_view texte, const TErrDefaults& err);

} // namespace kep
