#pragma once
// Error-file layouts of assemblers that can be checked here, offered by the
// configuration dialog. A preset leaves the error file's name alone: the
// make file decides where the messages go.
#include "config/U_Options.h"

#include <string>
#include <string_view>
#include <vector>

namespace kep {

// The reader that knows an assembler's own messages (U_ErrAssembleur.h):
// for its layouts the status text and the word to highlight come from what
// the message says, not from the twelve values.
enum class TErrLecteur { Aucun, Gpasm, Avra };

struct TErrPreset {
    // Windows-1252 like every model text: AnsiToQString for the widgets.
    std::string Nom;         // shown in the dialog
    std::string Description; // French, one line: what the layout reads
    TErrDefaults Err;        // FichErr is empty: keep the project's
    TErrLecteur Lecteur = TErrLecteur::Aucun;
};

const std::vector<TErrPreset>& ErrPresets();
// The preset of that name (ASCII case ignored), or nullptr.
const TErrPreset* FindErrPreset(std::string_view nom);
// The index of the preset whose layout `err` has (its error file aside), or
// -1 when none has it.
int IndexErrPreset(const TErrDefaults& err);
// The reader of the preset whose layout `err` has; Aucun for any other.
TErrLecteur ErrLecteurOf(const TErrDefaults& err);
// `err` with the preset's layout, keeping err.FichErr.
TErrDefaults ApplyErrPreset(const TErrPreset& preset, const TErrDefaults& err);

} // namespace kep
