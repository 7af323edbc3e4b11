// The Chercher menu through the main window: the find and replace window
// over the open files and the project's files, the toolkit's dialogs with
// F3, the references window and its jumps, going to a line, and the windows'
// settings in the project file.
#include "app/PrinFixture.h"

#include "editor/UF_CfgVue.h"
#include "editor/UF_ChRemp.h"
#include "editor/UF_CRef.h"
#include "editor/UF_NumLig.h"
#include "editor/U_Recherche.h"
#include "platform/FindDialog.h"
#include "project/UF_Proj.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <sys/stat.h>

class TPrinChercher : public TPrinFixture {
protected:
    // A project of the given files (name, text), each opened in one view.
    bool StartFiles(std::initializer_list<std::pair<const char*, const char*>> files, const std::string& global = {})
    {
        if (!TPrinFixture::StartFiles(files, global))
            return false;
        W->AskReplace = [this](bool tous) {
            ReplaceAsked.push_back(tous);
            if (ReplaceAnswers.empty())
                return kep::TConfirmAnswer::Non;
            const auto a = ReplaceAnswers.front();
            ReplaceAnswers.pop_front();
            return a;
        };
        return true;
    }
    kep::TChRempDlg& Dlg(const QString& find, const QString& repl = {})
    {
        W->MC_ChRempClick();
        kep::TChRempDlg* d = W->ChRempDlg();
        d->Cherche->setEditText(find);
        d->Remplace->setEditText(repl);
        d->optConfirme->setChecked(false);
        return *d;
    }
    // The global position of a text position of the current view.
    QPoint At(TEditeur* ed, int line, int col)
    {
        const TTextBuffer& b = ed->Buffer();
        const int x = ed->TextLeft() + b.PixelOfCol(b.GetLine(line), col) - b.LeftPixel() + 1;
        const int y = (line - ed->Buffer().TopLine()) * ed->LineHeight() + 1;
        return ed->viewport()->mapToGlobal(QPoint(x, y));
    }
    std::deque<kep::TConfirmAnswer> ReplaceAnswers;
    std::vector<bool> ReplaceAsked;
};

TEST_F(TPrinChercher, ProjectFilesAreSearchedInAddedViewsAndClosedAtTheirEnd)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "\tcall Routine\r\nRoutine:\r\n\treturn\r\n"}},
                           "MakeFile=demo.mke\r\n"));
    Dir.Write("p/b.asm", "; sans\r\n\tgoto Routine\r\n");
    Dir.Write("p/demo.mke", "# construit\r\nprog.hex:\tb.asm+a.asm\r\n\tgpasm a.asm\r\n");
    kep::TChRempDlg& d = Dlg("routine", "Sousprog");
    d.DansProjet->click();
    Answers = {TEcrPrin::rOui}; // saving b.asm when it closes
    d.ButtonClick(kep::cbRemplaceTout);

    EXPECT_EQ(Messages, QStringList{"Recherche multifichier terminée"});
    // b.asm was opened, changed, saved at its question and closed.
    EXPECT_EQ(Dir.Read("p/b.asm"), "; sans\r\n\tgoto Sousprog\r\n");
    EXPECT_EQ(Asked.size(), 1);
    // a.asm was searched in an added view, closed without a question; its
    // own entry stays, with the changes.
    EXPECT_EQ(Names(), QStringList{"a.asm"});
    EXPECT_EQ(Ed(0)->Buffer().ViewCount(), 1);
    EXPECT_EQ(Ed(0)->Buffer().GetLine(0), "\tcall Sousprog");
    EXPECT_EQ(Ed(0)->Buffer().GetLine(1), "Sousprog:");
    EXPECT_TRUE(Ed(0)->Buffer().Modified());

    // "Les fichiers ouverts" lists each file once, in list order.
    W->OuvreFichier(Dir.Path("p/b.asm"));
    W->OuvreFichier(Dir.Path("p/a.asm")); // a second view of a.asm
    std::vector<std::string> open;
    d.OnListOpen(open);
    EXPECT_EQ(open, (std::vector<std::string>{Dir.Path("p/a.asm"), Dir.Path("p/b.asm")}));
}

