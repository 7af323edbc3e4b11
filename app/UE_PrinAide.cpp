// The menu Aide, the help topic of every menu item (F1 on a highlighted
// item), and the processor reference windows it opens.
#include "app/UE_Prin.h"

#include "app/UF_APropos.h"
#include "app/U_MenuAide.h"
#include "config/U_KepFile.h"
#include "editor/U_Edit.h"
#include "platform/FileIo.h"
#include "platform/Help.h"
#include "platform/Paths.h"
#include "platform/QtText.h"
#include "processor/UF_AideProc.h"
#include "processor/UF_AideQDX.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>

namespace {

// The help topic of each item, by object name. Items not listed take their
// menu's topic.
const std::pair<const char*, int> kContextes[] = {
    {"M_Fichier", 1100}, {"MF_Nouveau", 1101}, {"MF_Ouvre", 1102}, {"MF_ReOuvre", 1103}, {"MF_NouvVue", 1104},
    {"MF_Enreg", 1105}, {"MF_EnregSous", 1106}, {"MF_ToutEnreg", 1107}, {"MF_Ferme", 1108}, {"MF_Imprime", 1120},
    {"MF_Quitter", 1130}, {"MF_QuitPartiel", 1131}, {"MF_QuitComplet", 1132},
    {"M_Edition", 1200}, {"ME_Annuler", 1201}, {"ME_Couper", 1210}, {"ME_Copier", 1211}, {"ME_Coller", 1212},
    {"ME_minMAJ", 1220}, {"ME_Dos2Win", 1221}, {"ME_Win2Dos", 1222}, {"ME_InsDate", 1230}, {"ME_InsHeure", 1231},
    {"M_Selection", 1900}, {"MS_MetRem", 1901}, {"MS_OteRem", 1902}, {"MS_minMAJ", 1910}, {"MS_InvLignes", 1911},
    {"M_Chercher", 1300}, {"MC_ChRemp", 1301}, {"MC_Cherche", 1302}, {"MC_Remplace", 1303}, {"MC_Repete", 1304},
    {"MC_References", 1310}, {"MC_VaLigne", 1320}, {"MC_TrouveLigOrg", 1321}, {"MC_ErrSuiv", 1322},
    {"MC_PagePrec", 1323},
    {"M_Projet", 2000}, {"MP_Archiver", 2001}, {"MP_ChangeProj", 2002},
    {"M_Construire", 1400}, {"MM_Make", 1401}, {"MM_MakeTout", 1402}, {"MM_MakeFile", 1405},
    {"MM_ChgMakeFile", 1410}, {"MM_EditMakeFile", 1411}, {"MM_Asm", 1420},
    {"M_Programmer", 1500}, {"MPr_Programme", 1501}, {"MPr_ChangeProgFile", 1510},
    {"M_Debug", 1600}, {"MD_Comms", 1601}, {"MD_CodView", 1602}, {"MD_Convertisseur", 1610}, {"MD_FindCode", 1611},
    {"M_Outils", 1700}, {"MO_Config", 1701}, {"MO_Police", 1702}, {"MO_PropFich", 1703}, {"MO_PropVue", 1704},
    {"M_Aide", 1800}, {"MA_Rubriques", 1801}, {"MA_VieilleAide", 1802}, {"MA_Processeur", 1810},
    {"MA_Processeurs", 1811}, {"MA_Historique", 1820}, {"MA_APropos", 1821},
    {"PM_E_Marqueur", 1001}, {"PM_S_Fermer", 1108}, {"PM_S_NouvVue", 1104}, {"PM_S_PropVue", 1104},
    {"PM_E_PropVue", 1104},
};

constexpr const char* kAide = "aide";

// F1 on a highlighted item of an open menu shows that item's topic.
class TAideMenus : public QObject {
public:
    TAideMenus(QObject* parent, std::function<void(int)> show) : QObject(parent), Show_(std::move(show)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
            return false;
        auto* menu = qobject_cast<QMenu*>(watched);
        if (!menu)
            return false;
        int context = 0;
        if (QAction* a = menu->activeAction())
            context = a->property(kAide).toInt();
        if (context == 0)
            context = menu->menuAction()->property(kAide).toInt();
        if (context == 0)
            return false;
        // The menu closes first, as the help window takes the focus.
        for (QWidget* w = menu; auto* m = qobject_cast<QMenu*>(w); w = m->parentWidget())
            m->close();
        Show_(context);
        return true;
    }

private:
    std::function<void(int)> Show_;
};

// A reference window takes its place from the project and writes it back
// when it closes, unless the project is protected.
template <class TFenetre>
void PlaceDansLeProjet(TFenetre* w)
{
    w->OnClosing = [](TFenetre& win) {
        if (ProjetProtege || kep::NomProjet.empty())
            return;
        kep::TProjFile ini;
        win.SauveBounds(ini);
    };
    if (kep::NomProjet.empty())
        return;
    kep::TProjFile ini;
    w->RestaureBounds(ini); // a damaged position leaves the window where it was made
}

} // namespace

