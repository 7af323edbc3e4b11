// The source document: backups, disk dates, the processor table of line 0,
// the context menu and the margin click.
#include "EditorFixture.h"
#include "editor/U_Edit.h"
#include "editor/U_Syntaxe.h"
#include "platform/FileIo.h"

#include <QMenu>
#include <QSignalSpy>
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
    fs::copy_file(KEP_TABLES_DIR "/p16.tab", dir.Path("p16.tab"));
    fs::copy_file(KEP_TABLES_DIR "/p16.tab", dir.Path("other.tab"));
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

// A table that cannot be read is said once, with its path and the reader's
// reason, and the colours stay those of the table before.
TEST(Editeur, UnreadableTableOnLineZeroIsReportedOnce)
{
    TTestDir dir;
    fs::copy_file(KEP_TABLES_DIR "/p16.tab", dir.Path("p16.tab"));
    std::string good = Read(dir.Path("p16.tab"));
    Write(dir.Path("bad.tab"), good.substr(0, 120)); // truncated
    TEditeur::TabPath = dir.Dir() + "/";
    ShownEditor<TEditeur> s;
    QSignalSpy said(&s.ed, &TEditeur::TableRefused);
    Write(dir.Path("t.asm"), "p16\r\n\tmovlw 1\r\n\tgoto $");
    s.ed.FileName = dir.Path("t.asm");
    ASSERT_TRUE(s.ed.Load());
    EXPECT_EQ(said.count(), 0);
    const QRect line1 = s.ed.LineRect(1);
    const QImage before = s.ed.viewport()->grab(line1).toImage();

    // Typing "bad" over "p16": "b" and "ba" name no file and say nothing.
    s.b().SelectRange({0, 1}, {0, 4});
    QTest::keyClicks(&s.ed, "bad");
    ASSERT_EQ(said.count(), 1);
    const QString message = said.takeFirst().at(0).toString();
    EXPECT_TRUE(message.contains(QString::fromStdString(dir.Path("bad.tab")))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("invalide : "))) << message.toStdString();
    EXPECT_EQ(kep::SharedTokens().TableName(), dir.Path("p16.tab"));
    kep::TStyleType style{};
    EXPECT_GT(kep::SharedTokens().Match("MOVLW", 0, style), 0u);
    QApplication::processEvents();
    EXPECT_EQ(s.ed.viewport()->grab(line1).toImage(), before);

    // Blanks after the name still name the same table: nothing more.
    QTest::keyClicks(&s.ed, "  ");
    EXPECT_EQ(said.count(), 0);
    // Another table and back: said again.
    s.b().SelectRange({0, 1}, {0, 6});
    QTest::keyClicks(&s.ed, "p16");
    EXPECT_EQ(said.count(), 0);
    s.b().SelectRange({0, 1}, {0, 4});
    QTest::keyClicks(&s.ed, "bad");
    EXPECT_EQ(said.count(), 1);

    // Files opening on the damaged table: the first says it, the next one
    // opening does not, until the table changes on disk.
    Write(dir.Path("u.asm"), "bad\r\nnop");
    auto open = [&](const std::string& name) {
        auto ed = std::make_unique<TEditeur>();
        ed->FileName = dir.Path(name);
        return ed;
    };
    int total = 0;
    auto count = [&total](TEditeur& ed) {
        QObject::connect(&ed, &TEditeur::TableRefused, [&total] { ++total; });
    };
    auto u1 = open("u.asm");
    count(*u1);
    ASSERT_TRUE(u1->Load());
    auto u2 = open("u.asm");
    count(*u2);
    ASSERT_TRUE(u2->Load());
    EXPECT_EQ(total, 1);
    Write(dir.Path("bad.tab"), good.substr(0, 60));
    fs::last_write_time(dir.Path("bad.tab"), fs::last_write_time(dir.Path("bad.tab")) + std::chrono::seconds(2));
    auto u3 = open("u.asm");
    count(*u3);
    ASSERT_TRUE(u3->Load());
    EXPECT_EQ(total, 2);

    // A name naming no file says nothing, nor a first line of several
    // words, a comment or a banner.
    Write(dir.Path("m.asm"), "p18\r\nnop");
    Write(dir.Path("c.asm"), "; demo\r\nnop");
    Write(dir.Path("l.asm"), "\tlist p=16f84\r\nnop");
    Write(dir.Path("b.mke"), "#*****************\r\nall:");
    QString missing;
    for (const char* name : {"m.asm", "c.asm", "l.asm", "b.mke"}) {
        auto ed = open(name);
        QObject::connect(ed.get(), &TEditeur::TableRefused, [&](const QString& m) { missing += m + "|"; });
        ASSERT_TRUE(ed->Load());
    }
    EXPECT_EQ(missing, QString());
    EXPECT_EQ(kep::SharedTokens().TableName(), dir.Path("p16.tab"));
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
