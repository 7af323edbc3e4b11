// The main window's "&Imprimer...": the print dialog over the current file
// and the open files.
#include "app/UE_Prin.h"

#include "editor/UC_Sources.h"
#include "editor/U_Edit.h"
#include "print/UF_Print.h"

void TEcrPrin::MF_ImprimerClick()
{
    TEditeur* courant = EditeurCourant();
    if (!courant)
        return;
    if (!Imprim_) {
        Imprim_ = new kep::TEcrImprim(this);
        Imprim_->ShowMessage = [this](const QString& text) { ShowMessage(text); };
        Imprim_->ShowHelp = [this](int context) {
            if (ShowHelp)
                ShowHelp(context);
        };
        Imprim_->ExecDialog = [this](QDialog& d) { return ExecDialog(d); };
    }
    kep::TEcrImprim* dlg = Imprim_;
    if (!dlg->Utilisable()) {
        ShowMessage(QStringLiteral("Aucune imprimante installée"));
        return;
    }
    dlg->move(pos() + QPoint(10, 10));
    dlg->SetEditeur(courant);
    dlg->VideFichiers();
    // One line per file: the entries that show a file's first view.
    for (int i = 0; i < Sources_->Count(); ++i) {
        const TInfPage* page = Sources_->Entry(i);
        if (page && page->View == 0)
            dlg->AjouteFichier(page->Editor, page->Editor == courant);
    }
    dlg->Prepare();
    ExecDialog(*dlg);
    // The editors may close before the next use.
    dlg->SetEditeur(nullptr);
    dlg->VideFichiers();
}

kep::TEcrImprim* TEcrPrin::Imprim() const
{
    return Imprim_;
}
