// The number converter from the main window: docked under the sources list,
// fed by clicks in the editors, writing values back over the selection, and
// remembered by the project.
#include "app/PrinFixture.h"

#include "editor/UC_Conv.h"
#include "project/UF_Proj.h"

#include <QComboBox>
#include <QListWidget>
#include <QSplitter>

#include <sys/stat.h>

namespace {

class TPrinConv : public TPrinFixture {
protected:
    // The middle of the character at (line, col), 1-based column.
    static QPoint PointAt(TEditeur* ed, int line, int col)
    {
        const std::string text = ed->Buffer().GetLine(line);
        const int x = ed->TextLeft() + (ed->Buffer().PixelOfCol(text, col) + ed->Buffer().PixelOfCol(text, col + 1)) / 2;
        const int y = (line - ed->Buffer().TopLine()) * ed->LineHeight() + ed->LineHeight() / 2;
        return QPoint(x, y);
    }
    void ClickAt(TEditeur* ed, int line, int col)
    {
        QTest::mouseClick(ed->viewport(), Qt::LeftButton, {}, PointAt(ed, line, col));
    }
    // A double click there, which selects the word. The window system
    // sends a press first; QTest on a widget sends only the double click.
    void DoubleClickAt(TEditeur* ed, int line, int col)
    {
        ClickAt(ed, line, col);
        QTest::mouseDClick(ed->viewport(), Qt::LeftButton, {}, PointAt(ed, line, col));
    }
    QStringList Shown()
    {
        QStringList l;
        for (int i = 0; i < W->Conv()->Liste->count(); ++i)
            l << W->Conv()->Liste->item(i)->text();
        return l;
    }
    void ClickLine(int row)
    {
        QListWidget* list = W->Conv()->Liste;
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    std::string Read(const char* section, const char* key)
    {
        kep::TIniFile ini(ProjectPath);
        return ini.ReadString(section, key, "?");
    }
};

} // namespace

TEST_F(TPrinConv, TheMenuDocksItUnderTheSourcesListAndTakesItAway)
{
    ASSERT_TRUE(StartWith({"a.asm"}));
    W->resize(800, 600);
    QCoreApplication::processEvents();
    QAction* item = W->Action("MD_Convertisseur");
    ASSERT_TRUE(item->isEnabled());
    EXPECT_EQ(W->Conv(), nullptr);
    item->trigger();
    kep::TEcrConv* c = W->Conv();
    ASSERT_NE(c, nullptr);
    QCoreApplication::processEvents();
    auto* split = W->findChild<QSplitter*>(QStringLiteral("Splitter2"));
    ASSERT_NE(split, nullptr);
    EXPECT_EQ(split->widget(0), W->Sources());
    EXPECT_EQ(split->widget(1), c);
    EXPECT_EQ(split->handleWidth(), 3);
    EXPECT_TRUE(c->isVisible());
    EXPECT_GE(c->geometry().top(), W->Sources()->geometry().bottom() + 3);
    EXPECT_EQ(c->height(), c->WantedHeight());
    EXPECT_GT(W->Sources()->height(), c->height());
    EXPECT_EQ(c->UnitDef->currentText(), "Decimal");
    EXPECT_EQ(c->Liste->count(), 0);

    // Taken away, it leaves its height and unit in the project.
    c->UnitDef->setCurrentIndex(kep::udHexa);
    split->setSizes({split->height() - 150 - 3, 150});
    item->trigger();
    EXPECT_EQ(W->Conv(), nullptr);
    EXPECT_EQ(split->count(), 1);
    EXPECT_EQ(Read("Conversion", "UnitDefaut"), "2");
    const std::string bounds = Read("Conversion", "Bounds");
    EXPECT_EQ(bounds.substr(bounds.rfind(',') + 1), "150");
    // And finds them again.
    item->trigger();
    ASSERT_NE(W->Conv(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(W->Conv()->UnitDef->currentIndex(), kep::udHexa);
    EXPECT_EQ(W->Conv()->height(), 150);
    EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(TPrinConv, ClickedWordsAreConvertedAndLinesGoBackOverTheSelection)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "\tmovlw $0F\r\n\tmovlw 10\r\n\tmovlw 12G\r\n"}}));
    W->resize(900, 600);
    TEditeur* ed = Ed(0);
    // Without the converter a click gives nothing to anybody.
    ClickAt(ed, 0, 9);
    W->MD_ConvertisseurClick();
    ASSERT_NE(W->Conv(), nullptr);
    QCoreApplication::processEvents();

    ClickAt(ed, 0, 9);
    EXPECT_EQ(Shown(), (QStringList{"%00001111", "$0F", "15"}));
    EXPECT_EQ(W->Conv()->Target(), ed);
    ClickAt(ed, 1, 8);
    EXPECT_EQ(Shown(), (QStringList{"%00001010", "$0A", "10"}));
    W->Conv()->UnitDef->setCurrentIndex(kep::udHexa);
    EXPECT_EQ(Shown(), (QStringList{"%00010000", "$10", "16"}));
    // Neither a mnemonic nor 12G is a number: the list stays.
    ClickAt(ed, 2, 3);
    ClickAt(ed, 2, 9);
    EXPECT_EQ(Shown(), (QStringList{"%00010000", "$10", "16"}));

    // 0F selected right after its "$": the line $10 replaces both.
    ClickAt(ed, 0, 9);
    ed->Buffer().SelectRange({0, 9}, {0, 11});
    ed->viewport()->update();
    ClickLine(1);
    EXPECT_EQ(ed->Buffer().GetLine(0), "\tmovlw $0F");
    EXPECT_FALSE(ed->Buffer().HasSelection());
    EXPECT_EQ(ed->Buffer().Caret(), (TTextPos{0, 11}));
    DoubleClickAt(ed, 0, 10);
    EXPECT_EQ(ed->Buffer().GetSelText(), "0F");
    ClickLine(0);
    EXPECT_EQ(ed->Buffer().GetLine(0), "\tmovlw %00001111");
    EXPECT_TRUE(ed->Buffer().Modified());
    EXPECT_TRUE(ed->hasFocus() || !W->isActiveWindow());
    // One step undoes each, back to the file as saved.
    ed->Buffer().Undo();
    EXPECT_EQ(ed->Buffer().GetLine(0), "\tmovlw $0F");
    EXPECT_TRUE(ed->Buffer().Modified()); // the first value, $0F over $0F
    ed->Buffer().Undo();
    EXPECT_FALSE(ed->Buffer().Modified());
    EXPECT_EQ(ed->Buffer().GetAllText(), "\tmovlw $0F\r\n\tmovlw 10\r\n\tmovlw 12G\r\n");
}

