// The menus Edition and Sélection, the editor popup's fixed part and the
// developer's menu Special through the main window: every text command is
// one undo step that gives back the text byte for byte.
#include "app/PrinFixture.h"

#include "editor/U_Syntaxe.h"
#include "platform/CodePage.h"

#include <QDateTime>
#include <QLocale>

class TPrinEdition : public TPrinFixture {
protected:
    TTextBuffer& B() { return Ed(0)->Buffer(); }
    void Run(const char* action) { W->Action(action)->trigger(); }
    // Runs the command, checks the text it gives, then that one undo gives
    // back the text it started from.
    void RunAndUndo(const char* action, const std::string& after)
    {
        const std::string before = B().GetAllText();
        const int steps = B().UndoCount();
        Run(action);
        EXPECT_EQ(B().GetAllText(), after) << action;
        EXPECT_EQ(B().UndoCount(), steps + 1) << action;
        Run("ME_Annuler");
        EXPECT_EQ(B().GetAllText(), before) << action;
    }
};

TEST_F(TPrinEdition, CommentAndUncommentTheSelectedLines)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "l0\r\nl1\r\n\r\nl3\r\nl4\r\nl5"}}));
    // A selection ending at column 1 leaves that line out; empty lines count.
    B().SelectRange({1, 2}, {4, 1});
    RunAndUndo("MS_MetRem", "l0\r\n;l1\r\n;\r\n;l3\r\nl4\r\nl5");
    B().SelectRange({1, 2}, {4, 1});
    emit W->Menu("PM_Edit")->aboutToShow(); // the popup's items follow the selection
    Run("PM_E_MetRem");
    EXPECT_EQ(B().GetSelStart(), (TTextPos{1, 2})); // the selection stays
    B().SelectRange({0, 1}, {3, 3});
    RunAndUndo("MS_OteRem", "l0\r\nl1\r\n\r\nl3\r\nl4\r\nl5");

    // Only the exact symbol at the very start goes, once.
    B().SetAllText("  ;a\r\n;;b\r\n\r\n;c\r\n");
    B().SelectRange({0, 1}, {4, 1});
    emit W->Menu("PM_Edit")->aboutToShow();
    RunAndUndo("PM_E_OteRem", "  ;a\r\n;b\r\n\r\nc\r\n");

    // The symbol is the option's.
    W->Cfg()->Data.SymbRem = "//";
    B().SetAllText("x\r\n;y");
    B().SelectRange({0, 1}, {1, 2});
    RunAndUndo("MS_MetRem", "//x\r\n//;y");

    // Nothing in a read-only document.
    B().ReadOnly = true;
    Run("MS_MetRem");
    EXPECT_EQ(B().GetAllText(), "x\r\n;y");
    B().ReadOnly = false;
}

TEST_F(TPrinEdition, ReversingLinesKeepsTheMiddleOne)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "0\r\n1\r\n2\r\n3\r\n4\r\n5"}}));
    B().SelectRange({1, 1}, {5, 2}); // five lines, the last one included
    RunAndUndo("MS_InvLignes", "0\r\n5\r\n4\r\n3\r\n2\r\n1");
    B().SelectRange({1, 1}, {5, 1}); // four lines
    RunAndUndo("MS_InvLignes", "0\r\n4\r\n3\r\n2\r\n1\r\n5");
    // Inside one line: nothing changes, nothing to undo.
    B().SelectRange({2, 1}, {2, 2});
    const int steps = B().UndoCount();
    Run("MS_InvLignes");
    EXPECT_EQ(B().GetAllText(), "0\r\n1\r\n2\r\n3\r\n4\r\n5");
    EXPECT_EQ(B().UndoCount(), steps);
}

