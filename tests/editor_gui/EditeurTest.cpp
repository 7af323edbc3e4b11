// The source document: backups, disk dates, the processor table of line 0,
// the context menu and the margin click.
#include "EditorFixture.h"
#include "editor/U_Edit.h"
#include "editor/U_Syntaxe.h"
#include "platform/FileIo.h"

#include <QMenu>
#include "support/TestDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const std::string& path)
{
    std::string s;
    kep::ReadWholeFile(path, s);
    return s;
}

std::vector<QString> Captions(const QMenu* menu)
{
    std::vector<QString> out;
    for (QAction* a : menu->actions())
        out.push_back(a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

} // namespace

TEST(Editeur, SaveRotatesNumberedBackups)
{
    TTestDir dir;
    const std::string a = dir.Path("a.asm");
    Write(a, "current");
    Write(a + "1", "older");
    Write(a + "2", "oldest");
    TEditeur ed;
    ed.FileName = a;
    ASSERT_TRUE(ed.Load());
    ed.Backup = 2;
    ed.Buffer().SetAllText("new");
    ASSERT_TRUE(ed.Save());
    EXPECT_EQ(Read(a), "new");
    EXPECT_EQ(Read(a + "1"), "current");
    EXPECT_EQ(Read(a + "2"), "older");
    EXPECT_FALSE(fs::exists(a + "3"));
    EXPECT_EQ(ed.FileDate, kep::FileModTimeNs(a));
    EXPECT_FALSE(ed.Buffer().Modified());

    // Without backups nothing else is written.
    TEditeur plain;
    plain.FileName = dir.Path("b.asm");
    plain.Buffer().SetAllText("x");
    ASSERT_TRUE(plain.Save());
    EXPECT_FALSE(fs::exists(dir.Path("b.asm1")));
}

TEST(Editeur, MissingFilesAndChangesOnDisk)
{
    TTestDir dir;
    TEditeur ed;
    ed.FileName = dir.Path("none.asm");
    ed.Buffer().SetAllText("kept");
    EXPECT_FALSE(ed.Load());
    EXPECT_EQ(ed.FileDate, 0);
    EXPECT_EQ(ed.Buffer().GetAllText(), "kept");

    ed.FileName = dir.Path("c.asm");
    Write(ed.FileName, "one");
    ASSERT_TRUE(ed.Load());
    EXPECT_FALSE(ed.ChangedOnDisk());
    // A rewrite within the same second is still seen: dates are precise.
    Write(ed.FileName, "two");
    const auto later = fs::last_write_time(ed.FileName) + std::chrono::milliseconds(5);
    fs::last_write_time(ed.FileName, later);
    EXPECT_TRUE(ed.ChangedOnDisk());
}

TEST(Editeur, ProcessorTableFollowsLineZero)
{
    TTestDir dir;
    fs::copy_file(KEP_SOURCE_DIR "/examples/processors/p16.tab", dir.Path("p16.tab"));
    fs::copy_file(KEP_SOURCE_DIR "/examples/processors/p16.tab", dir.Path("other.tab"));
    TEditeur::TabPath = dir.Dir() + "/";
    ShownEditor<TEditeur> s;
    EXPECT_EQ(s.ed.TableFileFor("p16.s"), dir.Dir() + "/p16.tab");
    EXPECT_EQ(s.ed.TableFileFor("p16"), dir.Dir() + "/p16.tab");
    EXPECT_EQ(s.ed.TableFileFor("sub/"), dir.Dir() + "/sub.tab");

    const std::string src = dir.Path("t.asm");
    Write(src, "p16\r\n\tmovlw 1\r\n\tgoto $");
    s.ed.FileName = src;
    ASSERT_TRUE(s.ed.Load());
    EXPECT_EQ(kep::SharedTokens().TableName(), dir.Dir() + "/p16.tab");
    kep::TStyleType style{};
    EXPECT_GT(kep::SharedTokens().Match("MOVLW", 0, style), 0u);

    // Typing below line 0 keeps the table; editing line 0 takes another.
    Write(dir.Path("p16.tab"), "garbage that is no table");
    s.b().SetCaret({1, 1});
    QTest::keyClicks(&s.ed, "x");
    EXPECT_EQ(kep::SharedTokens().TableName(), dir.Dir() + "/p16.tab");
    s.b().SetCaret({0, 1});
    s.b().SelectRange({0, 1}, {0, 4});
    QTest::keyClicks(&s.ed, "other");
    EXPECT_EQ(kep::SharedTokens().TableName(), dir.Dir() + "/other.tab");
    TEditeur::TabPath.clear();
}

TEST(Editeur, ContextMenuOccurrencesAndMarkers)
{
    ShownEditor<TEditeur> s(20);
    std::string text = "start:\r\n\tgoto start ; start again\r\n; start\r\n\tcall start&1\r\n";
    s.b().SetAllText(text);
    s.b().ToggleMarker(2, {1, 1});
    s.b().ToggleMarker(0, {3, 1});
    QMenu menu;
    menu.addSeparator();
    menu.addAction(QStringLiteral("Couper"));
    const QPoint onWord(s.ed.TextLeft() + 2, s.ed.LineHeight() / 2); // "start" on line 0
    s.ed.PrepareContextMenu(&menu, onWord);
    const auto captions = Captions(&menu);
    ASSERT_GE(captions.size(), 7u);
    EXPECT_EQ(captions[0], QStringLiteral("0 -> \tcall start&1").replace('\t', ' '));
    EXPECT_EQ(captions[1], QStringLiteral("2 ->  goto start ; start again"));
    EXPECT_EQ(captions[2], QStringLiteral("start"));
    EXPECT_EQ(captions[3], QStringLiteral("Références ..."));
    EXPECT_EQ(captions[4], QStringLiteral("Surligne"));
    EXPECT_EQ(captions[5], QStringLiteral("-"));
    EXPECT_EQ(captions[6], QStringLiteral("Couper"));
    // The occurrences skip comments and double "&".
    QMenu* sub = menu.actions()[2]->menu();
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(Captions(sub), (std::vector<QString>{QStringLiteral("(1) start:"), QStringLiteral("(2) goto start"),
                                                   QStringLiteral("(4) call start&&1")}));
    EXPECT_EQ(sub->actions()[1]->data().toInt(), 2);
    int clicked = 0;
    s.ed.OnOccurrenceClick = [&](int line, const std::string&) { clicked = line; };
    sub->actions()[1]->trigger();
    EXPECT_EQ(clicked, 2);

    // In the margin: no word items, the markers still listed; earlier items go.
    s.ed.PrepareContextMenu(&menu, QPoint(2, 5));
    EXPECT_EQ(Captions(&menu).size(), 4u);
    EXPECT_FALSE(menu.actions()[2]->isVisible());

    // More than 100 occurrences stop with a last line.
    std::string many;
    for (int i = 0; i < 130; ++i)
        many += "\tnop x\r\n";
    s.b().SetAllText(many);
    bool more = false;
    const auto found = FindOccurrences(s.b(), "nop", &more);
    EXPECT_EQ(found.size(), 100u);
    EXPECT_TRUE(more);
    s.ed.PrepareContextMenu(&menu, QPoint(s.ed.TextLeft() + s.b().PixelOfCol("\tnop", 2) + 2, 5));
    QMenu* list = nullptr;
    for (QAction* a : menu.actions())
        if (a->menu())
            list = a->menu();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->actions().size(), 101);
    EXPECT_EQ(list->actions().back()->text(), QStringLiteral("-- Plus de 100 occurences --"));
}

