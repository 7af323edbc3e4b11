// "&Imprimer..." from the main window: the dialog made once, over the
// current file and the open files, printing on the PDF printer.
#include "app/PrinFixture.h"
#include "print/PdfProbe.h"
#include "print/UF_Print.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

TEST_F(TPrinFixture, PrintOffersTheOpenFilesAndKeepsItsSettings)
{
    ASSERT_TRUE(StartWith({"a.asm", "b.inc", "c.asm"}));
    QAction* imprime = W->Action("MF_Imprime");
    ASSERT_TRUE(imprime->isEnabled());
    W->move(120, 80);
    // A second view of b.inc: still one line for the file.
    W->ChoisitPage(1);
    W->Action("MF_NouvVue")->trigger();
    ASSERT_EQ(S().Count(), 4);
    W->ChoisitPage(1);

    kep::TEcrImprim* seen = nullptr;
    QStringList files;
    std::vector<TEditeur*> checked;
    QPoint at;
    std::vector<int> help;
    W->ShowHelp = [&help](int c) { help.push_back(c); };
    W->ExecDialog = [&](QDialog& dlg) {
        auto* d = qobject_cast<kep::TEcrImprim*>(&dlg);
        if (!d)
            return false;
        seen = d;
        at = d->pos();
        files.clear();
        for (int i = 0; i < d->ListeFichiers->count(); ++i)
            files << d->ListeFichiers->item(i)->text();
        checked = d->FichiersCoches();
        d->btnAide->click();
        d->AskPdfName = [this](const QString&) { return QString::fromStdString(Dir.Path("sortie.pdf")); };
        d->TaillePolice->setValue(12);
        d->btnImprime->click();
        return d->result() == QDialog::Accepted;
    };
    imprime->trigger();
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(W->Imprim(), seen);
    EXPECT_EQ(at, W->pos() + QPoint(10, 10));
    EXPECT_EQ(files, (QStringList{"a.asm", "b.inc", "c.asm"}));
    EXPECT_EQ(checked, std::vector<TEditeur*>{Ed(1)});
    EXPECT_EQ(help, std::vector<int>{12000});
    const std::string pdf = Dir.Path("sortie.pdf");
    ASSERT_EQ(pdfprobe::Pages(pdf), 1);
    const std::string text = pdfprobe::Text(pdf, 1);
    EXPECT_NE(text.find("; line 39"), std::string::npos) << text;

    // The same dialog next time, its settings kept, the list rebuilt.
    W->ChoisitPage(3);
    W->FermePage(0, false);
    int size = 0;
    W->ExecDialog = [&](QDialog& dlg) {
        auto* d = qobject_cast<kep::TEcrImprim*>(&dlg);
        files.clear();
        for (int i = 0; i < d->ListeFichiers->count(); ++i)
            files << d->ListeFichiers->item(i)->text();
        checked = d->FichiersCoches();
        size = d->TaillePolice->value();
        return false;
    };
    imprime->trigger();
    EXPECT_EQ(W->Imprim(), seen);
    EXPECT_EQ(size, 12);
    EXPECT_EQ(files, (QStringList{"b.inc", "c.asm"}));
    EXPECT_EQ(checked, std::vector<TEditeur*>{S().Entry(2)->Editor});

    // No file open: nothing to print.
    while (S().Count() > 0)
        W->FermePage(0, false);
    EXPECT_FALSE(imprime->isEnabled());
}
