#include "project/U_NouveauProjet.h"

#include "build/U_ErrPresets.h"
#include "editor/U_SyntaxeStyles.h"
#include "platform/AsciiText.h"
#include "platform/CodePage.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace kep {

std::string_view NomChaine(TChaine c)
{
    switch (c) {
    case TChaine::Gplink:
        return "gplink";
    case TChaine::Gpasm:
        return "gpasm";
    case TChaine::Avra:
        return "avra";
    }
    return {};
}

std::optional<TChaine> ChaineDeNom(std::string_view nom)
{
    const std::string n = LowerAscii(nom);
    for (TChaine c : {TChaine::Gplink, TChaine::Gpasm, TChaine::Avra})
        if (n == NomChaine(c))
            return c;
    return std::nullopt;
}

std::string_view LibelleChaine(TChaine c)
{
    switch (c) {
    case TChaine::Gplink:
        return "gpasm + gplink (objets relogeables)";
    case TChaine::Gpasm:
        return "gpasm seul (code absolu)";
    case TChaine::Avra:
        return "avra";
    }
    return {};
}

std::optional<TChaine> ChaineParDefaut(TFamille f)
{
    switch (f) {
    case TFamille::Aucune:
        return std::nullopt;
    case TFamille::Avr:
        return TChaine::Avra;
    default:
        return TChaine::Gplink;
    }
}

namespace {

bool NomValide(std::string_view nom)
{
    if (nom.empty() || nom.size() > 64 || nom.front() == '.' || nom.front() == '-')
        return false;
    return std::all_of(nom.begin(), nom.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-'
               || c == '.';
    });
}

// The chip as a comment names it: PIC16F628A, ATmega328P.
std::string PuceAffichee(const std::string& puce, TFamille f)
{
    return f == TFamille::Avr ? puce : "PIC" + UpperAscii(puce);
}

