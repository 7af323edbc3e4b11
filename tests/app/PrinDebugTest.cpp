// The code look-ups from the main window: Ctrl+N and the margin click show
// the code of a line in panel 3, Ctrl+L finds a line by its number at the
// last load or save, and each use of the viewer opens a window of its own.
#include "app/PrinFixture.h"

#include "build/UF_ViewCod.h"
#include "editor/UF_NumLig.h"
#include "tests/build/ObjFixture.h"

#include <QLineEdit>
#include <QPointer>
#include <QTreeWidget>

using namespace kep::test;

namespace {

class TPrinDebug : public TPrinFixture {
protected:
    // A project whose make file is demo.mke, with the linker's map, the
    // module and the image written beside the source: lines 10 to 13 of
    // demo.asm took 2, 1, 3 and 2 bytes at 0x2000.
    bool StartBuilt()
    {
        std::string src;
        for (int i = 0; i < 30; ++i)
            src += "        nop     ; ligne " + std::to_string(i + 1) + "\r\n";
        Dir.Write("p/demo.mke", "all:\r\n");
        Dir.Write("p/demo.map", MapFile({{"DEMO.OBJ", {"demo.asm"}}}, {{"CODE", 0x2000, 0x20FF, "DEMO.OBJ", 1}}));
        TModuleObj m;
        m.Table = {{{1, 1, 0}}};
        TSectionObj s;
        s.Base = 0x100;
        s.LigneChunks = {Enregs({{0, 0, 10, 0x100, 0, 0, 0, 0, 14, "demo"}, {0, 4, 14, 0x108, 0, 0, 0, 0, 20, "demo"}})};
        s.TailleChunks = {Tailles({2, 1, 3, 2})};
        m.Sections = {s};
        Dir.Write("p/demo.obj", ObjModule(m));
        Dir.Write("p/demo.cod", ImageCod({{0x2000, Bytes(16, 0xC0)}}));
        Dir.Write("p/demo.asm", src);
        ProjectPath = Project("[Global]\r\nMakeFile=demo.mke\r\nNbrEdit=1\r\n[Edit0]\r\nNom=demo.asm\r\n");
        return Start({ProjectPath});
    }
    // The caret elsewhere: the click itself moves it to the line.
    void ClickMargin(TEditeur* ed, int line)
    {
        ed->Buffer().SetTopLine(0);
        ed->Buffer().SetCaretLine(0);
        const int y = (line - ed->Buffer().TopLine()) * ed->LineHeight() + ed->LineHeight() / 2;
        QTest::mouseClick(ed->viewport(), Qt::LeftButton, {}, QPoint(2, y));
    }
};

} // namespace

