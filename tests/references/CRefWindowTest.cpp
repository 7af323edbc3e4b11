// The "Références" window: its word and history, what makes it list again,
// the listing the main window feeds it, clicks and its settings.
#include "editor/UF_CRef.h"

#include "config/U_IniFilePlus.h"
#include "editor/U_Edit.h"
#include "platform/FileIo.h"
#include "platform/QtText.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace kep;

// Readable failures for the list's texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

class CRefWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        W = new TEcrCRef(&Owner); // the owner deletes it
        W->OnRefresh = [this](const std::string& word) { Refreshed.push_back(word); };
        W->OnGoTo = [this](int entry, std::int32_t lineId) { Gone.emplace_back(entry, lineId); };
    }

    void Show()
    {
        Owner.show();
        W->show();
        W->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(W));
    }

    std::unique_ptr<TEditeur> Editor(const std::string& fileName, const std::string& text)
    {
        auto e = std::make_unique<TEditeur>();
        e->FileName = fileName;
        e->Buffer().SetAllText(text);
        return e;
    }

    QStringList Shown() const
    {
        QStringList texts;
        for (int i = 0; i < W->Liste->count(); ++i)
            texts << W->Liste->item(i)->text();
        return texts;
    }

    QWidget Owner;
    TEcrCRef* W = nullptr;
    std::vector<std::string> Refreshed;
    std::vector<std::pair<int, std::int32_t>> Gone;
};

} // namespace

TEST_F(CRefWindow, SetWordKeepsTheTwentyLatestWordsFirst)
{
    EXPECT_EQ(W->windowTitle(), QStringLiteral("Références"));
    EXPECT_EQ(W->RefEdit->maxVisibleItems(), 20);
    for (int i = 0; i < 25; ++i)
        W->SetWord("mot" + std::to_string(i));
    ASSERT_EQ(W->History().size(), 20u);
    EXPECT_EQ(W->History().front(), "mot24");
    EXPECT_EQ(W->History().back(), "mot5");
    ASSERT_EQ(W->RefEdit->count(), 20);
    EXPECT_EQ(W->RefEdit->itemText(0), QStringLiteral("mot24"));
    EXPECT_EQ(W->Word(), "mot24");

    // A word already known moves up instead of appearing twice.
    W->SetWord("mot10");
    EXPECT_EQ(W->History().size(), 20u);
    EXPECT_EQ(W->History()[0], "mot10");
    EXPECT_EQ(W->History()[1], "mot24");
    EXPECT_EQ(W->RefEdit->itemText(0), QStringLiteral("mot10"));

    // Windows-1252 in and out.
    W->SetWord("d\xE9lai");
    EXPECT_EQ(W->RefEdit->currentText(), QStringLiteral("délai"));
    EXPECT_EQ(W->Word(), "d\xE9lai");
    // Setting the word lists nothing by itself.
    EXPECT_TRUE(Refreshed.empty());
}

TEST_F(CRefWindow, SetWordGivesTheFocusToTheList)
{
    Show();
    W->RefEdit->setFocus();
    W->SetWord("loop");
    EXPECT_TRUE(W->Liste->hasFocus());
}

TEST_F(CRefWindow, EnterListsAgainButTypingDoesNot)
{
    Show();
    W->SetWord("old");
    QLineEdit* edit = W->RefEdit->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, "loop");
    EXPECT_TRUE(Refreshed.empty());

    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(Refreshed, std::vector<std::string>{"loop"});
    QTest::keyClick(W->RefEdit, Qt::Key_Enter);
    EXPECT_EQ(Refreshed, (std::vector<std::string>{"loop", "loop"}));
    // The key is ours: the combo box added nothing to its list.
    EXPECT_EQ(W->RefEdit->count(), 1);
    EXPECT_EQ(W->Word(), "loop");

    // Nothing to look for, nothing asked.
    edit->clear();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(Refreshed.size(), 2u);
}

TEST_F(CRefWindow, EachBoxListsAgainWhenClicked)
{
    Show();
    W->SetWord("loop");
    W->SetOptions(0);
    EXPECT_TRUE(Refreshed.empty()); // a change by program is no click

    QTest::mouseClick(W->optRems, Qt::LeftButton);
    EXPECT_EQ(Refreshed.size(), 1u);
    EXPECT_EQ(W->Options(), unsigned(roRemarques));
    QTest::mouseClick(W->optMotSeul, Qt::LeftButton);
    QTest::mouseClick(W->optMinMaj, Qt::LeftButton);
    EXPECT_EQ(Refreshed, (std::vector<std::string>{"loop", "loop", "loop"}));
    EXPECT_EQ(W->Options(), roRemarques | roMotSeul | roMinMaj);
}

