// The loop the product exists for, with real assemblers: build, land on the
// error, edit above it, find it again.
#include "app/PrinMakeFixture.h"

#include "build/UF_ViewCod.h"
#include "build/U_ErrPresets.h"
#include "project/UF_NouveauProjet.h"
#include "platform/QtText.h"

#include <QLineEdit>
#include <QTreeWidget>

#include <filesystem>

namespace {

void CopyDemo(const std::string& to)
{
    for (const auto& e : std::filesystem::directory_iterator(KEP_SOURCE_DIR "/examples/demo"))
        std::filesystem::copy_file(e.path(), to + "/" + e.path().filename().string(),
                                   std::filesystem::copy_options::overwrite_existing);
}

} // namespace

TEST_F(TPrinMake, TheDemoBuildsCleanAndItsErrorVariantLandsOnTheTypo)
{
    CopyDemo(Dir.Path("p"));
    ASSERT_TRUE(Start({Dir.Path("p/demo.pja")}));
    Options().ProgMake = KEP_BINARY_DIR "/app/kepmake";
    Options().FermeConsole = true;
    Options().MakeLog = false;
    Build("MM_MakeTout");
    Settle();
    EXPECT_TRUE(kep::FileExists(Dir.Path("p/demo.hex")));
    EXPECT_EQ(W->EcrMake(), nullptr) << "a clean build closes its window";
    EXPECT_EQ(Entry("demo.err"), -1);

    // The image viewer opens on what gplink made: its Intel HEX file, not
    // its .cod of another format.
    W->Action("MD_CodView")->trigger();
    const auto viewers = W->findChildren<TEcrViewCod*>();
    ASSERT_EQ(viewers.size(), 1);
    EXPECT_EQ(kep::QStringToPath(viewers[0]->edObjNameG->text()), Dir.Path("p/demo.hex"));
    const QTreeWidget* tree = viewers[0]->DumpG;
    ASSERT_GE(tree->topLevelItemCount(), 3);
    EXPECT_TRUE(tree->topLevelItem(0)->text(0).startsWith("Segment 00 : 00000000-"))
        << tree->topLevelItem(0)->text(0).toStdString();
    // The reset vector, "goto Debut" (0x2833), low byte first.
    EXPECT_TRUE(tree->topLevelItem(0)->child(0)->text(0).startsWith("000000: 33 28 "));
    EXPECT_TRUE(tree->topLevelItem(tree->topLevelItemCount() - 1)->text(0).startsWith("Enregistrement de fin, ligne "));
    viewers[0]->close();

    ASSERT_TRUE(W->FermeProjet());
    W.reset();
    ASSERT_TRUE(Start({Dir.Path("p/demo-erreur.pja")}));
    Options().ProgMake = KEP_BINARY_DIR "/app/kepmake";
    Build();
    EXPECT_FALSE(kep::FileExists(Dir.Path("p/demo-erreur.hex")));
    EXPECT_EQ(CurrentName(), "principal-erreur.asm");
    EXPECT_EQ(CaretLine(), 44);
    EXPECT_EQ(Current()->Buffer().GetLine(CaretLine()), "        call    EnvoieMesage");
    EXPECT_EQ(W->Panel(3), "Error[113] Symbol not previously defined: \"EnvoieMesage\"");
    EXPECT_EQ(Selected(), "EnvoieMesage");
    ASSERT_TRUE(W->EcrMake());
    EXPECT_TRUE(Output().contains("principal-erreur.asm:45:Error[113]   Symbol not previously defined: \"EnvoieMesage\""))
        << Output().join('\n').toStdString();

    // Lines added above the error, then the search started again from the top.
    TTextBuffer& b = Current()->Buffer();
    b.InsertLine(10, "; une ligne de plus");
    b.InsertLine(10, "; et une autre");
    W->ChoisitPage(Entry("demo-erreur.err"));
    Current()->Buffer().SetCaretLine(0);
    W->MC_ErrSuivClick();
    EXPECT_EQ(CurrentName(), "principal-erreur.asm");
    EXPECT_EQ(CaretLine(), 46);
    EXPECT_EQ(Current()->Buffer().GetLine(CaretLine()), "        call    EnvoieMesage");

    // The same line clicked in the output window.
    const qsizetype clicked =
        Output().indexOf("principal-erreur.asm:45:Error[113]   Symbol not previously defined: \"EnvoieMesage\"");
    ASSERT_GE(clicked, 0);
    Current()->Buffer().SetCaretLine(0);
    W->SetPanel(3, QString());
    EXPECT_TRUE(W->MontreErreurConsole(std::size_t(clicked)));
    EXPECT_EQ(CaretLine(), 46);
    EXPECT_EQ(Selected(), "EnvoieMesage");
    EXPECT_EQ(W->Panel(3), "Error[113] Symbol not previously defined: \"EnvoieMesage\"");

    // Mended, the variant builds and Ctrl+N reads gpasm's listing of its
    // main source, which gplink's listing of the program no longer replaces.
    ASSERT_EQ(CurrentName(), "principal-erreur.asm");
    Current()->Buffer().ReplaceLine(46, "        call    EnvoieMessage");
    Build();
    Settle();
    EXPECT_EQ(W->Panel(3), "Construction réussie.");
    EXPECT_TRUE(kep::FileExists(Dir.Path("p/demo-erreur.hex")));
    W->ChoisitPage(Entry("principal-erreur.asm"));
    Current()->Buffer().SetCaretLine(46);
    W->Action("MD_FindCode")->trigger();
    EXPECT_TRUE(W->Panel(3).startsWith("'PRINCIPAL' $000000")) << W->Panel(3).toStdString();
    EXPECT_TRUE(W->Panel(3).contains("(1 mot) : 2")) << W->Panel(3).toStdString();
}