TEST_F(TPrinDebug, CtrlNAndTheMarginShowTheCodeOfTheCaretLine)
{
    ASSERT_TRUE(StartBuilt());
    TEditeur* ed = Ed(0);
    QAction* find = W->Action("MD_FindCode");
    ASSERT_TRUE(find->isEnabled());
    ed->Buffer().SetCaretLine(11);
    find->trigger();
    EXPECT_EQ(W->Panel(3), "'CODE' $00002003 (3 octets) : C3 C4 C5");
    ed->Buffer().SetCaretLine(10);
    find->trigger();
    EXPECT_EQ(W->Panel(3), "'CODE' $00002002 (1 octet) : C2");
    ed->Buffer().SetCaretLine(2);
    find->trigger();
    EXPECT_EQ(W->Panel(3), "Pas de code trouvé");

    // Lines typed above do not change what a line is: its identity is looked up.
    ed->Buffer().InsertLine(0, "; nouvelle ligne");
    ed->Buffer().SetCaretLine(12);
    find->trigger();
    EXPECT_EQ(W->Panel(3), "'CODE' $00002003 (3 octets) : C3 C4 C5");

    // The shortcut reaches the command from the editor.
    W->show();
    W->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(W.get()));
    ed->setFocus();
    ed->Buffer().SetCaretLine(13);
    W->SetPanel(3, QString());
    QTest::keyClick(ed, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(W->Panel(3), "'CODE' $00002006 (2 octets) : C6 C7");
    EXPECT_EQ(ed->Buffer().GetLine(13), "        nop     ; ligne 13") << "nothing typed";

    // A click in the margin looks up the clicked line and selects it whole.
    ClickMargin(ed, 10);
    EXPECT_EQ(W->Panel(3), "'CODE' $00002000 (2 octets) : C0 C1");
    EXPECT_EQ(ed->Buffer().GetSelStart(), (TTextPos{10, 1}));
    EXPECT_EQ(ed->Buffer().GetSelEnd(), (TTextPos{11, 1}));
    // Focus coming back (the click that activates the window) keeps the text;
    // a caret that really moves clears it.
    QFocusEvent focus(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(ed, &focus);
    EXPECT_EQ(W->Panel(3), "'CODE' $00002000 (2 octets) : C0 C1");
    QTest::keyClick(ed, Qt::Key_Down);
    EXPECT_EQ(W->Panel(3), "");

    // The files gone: the map is missing, told in the panel, never in a box.
    std::filesystem::remove(Dir.Path("p/demo.map"));
    ed->Buffer().SetCaretLine(12);
    find->trigger();
    EXPECT_EQ(W->Panel(3), "Fichier demo.MAP absent");
    EXPECT_TRUE(Messages.empty());
}

TEST_F(TPrinDebug, TheOriginalLineIsFoundByItsNumberAtTheLastSave)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    TTextBuffer& b = Ed(0)->Buffer();
    b.InsertLine(0, "; une");
    b.InsertLine(0, "; deux");
    b.DeleteLine(10); // "line 8": number 9 in a listing, identity 8
    QString title;
    auto ask = [&](const QString& text, bool ok = true) {
        W->ExecDialog = [&title, text, ok](QDialog& dlg) {
            auto* d = qobject_cast<kep::TEcrNumLig*>(&dlg);
            if (!d)
                return false;
            title = d->windowTitle();
            d->NumLigne->setText(text);
            return ok;
        };
        W->Action("MC_TrouveLigOrg")->trigger();
    };
    W->Menu("M_Chercher")->menuAction()->setEnabled(true);
    ask("5");
    EXPECT_EQ(title, "Trouve la ligne originale");
    EXPECT_EQ(b.CaretLine(), 6);
    EXPECT_EQ(b.GetLine(6), "        nop     ; line 4");
    ask("20");
    EXPECT_EQ(b.GetLine(b.CaretLine()), "        nop     ; line 19");
    ASSERT_TRUE(Messages.empty());
    ask("9");
    EXPECT_EQ(Messages, QStringList{"La ligne 9 a été supprimée"});
    EXPECT_EQ(b.GetLine(b.CaretLine()), "        nop     ; line 19") << "the caret stays";
    // Cancelled, or not a number: nothing.
    ask("3", false);
    ask("");
    EXPECT_EQ(b.GetLine(b.CaretLine()), "        nop     ; line 19");
    EXPECT_EQ(Messages.size(), 1);
    // Saving renumbers: the lines are those of the saved file now.
    ASSERT_TRUE(W->SauvePage(0));
    ask("5");
    EXPECT_EQ(b.GetLine(b.CaretLine()), "        nop     ; line 2");
}

TEST_F(TPrinDebug, TheViewerOpensOnTheImageOfTheLastBuild)
{
    ASSERT_TRUE(StartBuilt());
    W->Action("MD_CodView")->trigger();
    const auto windows = W->findChildren<TEcrViewCod*>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windows[0]->edObjNameG->text().toStdString(), Dir.Path("p/demo.cod"));
    ASSERT_GE(windows[0]->DumpG->topLevelItemCount(), 1);
    EXPECT_EQ(windows[0]->DumpG->topLevelItem(0)->text(0), "Segment 00 : 00002000-0000200F (16 octets)");
}

TEST_F(TPrinDebug, EachUseOfTheViewerOpensAWindowThatClosingFrees)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    QAction* view = W->Action("MD_CodView");
    ASSERT_TRUE(view->isEnabled());
    view->trigger();
    view->trigger();
    const auto windows = W->findChildren<TEcrViewCod*>();
    ASSERT_EQ(windows.size(), 2);
    QPointer<TEcrViewCod> first = windows[0];
    EXPECT_TRUE(first->isWindow());
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->windowTitle(), "KEP - Visualisateur de fichiers");
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(W->findChildren<TEcrViewCod*>().size(), 1);
}
