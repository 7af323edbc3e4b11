// The print dialog over real editors, printing on the PDF printer; the
// files are read back with poppler's tools.
#include "editor/U_Edit.h"
#include "print/PdfProbe.h"
#include "print/UF_Print.h"
#include "support/TestDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QListWidget>
#include <QPageSize>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using kep::TEcrImprim;

namespace {

// The PDF printer's 5 mm left margin, in points.
constexpr double Gauche = 5.0 / 25.4 * 72;

std::string Lignes(int n, const std::string& prefix = "ligne")
{
    std::string t;
    for (int i = 1; i <= n; ++i)
        t += prefix + std::to_string(i) + (i < n ? "\r\n" : "");
    return t;
}

class PrintDlg : public ::testing::Test {
protected:
    TEditeur* Editeur(const std::string& name, const std::string& text)
    {
        auto ed = std::make_unique<TEditeur>();
        ed->SetEditorFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10));
        ed->Buffer().SetAllText(text);
        ed->FileName = Dir.Path(name);
        Eds.push_back(std::move(ed));
        return Eds.back().get();
    }
    // A dialog over `ed`, the open files `group` (the first checked).
    std::unique_ptr<TEcrImprim> Dialogue(TEditeur* ed, std::vector<TEditeur*> group = {})
    {
        auto d = std::make_unique<TEcrImprim>();
        d->ShowMessage = [this](const QString& t) { Messages << t; };
        d->ShowHelp = [this](int c) { Help.push_back(c); };
        d->AskPdfName = [this](const QString& suggested) {
            Asked << suggested;
            return Answers.isEmpty() ? suggested : Answers.takeFirst();
        };
        d->SetEditeur(ed);
        if (group.empty())
            group.push_back(ed);
        for (TEditeur* e : group)
            d->AjouteFichier(e, e == ed);
        d->Prepare();
        return d;
    }
    TTestDir Dir;
    std::vector<std::unique_ptr<TEditeur>> Eds;
    QStringList Messages, Asked, Answers;
    std::vector<int> Help;
};

} // namespace

TEST_F(PrintDlg, ThePdfPrinterIsListedWithItsPage)
{
    TEditeur* ed = Editeur("a.asm", Lignes(51));
    auto d = Dialogue(ed);
    ASSERT_TRUE(d->Utilisable());
    EXPECT_EQ(d->windowTitle(), "KEP - Impression");
    ASSERT_GE(d->PrnList->count(), 1);
    EXPECT_EQ(d->PrnList->itemText(d->PrnList->count() - 1), "PDF");
    d->PrnList->setCurrentIndex(d->PrnList->count() - 1);
    EXPECT_EQ(d->lblEtat->text(), "Prête");
    EXPECT_EQ(d->lblPort->text(), "Fichier PDF");
    EXPECT_EQ(d->lblPilote->text(), "Qt PDF");
    EXPECT_EQ(d->lblPapier->text(), "21.0 x 29.7 cm²");
    for (QDoubleSpinBox* m : {d->MargeG, d->MargeD, d->MargeH, d->MargeB})
        EXPECT_DOUBLE_EQ(m->value(), 5.0) << m->objectName().toStdString();
    EXPECT_FALSE(d->Copies->isEnabled());
    EXPECT_FALSE(d->cbTriPages->isEnabled());
    EXPECT_TRUE(d->rbTout->isChecked());
    EXPECT_TRUE(d->cbNumPages->isChecked());
    EXPECT_FALSE(d->cbNumLignes->isChecked());
    EXPECT_EQ(d->TaillePolice->value(), 10);
    EXPECT_EQ(d->LigDeb->value(), 1);
    EXPECT_EQ(d->LigFin->value(), 51);
    EXPECT_EQ(d->lblPages->text(), "1 page");

    // "Propriétés": the printer's own page settings, then a fresh reading.
    QString shown;
    d->ExecDialog = [&shown, &d](QDialog& dlg) {
        shown = dlg.metaObject()->className();
        d->Imprimante()->Printer().setPageSize(QPageSize(QPageSize::A5));
        return true;
    };
    d->MargeD->setValue(25);
    const std::int64_t a4 = d->PagesPrevues();
    d->btnProprietes->click();
    EXPECT_EQ(shown, "QPageSetupDialog");
    EXPECT_EQ(d->lblPapier->text(), "14.8 x 21.0 cm²");
    EXPECT_DOUBLE_EQ(d->MargeD->value(), 5.0);
    EXPECT_LT(d->LignesParPage(), 60);
    EXPECT_GE(d->PagesPrevues(), a4);

    // Landscape: the sheet turns, the margins go back to the minimums.
    d->MargeG->setValue(30);
    d->rbPaysage->setChecked(true);
    EXPECT_EQ(d->lblPapier->text(), "21.0 x 14.8 cm²");
    EXPECT_DOUBLE_EQ(d->MargeG->value(), 5.0);
    d->btnImprime->click();
    const std::string pdf = Dir.Path("a.asm.pdf");
    const std::string info = pdfprobe::Run("pdfinfo " + pdfprobe::Quote(pdf));
    EXPECT_NE(info.find("595 x 420 pts (A5)"), std::string::npos) << info;
}