std::string AvecCrLf(std::string_view texte)
{
    std::string out;
    out.reserve(texte.size() + texte.size() / 20);
    for (char c : texte) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

// A comment line framed by asterisks, 75 columns like the demo's.
std::string Cadre(char debut, const std::string& texte)
{
    const std::string bord(74, '*');
    std::string milieu = std::string(1, debut) + "** " + texte;
    if (milieu.size() <= 73)
        milieu += std::string(73 - milieu.size(), ' ') + "**";
    return std::string(1, debut) + bord + "\n" + milieu + "\n" + std::string(1, debut) + bord + "\n";
}

std::int32_t LigneDe(const std::string& texte, std::string_view marque)
{
    const std::size_t at = texte.find(marque);
    return at == std::string::npos ? 0 : std::int32_t(std::count(texte.begin(), texte.begin() + at, '\n'));
}

// The main source. Texts are Windows-1252.
std::string SourcePic(const TPlanProjet& plan, const std::string& nomSource, const std::string& nomProjet, TChaine ch,
                      bool include)
{
    const std::string affichee = PuceAffichee(plan.Puce, plan.Famille);
    std::string s = Cadre(';', nomSource + " : source principal du projet " + nomProjet + " (" + affichee + ")");
    s += ch == TChaine::Gplink ? "; Assembl\xE9 par gpasm -c puis li\xE9 par gplink (voir " + nomProjet + ".mke).\n"
                               : "; Assembl\xE9 par gpasm seul, en code absolu (voir " + nomProjet + ".mke).\n";
    s += "; F2 construit, F6 m\xE8ne \xE0 l'erreur suivante, Ctrl+N montre le code g\xE9n\xE9r\xE9\n"
         "; pour la ligne du curseur.\n"
         "; La configuration de la puce reste celle que gpasm donne par d\xE9" "faut :\n";
    s += plan.Famille == TFamille::Pic18 ? "; ajoutez des directives CONFIG pour la choisir.\n"
                                         : "; ajoutez une directive __CONFIG pour la choisir.\n";
    s += "\n        list    p=" + plan.Puce + "\n";
    if (include)
        s += "        #include <p" + plan.Puce + ".inc>\n";
    s += "\n;** Vecteur de reset ******************************************************\n";
    if (ch == TChaine::Gplink)
        s += "RESET_VECTEUR   code    0x0000\n";
    else
        s += "        org     0x0000\n";
    s += "        goto    Debut\n"
         "\n;** Programme principal ***************************************************\n";
    if (ch == TChaine::Gplink)
        s += "PRINCIPAL       code\n";
    s += "Debut:\n"
         "        ; initialisations\n"
         "\n"
         "Boucle:\n"
         "        ; travail de la boucle principale\n"
         "        goto    Boucle\n"
         "\n"
         "        end\n";
    return s;
}

std::string SourceAvr(const TPlanProjet& plan, const std::string& nomSource, const std::string& nomProjet,
                      const std::string& include)
{
    std::string s = Cadre(';', nomSource + " : source principal du projet " + nomProjet + " (" + plan.Puce + ")");
    s += "; Assembl\xE9 par avra (voir " + nomProjet + ".mke).\n"
         "; F2 construit, F6 m\xE8ne \xE0 l'erreur suivante, Ctrl+N montre le code g\xE9n\xE9r\xE9\n"
         "; pour la ligne du curseur.\n\n";
    // The chip's include names the device itself: a second .device would be
    // an error for avra.
    if (!include.empty())
        s += "        .include \"" + include + "\"\n";
    else
        s += "        .device " + plan.Puce + "\n";
    s += "\n;** Vecteur de reset ******************************************************\n"
         "        .cseg\n"
         "        .org    0x0000\n"
         "        rjmp    Debut\n"
         "\n;** Programme principal ***************************************************\n"
         "Debut:\n"
         "        ; initialisations\n"
         "\n"
         "Boucle:\n"
         "        ; travail de la boucle principale\n"
         "        rjmp    Boucle\n";
    return s;
}

// The recipe line that runs a tool and keeps its messages: on the console for
// the output window, and appended to the error file for F6.
// `perime`: what a failure makes stale, removed then so that no old program
// is taken for the new one.
std::string Recette(const std::string& commande, const std::string& msg, const std::string& perime = {})
{
    std::string fin = perime.empty() ? "exit $$r" : "[ $$r -eq 0 ] || rm -f " + perime + "; exit $$r";
    return "\t@" + commande + " > " + msg + " 2>&1; r=$$?; \\\n\t  cat " + msg + "; cat " + msg +
           " >> $(ERREURS); rm -f " + msg + "; " + fin + "\n";
}

std::string MakeFile(const TPlanProjet& plan, const std::string& nomProjet, const std::string& nomSource, TChaine ch)
{
    const std::string affichee = PuceAffichee(plan.Puce, plan.Famille);
    std::string s = Cadre('#', nomProjet + ".mke : construction du projet " + nomProjet + " (" + affichee + ", " +
                                   std::string(NomChaine(ch == TChaine::Gplink ? TChaine::Gpasm : ch)) +
                                   (ch == TChaine::Gplink ? " + gplink)" : ")"));
    s += "# KEP lance \xAB kepmake " + nomProjet + ".mke \xBB (soit make -f " + nomProjet +
         ".mke) dans le dossier\n"
         "# du projet ; \xAB Tout reconstruire \xBB ajoute -a, que kepmake traduit en -B.\n"
         "# Les messages de l'assembleur";
    s += ch == TChaine::Gplink ? " et de l'\xE9" "diteur de liens" : "";
    s += " vont dans\n# " + nomProjet + ".err, que KEP lit pour aller d'une erreur \xE0 la suivante (F6).\n\n"
         "# Sources du projet, pour la recherche dans les fichiers du projet :\n"
         "# sources:\t" + nomSource + "\n\n";
    s += "PROGRAMME = " + nomProjet + "\n"
         "ERREURS   = $(PROGRAMME).err\n";
    if (ch == TChaine::Gplink) {
        s += "# Le source principal ne porte pas le nom du programme : gplink \xE9" "crit\n"
             "# $(PROGRAMME).lst, qui remplacerait le listing de gpasm o\xF9 KEP lit le\n"
             "# code g\xE9n\xE9r\xE9 pour une ligne (Ctrl+N).\n"
             "SOURCES   = " + nomSource + "\n"
             "OBJETS    = $(SOURCES:.asm=.o)\n"
             "# -w 1 : erreurs et avertissements, sans les simples messages.\n"
             "GPASM     = gpasm -c -w 1\n"
             "GPLINK    = gplink -m\n";
    } else if (ch == TChaine::Gpasm) {
        s += "SOURCE    = " + nomSource + "\n"
             "# -w 1 : erreurs et avertissements, sans les simples messages.\n"
             "GPASM     = gpasm -w 1\n";
    } else {
        s += "SOURCE    = " + nomSource + "\n"
             "AVRA      = avra\n";
    }
    s += "\n# Chaque construction part d'un fichier d'erreurs vide.\n"
         "$(shell rm -f $(ERREURS))\n\n"
         ".PHONY: all clean\n"
         ".DELETE_ON_ERROR:\n\n"
         "all: $(PROGRAMME).hex\n\n";
    if (ch == TChaine::Gplink) {
        s += "$(PROGRAMME).hex: $(OBJETS)\n"
             "\t@echo \"gplink -> $@\"\n" +
             Recette("$(GPLINK) -o $@ $(OBJETS)", "$(PROGRAMME).msg") +
             "\n%.o: %.asm $(wildcard *.inc)\n"
             "\t@echo \"gpasm $<\"\n" +
             Recette("$(GPASM) $<", "$*.msg", "$(PROGRAMME).hex") +
             "\nclean:\n"
             "\trm -f $(OBJETS) $(SOURCES:.asm=.lst) $(PROGRAMME).hex $(PROGRAMME).cod \\\n"
             "\t  $(PROGRAMME).lst $(PROGRAMME).map $(ERREURS) *.msg\n";
    } else if (ch == TChaine::Gpasm) {
        s += "$(PROGRAMME).hex: $(SOURCE) $(wildcard *.inc)\n"
             "\t@echo \"gpasm $<\"\n" +
             Recette("$(GPASM) -o $@ $<", "$(PROGRAMME).msg") +
             "\nclean:\n"
             "\trm -f $(PROGRAMME).hex $(PROGRAMME).cod $(PROGRAMME).lst $(ERREURS) *.msg\n";
    } else {
        s += "# avra \xE9" "crit aussi $(PROGRAMME).eep.hex (EEPROM) et $(PROGRAMME).obj, o\xF9 KEP\n"
             "# lit le code g\xE9n\xE9r\xE9 pour une ligne (Ctrl+N).\n"
             "$(PROGRAMME).hex: $(SOURCE) $(wildcard *.inc)\n"
             "\t@echo \"avra $<\"\n" +
             Recette("$(AVRA) -l $(PROGRAMME).lst $<", "$(PROGRAMME).msg") +
             "\nclean:\n"
             "\trm -f $(PROGRAMME).hex $(PROGRAMME).eep.hex $(PROGRAMME).obj $(PROGRAMME).lst \\\n"
             "\t  $(PROGRAMME).cof $(ERREURS) *.msg\n";
    }
    return s;
}

std::string FichierProjet(const TPlanProjet& plan, const std::string& nomProjet, const std::string& nomSource,
                          TChaine ch)
{
    const TErrPreset* preset = FindErrPreset(ch == TChaine::Avra ? "avra" : "gpasm");
    TErrDefaults e = preset ? preset->Err : TErrDefaults{};
    e.FichErr = nomProjet + ".err";
    const auto liste = [](std::initializer_list<std::string> items) {
        return TIniFileStyles::JoinCommaList(std::vector<std::string>(items));
    };
    std::string s = "[Global]\n"
                    "MakeFile=" + nomProjet + ".mke\n"
                    "ProgFile=\n"
                    "ConvVisible=0\n"
                    "Assembleur=" + std::string(ch == TChaine::Avra ? "avra" : "gpasm") + "\n"
                    "FichErr=" + e.FichErr + "\n"
                    "MarqueErr=" + liste({e.MarqErr, std::to_string(e.LigMarqErr), e.MarqErr2, std::to_string(e.LigMarqErr2)}) + "\n"
                    "NbrLigErr=" + e.NbrLigErr + "\n"
                    "MarqueNom=" + liste({e.DebNomFich, e.FinNomFich, std::to_string(e.LigNomFich)}) + "\n"
                    "MarqueLig=" + liste({e.DebNumLig, e.FinNumLig, std::to_string(e.LigNumLig)}) + "\n"
                    "NbrEdit=2\n"
                    "PageAct=0\n"
                    "EditPrec=1\n"
                    "\n"
                    "[Edit0]\n"
                    "Nom=" + nomSource + "\n"
                    "CurPos=" + std::to_string(plan.LigneBoucle) + ",1\n"
                    "\n"
                    "[Edit1]\n"
                    "Nom=" + nomProjet + ".mke\n"
                    "CurPos=0,1\n";
    return s;
}

} // namespace

