// The main window's project: loading and saving the session kept in the
// project file, closing the project, cleaning its folder.
#include "app/UE_Prin.h"

#include "build/UF_Make.h"
#include "config/U_KepFile.h"
#include "config/U_WinBounds.h"
#include "editor/UC_Conv.h"
#include "editor/UC_Sources.h"
#include "editor/U_Edit.h"
#include "platform/FileIo.h"
#include "platform/QtText.h"
#include "project/UF_ArchOuvre.h"
#include "project/UF_NouveauProjet.h"
#include "project/UF_Proj.h"
#include "project/U_Archivage.h"
#include "project/UF_ProjVers.h"

#include <QAction>
#include <QDir>
#include <QScreen>
#include <QSplitter>

#include <algorithm>

using kep::NomProjet;

bool TEcrPrin::ChargeProjet()
{
    NomMakeFile.clear();
    NomProgFile.clear();
    PageCourante = nullptr;
    if (NomProjet.empty() || !EstUnProjet(NomProjet))
        return false;
    // One instance per project.
    const QString proj = kep::PathToQString(NomProjet);
    if (Instance_.RaiseOther(proj))
        return false;
    if (!Instance_.Claim(proj)) {
        if (Instance_.ClaimError().isEmpty())
            return false; // a live instance holds it
        // The project still opens; only the guard against a second window
        // on it is missing.
        ShowWarning(QStringLiteral("Le verrou qui réserve ce projet à une seule instance de KEP n'a pu être créé (")
                    + Instance_.ClaimError()
                    + QStringLiteral(").\rKEP ouvre le projet sans ce verrou : évitez de l'ouvrir une seconde fois."));
    }

    setWindowTitle(proj);
    // The project's title names the program in message boxes; it is not put
    // on the window (the window system would append it to every caption).
    Titre_ = kep::PathToQString(kep::ProjectTitle(NomProjet));
    const std::string folder = kep::FolderOf(NomProjet);
    QDir::setCurrent(kep::PathToQString(folder));
    setUpdatesEnabled(false);
    show();

    ProjetProtege = kep::IsReadOnlyFile(NomProjet);
    MasqueProtege(ProjetProtege);

    if (kep::EstArchive(kep::TProjFile())) {
        switch (OuvreArchive()) {
        case kep::TEcrOuvreArchive::mrOk:
            setUpdatesEnabled(true);
            return ChargeProjet();
        case kep::TEcrOuvreArchive::mrIgnore:
            ProjetProtege = true;
            MasqueProtege(ProjetProtege);
            break;
        default:
            setUpdatesEnabled(true);
            TermineProgramme();
            return false;
        }
    }
    kep::TProjFile ini;

    // Global
    const QRect avail = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    try {
        kep::RestoreBounds(ini, "Global", this, QRect(20, 15, 732, avail.height() - 30));
    } catch (const kep::EConvertError& e) {
        ShowMessage(QStringLiteral("Bounds : ") + kep::AnsiToQString(e.what()));
    }
    const kep::TSessionGlobal g = kep::ReadSessionGlobal(ini);
    NomMakeFile = g.MakeFile.empty() ? std::string() : kep::ExpandName(folder, g.MakeFile);
    Assembleur_.Nomme(g.Assembleur);
    SuitProjetPourTables();
    if (QAction* nom = Action("MM_MakeFile")) {
        nom->setText(kep::PathToQString(kep::FileNameOf(NomMakeFile)));
        nom->setVisible(!NomMakeFile.empty() && !ProjetProtege);
    }
    DefautConstruire(Action("MM_MakeTout"));
    NomProgFile = g.ProgFile;
    if (g.Separ && *g.Separ > 0) {
        const int total = Splitter1->width();
        Splitter1->setSizes({std::max(1, total - *g.Separ - 3), *g.Separ});
        PanneauDroit->resize(*g.Separ, PanneauDroit->height());
    }
    if (g.ConvVisible)
        OuvreConv();
    kep::ReadSessionErr(ini, Cfg_->Data.Err);

    // The reopen list.
    Reopen_.Clear();
    for (kep::TReopenItem& item : kep::ReadClosedFiles(ini))
        Reopen_.Append(std::move(item));
    MajReouvre();

    // The entries.
    int page = g.PageAct, prec = g.EditPrec;
    // A wild count cannot ask for more sections than the file holds.
    const int n = std::min<int>(g.NbrEdit, int(ini.ReadSections().size()));
    for (int i = 0; i < n; ++i) {
        kep::TSessionEntry en = kep::ReadEditView(ini, i);
        if (en.Nom.empty()) {
            kep::ShiftForMissing(i, page, prec);
            continue;
        }
        const std::string name = kep::ExpandName(folder, en.Nom);
        if (name.empty() || !kep::FileExists(name)) {
            ShowMessage(QStringLiteral("Le fichier ") + kep::PathToQString(name)
                        + QStringLiteral(" n'est plus accessible."));
            kep::ShiftForMissing(i, page, prec);
            if (!name.empty()) {
                kep::TReopenItem& item = Reopen_.PushTop(name);
                item.Path = name;
                item.View = TEditView{};
                item.View.TopLine = en.View.TopLine;
                item.View.Caret = en.View.Caret;
                item.View.SelStart = en.View.SelStart;
                item.View.SelEnd = en.View.SelEnd;
                item.Markers = en.Markers;
                MajReouvre();
            }
            continue;
        }
        std::string error;
        const auto settings =
            kep::ReadEditSettings(ini, i, Cfg_->FileTypeOf(name), ProjetProtege, &error);
        if (!error.empty())
            ShowMessage(kep::AnsiToQString(error));
        if (settings)
            OuvreFichier(name, &settings->Infos, settings->TabsInPixels);
        else
            OuvreFichier(name);
        if (!PageCourante)
            continue;
        TEditeur* ed = PageCourante->Editor;
        TTextBuffer& b = ed->Buffer();
        if (ProjetProtege)
            b.ReadOnly = true;
        if (TEditView* v = b.GetView(PageCourante->View)) {
            v->TopLine = en.View.TopLine;
            v->Caret = b.ClampPos(en.View.Caret);
            v->SelStart = b.ClampPos(en.View.SelStart);
            v->SelEnd = b.ClampPos(en.View.SelEnd);
            v->ViewMinLine = en.View.ViewMinLine;
            v->ViewMaxLine = en.View.ViewMaxLine;
        }
        PageCourante->NoRefs = en.NoRefs;
        if (PageCourante->View == 0)
            for (int m = 0; m < 10; ++m)
                if (en.Markers[std::size_t(m)].Line >= 0)
                    b.ToggleMarker(m, b.ClampPos(en.Markers[std::size_t(m)]));
        if (!en.ViewName.empty())
            Sources_->SetText(Sources_->ItemIndex(), kep::PathToQString(en.ViewName));
        b.SelectView(b.ViewCount() - 1);
        b.SetTopLine(b.View().TopLine);
    }

    if (Sources_->Count() > 0) {
        if (page >= Sources_->Count())
            page = Sources_->Count() - 1;
        if (page < 0)
            page = 0;
        Sources_->SetPreviousPage(-1);
        Sources_->SetCurrentPage(prec >= 0 && prec < Sources_->Count() ? prec : -1);
        ChoisitPage(page);
    }
    setUpdatesEnabled(true);
    if (ProjetProtege)
        ShowMessage(QStringLiteral("Ce projet est protégé. Vous ne pouvez que le consulter"));
    return true;
}