TEST_F(PrintDlg, NoPrinterMeansAMessageAndNoDialog)
{
    const auto saved = TEcrImprim::Enumeration;
    TEcrImprim::Enumeration = [] { return std::vector<kep::TPrinterDesc>{}; };
    TEditeur* ed = Editeur("a.asm", "x");
    auto d = Dialogue(ed);
    TEcrImprim::Enumeration = saved;
    EXPECT_FALSE(d->Utilisable());
    EXPECT_EQ(Messages, QStringList{"Aucune imprimante installée"});
    EXPECT_EQ(d->Imprime(), 0);
}

TEST_F(PrintDlg, RangeChoicesFollowTheSelectionAndTheViews)
{
    TEditeur* ed = Editeur("a.asm", Lignes(200));
    ed->Buffer().SetSelection(4, 3, 1, 9); // lines 5..10, 1-based
    auto d = Dialogue(ed);
    EXPECT_TRUE(d->rbSelection->isChecked());
    EXPECT_TRUE(d->rbSelection->isEnabled());
    EXPECT_FALSE(d->rbVue->isEnabled());
    EXPECT_EQ(d->LigDeb->value(), 5);
    EXPECT_EQ(d->LigFin->value(), 10);
    EXPECT_FALSE(d->LigDeb->isEnabled());

    // Only "Lignes de :" makes the fields editable.
    d->rbLignes->setChecked(true);
    EXPECT_TRUE(d->LigDeb->isEnabled() && d->LigFin->isEnabled());
    d->LigDeb->setValue(150);
    d->LigFin->setValue(20);
    EXPECT_EQ(d->PagesPrevues(), 0);
    EXPECT_EQ(d->lblPages->text(), "0 page");
    // A reversed range prints nothing: no file asked for, none written.
    EXPECT_EQ(d->Imprime(), 0);
    EXPECT_TRUE(Asked.isEmpty());
    EXPECT_EQ(d->result(), 0);

    d->rbTout->setChecked(true);
    EXPECT_EQ(d->LigDeb->value(), 1);
    EXPECT_EQ(d->LigFin->value(), 200);

    // Without a selection "Lignes sélectionnées" falls back to "Tout"; a
    // second view enables "Vue", which prints the active view's lines.
    ed->Buffer().ClearSelection();
    d->rbSelection->setChecked(true);
    TEditView& v = ed->Buffer().AddView();
    v.ViewMinLine = 99;
    v.ViewMaxLine = 149;
    ed->Buffer().SelectView(1);
    d->Prepare();
    EXPECT_TRUE(d->rbTout->isChecked());
    EXPECT_FALSE(d->rbSelection->isEnabled());
    EXPECT_TRUE(d->rbVue->isEnabled());
    d->rbVue->setChecked(true);
    EXPECT_EQ(d->LigDeb->value(), 100);
    EXPECT_EQ(d->LigFin->value(), 150);
    d->cbNumLignes->setChecked(true);
    EXPECT_EQ(d->Imprime(), 1);
    const std::string pdf = Dir.Path("a.asm.pdf");
    const std::string text = pdfprobe::Text(pdf, 1);
    EXPECT_NE(text.find("100 ligne100"), std::string::npos) << text;
    EXPECT_EQ(text.find("ligne99\n"), std::string::npos);
    EXPECT_NE(pdfprobe::Text(pdf, pdfprobe::Pages(pdf)).find("150 ligne150"), std::string::npos);
}