TPlanProjet PrepareNouveauProjet(const TNouveauProjet& p, const TCataloguePuces& puces, const TOptionsNouveau& options)
{
    TPlanProjet plan;
    const std::string nom(TrimControls(p.Nom));
    if (nom.empty()) {
        plan.Erreur = "Donnez un nom au projet.";
        return plan;
    }
    if (!NomValide(nom)) {
        plan.Erreur = "Le nom « " + nom + " » ne convient pas : lettres sans accent, chiffres, « _ », « - » et « . » "
                      "seulement (c'est aussi le nom des fichiers que make et l'assembleur produisent).";
        return plan;
    }
    if (p.Dossier.empty()) {
        plan.Erreur = "Choisissez le dossier du projet.";
        return plan;
    }
    const std::string puce(TrimControls(p.Puce));
    if (puce.empty()) {
        plan.Erreur = "Choisissez la puce du projet.";
        return plan;
    }
    plan.Famille = puces.Famille(puce);
    plan.Puce = puces.NomDe(puce);
    if (plan.Famille == TFamille::Aucune || plan.Puce.empty()) {
        plan.Erreur = "Puce « " + puce + " » inconnue de gpasm et d'avra.";
        return plan;
    }
    const bool avr = plan.Famille == TFamille::Avr;
    if (avr && p.Chaine != TChaine::Avra) {
        plan.Erreur = "La puce " + plan.Puce + " s'assemble avec avra, pas avec gpasm.";
        return plan;
    }
    if (!avr && p.Chaine == TChaine::Avra) {
        plan.Erreur = "La puce " + plan.Puce + " s'assemble avec gpasm (seul ou avec gplink), pas avec avra.";
        return plan;
    }
    if (p.Chaine == TChaine::Gplink && !FileExists(options.DossierLkr + LowerAscii(plan.Puce) + "_g.lkr")) {
        plan.Erreur = "gplink n'a pas de script d'édition de liens pour " + plan.Puce +
                      " : choisissez gpasm seul (code absolu).";
        return plan;
    }

    std::string dossier = p.Dossier;
    if (dossier.back() != '/')
        dossier += '/';
    // Named apart from the program for gplink, whose listing of NAME.hex is NAME.lst.
    const std::string nomSource = p.Chaine == TChaine::Gplink ? std::string("principal.asm") : nom + ".asm";
    plan.Projet = dossier + nom + ".pja";
    plan.MakeFile = dossier + nom + ".mke";
    plan.Source = dossier + nomSource;

    std::string source;
    if (avr) {
        const std::string inc = puces.IncludeDe(plan.Puce);
        source = SourceAvr(plan, nomSource, nom, inc.empty() ? std::string() : FileNameOf(inc));
    } else {
        source = SourcePic(plan, nomSource, nom, p.Chaine, !puces.IncludeDe(plan.Puce).empty());
    }
    plan.LigneBoucle = LigneDe(source, "Boucle:");
    const std::string make = MakeFile(plan, nom, nomSource, p.Chaine);
    const std::string projet = FichierProjet(plan, nom, nomSource, p.Chaine);

    const auto texte = [&options](const std::string& chemin, const std::string& ansi) {
        const bool oem = options.Oem ? options.Oem(FileNameOf(chemin)) : true;
        return AvecCrLf(oem ? AnsiToOem(ansi) : ansi);
    };
    plan.Fichiers.push_back({plan.Source, texte(plan.Source, source)});
    plan.Fichiers.push_back({plan.MakeFile, texte(plan.MakeFile, make)});
    plan.Fichiers.push_back({plan.Projet, AvecCrLf(projet)});
    return plan;
}

