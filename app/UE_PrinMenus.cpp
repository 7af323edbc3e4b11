// The menu tree of the main window, its popups and the rules that show,
// hide, enable and disable their items.
#include "app/UE_Prin.h"

#include "controls/UC_HeaderCtrlG.h"
#include "editor/UC_Sources.h"
#include "editor/U_Edit.h"
#include "platform/QtText.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFontDialog>
#include <QFontInfo>
#include <QMenuBar>

namespace {

constexpr bool P = true;

// The Edition items whose shortcuts only live while the window is active.
const char* const kRaccourcis[][2] = {
    {"ME_Annuler", "Ctrl+Z"}, {"ME_Couper", "Ctrl+X"}, {"ME_Copier", "Ctrl+C"},
    {"ME_Coller", "Ctrl+V"},  {"ME_minMAJ", "Ctrl+A"},
};

} // namespace

QAction* TEcrPrin::Item(QMenu* menu, const char* name, const QString& caption, bool p, const QString& shortcut,
                        bool enabled)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    a->setProperty("tag", p ? 1 : 0);
    if (!shortcut.isEmpty())
        a->setShortcut(QKeySequence(shortcut));
    a->setEnabled(enabled);
    return a;
}

static QMenu* NewMenu(QMenuBar* bar, const char* name, const QString& caption, bool p)
{
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setProperty("tag", p ? 1 : 0);
    return m;
}

static QMenu* SubMenu(QMenu* parent, const char* name, const QString& caption, bool p)
{
    QMenu* m = parent->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setProperty("tag", p ? 1 : 0);
    return m;
}

