#include "build/U_MakeCmd.h"

namespace kep {

namespace {

bool NeedsQuotes(std::string_view word)
{
    if (word.empty())
        return true;
    for (unsigned char c : word)
        if (c <= ' ' || c == '"' || c == '\'' || c == '\\')
            return true;
    return false;
}

} // namespace

std::string QuoteForLauncher(std::string_view word)
{
    if (!NeedsQuotes(word))
        return std::string(word);
    // Inside single quotes everything is literal; a quote itself closes,
    // goes escaped, and reopens.
    std::string out = "'";
    for (char c : word) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    out += '\'';
    return out;
}

std::string MakeCmdLine(std::string_view prog, std::string_view makeFile, std::string_view params)
{
    std::string line = QuoteForLauncher(prog) + ' ' + QuoteForLauncher(makeFile);
    if (!params.empty()) {
        line += ' ';
        line += params;
    }
    return line;
}

std::string DossierProgramme(std::string_view prog)
{
    const auto slash = prog.find_last_of('/');
    return slash == std::string_view::npos ? std::string() : std::string(prog.substr(0, slash + 1));
}

std::string PathPourMake(std::string_view prog, std::string_view saved)
{
    const std::string folder = DossierProgramme(prog);
    if (folder.empty())
        return std::string(saved);
    if (saved.empty())
        return folder;
    return folder + ':' + std::string(saved);
}

std::string MessageProgrammeIntrouvable(std::string_view prog)
{
    return "Programme \"" + std::string(prog) + "\" introuvable.";
}

std::string MessageFichierMakeIntrouvable(std::string_view file)
{
    return "Fichier Make \"" + std::string(file) + "\" introuvable.";
}

std::string MessageEchecLancement(unsigned code)
{
    return "Echec de \"CreateProcess\", Erreur : " + std::to_string(code);
}

std::string MessageExitCode(unsigned code)
{
    return "Exit code = " + std::to_string(code);
}

std::string MessageProgrammeNonExecutable(std::string_view prog)
{
    return "Programme \"" + std::string(prog) + "\" non exécutable.";
}

std::string MessageFinConstruction(unsigned code, bool interrompue, int erreurs)
{
    if (interrompue)
        return "Construction interrompue.";
    if (code == 0)
        return "Construction réussie.";
    std::string s = "Construction échouée (code " + std::to_string(code);
    if (erreurs > 0)
        s += ", " + std::to_string(erreurs) + (erreurs > 1 ? " erreurs" : " erreur");
    return s + ").";
}

} // namespace kep