TEST_F(TPrinConv, TheTargetIsTheLastEditorClickedWhileItLives)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "\tdata 65\r\n"}, {"b.asm", "\tdata 7\r\n"}}));
    W->resize(900, 600);
    W->MD_ConvertisseurClick();
    QCoreApplication::processEvents();
    TEditeur* a = Ed(0);
    TEditeur* b = Ed(1);
    W->ChoisitPage(0);
    QCoreApplication::processEvents();
    DoubleClickAt(a, 0, 7);
    ASSERT_EQ(Shown().size(), 4);
    EXPECT_EQ(Shown().back(), "'A'");
    // The caret of b, no click there: the value goes to a, the editor clicked.
    W->ChoisitPage(1);
    ClickLine(1);
    EXPECT_EQ(a->Buffer().GetLine(0), "\tdata $41");
    EXPECT_EQ(b->Buffer().GetLine(0), "\tdata 7");

    // Once a is closed the current editor takes the values.
    W->ChoisitPage(0);
    ASSERT_TRUE(W->FermePage(0, false));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(W->Conv()->Target(), nullptr);
    EXPECT_EQ(W->EditeurCourant(), b);
    b->Buffer().SetCaret({0, 8});
    ClickLine(3);
    EXPECT_EQ(b->Buffer().GetLine(0), "\tdata 7'A'");
    // A read-only file takes nothing.
    b->Buffer().ReadOnly = true;
    ClickAt(b, 0, 7);
    EXPECT_FALSE(W->Conv()->ClickLine(0));
    EXPECT_EQ(b->Buffer().GetLine(0), "\tdata 7'A'");
}