void TEcrPrin::CreeMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));

    // Fichier
    M_Fichier = NewMenu(bar, "M_Fichier", QStringLiteral("&Fichier"), false);
    connect(Item(M_Fichier, "MF_Nouveau", QStringLiteral("&Nouveau"), P, {}, true), &QAction::triggered, this,
            &TEcrPrin::Nouveau);
    connect(Item(M_Fichier, "MF_Ouvre", QStringLiteral("&Ouvrir..."), P, QStringLiteral("Ctrl+O"), true),
            &QAction::triggered, this, &TEcrPrin::OuvreFichiers);
    MF_ReOuvre = SubMenu(M_Fichier, "MF_ReOuvre", QStringLiteral("&Réouvrir"), P);
    MF_ReOuvre->menuAction()->setEnabled(false);
    connect(Item(M_Fichier, "MF_NouvVue", QStringLiteral("Nouvelle &Vue"), P), &QAction::triggered, this, [this] {
        if (TEditeur* ed = EditeurCourant())
            OuvreFichier(ed->FileName);
    });
    connect(Item(M_Fichier, "MF_Enreg", QStringLiteral("&Enregistrer"), P), &QAction::triggered, this,
            [this] { SauvePage(Sources_->ItemIndex()); });
    connect(Item(M_Fichier, "MF_EnregSous", QStringLiteral("Enregistrer &sous..."), P), &QAction::triggered, this,
            [this] {
                if (SauveSous())
                    SauvePage(Sources_->ItemIndex());
            });
    connect(Item(M_Fichier, "MF_ToutEnreg", QStringLiteral("&Tout enregistrer"), false), &QAction::triggered, this,
            [this] {
                for (int i = 0; i < Sources_->Count(); ++i) {
                    const TInfPage* pg = Sources_->Entry(i);
                    if (pg->View == 0 && !pg->Editor->Buffer().ReadOnly)
                        SauvePage(i);
                }
                SauveProjet();
            });
    connect(Item(M_Fichier, "MF_Ferme", QStringLiteral("&Fermer"), P), &QAction::triggered, this, [this] {
        const int i = Sources_->ItemIndex();
        if (i < 0)
            return;
        FermeEtMemorise(i);
    });
    M_Fichier->addSeparator();
    connect(Item(M_Fichier, "MF_Imprime", QStringLiteral("&Imprimer..."), false), &QAction::triggered, this,
            &TEcrPrin::MF_ImprimerClick);
    M_Fichier->addSeparator();
    connect(Item(M_Fichier, "MF_Quitter", QStringLiteral("&Quitter (sans nettoyage)"), false, QStringLiteral("Alt+X"),
                 true),
            &QAction::triggered, this, &QWidget::close);
    connect(Item(M_Fichier, "MF_QuitPartiel", QStringLiteral("Quitter (nettoyage partiel)"), P, {}, true),
            &QAction::triggered, this, [this] {
                EffaceFichiers(Cfg_->Data.NetPartiel);
                close();
            });
    connect(Item(M_Fichier, "MF_QuitComplet", QStringLiteral("Quitter (nettoyage complet)"), P, {}, true),
            &QAction::triggered, this, [this] {
                EffaceFichiers(Cfg_->Data.NetComplet);
                close();
            });

    // Edition: the commands of the text model, then the window's own.
    M_Edition = NewMenu(bar, "M_Edition", QStringLiteral("&Edition"), false);
    M_Edition->menuAction()->setEnabled(false);
    auto edit = [this](void (TTextBuffer::*cmd)()) {
        return [this, cmd] {
            if (TEditeur* ed = EditeurCourant())
                (ed->Buffer().*cmd)();
        };
    };
    connect(Item(M_Edition, "ME_Annuler", QStringLiteral("&Annuler"), P, {}, true), &QAction::triggered, this,
            edit(&TTextBuffer::Undo));
    connect(Item(M_Edition, "ME_Couper", QStringLiteral("&Couper"), P, {}, true), &QAction::triggered, this,
            edit(&TTextBuffer::CutToClipboard));
    connect(Item(M_Edition, "ME_Copier", QStringLiteral("Co&pier"), false, {}, true), &QAction::triggered, this,
            edit(&TTextBuffer::CopyToClipboard));
    connect(Item(M_Edition, "ME_Coller", QStringLiteral("C&oller"), P, {}, true), &QAction::triggered, this, [this] {
        if (TEditeur* ed = EditeurCourant())
            ed->PasteFromClipboard();
    });
    connect(Item(M_Edition, "ME_minMAJ", QStringLiteral("min <-> MAJ"), P, {}, true), &QAction::triggered, this,
            edit(&TTextBuffer::ToggleCase));
    Item(M_Edition, "ME_Dos2Win", QStringLiteral("Dos -> win"), P, {}, true);
    Item(M_Edition, "ME_Win2Dos", QStringLiteral("Win -> dos"), P, {}, true);
    Item(M_Edition, "ME_InsDate", QStringLiteral("Insère date"), P, QStringLiteral("Ctrl+D"), true);
    Item(M_Edition, "ME_InsHeure", QStringLiteral("Insère heure"), P, QStringLiteral("Ctrl+H"), true);
    connect(M_Edition, &QMenu::aboutToShow, this, &TEcrPrin::OuvreEditionMenu);
    // Shortcuts reach the commands whatever the menu showed last.
    connect(M_Edition, &QMenu::aboutToHide, this, [this] {
        for (const auto& r : kRaccourcis)
            Action(r[0])->setEnabled(true);
    });

    // Sélection
    M_Selection = NewMenu(bar, "M_Selection", QStringLiteral("&Sélection"), P);
    M_Selection->menuAction()->setEnabled(false);
    Item(M_Selection, "MS_MetRem", QStringLiteral("&Met en remarque"), false, {}, true);
    Item(M_Selection, "MS_OteRem", QStringLiteral("&Annule remarque"), false, {}, true);
    // The shortcut belongs to the Edition item; it is only shown here.
    connect(Item(M_Selection, "MS_minMAJ", QStringLiteral("min <-> MAJ\tCtrl+A"), false, {}, true),
            &QAction::triggered, this, edit(&TTextBuffer::ToggleCase));
    Item(M_Selection, "MS_InvLignes", QStringLiteral("&Inverse l'ordre des lignes"), false, {}, true);

    // Chercher
    M_Chercher = NewMenu(bar, "M_Chercher", QStringLiteral("C&hercher"), false);
    M_Chercher->menuAction()->setEnabled(false);
    Item(M_Chercher, "MC_ChRemp", QStringLiteral("Chercher/&Remplacer..."), false, QStringLiteral("Ctrl+R"));
    Item(M_Chercher, "MC_Cherche", QStringLiteral("&Chercher..."), false, QStringLiteral("Ctrl+F"));
    Item(M_Chercher, "MC_Remplace", QStringLiteral("Remplacer..."), P);
    Item(M_Chercher, "MC_Repete", QStringLiteral("Répète cherche/remplace"), false, QStringLiteral("F3"));
    Item(M_Chercher, "MC_References", QStringLiteral("Ré&férences..."), false);
    Item(M_Chercher, "MC_VaLigne", QStringLiteral("&Va à la ligne..."), false, QStringLiteral("Ctrl+G"));
    Item(M_Chercher, "MC_TrouveLigOrg", QStringLiteral("&Trouve la ligne originale..."), P, QStringLiteral("Ctrl+L"));
    connect(Item(M_Chercher, "MC_ErrSuiv", QStringLiteral("&Erreur suivante"), P, QStringLiteral("F6"), true),
            &QAction::triggered, this, &TEcrPrin::MC_ErrSuivClick);
    connect(Item(M_Chercher, "MC_PagePrec", QStringLiteral("&Page précédente"), false, QStringLiteral("F4"), true),
            &QAction::triggered, this, [this] {
                const int prec = Sources_->PreviousPage();
                if (prec >= 0 && prec < Sources_->Count())
                    ChoisitPage(prec);
            });

    // Projet
    QMenu* mp = NewMenu(bar, "M_Projet", QStringLiteral("&Projet"), false);
    connect(Item(mp, "MP_NouveauProjet", QStringLiteral("&Nouveau projet..."), false, {}, true), &QAction::triggered,
            this, &TEcrPrin::MP_NouveauProjetClick);
    connect(Item(mp, "MP_Archiver", QStringLiteral("&Archiver..."), P, {}, true), &QAction::triggered, this,
            &TEcrPrin::MP_ArchiverClick);
    connect(Item(mp, "MP_ChangeProj", QStringLiteral("&Autres projets..."), false, {}, true), &QAction::triggered, this,
            &TEcrPrin::MP_ProjetClick);
    connect(Item(mp, "MP_Versions", QStringLiteral("&Versions"), false, {}, true), &QAction::triggered, this,
            &TEcrPrin::MP_VersionsClick);

    // Construire
    M_Construire = NewMenu(bar, "M_Construire", QStringLiteral("&Construire"), P);
    QAction* nomMake = Item(M_Construire, "MM_MakeFile", QString(), false);
    nomMake->setVisible(false);
    QAction* make = Item(M_Construire, "MM_Make", QStringLiteral("&Construire"), false, QStringLiteral("F2"), true);
    connect(make, &QAction::triggered, this, [this, make] { MM_MakeClick(make); });
    QAction* tout = Item(M_Construire, "MM_MakeTout", QStringLiteral("&Tout reconstruire"), false,
                         QStringLiteral("Shift+F2"), true);
    connect(tout, &QAction::triggered, this, [this, tout] { MM_MakeClick(tout); });
    DefautConstruire(tout);
    connect(Item(M_Construire, "MM_ChgMakeFile", QStringLiteral("C&hanger de fichier Make..."), false, {}, true),
            &QAction::triggered, this, [this] { ChoisitMakeFile(); });
    connect(Item(M_Construire, "MM_EditMakeFile", QStringLiteral("&Editer le fichier Make"), false, {}, true),
            &QAction::triggered, this, &TEcrPrin::MM_EditMakeFileClick);
    QAction* sep = M_Construire->addSeparator();
    sep->setObjectName(QStringLiteral("MM__2"));
    Item(M_Construire, "MM_Asm", QStringLiteral("&Assembler (en test)"), false);

    // Programmer
    QMenu* mpr = NewMenu(bar, "M_Programmer", QStringLiteral("P&rogrammer"), false);
    QAction* prog = Item(mpr, "MPr_Programme", QStringLiteral("&Programmer"), false, QStringLiteral("Alt+C"), true);
    QFont bold = prog->font();
    bold.setBold(true);
    prog->setFont(bold);
    mpr->setDefaultAction(prog);
    connect(prog, &QAction::triggered, this, &TEcrPrin::M_ProgrammeClick);
    connect(Item(mpr, "MPr_ChangeProgFile", QStringLiteral("&Changer de programmeur..."), false, {}, true),
            &QAction::triggered, this, &TEcrPrin::MPr_ChangeProgFileClick);

    // Débug
    QMenu* md = NewMenu(bar, "M_Debug", QStringLiteral("&Débug"), false);
    Item(md, "MD_Comms", QStringLiteral("&Communication..."), false, QStringLiteral("F9"))->setFont(bold);
    Item(md, "MD_CodView", QStringLiteral("&Visionneur de fichier COD..."), false);
    Item(md, "MD_Convertisseur", QStringLiteral("C&onvertisseur"), false);
    Item(md, "MD_FindCode", QStringLiteral("&Montre code généré"), false, QStringLiteral("Ctrl+N"));

    // Outils: the configured tools go above MO__1.
    M_Outils = NewMenu(bar, "M_Outils", QStringLiteral("&Outils"), false);
    MO__1 = M_Outils->addSeparator();
    MO__1->setObjectName(QStringLiteral("MO__1"));
    MO__1->setVisible(false);
    QAction* config = Item(M_Outils, "MO_Config", QStringLiteral("&Configuration..."), false, {}, true);
    config->setFont(bold);
    connect(config, &QAction::triggered, this, &TEcrPrin::MO_ConfigClick);
    connect(Item(M_Outils, "MO_Police", QStringLiteral("&Police..."), false), &QAction::triggered, this, [this] {
        TEditeur* ed = EditeurCourant();
        if (!ed)
            return;
        const QFont old = ed->EditorFont();
        if (const std::optional<QFont> f = AskFont(FontForDialog(old))) {
            ed->SetEditorFont(FontFromDialog(old, *f));
            MajReglette();
        }
    });
    connect(Item(M_Outils, "MO_PropFich", QStringLiteral("Propriétés du &Fichier.."), false), &QAction::triggered, this,
            [this] { ProprietesFichier(EntreeCible()); });
    connect(Item(M_Outils, "MO_PropVue", QStringLiteral("Propriétés de la &Vue..."), false), &QAction::triggered, this,
            [this] { ProprietesVue(EntreeCible()); });
    connect(M_Outils, &QMenu::aboutToShow, this, &TEcrPrin::OuvreMenuOutils);

    // Aide
    QMenu* ma = NewMenu(bar, "M_Aide", QStringLiteral("&Aide"), false);
    Item(ma, "MA_Rubriques", QStringLiteral("Rubriques d'aide"), false)->setFont(bold);
    Item(ma, "MA_VieilleAide", QStringLiteral("Vieille aide Vreli QDX"), false);
    Item(ma, "MA_Processeur", QString(), false)->setVisible(false);
    Item(ma, "MA_Processeurs", QStringLiteral("Processeurs..."), false);
    Item(ma, "MA_Historique", QStringLiteral("Historique de KEP"), false);
    Item(ma, "MA_APropos", QStringLiteral("&A propos..."), false);

    // Special
    M_Special = NewMenu(bar, "M_Special", QStringLiteral("Special"), false);
    Item(M_Special, "MSp_FormateSource", QStringLiteral("Formate Source"), false, {}, true);
    Item(M_Special, "MSp_FormateListing", QStringLiteral("Formate Listing Lister32"), false, {}, true);
    Item(M_Special, "MSp_RemplaceMov", QStringLiteral("Remplace mov par ':='"), false, {}, true);
    Item(M_Special, "MSp_Renum", QStringLiteral("Renum adresses"), false, {}, true);
    // Listed, but it has nothing to do.
    Item(M_Special, "MSp_Extrait", QStringLiteral("Extrait chaines"), false);
    Item(M_Special, "MSp_MarqueLabel", QStringLiteral("Marque Label"), false, QStringLiteral("Shift+F12"), true);
    Item(M_Special, "MSp_Test", QStringLiteral("Test"), false, {}, true);
    Item(M_Special, "MSp_ConvC", QStringLiteral("Conv C -> Pascal"), false, {}, true);
    // Never shown: only its shortcut is reachable, so it lives on the window.
    auto* montre = new QAction(QStringLiteral("Montre Menu"), this);
    montre->setObjectName(QStringLiteral("MSp_MontreMenu"));
    montre->setProperty("tag", 0);
    montre->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+F12")));
    addAction(montre);
    connect(montre, &QAction::triggered, this, &TEcrPrin::MSp_MontreMenuClick);
}