TEST_F(PrintDlg, TheExpectedPagesAreThePagesPrinted)
{
    TEditeur* ed = Editeur("long.asm", Lignes(1000, "instruction "));
    auto d = Dialogue(ed);
    const int perPage = d->LignesParPage();
    ASSERT_GT(perPage, 20);
    EXPECT_EQ(d->PagesPrevues(), (1000 + perPage - 1) / perPage);
    // Larger type, wider margins: fewer lines a page, more pages.
    d->TaillePolice->setValue(14);
    d->MargeH->setValue(40);
    d->MargeB->setValue(40);
    emit d->MargeB->editingFinished();
    ASSERT_LT(d->LignesParPage(), perPage);
    const std::int64_t expected = d->PagesPrevues();
    EXPECT_EQ(d->lblPages->text(), QString::number(expected) + " pages");
    QStringList pages;
    d->OnPage = [&pages](const QString& file, int page) { pages << file + ":" + QString::number(page); };
    EXPECT_EQ(d->Imprime(), 1);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    const std::string pdf = Dir.Path("long.asm.pdf");
    EXPECT_EQ(pdfprobe::Pages(pdf), expected);
    EXPECT_EQ(pages.size(), expected);
    EXPECT_EQ(pages.last(), "long.asm:" + QString::number(expected));
    // Every line once, in order, the last on the last page.
    const std::string first = pdfprobe::Text(pdf, 1), last = pdfprobe::Text(pdf, int(expected));
    EXPECT_NE(first.find("instruction 2\n"), std::string::npos);
    EXPECT_NE(last.find("instruction 1000"), std::string::npos);
    EXPECT_NE(last.find("Page " + std::to_string(expected)), std::string::npos);
    const auto words = pdfprobe::Words(pdf, 1);
    const pdfprobe::TWord* top = pdfprobe::Find(words, "instruction");
    ASSERT_TRUE(top);
    EXPECT_NEAR(top->XMin, Gauche, 0.5);
    // The top line's box starts at the top margin (40 mm).
    EXPECT_NEAR(top->YMin, 40 / 25.4 * 72, 4.0);
}

TEST_F(PrintDlg, MarginsStayAtTheMinimumsAndFittingFillsTheWidth)
{
    const std::string longue = "debut" + std::string(150, '-') + "fin";
    TEditeur* ed = Editeur("f.asm", "court\r\n" + longue + "\r\ncourt");
    auto d = Dialogue(ed);
    d->MargeG->setValue(1.0);
    emit d->MargeG->editingFinished();
    EXPECT_DOUBLE_EQ(d->MargeG->value(), 5.0);

    // At 10 points the long line is cut...
    d->Imprime();
    const std::string pdf = Dir.Path("f.asm.pdf");
    EXPECT_EQ(pdfprobe::Text(pdf, 1).find("fin"), std::string::npos);
    // ...fitted, it prints whole, and one point more would not fit.
    d->cbAjustePolice->setChecked(true);
    const int fitted = d->TaillePolice->value();
    EXPECT_LT(fitted, 10);
    EXPECT_GE(fitted, 5);
    d->Imprime();
    EXPECT_NE(pdfprobe::Text(pdf, 1).find("fin"), std::string::npos);
    // Tight: a point more would take the line past the right margin.
    const auto words = pdfprobe::Words(pdf, 1);
    const pdfprobe::TWord* ligne = nullptr;
    for (const auto& w : words)
        if (w.Text.rfind("debut", 0) == 0)
            ligne = &w;
    ASSERT_TRUE(ligne);
    const double right = 595.28 - Gauche;
    EXPECT_LE(ligne->XMax, right + 0.5);
    EXPECT_GT((ligne->XMax - Gauche) * (fitted + 1) / fitted, right - Gauche);
    // Typing a size unchecks the fitting; numbering the lines refits smaller.
    d->cbAjustePolice->setChecked(true);
    EXPECT_EQ(d->TaillePolice->value(), fitted);
    d->cbNumLignes->setChecked(true);
    EXPECT_LE(d->TaillePolice->value(), fitted);
    EXPECT_TRUE(d->cbAjustePolice->isChecked());
    d->TaillePolice->setValue(12);
    EXPECT_FALSE(d->cbAjustePolice->isChecked());
}

