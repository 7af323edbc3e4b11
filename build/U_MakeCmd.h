#pragma once
// The pieces of a build's command line and environment, and the texts the
// runner writes into the output window. Plain C++.
#include <string>
#include <string_view>

namespace kep {

// A word as the launcher splits its command line (shell quoting, no
// expansion): unchanged when it holds nothing the launcher would split or
// unquote, else in single quotes. A path with spaces thus stays one word.
std::string QuoteForLauncher(std::string_view word);

// "prog makeFile[ params]": the two paths quoted when needed, the
// parameters as the user wrote them (they may hold several words).
std::string MakeCmdLine(std::string_view prog, std::string_view makeFile, std::string_view params);

// The folder part of a program path, up to and including its last "/";
// empty when it has none.
std::string DossierProgramme(std::string_view prog);

// PATH for the child: the make program's folder first, so that the tools
// beside it are found, then the saved PATH. No empty element is added (an
// empty element would mean the current folder).
std::string PathPourMake(std::string_view prog, std::string_view saved);

// The separator line around the tool's output (29 hyphens).
inline constexpr std::string_view LigneSeparation = "-----------------------------";

std::string MessageProgrammeIntrouvable(std::string_view prog);     // Programme "x" introuvable.
std::string MessageFichierMakeIntrouvable(std::string_view file);   // Fichier Make "x" introuvable.
std::string MessageEchecLancement(unsigned code);                    // Echec de "CreateProcess", Erreur : n
std::string MessageExitCode(unsigned code);                          // Exit code = n
std::string MessageProgrammeNonExecutable(std::string_view prog);   // Programme "x" non exécutable.

// How a build ended, as status panel 3 says it when no error block is shown:
// "Construction réussie.", "Construction échouée (code n)." with the number
// of errors the error file holds when there are some, or "Construction
// interrompue." when it was stopped. UTF-8.
std::string MessageFinConstruction(unsigned code, bool interrompue, int erreurs);

} // namespace kep