void TEcrPrin::CreePopups()
{
    // Editor popup: shared by every editor below the editor's own items.
    PM_Edit = new QMenu(this);
    PM_Edit->setObjectName(QStringLiteral("PM_Edit"));
    QMenu* pose = PM_Edit->addMenu(QStringLiteral("Pose marqueur"));
    pose->setObjectName(QStringLiteral("PM_E_Marqueur"));
    pose->menuAction()->setObjectName(QStringLiteral("PM_E_Marqueur"));
    for (int n = 0; n < 10; ++n) {
        QAction* a = pose->addAction(QString::number(n));
        a->setObjectName(QStringLiteral("PM_E_M%1").arg(n));
        connect(a, &QAction::triggered, this, [this, n] {
            if (TEditeur* ed = EditeurCourant())
                ed->Buffer().ToggleMarker(n, ed->Buffer().Caret());
        });
    }
    auto pm = [this](const char* name, const QString& caption, bool enabled) {
        QAction* a = PM_Edit->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setEnabled(enabled);
        return a;
    };
    pm("PM_E_MetRem", QStringLiteral("Met en remarque"), false);
    pm("PM_E_OteRem", QStringLiteral("Annule remarque"), false);
    PM_Edit->addSeparator();
    connect(pm("PM_E_Couper", QStringLiteral("&Couper"), true), &QAction::triggered, this, [this] {
        if (TEditeur* ed = EditeurCourant())
            ed->Buffer().CutToClipboard();
    });
    connect(pm("PM_E_Copier", QStringLiteral("Co&pier"), true), &QAction::triggered, this, [this] {
        if (TEditeur* ed = EditeurCourant())
            ed->Buffer().CopyToClipboard();
    });
    connect(pm("PM_E_Coller", QStringLiteral("C&oller"), true), &QAction::triggered, this, [this] {
        if (TEditeur* ed = EditeurCourant())
            ed->PasteFromClipboard();
    });
    PM_Edit->addSeparator();
    // The popup only opens over the current editor.
    connect(pm("PM_E_PropFich", QStringLiteral("Propriétés du &Fichier..."), true), &QAction::triggered, this,
            [this] { ProprietesFichier(Sources_->ItemIndex()); });
    connect(pm("PM_E_PropVue", QStringLiteral("Propriétés de la &Vue..."), true), &QAction::triggered, this,
            [this] { ProprietesVue(Sources_->ItemIndex()); });

    // Sources popup: acts on the entry in its tag.
    PM_Sources = new QMenu(this);
    PM_Sources->setObjectName(QStringLiteral("PM_Sources"));
    PM_Sources->setProperty("tag", -1);
    auto ps = [this](const char* name, const QString& caption, bool p, bool checkable = false) {
        QAction* a = PM_Sources->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setProperty("tag", p ? 1 : 0);
        a->setCheckable(checkable);
        return a;
    };
    QAction* nom = ps("PM_S_Nom", QString(), false);
    QFont bold = nom->font();
    bold.setBold(true);
    nom->setFont(bold);
    connect(nom, &QAction::triggered, this, [this] {
        if (const int e = EntreeCible(); e >= 0)
            ChoisitPage(e);
    });
    PM_Sources->addSeparator();
    connect(ps("PM_S_Fermer", QStringLiteral("Fermer"), P), &QAction::triggered, this, [this] {
        if (const int e = EntreeCible(); e >= 0)
            FermeEtMemorise(e);
    });
    connect(ps("PM_S_NouvVue", QStringLiteral("Nouvelle vue ..."), P), &QAction::triggered, this, [this] {
        if (const int e = EntreeCible(); e >= 0) {
            OuvreFichier(Sources_->Entry(e)->Editor->FileName);
            PM_Sources->setProperty("tag", Sources_->ItemIndex());
            ProprietesVue(Sources_->ItemIndex());
        }
    });
    connect(ps("PM_S_VuesManquantes", QStringLiteral("Créer les vues manquantes"), false), &QAction::triggered, this,
            [this] {
                if (const int e = EntreeCible(); e >= 0)
                    CreeVuesManquantes(e);
            });
    PM_Sources->addSeparator();
    connect(ps("PM_S_AutoSave", QStringLiteral("AutoSave"), P, true), &QAction::triggered, this, [this] {
        if (const int e = EntreeCible(); e >= 0)
            Sources_->Entry(e)->Editor->AutoSave = !Sources_->Entry(e)->Editor->AutoSave;
    });
    connect(ps("PM_S_AutoLoad", QStringLiteral("AutoLoad"), P, true), &QAction::triggered, this, [this] {
        if (const int e = EntreeCible(); e >= 0)
            Sources_->Entry(e)->Editor->AutoLoad = !Sources_->Entry(e)->Editor->AutoLoad;
    });
    connect(ps("PM_S_LectSeule", QStringLiteral("Lecture seule"), P, true), &QAction::triggered, this, [this] {
        if (const int e = EntreeCible(); e >= 0) {
            TTextBuffer& b = Sources_->Entry(e)->Editor->Buffer();
            if (b.ReadOnly && b.HoldsNul()) {
                // Editing would cut the text at its first NUL.
                Action("PM_S_LectSeule")->setChecked(true);
                ShowMessage(QStringLiteral("Ce fichier contient des octets nuls : il reste en lecture seule."));
                return;
            }
            b.ReadOnly = !b.ReadOnly;
            Sources_->viewport()->update();
            ModifiedToggled();
        }
    });
    connect(ps("PM_S_NoRefs", QStringLiteral("Ignoré par 'Références'"), false, true), &QAction::triggered, this,
            [this] {
                if (const int e = EntreeCible(); e >= 0) {
                    Sources_->Entry(e)->NoRefs = !Sources_->Entry(e)->NoRefs;
                    RafraichitCRef();
                }
            });
    PM_Sources->addSeparator();
    connect(ps("PM_S_PropFich", QStringLiteral("Propriétés du fichier..."), P), &QAction::triggered, this,
            [this] { ProprietesFichier(EntreeCible()); });
    connect(ps("PM_S_PropVue", QStringLiteral("Propriétés de la Vue"), false), &QAction::triggered, this,
            [this] { ProprietesVue(EntreeCible()); });
    connect(PM_Sources, &QMenu::aboutToShow, this, &TEcrPrin::OuvrePmSources);
    connect(PM_Edit, &QMenu::aboutToShow, this, &TEcrPrin::OuvrePmEdit);

    // Tab ruler popup.
    PM_TabBar = new QMenu(this);
    PM_TabBar->setObjectName(QStringLiteral("PM_TabBar"));
    auto tabs = [this](const std::vector<int>& cols) {
        return [this, cols] {
            if (TEditeur* ed = EditeurCourant()) {
                ed->SetTabStops(cols);
                MajReglette();
            }
        };
    };
    QAction* a = PM_TabBar->addAction(QStringLiteral("Restaure défauts asm (14, 23, 41, 48, 55, 70)"));
    a->setObjectName(QStringLiteral("PM_T_Asm"));
    connect(a, &QAction::triggered, this, tabs({14, 23, 41, 48, 55, 70}));
    a = PM_TabBar->addAction(QStringLiteral("Restaure défauts txt (8, 16, 24, 32, 40, 48)"));
    a->setObjectName(QStringLiteral("PM_T_Txt"));
    connect(a, &QAction::triggered, this, tabs({8, 16, 24, 32, 40, 48}));
    PM_TabBar->addAction(QStringLiteral("Annuler"))->setObjectName(QStringLiteral("PM_T_Annuler"));
}