TEST_F(PrintDlg, FittingHoldsTheTopLineWithItsPageNumber)
{
    // Short lines enlarge the type; the top line still holds its text, a
    // gap and the page number, and nothing is lost.
    TEditeur* ed = Editeur("deux.asm", "ab\r\ncd");
    auto d = Dialogue(ed);
    d->cbAjustePolice->setChecked(true);
    EXPECT_GT(d->TaillePolice->value(), 10);
    ASSERT_EQ(d->Imprime(), 1);
    const std::string pdf = Dir.Path("deux.asm.pdf");
    const auto words = pdfprobe::Words(pdf, 1);
    const pdfprobe::TWord* ab = pdfprobe::Find(words, "ab");
    const pdfprobe::TWord* cd = pdfprobe::Find(words, "cd");
    const pdfprobe::TWord* page = pdfprobe::Find(words, "Page");
    const pdfprobe::TWord* one = pdfprobe::Find(words, "1");
    ASSERT_TRUE(ab && cd && page && one) << pdfprobe::Text(pdf, 1);
    EXPECT_NEAR(ab->XMin, Gauche, 1.0);
    EXPECT_LT(ab->XMax, page->XMin);
    EXPECT_LE(one->XMax, 595.28 - Gauche + 0.5);
    EXPECT_NEAR(page->YMax, ab->YMax, 0.5);
    EXPECT_GT(cd->YMin, ab->YMax - 0.5);
}

TEST_F(PrintDlg, AGroupIsFittedToItsWidestFile)
{
    const std::string longue = "debut" + std::string(150, '-') + "fin";
    TEditeur* court = Editeur("court.asm", Lignes(5, "c"));
    TEditeur* large = Editeur("large.asm", "x\r\n" + longue);
    // Alone, the wide file fits at this size.
    int seul = 0;
    {
        auto d = Dialogue(large);
        d->cbAjustePolice->setChecked(true);
        seul = d->TaillePolice->value();
    }
    auto d = Dialogue(court, {court, large});
    d->cbAjustePolice->setChecked(true);
    EXPECT_GT(d->TaillePolice->value(), seul);
    d->rbGroupe->setChecked(true);
    d->btnTous->click();
    EXPECT_EQ(d->TaillePolice->value(), seul);
    // Unchecking the wide file lets the type grow again.
    d->ListeFichiers->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_GT(d->TaillePolice->value(), seul);
    d->ListeFichiers->item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(d->Imprime(), 2);
    EXPECT_NE(pdfprobe::Text(large->FileName + ".pdf", 1).find("fin"), std::string::npos);
    EXPECT_NE(pdfprobe::Text(court->FileName + ".pdf", 1).find("c5"), std::string::npos);
}

TEST_F(PrintDlg, LineNumberWidthComesFromTheLastLine)
{
    // 9 lines: two digits (1 + round(log10 8) = 2); 3 lines: one.
    for (const auto& [lines, digits] : {std::pair{9, 2}, std::pair{3, 1}}) {
        TEditeur* ed = Editeur("n" + std::to_string(lines) + ".asm", Lignes(lines));
        auto d = Dialogue(ed);
        d->cbNumLignes->setChecked(true);
        d->cbNumPages->setChecked(false);
        ASSERT_EQ(d->Imprime(), 1);
        const std::string pdf = ed->FileName + ".pdf";
        const auto words = pdfprobe::Words(pdf, 1);
        const pdfprobe::TWord* num = pdfprobe::Find(words, "1");
        const pdfprobe::TWord* text = pdfprobe::Find(words, "ligne1");
        ASSERT_TRUE(num && text);
        const double cell = (text->XMax - text->XMin) / 6;
        // Right-aligned in `digits` cells, the text one cell further.
        EXPECT_NEAR(num->XMax, Gauche + digits * cell, 0.6) << lines;
        EXPECT_NEAR(text->XMin, Gauche + (digits + 1) * cell, 0.6) << lines;
        EXPECT_EQ(pdfprobe::Text(pdf, 1).find("Page"), std::string::npos);
    }
}