void TEcrPrin::CreeAide()
{
    ShowHelp = [this](int context) {
        if (context == 0)
            kep::ShowHelpContents(QStringLiteral("Kep.hlp"), this);
        else
            kep::ShowHelpContext(QStringLiteral("Kep.hlp"), context, this);
    };
    for (const auto& [name, context] : kContextes)
        for (QAction* a : findChildren<QAction*>(QString::fromLatin1(name)))
            a->setProperty(kAide, context);
    for (int n = 0; n < 10; ++n)
        if (QAction* a = Action(QStringLiteral("PM_E_M%1").arg(n).toLatin1().constData()))
            a->setProperty(kAide, 1001);
    // The tools take the menu's topic; the popups of the window have theirs.
    AideMenus_ = new TAideMenus(this, [this](int context) { ShowHelp(context); });
    for (QMenu* m : findChildren<QMenu*>())
        m->installEventFilter(AideMenus_);

    const auto wire = [this](const char* name, void (TEcrPrin::*slot)()) {
        QAction* a = Action(name);
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, slot);
    };
    wire("MA_Rubriques", &TEcrPrin::MA_RubriquesClick);
    wire("MA_VieilleAide", &TEcrPrin::MA_VieilleAideClick);
    wire("MA_Processeur", &TEcrPrin::MA_ProcesseurClick);
    wire("MA_Processeurs", &TEcrPrin::MA_ProcesseursClick);
    wire("MA_Historique", &TEcrPrin::MA_HistoriqueClick);
    wire("MA_APropos", &TEcrPrin::MA_AProposClick);
    QMenu* aide = Menu("M_Aide");
    aide->setDefaultAction(Action("MA_Rubriques"));
    connect(aide, &QMenu::aboutToShow, this, &TEcrPrin::OuvreMenuAide);
}

void TEcrPrin::SuitAideMenu(QMenu* menu)
{
    if (AideMenus_)
        menu->installEventFilter(AideMenus_);
}

void TEcrPrin::OuvreMenuAide()
{
    // The processor the current file names on its first line; without a
    // current file or with an empty one the item stays as it was.
    TEditeur* ed = EditeurCourant();
    if (ed && ed->Buffer().LineCount() > 0 && !(ed->Buffer().LineCount() == 1 && ed->Buffer().GetLine(0).empty())) {
        QAction* item = Action("MA_Processeur");
        std::string name = kep::NomProcesseurLigne(ed->Buffer().GetLine(0));
        bool known = !kep::FichierDescription(Cfg_->Data.TabPath, name).empty();
        // Else the table the file's processor directives chose.
        if (!known && !ed->TableUtilisee().empty() && kep::SamePath(kep::FolderOf(ed->TableUtilisee()), Cfg_->Data.TabPath)) {
            name = kep::FileNameOf(ed->TableUtilisee());
            name.erase(name.size() - 4);
            known = !kep::FichierDescription(Cfg_->Data.TabPath, name).empty();
        }
        item->setVisible(known);
        if (known) {
            item->setText(QStringLiteral("Processeur ") + kep::AnsiToQString(name).replace(QLatin1Char('&'), QStringLiteral("&&")));
            item->setProperty("processeur", QByteArray::fromStdString(name));
        }
    }
    // The old QDX help: its help file, or the topics the window reads.
    const std::string& dir = Cfg_->Program().Folder;
    Action("MA_VieilleAide")->setVisible(kep::FileExists(kep::ExpandName(dir, "Vrel.hlp"))
                                         || kep::FileExists(dir + "KepHlp.txt"));
}