bool TEcrPrin::EstUnProjet(const std::string& path)
{
    QString why;
    switch (kep::CheckProjectFile(path)) {
    case kep::TProjectFileCheck::Ok:
        return true;
    case kep::TProjectFileCheck::Unreadable:
        why = QStringLiteral("il ne peut pas être lu.");
        break;
    case kep::TProjectFileCheck::HasNul:
        why = QStringLiteral("il contient des octets nuls, ce n'est pas un fichier texte.");
        break;
    case kep::TProjectFileCheck::NotIni:
        why = QStringLiteral("aucune de ses lignes n'a la forme « [section] » ou « clé=valeur ».");
        break;
    }
    // The file is left as it is: nothing is ever written to it.
    ShowWarning(QStringLiteral("Le fichier ") + kep::PathToQString(path)
                + QStringLiteral(" n'est pas un projet KEP : ") + why);
    return false;
}

kep::TSessionState TEcrPrin::EtatSession() const
{
    kep::TSessionState s;
    const QRect r = frameGeometry();
    s.Bounds = kep::TBounds{r.x(), r.y(), r.width(), r.height()};
    s.Separ = PanneauDroit->width();
    const std::string folder = kep::FolderOf(NomProjet);
    s.MakeFile = NomMakeFile.empty() ? std::string() : kep::RelativePath(folder, NomMakeFile);
    s.ProgFile = NomProgFile;
    s.ConvVisible = Conv() != nullptr;
    s.Assembleur = Assembleur_.Stocke();
    s.Err = Cfg_->Data.Err;
    s.Closed = Reopen_.Items();
    for (int i = 0; i < Sources_->Count(); ++i) {
        const TInfPage* pg = Sources_->Entry(i);
        TEditeur* ed = pg->Editor;
        TTextBuffer& b = ed->Buffer();
        kep::TSessionEntry en;
        en.Nom = kep::RelativePath(folder, ed->FileName);
        en.ViewName = kep::QStringToPath(Sources_->Text(i));
        en.FirstView = pg->View == 0;
        if (const TEditView* v = b.GetView(pg->View))
            en.View = *v;
        en.NoRefs = pg->NoRefs;
        if (en.FirstView) {
            kep::TInfosFich f;
            f.Police = kep::QStringToPath(ed->EditorFont().family());
            f.Taille = ed->EditorFont().pointSize();
            f.Styles = ed->Styles();
            f.Backup = ed->Backup;
            for (int t = 0; t < 6; ++t)
                f.Tabs[std::size_t(t)] = std::uint16_t(std::clamp(ed->TabStop(t), 0, 65535));
            f.Opts = (b.OemFile ? kep::optConvDos : 0) | (ed->AutoSave ? kep::optAutoSave : 0)
                     | (ed->AutoLoad ? kep::optAutoLoad : 0) | (b.ReadOnly ? kep::optReadOnly : 0)
                     | (b.CleanEol ? kep::optClrEol : 0);
            en.Settings = f;
            for (int m = 0; m < 10; ++m)
                en.Markers[std::size_t(m)] = b.GetMarker(m);
        }
        s.Entries.push_back(std::move(en));
    }
    s.PageAct = Sources_->ItemIndex();
    s.EditPrec = Sources_->PreviousPage();
    return s;
}