TEST_F(PrintDlg, AGroupPrintsOneDocumentPerCheckedFileInListOrder)
{
    TEditeur* a = Editeur("a.asm", Lignes(150, "alpha "));
    TEditeur* b = Editeur("b.inc", Lignes(3, "beta "));
    TEditeur* c = Editeur("c.asm", Lignes(80, "gamma "));
    auto d = Dialogue(b, {a, b, c});
    const int narrow = d->sizeHint().width();
    EXPECT_TRUE(d->PanneauFichiers->isHidden());
    d->rbGroupe->setChecked(true);
    EXPECT_FALSE(d->PanneauFichiers->isHidden());
    EXPECT_GT(d->sizeHint().width(), narrow);
    ASSERT_EQ(d->ListeFichiers->count(), 3);
    EXPECT_EQ(d->ListeFichiers->item(1)->text(), "b.inc");
    EXPECT_EQ(d->FichiersCoches(), std::vector<TEditeur*>{b});

    d->btnTous->click();
    EXPECT_EQ(d->FichiersCoches().size(), 3u);
    d->btnAucun->click();
    EXPECT_TRUE(d->FichiersCoches().empty());
    EXPECT_EQ(d->PagesPrevues(), 0);
    d->ListeFichiers->item(1)->setCheckState(Qt::Checked);
    d->btnInverse->click();
    EXPECT_EQ(d->FichiersCoches(), (std::vector<TEditeur*>{a, c}));
    const int per = d->LignesParPage();
    EXPECT_EQ(d->PagesPrevues(), (150 + per - 1) / per + (80 + per - 1) / per);

    d->btnAide->click();
    d->rbTout->setChecked(true);
    d->btnAide->click();
    EXPECT_EQ(Help, (std::vector<int>{12001, 12000}));
    EXPECT_TRUE(d->PanneauFichiers->isHidden());
    d->rbGroupe->setChecked(true);

    EXPECT_EQ(d->Imprime(), 2);
    EXPECT_EQ(Asked, (QStringList{QString::fromStdString(a->FileName + ".pdf"),
                                  QString::fromStdString(c->FileName + ".pdf")}));
    const std::string pa = a->FileName + ".pdf", pc = c->FileName + ".pdf";
    EXPECT_FALSE(std::filesystem::exists(b->FileName + ".pdf"));
    EXPECT_EQ(pdfprobe::Pages(pa), (150 + per - 1) / per);
    EXPECT_EQ(pdfprobe::Pages(pc), (80 + per - 1) / per);
    // Each file whole, its pages numbered from 1.
    EXPECT_NE(pdfprobe::Text(pa, 1).find("alpha 2\n"), std::string::npos);
    EXPECT_NE(pdfprobe::Text(pc, 1).find("Page 1"), std::string::npos);
    EXPECT_NE(pdfprobe::Text(pc, 1).find("gamma 2\n"), std::string::npos);
    EXPECT_EQ(pdfprobe::Text(pc, 1).find("alpha"), std::string::npos);
}

TEST_F(PrintDlg, StoppedOrFailedJobsLeaveNoPartialPdf)
{
    TEditeur* ed = Editeur("s.asm", Lignes(1000));
    const std::string pdf = Dir.Write("ancien.pdf", "%PDF ancien");
    // Stopped on page 2: no new file, the old one untouched.
    auto d = Dialogue(ed);
    Answers << QString::fromStdString(pdf);
    d->OnPage = [&d](const QString&, int page) {
        if (page == 2)
            d->Progres()->cancel();
    };
    EXPECT_EQ(d->Imprime(), 0);
    EXPECT_EQ(Dir.Read("ancien.pdf"), "%PDF ancien");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path("")), {}), 1);

    // No name given: nothing printed, the dialog stays open.
    auto d2 = Dialogue(ed);
    Answers << QString();
    EXPECT_EQ(d2->Imprime(), 0);
    EXPECT_EQ(d2->result(), 0);

    // A folder that does not exist: a French message.
    Answers << QString::fromStdString(Dir.Path("absent/x.pdf"));
    EXPECT_EQ(d2->Imprime(), 0);
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_TRUE(Messages[0].startsWith("Impossible d'imprimer « s.asm » sur « PDF »."));
}