TEST(Editeur, MarginClickSelectsTheLine)
{
    ShownEditor<TEditeur> s(20);
    s.b().SetAllText(NumberedText(10));
    int clicks = 0;
    s.ed.OnMarginClick = [&] { ++clicks; };
    QTest::mouseClick(s.ed.viewport(), Qt::LeftButton, {}, QPoint(4, 3 * s.ed.LineHeight() + 2));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(s.b().GetSelStart(), (TTextPos{3, 1}));
    EXPECT_EQ(s.b().GetSelEnd(), (TTextPos{4, 1}));
}

TEST(Editeur, HelpOnDirectives)
{
    ShownEditor<TEditeur> s(20);
    s.b().SetAllText("\tmacro x\r\n\tmovlw 3");
    const int y = s.ed.LineHeight() / 2;
    const int x = s.ed.TextLeft() + s.b().PixelOfCol("\tmacro", 3);
    EXPECT_EQ(s.ed.DirectiveHelpAt(QPoint(x, y)), kep::DirectiveHelpContext("MACRO"));
    EXPECT_GE(s.ed.DirectiveHelpAt(QPoint(x, y)), 0);
    EXPECT_EQ(s.ed.DirectiveHelpAt(QPoint(x, y + s.ed.LineHeight())), -1); // a mnemonic
    EXPECT_EQ(s.ed.DirectiveHelpAt(QPoint(3, y)), -1);                     // the margin
}

TEST(Editeur, ConvertedValuesReplaceTheSelectionWithTheirPrefix)
{
    TEditeur ed;
    ed.Buffer().SetAllText("\tmovlw $1F\r\n\tmovlw 12");
    ed.Buffer().MarkSaved();
    ed.Buffer().SelectRange({0, 9}, {0, 11});
    ed.ReplaceWithValue("%00011111");
    EXPECT_EQ(ed.Buffer().GetLine(0), "\tmovlw %00011111");
    ed.Buffer().SelectRange({1, 8}, {1, 10});
    ed.ReplaceWithValue("$0C");
    EXPECT_EQ(ed.Buffer().GetLine(1), "\tmovlw $0C");
    // Both are undone exactly.
    ed.Buffer().Undo();
    ed.Buffer().Undo();
    EXPECT_EQ(ed.Buffer().GetAllText(), "\tmovlw $1F\r\n\tmovlw 12");
    EXPECT_FALSE(ed.Buffer().Modified());
}