TEST_F(TPrinChercher, ASearchStartsInTheCurrentTextWhereTheWindowSaysAndEndsThere)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "nop\r\nnop\r\n"}, {"b.asm", "x\r\ncall tempo\r\ntempo nop\r\n"}}));
    W->ChoisitPage(0);
    Ed(0)->Buffer().SetSelection(1, 1, 3, 1);
    kep::TChRempDlg& d = Dlg("tempo");
    W->ChoisitPage(1);
    Ed(1)->Buffer().SetSelection(0, 1, 2, 0);
    d.ButtonClick(kep::cbSuivant);
    EXPECT_EQ(Ed(1)->Buffer().GetSelStart(), (TTextPos{1, 6}));
    d.ButtonClick(kep::cbSuivant);
    EXPECT_EQ(Ed(1)->Buffer().GetSelStart(), (TTextPos{2, 1}));
    EXPECT_TRUE(Messages.isEmpty());
    d.ButtonClick(kep::cbSuivant);
    EXPECT_EQ(Messages, QStringList{"Plus d'occurences"});
    // The text searched keeps the tab and gets its selection back; the
    // other file's selection is its own.
    EXPECT_EQ(S().CurrentPage(), 1);
    EXPECT_EQ(Ed(1)->Buffer().GetSelEnd(), (TTextPos{0, 2}));
    EXPECT_EQ(Ed(0)->Buffer().GetSelStart(), (TTextPos{1, 1}));
    EXPECT_EQ(Ed(0)->Buffer().GetSelEnd(), (TTextPos{1, 3}));

    // "Du curseur" starts at the caret.
    Ed(1)->Buffer().SetCaret(TTextPos{1, 8});
    d.DuCurseur->click();
    d.ButtonClick(kep::cbSuivant);
    EXPECT_EQ(Ed(1)->Buffer().GetSelStart(), (TTextPos{2, 1}));
}

TEST_F(TPrinChercher, AProjectFileNotOpenIsFoundInTheDosPageItIsReadIn)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "nop\r\n"}}, "MakeFile=demo.mke\r\n"));
    ASSERT_TRUE(W->Cfg()->FileTypeOf("b.asm").Opts & kep::optConvDos);
    Dir.Write("p/b.asm", "; valeur par d\x82" "faut\r\n");
    Dir.Write("p/demo.mke", "prog.hex:\tb.asm+a.asm\r\n");
    kep::TChRempDlg& d = Dlg(QStringLiteral("défaut"));
    d.DansProjet->click();
    d.ButtonClick(kep::cbSuivant);
    EXPECT_TRUE(Messages.isEmpty());
    ASSERT_EQ(Names(), (QStringList{"a.asm", "b.asm"}));
    EXPECT_EQ(S().CurrentPage(), 1);
    EXPECT_EQ(Ed(1)->Buffer().GetSelStart(), (TTextPos{0, 14}));
}

TEST_F(TPrinChercher, ConfirmationsAndProtectedProjects)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "a a\r\na\r\n"}}));
    kep::TChRempDlg& d = Dlg("a", "b");
    d.optConfirme->setChecked(true);
    ReplaceAnswers = {kep::TConfirmAnswer::Non, kep::TConfirmAnswer::Tous};
    d.ButtonClick(kep::cbRemplaceTout);
    EXPECT_EQ(ReplaceAsked, (std::vector<bool>{true, true}));
    EXPECT_EQ(Ed(0)->Buffer().GetAllText(), "a b\r\nb\r\n");
    // Every replacement is one step of undo.
    Ed(0)->Buffer().Undo();
    EXPECT_EQ(Ed(0)->Buffer().GetAllText(), "a b\r\na\r\n");
    W->ChRempDlg()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(W->ChRempDlg(), nullptr);
    EXPECT_NE(Dir.Read("p/demo.pja").find("[Cherche Remplace]"), std::string::npos);
    EXPECT_NE(Dir.Read("p/demo.pja").find("C0=a"), std::string::npos);
    EXPECT_NE(Dir.Read("p/demo.pja").find("R0=b"), std::string::npos);
    W.reset();

    // A protected project hides replacing and keeps its file as it is.
    chmod(ProjectPath.c_str(), 0444);
    const std::string before = Dir.Read("p/demo.pja");
    ASSERT_TRUE(Start({ProjectPath}));
    W->MC_ChRempClick();
    ASSERT_NE(W->ChRempDlg(), nullptr);
    EXPECT_FALSE(W->ChRempDlg()->ReplaceAllowed());
    EXPECT_TRUE(W->ChRempDlg()->btnRempl->isHidden());
    // The history of the project came back.
    EXPECT_EQ(W->ChRempDlg()->ChercheHistory(), (std::vector<std::string>{"a"}));
    W->ChRempDlg()->close();
    W->MC_ReferencesClick();
    W->CRef()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Dir.Read("p/demo.pja"), before);
    chmod(ProjectPath.c_str(), 0644);
}