TEST_F(TPrinEdition, SelectionMenusFollowTheSelection)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "abc\r\ndef"}}));
    B().SetCaret({0, 2});
    emit Ed(0)->CaretMoved();
    EXPECT_FALSE(W->Menu("M_Selection")->menuAction()->isEnabled());
    emit W->Menu("PM_Edit")->aboutToShow();
    EXPECT_FALSE(W->Action("PM_E_MetRem")->isEnabled());
    EXPECT_FALSE(W->Action("PM_E_OteRem")->isEnabled());
    QTest::keyClick(Ed(0), Qt::Key_Down, Qt::ShiftModifier);
    QCoreApplication::processEvents();
    EXPECT_TRUE(W->Menu("M_Selection")->menuAction()->isEnabled());
    emit W->Menu("PM_Edit")->aboutToShow();
    EXPECT_TRUE(W->Action("PM_E_MetRem")->isEnabled());
    EXPECT_TRUE(W->Action("PM_E_OteRem")->isEnabled());
    for (const char* name : {"MS_MetRem", "MS_OteRem", "MS_InvLignes", "ME_Dos2Win", "ME_Win2Dos", "ME_InsDate",
                             "ME_InsHeure"})
        EXPECT_TRUE(W->Action(name)->isEnabled()) << name;
}

TEST_F(TPrinEdition, CodePageConversionsRoundTripAndSaveInTheirPage)
{
    std::string every;
    for (int c = 0x20; c < 0x100; ++c)
        every += char(c);
    ASSERT_TRUE(StartFiles({{"a.asm", ""}, {"b.asm", "x"}}));
    W->ChoisitPage(0);
    // A file taken as ANSI that held OEM bytes.
    B().OemFile = false;
    B().SetAllText("caf\x82 \xB3\r\n");
    // The file held OEM bytes: "Dos -> win" shows them right and keeps the
    // file in its page when saved.
    RunAndUndo("ME_Dos2Win", "caf\xE9 |\r\n");
    EXPECT_FALSE(B().OemFile); // undo gave back the flag
    Run("ME_Dos2Win");
    EXPECT_TRUE(B().OemFile);
    EXPECT_TRUE(B().Modified());
    ASSERT_TRUE(W->SauvePage(0));
    EXPECT_EQ(Dir.Read("p/a.asm"), "caf\x82 |\r\n");

    // Every byte there and back, both ways: only the characters one page
    // lacks change, into ASCII look-alikes.
    std::string back;
    for (const auto& [there, again] : {std::pair{"ME_Dos2Win", "ME_Win2Dos"}, std::pair{"ME_Win2Dos", "ME_Dos2Win"}}) {
        B().SetAllText(every);
        Run(there);
        Run(again);
        EXPECT_EQ(B().OemFile, std::string(again) == "ME_Dos2Win");
        back = B().GetAllText();
        ASSERT_EQ(back.size(), every.size());
        int changed = 0;
        for (std::size_t i = 0; i < every.size(); ++i)
            changed += back[i] != every[i];
        EXPECT_GT(changed, 0) << there;
        EXPECT_LE(changed, 31) << there;
        // The letters both pages hold come back.
        const std::string letters = std::string(there) == "ME_Dos2Win" ? "\x82\x8A\x85\x87\x97\x88\x93"
                                                                       : "\xE9\xE8\xE0\xE7\xF9\xEA\xF4";
        for (char c : letters)
            EXPECT_EQ(back[static_cast<unsigned char>(c) - 0x20], c) << there;
    }
    // Read-only: neither the text nor the flag change.
    B().ReadOnly = true;
    Run("ME_Win2Dos");
    EXPECT_TRUE(B().OemFile);
    EXPECT_EQ(B().GetAllText(), back);
}

TEST_F(TPrinEdition, DateAndTimeInTheUsersFormats)
{
    const QDateTime when(QDate(2026, 12, 8), QTime(14, 5, 33));
    EXPECT_EQ(TexteDate(QLocale(QLocale::French, QLocale::France), when), "08/12/2026");
    EXPECT_EQ(TexteHeure(QLocale(QLocale::French, QLocale::France), when), "14:05");
    EXPECT_EQ(TexteHeure(QLocale(QLocale::English, QLocale::UnitedStates), when), "2:05 PM");

    ASSERT_TRUE(StartFiles({{"a.asm", "; du \r\nx"}}));
    B().SetCaret({0, 6});
    const std::string date = TexteDate(QLocale::system(), QDateTime::currentDateTime()).toStdString();
    RunAndUndo("ME_InsDate", "; du " + date + "\r\nx");
    // It replaces the selection.
    B().SelectRange({1, 1}, {1, 2});
    Run("ME_InsHeure");
    EXPECT_EQ(B().GetLine(1).size(), TexteHeure(QLocale::system(), QDateTime::currentDateTime()).size());
    EXPECT_NE(B().GetLine(1), "x");
    B().ReadOnly = true;
    const std::string kept = B().GetAllText();
    Run("ME_InsDate");
    EXPECT_EQ(B().GetAllText(), kept);
}