TEST_F(CRefWindow, ChoosingAWordFromTheDropDownListsIt)
{
    Show();
    W->SetWord("first");
    W->SetWord("second");
    QTest::mouseDClick(W->RefEdit->lineEdit(), Qt::LeftButton);
    QAbstractItemView* popup = W->RefEdit->view();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_TRUE(Refreshed.empty());

    const QModelIndex first = popup->model()->index(1, 0);
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, popup->visualRect(first).center());
    EXPECT_EQ(Refreshed, std::vector<std::string>{"first"});
    EXPECT_EQ(W->Word(), "first");
}

TEST_F(CRefWindow, RequestsBeforeTheEventLoopRunsGiveOneListing)
{
    W->SetWord("loop");
    W->RequestRefresh();
    W->RequestRefresh();
    EXPECT_TRUE(W->RefreshPending());
    EXPECT_TRUE(Refreshed.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(Refreshed.size(), 1u);
    EXPECT_FALSE(W->RefreshPending());

    // A direct listing meanwhile makes the queued one needless.
    W->RequestRefresh();
    W->Refresh();
    QCoreApplication::processEvents();
    EXPECT_EQ(Refreshed.size(), 2u);
}

TEST_F(CRefWindow, ListsEachDocumentUnderItsNameAndSelectsTheCaretLine)
{
    auto main = Editor("/projets/demo/main.asm",
                       "\tlist\tp=16F84\r\n\tcall\tdelay\r\n; delay ends here\r\ndelay\tdecfsz\tcnt,f\r\n\tnop");
    auto none = Editor("/projets/demo/other.asm", "\tnop");
    auto inc = Editor("/projets/demo/lib/delay.inc", "\tnop\r\ndelay\tmacro ; \x82 d\xE9lai\r\n\tendm");
    // The buffer of an OEM file holds a character only code page 850 has
    // under an ANSI byte the shown text must turn back into it.
    inc->Buffer().OemFile = true;
    inc->Buffer().View().Caret = TTextPos{1, 3};

    W->SetWord("delay");
    W->SetCurrentEntry(3); // entry 2: delay.inc
    W->BeginList();
    W->AddDocument(QStringLiteral("main.asm"), main.get(), 0, 0);
    W->AddDocument(QStringLiteral("other.asm"), none.get(), 1, 0);
    W->AddDocument(QStringLiteral("delay.inc"), inc.get(), 2, 0);
    W->EndList();

    EXPECT_EQ(Shown(), (QStringList{QStringLiteral("main.asm (/projets/demo)"), QStringLiteral("2 \tcall\tdelay"),
                                    QStringLiteral("4 delay\tdecfsz\tcnt,f"),
                                    QStringLiteral("delay.inc (/projets/demo/lib)"),
                                    QStringLiteral("2 delay\tmacro ; \u2593 délai")}));
    ASSERT_EQ(W->Items().size(), 5u);
    EXPECT_EQ(W->Items()[3].Entry, 2);
    EXPECT_EQ(W->SelectedItem(), 4);

    // The caret of the current entry on a line without the word: nothing
    // selected, and the previous listing is gone.
    main->Buffer().View().Caret = TTextPos{0, 1};
    W->SetCurrentEntry(1);
    W->BeginList();
    W->AddDocument(QStringLiteral("main.asm"), main.get(), 0, 0);
    W->EndList();
    EXPECT_EQ(W->Liste->count(), 3);
    EXPECT_EQ(W->Items().size(), 3u);
    EXPECT_EQ(W->SelectedItem(), -1);

    // The caret line of an entry that is not the current one selects nothing.
    main->Buffer().View().Caret = TTextPos{1, 1};
    W->SetCurrentEntry(2);
    W->BeginList();
    W->AddDocument(QStringLiteral("main.asm"), main.get(), 0, 0);
    W->EndList();
    EXPECT_EQ(W->SelectedItem(), -1);
}

TEST_F(CRefWindow, ListingFollowsTheBoxes)
{
    auto main = Editor("/p/main.asm", "LOOP\tnop\r\n\tgoto\tloop ; back to Loop\r\nloops");
    W->SetWord("Loop");
    W->SetOptions(roMotSeul);
    W->BeginList();
    W->AddDocument(QStringLiteral("main.asm"), main.get(), 0, 0);
    W->EndList();
    EXPECT_EQ(W->Liste->count(), 0); // "Loop" only in a comment

    W->SetOptions(roMotSeul | roRemarques);
    W->BeginList();
    W->AddDocument(QStringLiteral("main.asm"), main.get(), 0, 0);
    W->EndList();
    EXPECT_EQ(Shown(), (QStringList{QStringLiteral("main.asm (/p)"), QStringLiteral("2 \tgoto\tloop ; back to Loop")}));
}

TEST_F(CRefWindow, ClickingAnItemGoesToItsLine)
{
    auto main = Editor("/p/main.asm", "start\r\n\tgoto\tstart\r\n\tnop");
    W->SetWord("start");
    W->BeginList();
    W->AddDocument(QStringLiteral("main.asm"), main.get(), 4, 0);
    W->EndList();
    ASSERT_EQ(W->Items().size(), 3u);

    W->ClickItem(2);
    W->ClickItem(0);
    W->ClickItem(3);
    W->ClickItem(-1);
    const std::vector<std::pair<int, std::int32_t>> expected{{4, main->Buffer().GetLineId(1)}, {4, -1}};
    EXPECT_EQ(Gone, expected);

    // The mouse does the same.
    Show();
    const QRect r = W->Liste->visualItemRect(W->Liste->item(1));
    QTest::mouseClick(W->Liste->viewport(), Qt::LeftButton, {}, r.center());
    ASSERT_EQ(Gone.size(), 3u);
    EXPECT_EQ(Gone.back(), std::make_pair(4, main->Buffer().GetLineId(0)));
}

TEST_F(CRefWindow, SettingsRoundTrip)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = QStringToPath(dir.filePath(QStringLiteral("demo.pja")));

    W->setGeometry(120, 90, 400, 300);
    W->SetOptions(roRemarques | roMinMaj);
    W->SetWord("a");
    W->SetWord("");
    W->SetWord("b");
    {
        TIniFilePlus ini(path);
        W->WriteSettings(ini);
    }
    std::string file;
    ASSERT_TRUE(ReadWholeFile(path, file));
    EXPECT_NE(file.find("[R\xE9" "f\xE9" "rences]"), std::string::npos);
    EXPECT_NE(file.find("Options=1,0,1"), std::string::npos);
    // Each word keeps its rank; the empty one leaves its key out.
    EXPECT_NE(file.find("Ref0=b\r\n"), std::string::npos);
    EXPECT_EQ(file.find("Ref1"), std::string::npos);
    EXPECT_NE(file.find("Ref2=a\r\n"), std::string::npos);
    EXPECT_EQ(file.find("Ref3"), std::string::npos);

    auto* back = new TEcrCRef(&Owner);
    back->ReadSettings(TIniFilePlus(path));
    EXPECT_EQ(back->Options(), roRemarques | roMinMaj);
    EXPECT_EQ(back->History(), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(back->RefEdit->count(), 2);
    EXPECT_EQ(back->geometry(), W->geometry());
}

TEST_F(CRefWindow, MissingOrDamagedSettings)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = QStringToPath(dir.filePath(QStringLiteral("demo.pja")));

    W->SetOptions(0);
    W->ReadSettings(TIniFilePlus(path));
    EXPECT_EQ(W->Options(), RefOptionsDefaut);
    EXPECT_TRUE(W->History().empty());

    ASSERT_TRUE(WriteFileAtomic(path, "[R\xE9" "f\xE9" "rences]\r\nBounds=gauche,1,2,3\r\nOptions=0,0,1\r\n"
                                      "Ref0=loop\r\nRef1=\r\nRef2=d\xE9lai\r\n"));
    W->setGeometry(30, 40, 350, 250);
    EXPECT_NO_THROW(W->ReadSettings(TIniFilePlus(path)));
    EXPECT_EQ(W->geometry(), QRect(30, 40, 350, 250));
    // The rest of the section is read all the same.
    EXPECT_EQ(W->Options(), unsigned(roMinMaj));
    EXPECT_EQ(W->History(), (std::vector<std::string>{"loop", "d\xE9lai"}));
    EXPECT_EQ(W->RefEdit->itemText(1), QStringLiteral("délai"));
}

TEST_F(CRefWindow, ClosingWarnsTheOwnerAndDeletesTheWindow)
{
    int closing = 0;
    W->OnClosing = [&closing, this](TEcrCRef& w) {
        EXPECT_EQ(&w, W);
        ++closing;
    };
    QPointer<TEcrCRef> alive(W);
    Show();
    W->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(closing, 1);
    EXPECT_TRUE(alive.isNull());
}