TEST_F(TPrinChercher, ToolkitDialogsFindFromTheCaretAndF3Repeats)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "\tmovlw 1 ; movlw\r\n\tnop\r\n\tMOVLW 2\r\n"}}));
    TEditeur* ed = Ed(0);
    W->resize(800, 600);
    W->show();
    EXPECT_FALSE(W->Action("MC_Repete")->isEnabled());
    W->MousePos = [&] { return At(ed, 0, 3); };
    W->MC_ChercheClick();
    kep::TFindDialog* f = W->FindDlg();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->FindText(), "movlw");
    f->MemeCasse->setChecked(true);
    emit f->FindNext();
    EXPECT_EQ(ed->Buffer().GetSelStart(), (TTextPos{0, 2}));
    EXPECT_TRUE(W->Action("MC_Repete")->isEnabled());
    W->Action("MC_Repete")->trigger();
    EXPECT_EQ(ed->Buffer().GetSelStart(), (TTextPos{0, 12})); // the second hit of the line
    W->Action("MC_Repete")->trigger();
    EXPECT_EQ(Messages, QStringList{"Aucune occurence après le curseur !"});

    // The replace dialog: a replacement holding the pattern does not loop,
    // and its find next uses its own text.
    ed->Buffer().ClearSelection();
    ed->Buffer().SetCaret(TTextPos{0, 1});
    W->MC_RemplaceClick();
    kep::TFindDialog* r = W->ReplaceDlg();
    r->SetFindText("nop");
    r->ChampRemplace->setText("nop nop");
    emit r->ReplaceRequested(true);
    EXPECT_EQ(ed->Buffer().GetLine(1), "\tnop nop");
    ed->Buffer().SetCaret(TTextPos{0, 1});
    r->SetFindText("MOVLW");
    r->ChampRemplace->setText("movf");
    emit r->ReplaceRequested(false); // the selection is not the text: find it
    EXPECT_EQ(ed->Buffer().GetSelStart(), (TTextPos{0, 2}));
    emit r->ReplaceRequested(false); // "movlw" is not "MOVLW": the next hit
    EXPECT_EQ(ed->Buffer().GetSelStart(), (TTextPos{0, 12}));
    W->Action("MC_Repete")->trigger();
    EXPECT_EQ(ed->Buffer().GetSelText(), "MOVLW");
    W->Action("MC_Repete")->trigger(); // now it is replaced
    EXPECT_EQ(ed->Buffer().GetLine(2), "\tmovf 2");
}

TEST_F(TPrinChercher, ReferencesListJumpAndFollowTheDocuments)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "start:\r\n\tcall Tempo\r\n\tnop\r\nTempo:\r\n\treturn ; Tempo\r\n"},
                            {"b.asm", "\tgoto Tempo\r\n"},
                            {"c.asm", "\tcall TEMPO\r\n"}}));
    S().Entry(1)->NoRefs = true;
    Ed(0)->OnReferences("Tempo");
    kep::TEcrCRef* c = W->CRef();
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->isVisible());
    EXPECT_EQ(c->Word(), "Tempo");
    ASSERT_EQ(c->Items().size(), 5u); // a: header, 2, 4; c: header, 1
    EXPECT_EQ(c->Items()[1].Number, 2);
    EXPECT_EQ(c->Items()[2].Number, 4);
    EXPECT_EQ(c->Items()[3].Entry, 2);

    // Lines inserted above: the item still reaches its line, the caret just
    // after the word.
    W->ChoisitPage(0);
    TTextBuffer& b = Ed(0)->Buffer();
    b.SetCaret(TTextPos{0, 1});
    b.InsertText("; 1\r\n; 2\r\n");
    c->ClickItem(2);
    EXPECT_EQ(S().CurrentPage(), 0);
    EXPECT_EQ(b.Caret(), (TTextPos{5, 6}));
    // Its line deleted: said.
    b.SetCaret(TTextPos{5, 1});
    b.DeleteCurrentLine();
    c->ClickItem(2);
    EXPECT_EQ(Messages, QStringList{"Cette ligne a été supprimée"});

    // The list follows the change once the editing pauses.
    QTRY_COMPARE(c->Items().size(), 4u);
    EXPECT_EQ(c->Items()[1].Number, 4);

    // Moving entries in the sources list lists again at once.
    Ed(2)->Buffer().SetAllText("\tcall TEMPO\r\n\tgoto tempo\r\n");
    S().OnMoved();
    EXPECT_EQ(c->Items().size(), 5u);
}