TEST_F(TPrinEdition, MarkerSubmenuShowsTheMarkedLines)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "start\r\n    ldaa #$10\r\n\tand&or\r\n"}}));
    QMenu* pose = W->Menu("PM_E_Marqueur");
    ASSERT_NE(pose, nullptr);
    B().SetCaret({1, 3});
    Run("PM_E_M3");
    B().SetCaret({2, 1});
    Run("PM_E_M5");
    emit pose->aboutToShow();
    EXPECT_EQ(W->Action("PM_E_M3")->text(), "3:    ldaa #$10");
    EXPECT_EQ(W->Action("PM_E_M4")->text(), "4");
    EXPECT_EQ(W->Action("PM_E_M5")->text(), "5: and&&or");
    // The same place twice takes the marker away.
    B().SetCaret({1, 3});
    Run("PM_E_M3");
    emit pose->aboutToShow();
    EXPECT_EQ(W->Action("PM_E_M3")->text(), "3");
    EXPECT_EQ(B().GetMarker(3).Line, -1);
    // Another place moves it.
    Run("PM_E_M5");
    emit pose->aboutToShow();
    EXPECT_EQ(W->Action("PM_E_M5")->text(), "5:    ldaa #$10");
}

TEST_F(TPrinEdition, OccurrenceItemsSelectTheWordInTheirLine)
{
    std::string text = "\tcall tempo\r\n";
    for (int i = 0; i < 80; ++i)
        text += "\tnop\r\n";
    text += "tempo:\tdecfsz tempo,f\r\n";
    ASSERT_TRUE(StartFiles({{"a.asm", text.c_str()}}));
    W->resize(800, 600);
    W->show();
    TEditeur* ed = Ed(0);
    const TTextBuffer& b = ed->Buffer();
    QMenu menu;
    menu.addSeparator();
    ed->PrepareContextMenu(&menu, QPoint(ed->TextLeft() + b.PixelOfCol(b.GetLine(0), 8), ed->LineHeight() / 2));
    QMenu* list = nullptr;
    for (QAction* a : menu.actions())
        if (a->menu() && a->menu()->title() == "tempo")
            list = a->menu();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->actions().size(), 2);
    list->actions()[1]->trigger(); // line 82
    EXPECT_EQ(b.GetSelStart(), (TTextPos{81, 1}));
    EXPECT_EQ(b.GetSelEnd(), (TTextPos{81, 6}));
    EXPECT_EQ(b.Caret(), (TTextPos{81, 6}));
    EXPECT_LE(b.TopLine(), 81);
    EXPECT_GT(b.TopLine() + b.Metrics().VisibleLines, 81);
    EXPECT_EQ(b.GetSelText(), "tempo");
}

// ---- Special -------------------------------------------------------------------------

TEST_F(TPrinEdition, FormattersAndRewritesUndoWhole)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "loop: inc a ; count\r\n  mov a,b\r\n"}}));
    const std::string before = B().GetAllText();
    Run("MSp_FormateSource");
    EXPECT_EQ(B().GetLine(0), "loop:");
    EXPECT_EQ(B().LineCount(), 4);
    Run("ME_Annuler");
    EXPECT_EQ(B().GetAllText(), before);
    RunAndUndo("MSp_RemplaceMov", "loop: inc a ; count\r\n  a:=b\r\n");

    B().SetAllText("* Referenced by a CALL at 00401000\r\n* Referenced by a JUMP at 00401004\r\n| x\r\n"
                   ":00401000 55 push ebp\r\n");
    Run("MSp_FormateListing");
    EXPECT_EQ(B().LineCount(), 2);
    EXPECT_EQ(B().GetLine(0).substr(0, 9), ":00401000");
    Run("ME_Annuler");
    EXPECT_EQ(B().LineCount(), 5);
}

