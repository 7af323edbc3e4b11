#pragma once
// The processor a source names on its first line, for the help menu's item
// "Processeur <nom>".
#include <string>
#include <string_view>

namespace kep {

// "p16", "P16.TAB", "p16\" or "p16.tab/" give the bare name; the extension
// .TAB is dropped in any case, any other extension is kept. Empty when the
// line holds no plain file name.
std::string NomProcesseurLigne(std::string_view firstLine);

// The description file of that processor in the processor folder: the name
// with its extension replaced by ".S", the spelling on disk followed ignoring
// case. Empty when there is no such file.
std::string FichierDescription(const std::string& tabPath, const std::string& name);

} // namespace kep
