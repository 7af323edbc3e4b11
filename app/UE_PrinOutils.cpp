// The configured tools at the top of the menu Outils.
#include "app/UE_Prin.h"

#include "config/UF_CfgDlg.h"
#include "editor/UC_Sources.h"
#include "editor/U_Edit.h"
#include "platform/QtText.h"

#include <QAction>
#include <QMenu>

void TEcrPrin::MajMenuOutils()
{
    for (QAction* a : M_Outils->actions())
        if (a->property("outil").isValid()) {
            M_Outils->removeAction(a);
            a->deleteLater();
        }
    const auto& outils = Cfg_->Data.Outils;
    for (std::size_t i = 0; i < outils.size(); ++i) {
        auto* a = new QAction(kep::AnsiToQString(outils[i].Nom).replace(QLatin1Char('&'), QStringLiteral("&&")),
                              M_Outils);
        a->setObjectName(QStringLiteral("MO_Outil%1").arg(i));
        a->setProperty("outil", int(i));
        a->setProperty("aide", 1700);
        connect(a, &QAction::triggered, this, [this, a] { ExeOutilMenu(a); });
        M_Outils->insertAction(MO__1, a);
    }
    MO__1->setVisible(!outils.empty());
}

void TEcrPrin::ExeOutilMenu(QAction* item)
{
    // The tool is the one at the item's place in the menu.
    const int index = int(M_Outils->actions().indexOf(item));
    if (index >= 0 && index < int(Cfg_->Data.Outils.size()))
        Cfg_->ExeOutil(index);
}

void TEcrPrin::OuvreMenuOutils()
{
    PM_Sources->setProperty("tag", Sources_->ItemIndex());
    if (TEditeur* ed = EditeurCourant())
        Cfg_->FichierEdite = ed->FileName;
}

void TEcrPrin::MO_ConfigClick()
{
    kep::TEcrCfgDlg dlg(*Cfg_, this);
    dlg.ShowHelp = ShowHelp;
    dlg.ShowError = ShowError;
    dlg.OnApplStyles = [this](const std::string& ext, const kep::TStyleTable& styles) { AppliqueStyles(ext, styles); };
    const std::vector<kep::TInfosFich> anciens = Cfg_->Data.TypesFich;
    if (!ExecDialog(dlg))
        return;
    if (const auto a = dlg.AssembleurChoisi())
        ChoisitAssembleur(*a);
    SuitTypes(anciens);
    SuitTabPath();
    ProgrammeBackup();
    if (TEditeur* ed = EditeurCourant())
        ed->viewport()->update();
}

void TEcrPrin::SuitTypes(const std::vector<kep::TInfosFich>& anciens)
{
    // A file still in its type's colours follows the type; one given colours
    // of its own keeps them.
    for (int i = 0; i < Sources_->Count(); ++i) {
        const TInfPage* pg = Sources_->Entry(i);
        if (pg->View != 0)
            continue;
        const std::string& nom = pg->Editor->FileName;
        const kep::TStyleTable& avant = kep::FileTypeOf(anciens, nom).Styles;
        const kep::TStyleTable& apres = Cfg_->FileTypeOf(nom).Styles;
        if (apres != avant && pg->Editor->Styles() == avant)
            pg->Editor->SetStyles(apres);
    }
}

void TEcrPrin::SuitTabPath()
{
    if (TEditeur::TabPath == Cfg_->Data.TabPath)
        return;
    TEditeur::TabPath = Cfg_->Data.TabPath;
    // One vocabulary serves every editor: the current one chooses last. A
    // new folder is looked at as when the files open: what it lacks is said
    // once per table, not once per file.
    TEditeur* courant = EditeurCourant();
    for (int i = 0; i < Sources_->Count(); ++i) {
        const TInfPage* pg = Sources_->Entry(i);
        if (pg->View == 0 && pg->Editor != courant)
            pg->Editor->SelectTable(true);
    }
    if (courant)
        courant->SelectTable(true);
}