TEST_F(TPrinEdition, RenumberingAsksForTheOffset)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "a.0120 x\r\nb.0FF0\r\nc.zz12\r\nd.0001"}}));
    std::vector<QString> asked;
    QString answer = "-$10";
    W->AskText = [&](const QString& caption, const QString& prompt, const QString& start) -> std::optional<QString> {
        asked.push_back(caption + "|" + prompt + "|" + start);
        return answer;
    };
    B().SelectRange({0, 3}, {3, 1}); // the end's line counts here
    // An address that would go below zero stays as it is.
    RunAndUndo("MSp_Renum", "a.0110 x\r\nb.0FE0\r\nc.zz12\r\nd.0001");
    EXPECT_EQ(asked.front(), "Offset en hexa|?|0");
    answer = "dix";
    const int steps = B().UndoCount();
    Run("MSp_Renum");
    EXPECT_EQ(B().UndoCount(), steps);
    W->AskText = [](const QString&, const QString&, const QString&) { return std::optional<QString>(); };
    Run("MSp_Renum");
    EXPECT_EQ(B().GetAllText(), "a.0120 x\r\nb.0FF0\r\nc.zz12\r\nd.0001");
}

TEST_F(TPrinEdition, CToPascalTakesWholeLinesOnly)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "x\r\nif (a==b) { x=1; }\r\ny"}}));
    B().SelectRange({1, 2}, {2, 1});
    Run("MSp_ConvC");
    EXPECT_EQ(Messages, QStringList{QString::fromUtf8("Le bloc doit être composé de lignes entières")});
    B().SelectRange({1, 1}, {2, 1});
    RunAndUndo("MSp_ConvC", "x\r\nif (a=b) Begin \r\n  x:=1;\r\nEnd;\r\ny");
    // No selection: nothing, not even a message.
    B().ClearSelection();
    Run("MSp_ConvC");
    EXPECT_EQ(Messages.size(), 1);
}

TEST_F(TPrinEdition, MarkLabelTogglesThePlainWordUnderTheMouse)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "\tgoto boucle\r\n"}}));
    W->resize(800, 600);
    W->show();
    TEditeur* ed = Ed(0);
    const TTextBuffer& b = ed->Buffer();
    QPoint at = ed->viewport()->mapToGlobal(
        QPoint(ed->TextLeft() + b.PixelOfCol(b.GetLine(0), 8) + 2, ed->LineHeight() / 2));
    W->MousePos = [&] { return at; };
    kep::TTokens& tokens = kep::SharedTokens();
    ASSERT_FALSE(tokens.Find("BOUCLE"));
    Run("MSp_MarqueLabel");
    ASSERT_TRUE(tokens.Find("BOUCLE"));
    EXPECT_EQ(tokens.Current()->Style, kep::stLab);
    Run("MSp_MarqueLabel");
    EXPECT_FALSE(tokens.Find("BOUCLE"));
    // A word of the vocabulary keeps its colour.
    ASSERT_FALSE(tokens.Find("GOTO"));
    tokens.ToggleHighlight("GOTO", kep::stOp);
    at = ed->viewport()->mapToGlobal(QPoint(ed->TextLeft() + b.PixelOfCol(b.GetLine(0), 3), ed->LineHeight() / 2));
    Run("MSp_MarqueLabel");
    ASSERT_TRUE(tokens.Find("GOTO"));
    EXPECT_EQ(tokens.Current()->Style, kep::stOp);
    tokens.ToggleHighlight("GOTO", kep::stOp);
}

TEST_F(TPrinEdition, TheTestItemShowsTheBooleanConversion)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "x"}}));
    Run("MSp_Test");
    EXPECT_EQ(Messages, QStringList{" 2 -> -1\n 1 -> -1\n 0 -> 0\n-1 -> -1"});
    EXPECT_FALSE(W->Action("MSp_Extrait")->isEnabled());
}

TEST_F(TPrinEdition, AChangeTooLargeToUndoAsksFirst)
{
    ASSERT_TRUE(StartFiles({{"a.asm", "x"}}));
    std::string big;
    for (int i = 0; i < 3000; ++i)
        big += "lab" + std::to_string(i) + ":   nop   ; rien\r\n";
    B().SetAllText(big);
    ConfirmAnswer = false;
    Run("MSp_FormateSource");
    EXPECT_EQ(Confirms.size(), 1);
    EXPECT_EQ(B().GetAllText(), big);
    ConfirmAnswer = true;
    Run("MSp_FormateSource");
    EXPECT_EQ(Confirms.size(), 2);
    EXPECT_EQ(B().GetLine(0), "lab0:");
    EXPECT_FALSE(B().CanUndo());
}
