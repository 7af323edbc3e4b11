// "Imprimer": the documents of the dialog sent page by page to the printer,
// with a progress window that can stop them. A PDF file is written under a
// temporary name and renamed once whole, so a stopped or failed job never
// leaves a truncated PDF, nor spoils an older file of that name.
#include "print/UF_Print.h"

#include "editor/U_Edit.h"
#include "platform/Paths.h"
#include "platform/QtText.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>
#include <QRadioButton>
#include <QSpinBox>

#include <cmath>
#include <cstdio>

namespace kep {

int TEcrImprim::Imprime()
{
    if (!Imprimante_ || !Editeur_)
        return 0;
    struct TDoc {
        TEditeur* Ed;
        std::int64_t Premier, Compte;
    };
    std::vector<TDoc> docs;
    if (rbGroupe->isChecked()) {
        for (TEditeur* ed : FichiersCoches())
            docs.push_back({ed, 0, ed->Buffer().LineCount()});
    } else {
        const TPlageLignes p = Plage();
        docs.push_back({Editeur_, p.PremierIndex(), p.Compte(Editeur_->Buffer().LineCount())});
    }

    std::int64_t total = 0;
    for (const TDoc& d : docs)
        total += NombrePages(d.Compte, std::max(LignesParPage_, 1));
    QProgressDialog progres(QString(), QStringLiteral("Annuler"), 0, int(std::min<std::int64_t>(total, 1 << 30)), this);
    progres.setObjectName(QStringLiteral("ProgresImpression"));
    progres.setWindowTitle(QStringLiteral("KEP - Impression"));
    progres.setWindowModality(Qt::WindowModal);
    progres.setMinimumDuration(400);
    progres.setAutoReset(false);
    progres.setAutoClose(false);
    Progres_ = &progres;

    int imprimes = 0;
    bool tente = false;
    for (const TDoc& d : docs) {
        // An empty range prints nothing, not a blank page.
        if (d.Compte <= 0)
            continue;
        bool imprime = false;
        const bool suite = ImprimeDocument(d.Ed, d.Premier, d.Compte, imprime);
        tente = tente || imprime || !suite;
        if (imprime)
            ++imprimes;
        if (!suite)
            break;
    }
    Progres_ = nullptr;
    if (tente)
        accept();
    return imprimes;
}

bool TEcrImprim::ImprimeDocument(TEditeur* ed, std::int64_t premier, std::int64_t compte, bool& imprime)
{
    imprime = false;
    QPrinter& printer = Imprimante_->Printer();
    const QString nom = PathToQString(FileNameOf(ed->FileName));
    // 2.
    const QFont police = PolicePour(TaillePolice->value());
    const int hauteur = int(std::ceil(QFontMetricsF(police, &printer).height()));
    const TRectImpr r = RectangleImpression(Metriques_, Marges());
    const int parPage = kep::LignesParPage(r, hauteur);
    if (parPage <= 0) {
        ShowMessage(QStringLiteral("Aucune ligne ne tient entre les marges : « %1 » n'est pas imprimé.").arg(nom));
        return false;
    }
    const bool pdf = Imprimante_->Desc().Pdf;
    QString cible, temp;
    if (pdf) {
        const QString propose = PathToQString(ed->FileName) + QStringLiteral(".pdf");
        cible = AskPdfName ? AskPdfName(propose)
                           : QFileDialog::getSaveFileName(this, QStringLiteral("Nom du fichier PDF ?"), propose,
                                                          QStringLiteral("Document PDF (*.pdf)"));
        if (cible.isEmpty())
            return true; // this document only is skipped
        temp = cible + QStringLiteral(".kep-tmp");
        printer.setOutputFileName(temp);
    } else {
        printer.setOutputFileName(QString());
    }
    printer.setDocName(nom);
    printer.setFullPage(true);

    // 1.
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (pdf)
            QFile::remove(temp);
        ShowMessage(QStringLiteral("Impossible d'imprimer « %1 » sur « %2 ».").arg(nom, Imprimante_->Desc().Nom)
                    + (pdf ? QStringLiteral("\nLe fichier %1 ne peut pas être écrit.").arg(cible) : QString()));
        return false;
    }
    // Coordinates from the printable area's corner.
    painter.translate(Metriques_.OffsetX, Metriques_.OffsetY);
    painter.setFont(police);
    painter.setPen(Qt::black);


    // 4.
    TPageImpr page;
    page.Ligne = std::int32_t(premier);
    page.Canvas = &painter;
    page.Gauche = r.Gauche;
    page.Haut = r.Haut;
    page.Droite = r.Droite;
    page.Bas = r.Bas;
    page.HauteurLigne = hauteur;
    page.LargeurNum = cbNumLignes->isChecked() ? LargeurNumLignes(premier + compte - 1) : 0;
    page.NumPage = cbNumPages->isChecked() ? 1 : 0;
    std::int64_t restantes = compte;
    int numero = 0;
    bool annule = false;
    if (Progres_)
        Progres_->setLabelText(QStringLiteral("Impression de « %1 »...").arg(nom));
    while (restantes > 0) {
        page.Compte = std::int32_t(std::min<std::int64_t>(restantes, parPage));
        const int faites = ed->PrintLines(page);
        restantes -= faites;
        ++numero;
        if (OnPage)
            OnPage(nom, numero);
        if (Progres_) {
            Progres_->setValue(Progres_->value() + 1);
            annule = Progres_->wasCanceled();
        }
        if (annule || faites == 0)
            break;
        if (restantes > 0)
            printer.newPage();
    }
    if (annule && !pdf)
        printer.abort();
    painter.end();

    if (annule) {
        if (pdf)
            QFile::remove(temp);
        return false;
    }
    if (pdf && std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(cible).constData()) != 0) {
        QFile::remove(temp);
        ShowMessage(QStringLiteral("Le fichier %1 ne peut pas être écrit.").arg(cible));
        return false;
    }
    imprime = true;
    return true;
}

} // namespace kep