void TEcrPrin::SauveProjet()
{
    // A protected project is only consulted: its file stays as it is.
    if (NomProjet.empty() || ProjetProtege)
        return;
    const kep::TSessionState s = EtatSession();
    kep::TProjFile ini;
    const kep::TEcrCfg* cfg = Cfg_.get();
    if (!kep::WriteSession(ini, s, [cfg](const std::string& nom) -> const kep::TStyleTable& {
            return cfg->FileTypeOf(nom).Styles;
        }))
        ProjetNonSauve(ini);
    SauveFenetresRecherche();
}

void TEcrPrin::ProjetNonSauve(const kep::TIniFilePlus& ini)
{
    ShowError(kep::PathToQString(NomProjet) + QStringLiteral(" n'a pu être sauvé.\n") + QString::fromStdString(ini.LastError()));
}

bool TEcrPrin::DemandeSauveModifies()
{
    bool tous = false;
    for (int i = 0; i < Sources_->Count(); ++i) {
        const TInfPage* pg = Sources_->Entry(i);
        if (pg->View != 0 || !pg->Editor->Buffer().Modified())
            continue;
        if (tous && SauvePage(i))
            continue;
        if (!DemandeSauve(i, tous))
            return false;
    }
    return true;
}

bool TEcrPrin::FermeProjet()
{
    if (!DemandeSauveModifies())
        return false;
    SauveProjet();
    FermeTout();
    return true;
}

void TEcrPrin::FermeFenetresProjet()
{
    // Each writes its settings to the project it belongs to, which NomProjet
    // still names.
    FermeConv();
    FermeFenetresRecherche();
    FermeComms();
    FermeAides();
    // What the last build said is of the project left.
    if (EcrMake_ && !MakeEnCours)
        EcrMake_->close();
}