kep::TEcrAideProc* TEcrPrin::AideProc()
{
    if (!AideProc_) {
        auto* w = new kep::TEcrAideProc(this);
        AideProc_ = w;
        w->ReportError = [this](const QString& text) { ShowError(text); };
        w->ShowHelp = [this](int context) { ShowHelp(context); };
        PlaceDansLeProjet(w);
    }
    return AideProc_;
}

static void MontreFenetre(QWidget* w);

void TEcrPrin::AideMnemonique(TEditeur* ed, const QString& mnemonic)
{
    const std::string& table = ed->TableUtilisee();
    std::string description = table;
    if (description.size() > 4)
        description.replace(description.size() - 4, 4, ".s");
    if (table.empty() || !kep::FileExists(description)) {
        SetPanel(3, QStringLiteral("Pas de description des instructions pour ce fichier."));
        return;
    }
    AideProc()->Load(table);
    if (!AideProc_)
        return;
    if (!AideProc_->MontreInstruction(kep::QStringToAnsi(mnemonic)))
        SetPanel(3, QStringLiteral("« ") + mnemonic + QStringLiteral(" » n'est pas dans la description des instructions."));
    MontreFenetre(AideProc_);
}

kep::TEcrAideProc* TEcrPrin::FenAideProc() const
{
    return AideProc_;
}

kep::TEcrAideQDX* TEcrPrin::FenAideQDX() const
{
    return AideQDX_;
}

static void MontreFenetre(QWidget* w)
{
    w->show();
    w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    w->raise();
    w->activateWindow();
}

void TEcrPrin::MA_RubriquesClick()
{
    ShowHelp(0);
}

void TEcrPrin::MA_VieilleAideClick()
{
    if (!AideQDX_) {
        auto* w = new kep::TEcrAideQDX(Cfg_->Program().Folder + "KepHlp.txt", this);
        AideQDX_ = w;
        PlaceDansLeProjet(w);
    }
    MontreFenetre(AideQDX_);
}

void TEcrPrin::MA_ProcesseurClick()
{
    const std::string name = Action("MA_Processeur")->property("processeur").toByteArray().toStdString();
    const std::string file = kep::FichierDescription(Cfg_->Data.TabPath, name);
    if (!file.empty())
        AideProc()->Load(file);
    if (AideProc_)
        MontreFenetre(AideProc_);
}

void TEcrPrin::MA_ProcesseursClick()
{
    const std::string& tabPath = Cfg_->Data.TabPath;
    const QString chosen = AskOpenFile(QStringLiteral("Processeurs"),
                                       QStringLiteral("Tables processeurs (*.tab *.TAB)"),
                                       kep::PathToQString(tabPath) + QStringLiteral("*.TAB"));
    if (chosen.isEmpty())
        return;
    const std::string file = kep::QStringToPath(chosen);
    AideProc()->Load(file);
    MontreFenetre(AideProc_);
    const std::string folder = kep::FolderOf(file);
    if (kep::SamePath(folder, kep::FolderOf(tabPath.empty() || tabPath.back() == '/' ? tabPath : tabPath + "/")))
        return;
    if (AskConfirm(QStringLiteral("Le chemin sélectionné est différent de celui des\n"
                                  "options de configuration.\n\n"
                                  "Faut-il le mémoriser comme nouveau chemin pour\n"
                                  "les fichiers processeurs ?"))) {
        Cfg_->SetTabPath(folder); // as spelt on disk: names here are case-sensitive
        SuitTabPath();
    }
}

void TEcrPrin::MA_HistoriqueClick()
{
    ShowHelp(1002000);
}

void TEcrPrin::MA_AProposClick()
{
    auto* box = new kep::TEcrAPropos(this);
    box->show();
}

void TEcrPrin::FermeAides()
{
    // Closing writes their positions to the project they belong to.
    if (AideProc_)
        AideProc_->close();
    if (AideQDX_)
        AideQDX_->close();
}