std::vector<std::string> FichiersExistants(const TPlanProjet& plan)
{
    std::vector<std::string> out;
    for (const TFichierNouveau& f : plan.Fichiers) {
        std::error_code ec;
        if (std::filesystem::exists(f.Chemin, ec))
            out.push_back(f.Chemin);
    }
    return out;
}

bool EcritNouveauProjet(const TPlanProjet& plan, bool remplacer, std::string* erreur)
{
    const auto echec = [erreur](std::string texte) {
        if (erreur)
            *erreur = std::move(texte);
        return false;
    };
    if (!plan.Erreur.empty())
        return echec(plan.Erreur);
    if (plan.Fichiers.empty())
        return echec("Rien à écrire.");
    if (!remplacer) {
        const std::vector<std::string> la = FichiersExistants(plan);
        if (!la.empty())
            return echec("Le fichier " + la.front() + " existe déjà.");
    }
    std::error_code ec;
    const std::string dossier = FolderOf(plan.Projet);
    std::filesystem::create_directories(dossier, ec);
    if (ec || !std::filesystem::is_directory(dossier, ec))
        return echec("Le dossier " + dossier + " n'a pu être créé.");
    for (const TFichierNouveau& f : plan.Fichiers) {
        std::error_code e2;
        if (std::filesystem::is_directory(f.Chemin, e2))
            return echec(f.Chemin + " est un dossier.");
        std::string why;
        if (!WriteFileAtomic(f.Chemin, f.Contenu, &why))
            return echec("Le fichier " + f.Chemin + " n'a pu être écrit : " + why);
    }
    return true;
}

} // namespace kep