TEST_F(TPrinConv, TheProjectRemembersWhetherItWasOpen)
{
    Source("a.asm");
    ProjectPath = Project("[Global]\r\nConvVisible=1\r\nNbrEdit=1\r\n[Edit0]\r\nNom=a.asm\r\n"
                          "[Conversion]\r\nBounds=0,300,105,130\r\nUnitDefaut=0\r\n");
    ASSERT_TRUE(Start({ProjectPath}));
    ASSERT_NE(W->Conv(), nullptr);
    EXPECT_EQ(W->Conv()->UnitDef->currentText(), "Binaire");
    EXPECT_EQ(W->Conv()->WantedHeight(), 130);
    QCoreApplication::processEvents();
    EXPECT_EQ(W->Conv()->height(), 130);
    // Saving keeps it open, and says so.
    W->SauveProjet();
    EXPECT_EQ(Read("Global", "ConvVisible"), "1");
    W->Conv()->UnitDef->setCurrentIndex(kep::udHexa);
    ASSERT_TRUE(W->close());
    W.reset();
    EXPECT_EQ(Read("Global", "ConvVisible"), "1");
    EXPECT_EQ(Read("Conversion", "UnitDefaut"), "2");

    // Closed by the menu, it stays closed next time.
    ASSERT_TRUE(Start({ProjectPath}));
    ASSERT_NE(W->Conv(), nullptr);
    W->MD_ConvertisseurClick();
    ASSERT_TRUE(W->close());
    W.reset();
    EXPECT_EQ(Read("Global", "ConvVisible"), "0");
    ASSERT_TRUE(Start({ProjectPath}));
    EXPECT_EQ(W->Conv(), nullptr);
    W.reset();

    // A damaged section gives the usual height and unit, without a word.
    Project("[Global]\r\nConvVisible=1\r\n[Conversion]\r\nBounds=x,1,2,3\r\nUnitDefaut=9\r\n");
    ASSERT_TRUE(Start({ProjectPath}));
    ASSERT_NE(W->Conv(), nullptr);
    EXPECT_EQ(W->Conv()->UnitDef->currentText(), "Decimal");
    EXPECT_GT(W->Conv()->WantedHeight(), 60);
    EXPECT_TRUE(Messages.isEmpty());
    EXPECT_TRUE(Errors.isEmpty());
    W.reset();

    // A protected project opens it and writes nothing.
    ::chmod(ProjectPath.c_str(), 0444);
    const std::string before = Dir.Read("p/demo.pja");
    ASSERT_TRUE(Start({ProjectPath}));
    ASSERT_NE(W->Conv(), nullptr);
    W->Conv()->UnitDef->setCurrentIndex(kep::udHexa);
    W->MD_ConvertisseurClick();
    W->MD_ConvertisseurClick();
    // Leaving it for another project closes the converter too.
    const std::string other = Project("[Global]\r\n", "autre.pja");
    W->ChoisitProjet = [&other](std::string& chosen) {
        chosen = other;
        return int(kep::TEcrProj::mrOk);
    };
    W->MP_ProjetClick();
    ASSERT_EQ(kep::NomProjet, other);
    EXPECT_EQ(W->Conv(), nullptr);
    ASSERT_TRUE(W->close());
    W.reset();
    EXPECT_EQ(Dir.Read("p/demo.pja"), before);
    EXPECT_EQ(Dir.Read("p/autre.pja").find("Conversion"), std::string::npos);
    ::chmod(ProjectPath.c_str(), 0644);
}

TEST_F(TPrinConv, ItBelongsToTheProjectItWasOpenedWith)
{
    Source("a.asm");
    ProjectPath = Project("[Global]\r\nConvVisible=1\r\nNbrEdit=1\r\n[Edit0]\r\nNom=a.asm\r\n");
    const std::string other = Project("[Global]\r\nNbrEdit=1\r\n[Edit0]\r\nNom=a.asm\r\n", "autre.pja");
    ASSERT_TRUE(Start({ProjectPath}));
    ASSERT_NE(W->Conv(), nullptr);
    W->Conv()->UnitDef->setCurrentIndex(kep::udBinaire);
    std::string next = other;
    W->ChoisitProjet = [&next](std::string& chosen) {
        chosen = next;
        return int(kep::TEcrProj::mrOk);
    };
    // The project left keeps it open, with its unit; the one taken has none.
    W->MP_ProjetClick();
    ASSERT_EQ(kep::NomProjet, other);
    EXPECT_EQ(W->Conv(), nullptr);
    EXPECT_EQ(Read("Global", "ConvVisible"), "1");
    EXPECT_EQ(Read("Conversion", "UnitDefaut"), "0");
    // Back again: open, as it was.
    next = ProjectPath;
    W->MP_ProjetClick();
    ASSERT_NE(W->Conv(), nullptr);
    EXPECT_EQ(W->Conv()->UnitDef->currentIndex(), kep::udBinaire);
}
