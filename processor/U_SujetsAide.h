#pragma once
// The topic file "KepHlp.txt" of the QDX help window: OEM text in which a
// line holding "$$" opens a topic. The character after "$$" is the topic's
// level ("1", "2"...; "0" ends the topic list), the text after the line's
// first ":" its title, and the lines up to the next "$$" its text.
//
// Damaged files stay readable: a level that is not a digit (or a "$$" at
// the end of its line) makes no topic, levels that go up past the top give
// top-level topics, a line without ":" takes its title after the level.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

struct TSujet {
    std::string Titre;
    int Parent = -1;       // index of the parent topic, -1 at the top
    std::size_t Ligne = 0; // index of the line after its topic line
};

// More topics than a tree can usefully show are left out.
constexpr std::size_t MaxSujets = 50000;

// Splits OEM bytes into lines (CR LF, LF or CR) converted to Windows-1252.
std::vector<std::string> LignesAide(std::string_view oemBytes);
// The lines of the file; a file that cannot be read gives the two lines
// "$$1:Erreur" and "Fichier KepHlp.txt non trouvé".
std::vector<std::string> LitAide(const std::string& path);
// The topic tree, in file order; Parent is an index into the result or -1
// for a top-level topic (a parent always comes before its children).
std::vector<TSujet> ConstruitSujets(const std::vector<std::string>& lignes);
// The lines of a topic from `debut` up to the next line containing "$$" (or
// the end).
std::vector<std::string> TexteSujet(const std::vector<std::string>& lignes, std::size_t debut);

} // namespace kep