TEST_F(TPrinChercher, ReferencesFollowWhatTheyListAtOnce)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "\tcall Tempo\r\n"}, {"b.asm", "\tgoto Tempo\r\n"}}));
    Ed(0)->OnReferences("Tempo");
    kep::TEcrCRef* c = W->CRef();
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->Items().size(), 4u);
    // No event runs in between: each change lists again by itself.
    QMenu* pm = W->findChild<QMenu*>("PM_Sources");
    pm->setProperty("tag", 1);
    W->Action("PM_S_NoRefs")->trigger();
    ASSERT_EQ(c->Items().size(), 2u);
    W->ChoisitPage(0);
    W->AskSaveName = [this](const QString&) { return QString::fromStdString(Dir.Path("p/z.asm")); };
    W->Action("MF_EnregSous")->trigger();
    EXPECT_EQ(c->Items()[0].Text, "z.asm");
    W->ExecDialog = [](QDialog& d) {
        static_cast<kep::TEcrEditVue&>(d).NomVue->setText("Init");
        return true;
    };
    W->ProprietesVue(0);
    EXPECT_EQ(c->Items()[0].Text, "Init");
}

TEST_F(TPrinChercher, WindowsOfAProjectCloseWithIt)
{
    Source("a.asm");
    ProjectPath = Project("[Global]\r\nNbrEdit=1\r\n[Edit0]\r\nNom=a.asm\r\n");
    const std::string other = Project("[Global]\r\n", "autre.pja");
    ::chmod(ProjectPath.c_str(), 0444);
    ASSERT_TRUE(Start({ProjectPath}));
    std::string next = other;
    W->ChoisitProjet = [&next](std::string& chosen) {
        chosen = next;
        return int(kep::TEcrProj::mrOk);
    };
    // Each writes to its own project, or nowhere for a protected one.
    auto leave = [&] {
        const std::string before = Dir.Read("p/demo.pja");
        Ed(0)->OnReferences("nop");
        Dlg("nop");
        EXPECT_TRUE(W->CRef() && W->ChRempDlg());
        next = other;
        W->MP_ProjetClick();
        EXPECT_EQ(kep::NomProjet, other);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(W->CRef(), nullptr);
        EXPECT_EQ(W->ChRempDlg(), nullptr);
        const std::string taken = Dir.Read("p/autre.pja");
        EXPECT_EQ(taken.find("rences]"), std::string::npos);
        EXPECT_EQ(taken.find("Cherche Remplace"), std::string::npos);
        return before;
    };
    ASSERT_TRUE(ProjetProtege);
    EXPECT_EQ(Dir.Read("p/demo.pja"), leave());
    ::chmod(ProjectPath.c_str(), 0644);
    next = ProjectPath;
    W->MP_ProjetClick();
    ASSERT_EQ(kep::NomProjet, ProjectPath);
    ASSERT_FALSE(ProjetProtege);
    leave();
    EXPECT_NE(Dir.Read("p/demo.pja").find("[Cherche Remplace]"), std::string::npos);
}

TEST_F(TPrinChercher, GoToLineTakesOnlyNumbersAndClamps)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    auto go = [this](const QString& text) {
        W->ExecDialog = [text](QDialog& dlg) {
            auto* d = qobject_cast<kep::TEcrNumLig*>(&dlg);
            if (!d)
                return false;
            EXPECT_EQ(d->windowTitle(), "Va à la ligne");
            d->NumLigne->setText(text);
            return true;
        };
        W->MC_VaLigneClick();
        return Ed(0)->Buffer().CaretLine();
    };
    EXPECT_EQ(go("12"), 11);
    EXPECT_EQ(go("0"), 0);
    EXPECT_EQ(go("5"), 4);
    EXPECT_EQ(go(""), 4);
    EXPECT_EQ(go("99999999999"), 4);
    EXPECT_EQ(go("1000"), 40); // the last line (the text ends with a line break)
}