QAction* TEcrPrin::Action(const char* name) const
{
    return findChild<QAction*>(QString::fromLatin1(name));
}

QMenu* TEcrPrin::Menu(const char* name) const
{
    return findChild<QMenu*>(QString::fromLatin1(name));
}

void TEcrPrin::MasqueProtege(bool masque)
{
    for (QAction* a : findChildren<QAction*>()) {
        if (a->objectName().startsWith(QStringLiteral("PM_E")))
            continue;
        if (a->property("tag").toInt() & 1)
            a->setVisible(!masque);
    }
}

void TEcrPrin::ActiveMenusFichier(bool active)
{
    for (const char* name : {"MF_NouvVue", "MF_Ferme", "MF_Enreg", "MF_EnregSous", "MF_ToutEnreg", "M_Edition",
                             "M_Chercher", "MO_Police", "MO_PropFich", "MO_PropVue", "MF_Imprime"})
        if (QAction* a = Action(name))
            a->setEnabled(active);
    TabBar->setEnabled(active);
}

void TEcrPrin::ActiveRaccourcis(bool active)
{
    for (const auto& r : kRaccourcis)
        if (QAction* a = Action(r[0]))
            a->setShortcut(active ? QKeySequence(QString::fromLatin1(r[1])) : QKeySequence());
}

