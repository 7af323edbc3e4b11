#include "project/U_Archivage.h"

#include "platform/FileIo.h"
#include "platform/FolderOps.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <sys/stat.h>

namespace kep {

namespace {

bool IsDirectory(const std::string& path)
{
    struct stat st{};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

TOptArchivage LitOptArchivage(const TIniFile& ini)
{
    TOptArchivage o;
    const auto choix = [&ini](const char* key, int def) {
        const int v = ini.ReadInteger(SectionArchivage, key, def);
        return v >= 0 && v <= 2 ? v : def;
    };
    o.CreeZip = ini.ReadBool(SectionArchivage, "CreeZip", o.CreeZip);
    o.OptChemin = choix("OptChemin", o.OptChemin);
    o.Archive = ini.ReadBool(SectionArchivage, "Archive", o.Archive);
    o.CreeCopie = ini.ReadBool(SectionArchivage, "CreeCopie", o.CreeCopie);
    o.OptSuite = choix("OptSuite", o.OptSuite);
    o.SupOrigine = ini.ReadBool(SectionArchivage, "SupOrigine", o.SupOrigine);
    return o;
}

bool EcritOptArchivage(TIniFile& ini, const TOptArchivage& o)
{
    ini.BeginUpdate();
    ini.WriteBool(SectionArchivage, "CreeZip", o.CreeZip);
    ini.WriteInteger(SectionArchivage, "OptChemin", o.OptChemin);
    ini.WriteBool(SectionArchivage, "CreeCopie", o.CreeCopie);
    ini.WriteInteger(SectionArchivage, "OptSuite", o.OptSuite);
    ini.WriteBool(SectionArchivage, "SupOrigine", o.SupOrigine);
    // The option shares its key with the mark. Unchecked it is kept as 0,
    // which is "not archived" as well; checked, by the key's absence, its
    // default. A project that carries the mark keeps it.
    if (!EstArchive(ini)) {
        if (o.Archive)
            ini.DeleteKey(SectionArchivage, "Archive");
        else
            ini.WriteBool(SectionArchivage, "Archive", false);
    }
    return ini.EndUpdate();
}

bool EstArchive(const TIniFile& ini)
{
    return ini.ReadBool(SectionArchivage, "Archive", false);
}

bool MarqueArchive(const std::string& projectFile, bool mark, std::string* error)
{
    TIniFile ini(projectFile);
    // Cleared by removing the key: the option of the archiver's dialog then
    // starts checked again, as for a project never archived.
    if (mark ? ini.WriteBool(SectionArchivage, "Archive", true) : ini.DeleteKey(SectionArchivage, "Archive"))
        return true;
    if (error)
        *error = ini.LastError();
    return false;
}

std::string DossierProjet(const std::string& nomProjet)
{
    std::string d = FolderOf(nomProjet);
    if (d.size() > 1 && d.back() == '/')
        d.pop_back();
    return d;
}

std::string NouvelleVersion(const std::string& dossier)
{
    const std::size_t base = dossier.rfind('/') == std::string::npos ? 0 : dossier.rfind('/') + 1;
    std::size_t debut = dossier.size();
    while (debut > base && dossier[debut - 1] >= '0' && dossier[debut - 1] <= '9')
        --debut;
    if (debut == dossier.size())
        return dossier + "1";
    // Counted up as text: any number of digits, no overflow.
    std::string chiffres = dossier.substr(debut);
    std::size_t i = chiffres.size();
    while (i > 0 && chiffres[i - 1] == '9')
        chiffres[--i] = '0';
    if (i == 0)
        chiffres.insert(chiffres.begin(), '1');
    else
        ++chiffres[i - 1];
    return dossier.substr(0, debut) + chiffres;
}

std::string NomZipDefaut(const std::string& dossier)
{
    const std::size_t base = dossier.rfind('/') == std::string::npos ? 0 : dossier.rfind('/') + 1;
    const std::size_t point = dossier.rfind('.');
    // A name that begins with its only dot has no extension.
    if (point == std::string::npos || point <= base)
        return dossier + ".zip";
    return dossier.substr(0, point) + ".zip";
}

std::size_t DebutNomsZip(const std::string& dossier, int optChemin)
{
    switch (optChemin) {
    case 1:
        return ZipStartWithFolder(dossier);
    case 2:
        return ZipStartFullPath(dossier);
    default:
        return ZipStartRelative(dossier);
    }
}

TDossierDecoupe DecoupeDossier(const std::string& text)
{
    const std::size_t slash = text.rfind('/');
    if (slash == std::string::npos)
        return {std::string(), text};
    return {slash == 0 ? std::string("/") : text.substr(0, slash), text.substr(slash + 1)};
}

std::string ProjetDansCopie(const std::string& dossierCopie, const std::string& nomProjet)
{
    std::string d = dossierCopie;
    while (d.size() > 1 && d.back() == '/')
        d.pop_back();
    return d + "/" + FileNameOf(nomProjet);
}

bool CopieShell(const std::string& source, const std::string& destination, int operation, std::string* error)
{
    switch (operation) {
    case foCopie:
        return CopyFolder(source, destination, error);
    case foSupprime:
        return MoveToTrash(source, error);
    default:
        if (error)
            *error = "Opération inconnue.";
        return false;
    }
}

std::string VerifieNomZip(const std::string& nomZip)
{
    if (nomZip.empty())
        return "Le nom du fichier ZIP est vide : indiquez le fichier à créer.";
    if (nomZip.back() == '/' || IsDirectory(nomZip))
        return "Le nom du fichier ZIP " + nomZip + " est celui d'un dossier : choisissez le nom d'un fichier.";
    const std::string dossier = FolderOf(nomZip);
    if (!dossier.empty() && !IsDirectory(dossier))
        return "Le dossier du fichier ZIP " + nomZip + " n'existe pas.";
    return {};
}

TResultatArchivage ExecuteArchivage(const TDemandeArchivage& d)
{
    TResultatArchivage r;
    const std::string dossier = DossierProjet(d.NomProjet);
    if (d.Opts.CreeZip) {
        const TZipReport z = ZipFolder(dossier, d.NomZip, DebutNomsZip(dossier, d.Opts.OptChemin), d.Zip);
        if (z.Ok)
            r.Fait = r.ZipFait = true;
        else
            r.Messages.push_back(z.Message);
    }
    if (d.Opts.Archive) {
        std::string why;
        if (!MarqueArchive(d.NomProjet, true, &why))
            r.Messages.push_back("Le projet n'a pu être marqué comme archivé.\n" + why);
    }
    if (d.Opts.CreeCopie) {
        std::string why;
        if (CopieShell(dossier, d.NomCopie, foCopie, &why)) {
            r.Fait = r.CopieFaite = true;
            r.ProjetCopie = ProjetDansCopie(d.NomCopie, d.NomProjet);
            if (FileExists(r.ProjetCopie) && EstArchive(TIniFile(r.ProjetCopie))
                && !MarqueArchive(r.ProjetCopie, false, &why))
                r.Messages.push_back("La copie garde la marque d'archive.\n" + why);
        } else {
            r.Messages.push_back("La copie du projet dans " + d.NomCopie + " a échoué.\n" + why);
        }
    }
    return r;
}

} // namespace kep