void TEcrPrin::FermeTout()
{
    FermeFenetresProjet();
    setUpdatesEnabled(false);
    for (int i = Sources_->Count() - 1; i >= 0; --i)
        FermePage(i, false);
    setUpdatesEnabled(true);
    Titre_ = QStringLiteral("KEP ");
}

void TEcrPrin::EffaceFichiers(const std::string& masks)
{
    kep::EffaceFichiers(kep::FolderOf(NomProjet), masks, [this](const std::string& name) {
        ShowMessage(QStringLiteral("N'a pu supprimer ") + kep::PathToQString(name));
    });
}


void TEcrPrin::MP_ProjetClick()
{
    std::string chosen;
    if (ChoisitProjet(chosen) != kep::TEcrProj::mrOk || chosen.empty() || kep::SamePath(chosen, NomProjet))
        return;
    OuvreAutreProjet(chosen);
}

bool TEcrPrin::OuvreAutreProjet(const std::string& chosen)
{
    // Nothing of this project closes for a project another instance shows
    // (it comes to the front) or for a file that is no project.
    if (Instance_.RaiseOther(kep::PathToQString(chosen)) || !EstUnProjet(chosen))
        return false;
    if (ProjetProtege)
        FermeTout();
    else if (!FermeProjet())
        return false;
    const std::string ancien = NomProjet;
    NomProjet = chosen;
    if (ChargeProjet() || Termine_)
        return true;
    // The window is not left without a project.
    NomProjet = ancien;
    ChargeProjet();
    return false;
}

std::string TEcrPrin::CreeNouveauProjet()
{
    kep::TEcrNouveauProjet dlg(this);
    // A new project goes beside the open one, in a folder of its own.
    if (!NomProjet.empty()) {
        QDir parent(kep::PathToQString(kep::FolderOf(NomProjet)));
        parent.cdUp();
        dlg.SetDossierParent(parent.path());
    }
    dlg.Options.Oem = [this](const std::string& nom) { return (Cfg_->FileTypeOf(nom).Opts & kep::optConvDos) != 0; };
    if (!ExecDialog(dlg))
        return {};
    return dlg.Plan().Projet;
}

void TEcrPrin::MP_NouveauProjetClick()
{
    const std::string projet = CreeNouveauProjet();
    if (projet.empty())
        return;
    {
        kep::TEcrProj liste(NomProjet, this);
        liste.AjouteProjet(projet);
        liste.SauveListe();
    }
    if (!OuvreAutreProjet(projet))
        SetPanel(3, QStringLiteral("Projet créé : ") + kep::PathToQString(projet));
}

void TEcrPrin::MP_VersionsClick()
{
    ExecDialog(kep::TEcrProjVers::Instance(this));
}

void TEcrPrin::SuitProjetPourTables()
{
    std::string make;
    if (!NomMakeFile.empty() && !kep::ReadWholeFile(NomMakeFile, make))
        make.clear(); // an unreadable make file names no assembler
    Assembleur_.Devine(make);
    AppliqueAssembleur();

    // The main source is named after the project, else after its make file.
    TEditeur::ProjetMakeFile = NomMakeFile;
    TEditeur::ProjetSource.clear();
    for (const std::string& from : {NomProjet, NomMakeFile}) {
        if (from.empty())
            continue;
        std::string stem = kep::FileNameOf(from);
        if (const auto dot = stem.rfind('.'); dot != std::string::npos)
            stem.erase(dot);
        for (const char* ext : {".asm", ".s"}) {
            const std::string source = kep::ExpandName(kep::FolderOf(from), stem + ext);
            if (kep::FileExists(source)) {
                TEditeur::ProjetSource = source;
                return;
            }
        }
    }
}

void TEcrPrin::ChoisitAssembleur(kep::TAssembleur a)
{
    Assembleur_.Nomme(a);
    AppliqueAssembleur();
}

void TEcrPrin::AppliqueAssembleur()
{
    TEditeur::ProjetAssembleur = Assembleur_.Valeur();
    if (Conv_)
        Conv_->SetAssembleur(Assembleur_.Valeur());
}