TEST_F(TPrinMake, AnAvraProjectWithTheAvraLayoutLandsOnEachError)
{
    ASSERT_TRUE(StartMake("@avra prog.asm > prog.err 2>&1 || true"));
    Dir.Write("p/prog.asm", ".device ATmega8\r\n"
                            "        ldi     r16, 1\r\n"
                            "        rjmp    Boucle\r\n"
                            "        ldi     r17, 300\r\n"
                            "        nop\r\n");
    Ed(0)->Load();
    const kep::TErrPreset* avra = kep::FindErrPreset("avra");
    ASSERT_TRUE(avra);
    Options().Err = kep::ApplyErrPreset(*avra, Options().Err);
    EXPECT_EQ(Options().Err.FichErr, "prog.err");
    Build();
    EXPECT_EQ(CurrentName(), "prog.asm") << Dir.Read("p/prog.err");
    EXPECT_EQ(CaretLine(), 2);
    EXPECT_TRUE(W->Panel(3).contains("Found no label/variable/constant named Boucle")) << W->Panel(3).toStdString();
    W->MC_ErrSuivClick(); // the warning
    EXPECT_EQ(CaretLine(), 3);
    EXPECT_TRUE(W->Panel(3).contains("Constant out of range"));
    W->MC_ErrSuivClick(); // avra's closing lines are no errors
    EXPECT_EQ(CaretLine(), 3);
}

TEST_F(TPrinMake, AGplinkErrorLeadsToTheUseOfTheMissingSymbol)
{
    ASSERT_TRUE(StartMake("@gpasm -c prog.asm > prog.err 2>&1 && gplink -o prog.hex prog.o >> prog.err 2>&1 || true"));
    Dir.Write("p/prog.asm", "\tprocessor 16f628a\r\n"
                            "\tinclude \"p16f628a.inc\"\r\n"
                            "\textern  Inconnu\r\n"
                            "PROG\tcode\r\n"
                            "\tnop                ; Inconnu plus bas\r\n"
                            "\tcall    Inconnu\r\n"
                            "\tend\r\n");
    Ed(0)->Load();
    Options().Err = kep::ApplyErrPreset(*kep::FindErrPreset("gpasm"), Options().Err);
    Build();
    EXPECT_EQ(CurrentName(), "prog.asm") << Dir.Read("p/prog.err");
    EXPECT_EQ(CaretLine(), 5);
    EXPECT_EQ(Selected(), "Inconnu");
    EXPECT_EQ(W->Panel(3), "error: Missing definition for symbol \"Inconnu\", required by \"prog.o\".");
}

TEST_F(TPrinMake, ANewProjectOpensAndBuildsAtOnce)
{
    ASSERT_TRUE(StartMake("@echo ancien"));
    Options().ProgMake = KEP_BINARY_DIR "/app/kepmake";
    Options().FermeConsole = true;
    // The dialog filled in as a user would.
    W->ExecDialog = [this](QDialog& d) {
        auto* dlg = qobject_cast<kep::TEcrNouveauProjet*>(&d);
        if (!dlg)
            return false;
        dlg->edNom->setText(QStringLiteral("horloge"));
        dlg->edDossier->setText(QString::fromStdString(Dir.Path("neuf")));
        dlg->cbPuce->setCurrentText(QStringLiteral("pic18f4550"));
        EXPECT_EQ(dlg->cbChaine->currentIndex(), 0) << "a PIC is linked by default";
        EXPECT_TRUE(dlg->BtnCree->isEnabled()) << dlg->lblInfo->text().toStdString();
        dlg->grab().save(QStringLiteral(KEP_BINARY_DIR "/screens/nouveau-projet.png"));
        return dlg->Cree();
    };
    std::filesystem::create_directories(KEP_BINARY_DIR "/screens");
    W->Action("MP_NouveauProjet")->trigger();
    Settle();
    EXPECT_EQ(kep::NomProjet, Dir.Path("neuf/horloge.pja"));
    EXPECT_EQ(CurrentName(), "principal.asm");
    EXPECT_EQ(Current()->Buffer().GetLine(CaretLine()), "Boucle:");

    Build();
    Settle();
    EXPECT_EQ(W->Panel(3), "Construction réussie.");
    EXPECT_EQ(W->EcrMake(), nullptr);
    W->Action("MC_ErrSuiv")->trigger();
    EXPECT_EQ(W->Panel(3), "Aucune erreur dans horloge.err.");
    EXPECT_EQ(Entry("horloge.err"), -1);

    TTextBuffer& b = Current()->Buffer();
    b.SetCaretLine(CaretLine() + 2); // "goto Boucle"
    ASSERT_EQ(b.GetLine(b.CaretLine()), "        goto    Boucle");
    W->Action("MD_FindCode")->trigger();
    EXPECT_TRUE(W->Panel(3).startsWith("'PRINCIPAL' $0000000")) << W->Panel(3).toStdString();
    EXPECT_TRUE(W->Panel(3).contains("(2 mots) : EF")) << W->Panel(3).toStdString();
}