void TEcrPrin::MSp_MontreMenuClick()
{
    const bool visible = !M_Special->menuAction()->isVisible();
    M_Special->menuAction()->setVisible(visible);
    for (const char* name : {"MM__2", "MM_Asm", "MP_Versions"})
        if (QAction* a = Action(name))
            a->setVisible(visible);
}

void TEcrPrin::OuvreEditionMenu()
{
    TEditeur* ed = EditeurCourant();
    const bool sel = ed && ed->Buffer().HasSelection();
    Action("ME_Annuler")->setEnabled(ed && ed->Buffer().CanUndo());
    Action("ME_Couper")->setEnabled(sel);
    Action("ME_Copier")->setEnabled(sel);
    Action("ME_Coller")->setEnabled(!QApplication::clipboard()->text().isEmpty());
}

void TEcrPrin::OuvrePmEdit()
{
    TEditeur* ed = EditeurCourant();
    const bool sel = ed && ed->Buffer().HasSelection();
    for (const char* name : {"PM_E_Couper", "PM_E_Copier", "PM_E_MetRem", "PM_E_OteRem"})
        Action(name)->setEnabled(sel);
    Action("PM_E_Coller")->setEnabled(!QApplication::clipboard()->text().isEmpty());
}

void TEcrPrin::OuvrePmSources()
{
    const int e = EntreeCible();
    const TInfPage* pg = e >= 0 ? Sources_->Entry(e) : nullptr;
    for (QAction* a : PM_Sources->actions())
        if (!a->isSeparator())
            a->setEnabled(pg != nullptr);
    if (!pg)
        return;
    QString text = Sources_->Text(e);
    Action("PM_S_Nom")->setText(text.replace(QLatin1Char('&'), QStringLiteral("&&")));
    Action("PM_S_AutoSave")->setChecked(pg->Editor->AutoSave);
    Action("PM_S_AutoLoad")->setChecked(pg->Editor->AutoLoad);
    Action("PM_S_LectSeule")->setChecked(pg->Editor->Buffer().ReadOnly);
    Action("PM_S_NoRefs")->setChecked(pg->NoRefs);
}

int TEcrPrin::EntreeCible() const
{
    const int e = PM_Sources->property("tag").toInt();
    return e >= 0 && e < Sources_->Count() ? e : -1;
}

QFont FontForDialog(const QFont& editorFont)
{
    // A family the font database does not list (a fontconfig alias such as
    // "Courier New") would leave the dialog on some other family and style.
    const QFontInfo shown(editorFont);
    QFont f(shown.family(), shown.pointSize() > 0 ? shown.pointSize() : editorFont.pointSize());
    f.setStyleName(shown.styleName());
    f.setBold(shown.bold());
    f.setItalic(shown.italic());
    return f;
}

QFont FontFromDialog(const QFont& editorFont, const QFont& chosen)
{
    QFont f = chosen;
    // The stored name stays when the family is the one it resolved to.
    if (chosen.family() == QFontInfo(editorFont).family())
        f.setFamily(editorFont.family());
    f.setStyleName(QString());
    return f;
}

std::optional<QFont> AskFontDialog(QWidget* parent, const QFont& start)
{
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, start, parent, QString(), QFontDialog::MonospacedFonts);
    return ok ? std::optional<QFont>(f) : std::nullopt;
}
