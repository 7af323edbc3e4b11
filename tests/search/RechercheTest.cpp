// The search and replace engine over real text buffers; the host plays the
// main window with a small in-memory disk.
#include "editor/U_Recherche.h"
#include "platform/CodePage.h"
#include "support/TestDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace kep;

namespace {

std::vector<std::string> Lines(const TTextBuffer& b)
{
    std::vector<std::string> v;
    for (std::int32_t i = 0; i < b.LineCount(); ++i)
        v.push_back(b.GetLine(i));
    return v;
}

struct THost : TSearchHost {
    TTestDir Dir;
    std::vector<std::unique_ptr<TTextBuffer>> Entries;
    std::vector<std::string> Names;
    int Cur = -1;
    std::vector<TConfirmAnswer> Answers;
    std::vector<bool> AskedTous;
    std::vector<TSearchMessage> Messages;
    std::vector<std::string> Opened, Closed;

    TTextBuffer& Add(const std::string& name, const std::string& text)
    {
        Entries.push_back(std::make_unique<TTextBuffer>());
        Entries.back()->SetAllText(text);
        Entries.back()->MarkSaved();
        Names.push_back(name);
        Cur = int(Entries.size()) - 1;
        return *Entries.back();
    }
    // Files of the folder, by name.
    void Disk(std::initializer_list<std::pair<const char*, const char*>> files)
    {
        for (const auto& [name, text] : files)
            Dir.Write(name, text);
    }
    std::string File(const std::string& name) { return Dir.Read(name); }
    std::vector<std::string> Paths(std::initializer_list<const char*> names)
    {
        std::vector<std::string> v;
        for (const char* n : names)
            v.push_back(Dir.Path(n));
        return v;
    }
    bool IsOpen(const std::string& name) override
    {
        return std::find(Names.begin(), Names.end(), name.substr(Dir.Dir().size() + 1)) != Names.end();
    }
    TTextBuffer* Current() override { return Cur >= 0 ? Entries[std::size_t(Cur)].get() : nullptr; }
    void OpenFile(const std::string& name) override
    {
        Opened.push_back(name.substr(Dir.Dir().size() + 1));
        // An open file shows its editor's text (the main window adds a view).
        std::string text;
        const auto open = std::find(Names.begin(), Names.end(), Opened.back());
        if (open != Names.end())
            text = Entries[std::size_t(open - Names.begin())]->GetAllText();
        else if (kep::ReadWholeFile(name, text) && OemOnDisk(name))
            text = kep::OemToAnsi(text);
        Add(name.substr(Dir.Dir().size() + 1), text);
    }
    void CloseCurrent() override
    {
        Closed.push_back(Names[std::size_t(Cur)]);
        if (Entries[std::size_t(Cur)]->Modified())
            Dir.Write(Names[std::size_t(Cur)], Entries[std::size_t(Cur)]->GetAllText());
        Entries.erase(Entries.begin() + Cur);
        Names.erase(Names.begin() + Cur);
        Cur = int(Entries.size()) - 1;
    }
    bool OemOnDisk(const std::string& name) override { return name.ends_with(".oem"); }
    TConfirmAnswer Confirm(bool tous) override
    {
        AskedTous.push_back(tous);
        return Answers.at(AskedTous.size() - 1);
    }
    void Message(TSearchMessage m) override { Messages.push_back(m); }
};

TChRempState State(std::string_view find, std::string_view repl, unsigned checks, int tag)
{
    TChRempState s;
    s.Prepare(find, repl, checks, tag);
    return s;
}

} // namespace

TEST(Matchers, CaseAndWholeWord)
{
    // Whole words: not inside ABC, BC_1, or next to a byte from 0x80.
    EXPECT_EQ(FindWord("BC", "A BC"), 3u);
    EXPECT_EQ(FindWord("BC", "ABC"), 0u);
    EXPECT_EQ(FindWord("BC", "BC_1"), 0u);
    EXPECT_EQ(FindWord("BC", "\xE9" "BC"), 0u);
    EXPECT_EQ(FindWord("BC", "ABC BC"), 5u); // a refused match does not hide a later one
    EXPECT_EQ(FindWord("BC", "(BC)"), 2u);
    // Case: the blind matchers take an upper-cased pattern; only a-z fold.
    const std::string p = PreparePattern("mov", 0);
    EXPECT_EQ(p, "MOV");
    EXPECT_EQ(ChooseMatcher(0)(p, "x Mov"), 3u);
    EXPECT_EQ(ChooseMatcher(0)(p, "x MOV"), 3u);
    EXPECT_EQ(ChooseMatcher(coMemeCasse)(PreparePattern("mov", coMemeCasse), "MOV Mov mov"), 9u);
    EXPECT_EQ(ChooseMatcher(coMotEntier)(PreparePattern("\xE9t\xE9", 0), "\xC9T\xC9 \xE9t\xE9"), 5u);
    EXPECT_EQ(ChooseMatcher(coMotEntier)(p, "movlw mov"), 7u);
    EXPECT_EQ(FindPlain("", "abc"), 0u);
    EXPECT_EQ(FindPlain("abcd", "abc"), 0u);
    EXPECT_EQ(FindPlainNoCase("AB", "xaab"), 3u);
}

TEST(Matchers, PrepareTakesButtonsAndChecks)
{
    TChRempState s = State("Mov", "x", coMotEntier | coConfirme, cbRemplaceTout);
    EXPECT_EQ(s.Options, unsigned(coMotEntier | coConfirme | coRemplace | coRemplaceTout));
    EXPECT_EQ(s.Pattern, "MOV");
    EXPECT_TRUE(s.Prepared);
    EXPECT_FALSE(s.Started);
    s = State("Mov", "x", coMemeCasse, cbSuivant);
    EXPECT_EQ(s.Options, unsigned(coMemeCasse | coSuivant));
    EXPECT_EQ(s.Pattern, "Mov");
    s.FileList = {"a", "b"};
    EXPECT_EQ(s.NextFile(), "a");
    EXPECT_EQ(s.NextFile(), "b");
    EXPECT_EQ(s.NextFile(), "");
}

TEST(Engine, FindWalksEveryHitThenRestoresTheStart)
{
    THost h;
    TTextBuffer& b = h.Add("a.asm", "mov a\r\nnop\r\nmov b, mov c\r\nMOV");
    b.SetSelection(1, 1, 4, 1); // "nop"
    TChRempState s = State("mov", "", coMemeCasse, cbSuivant);
    std::vector<TTextPos> hits;
    for (int i = 0; i < 4 && h.Messages.empty(); ++i) {
        RunSearch(s, h);
        if (h.Messages.empty())
            hits.push_back(b.GetSelStart());
    }
    // Both hits of line 2; "MOV" differs in case.
    EXPECT_EQ(hits, (std::vector<TTextPos>{{0, 1}, {2, 1}, {2, 8}}));
    ASSERT_EQ(h.Messages, (std::vector<TSearchMessage>{TSearchMessage::PlusDOccurences}));
    EXPECT_EQ(b.GetSelStart(), (TTextPos{1, 1}));
    EXPECT_EQ(b.GetSelEnd(), (TTextPos{1, 4}));
}

TEST(Engine, StartsInTheCurrentTextWhereTheWindowSays)
{
    THost h;
    TTextBuffer& a = h.Add("a.asm", "foo\r\nx foo\r\nfoo foo");
    TChRempState s = State("foo", "", coMemeCasse, cbSuivant);
    a.SelectRange(TTextPos{1, 4}, TTextPos{2, 3});
    a.SetCaret(TTextPos{2, 5}); // on a hit
    s.From = TChRempState::DuCurseur;
    RunSearch(s, h);
    EXPECT_EQ(a.GetSelStart(), (TTextPos{2, 5}));
    s.Prepare("foo", "", coMemeCasse, cbSuivant);
    a.SelectRange(TTextPos{1, 4}, TTextPos{2, 3});
    s.From = TChRempState::DeSelection;
    RunSearch(s, h);
    EXPECT_EQ(a.GetSelStart(), (TTextPos{2, 1}));
    s.Prepare("foo", "", coMemeCasse, cbSuivant);
    s.From = TChRempState::DuDebut;
    RunSearch(s, h);
    EXPECT_EQ(a.GetSelStart(), (TTextPos{0, 1}));

    // Another text made current between two clicks is searched from its own
    // start, and the end gives that text its selection back, not the first.
    TTextBuffer& b = h.Add("b.asm", "foo");
    b.SetSelection(0, 2, 3, 0);
    s.From = TChRempState::DuDebut;
    RunSearch(s, h);
    EXPECT_EQ(b.GetSelStart(), (TTextPos{0, 1}));
    RunSearch(s, h);
    EXPECT_EQ(h.Messages, (std::vector<TSearchMessage>{TSearchMessage::PlusDOccurences}));
    EXPECT_EQ(h.Cur, 1);
    EXPECT_EQ(b.GetSelStart(), (TTextPos{0, 2}));
    EXPECT_EQ(a.GetSelStart(), (TTextPos{0, 1})); // its last hit
}

TEST(Engine, AFileNotOpenIsLookedAtInItsOwnCodePage)
{
    // "défaut" is 0x82 on disk in the DOS page, 0xE9 in the text.
    THost h;
    h.Add("cur.asm", "");
    h.Disk({{"a.oem", "; d\x82" "faut"}, {"b.oem", "; d\xE9" "faut"}, {"c.asm", "; D\xE9" "FAUT"}});
    TChRempState s = State("d\xE9" "faut", "", coMotEntier | coMultiFich, cbSuivant);
    s.FileList = h.Paths({"a.oem", "b.oem", "c.asm"});
    for (int i = 0; i < 4 && h.Messages.empty(); ++i)
        RunSearch(s, h);
    // b.oem holds another letter there; c.asm is read as it is.
    EXPECT_EQ(h.Opened, (std::vector<std::string>{"a.oem", "c.asm"}));
}

TEST(Engine, ConfirmationAnswers)
{
    // "Tous" at the first hit replaces the rest without asking.
    THost h;
    TTextBuffer& b = h.Add("a", "a x a\r\na\r\nb a");
    TChRempState s = State("a", "zz", coMemeCasse | coConfirme, cbRemplaceTout);
    h.Answers = {TConfirmAnswer::Tous};
    RunSearch(s, h);
    EXPECT_EQ(Lines(b), (std::vector<std::string>{"zz x zz", "zz", "b zz"}));
    EXPECT_EQ(h.AskedTous, (std::vector<bool>{true}));

    // "Non" skips that hit and goes on after it in the same line.
    THost h2;
    TTextBuffer& b2 = h2.Add("a", "a a a");
    s = State("a", "", coMemeCasse | coConfirme, cbRemplaceTout);
    h2.Answers = {TConfirmAnswer::Oui, TConfirmAnswer::Non, TConfirmAnswer::Oui};
    RunSearch(s, h2);
    EXPECT_EQ(Lines(b2), (std::vector<std::string>{" a "}));
    EXPECT_EQ(h2.AskedTous.size(), 3u);

    // "Abandonner" stops at once and leaves the hit selected.
    THost h3;
    TTextBuffer& b3 = h3.Add("a", "a\r\na");
    s = State("a", "b", coMemeCasse | coConfirme, cbRemplaceTout);
    h3.Answers = {TConfirmAnswer::Oui, TConfirmAnswer::Abandonner};
    RunSearch(s, h3);
    EXPECT_EQ(Lines(b3), (std::vector<std::string>{"b", "a"}));
    EXPECT_TRUE(h3.Messages.empty());
    EXPECT_EQ(b3.GetSelText(), "a");

    // Without replace-all only "Oui" and "Non" are offered, and one
    // replacement ends the click.
    THost h4;
    TTextBuffer& b4 = h4.Add("a", "a a");
    s = State("a", "b", coMemeCasse | coConfirme, cbRemplace);
    h4.Answers = {TConfirmAnswer::Oui, TConfirmAnswer::Oui};
    RunSearch(s, h4);
    EXPECT_EQ(Lines(b4), (std::vector<std::string>{"b a"}));
    RunSearch(s, h4);
    EXPECT_EQ(Lines(b4), (std::vector<std::string>{"b b"}));
    EXPECT_EQ(h4.AskedTous, (std::vector<bool>{false, false}));
}

TEST(Engine, ReplacementHoldingThePatternDoesNotLoop)
{
    THost h;
    TTextBuffer& b = h.Add("a", "ab ab\r\nab");
    TChRempState s = State("ab", "xab", coMemeCasse, cbRemplaceTout);
    RunSearch(s, h);
    EXPECT_EQ(Lines(b), (std::vector<std::string>{"xab xab", "xab"}));
    EXPECT_EQ(h.Messages, (std::vector<TSearchMessage>{TSearchMessage::PlusDOccurences}));
}

TEST(Engine, SelectionBounds)
{
    // A hit starting at the selection's end column is not visited.
    THost h;
    std::string text;
    for (int i = 0; i < 10; ++i)
        text += (i ? "\r\n" : "") + std::string("abcdX");
    TTextBuffer& b = h.Add("a", text);
    b.SetSelection(8, 5, 5, 9);
    TChRempState s = State("X", "Y", coMemeCasse | coSelection, cbRemplaceTout);
    RunSearch(s, h);
    EXPECT_EQ(b.GetLine(7), "abcdX");
    EXPECT_EQ(b.GetLine(8), "abcdY");
    EXPECT_EQ(b.GetLine(9), "abcdX");
    // The saved selection comes back at the end.
    EXPECT_EQ(b.GetSelStart(), (TTextPos{8, 5}));
    EXPECT_EQ(b.GetSelEnd(), (TTextPos{9, 5}));

    // A longer replacement on the selection's last line moves its end.
    THost h2;
    TTextBuffer& b2 = h2.Add("a", "a a a a");
    b2.SetSelection(0, 1, 6, 0);
    s = State("a", "bbb", coMemeCasse | coSelection, cbRemplaceTout);
    RunSearch(s, h2);
    EXPECT_EQ(b2.GetLine(0), "bbb bbb bbb a");
}

TEST(Engine, EveryReplacementIsOneUndoStep)
{
    THost h;
    const std::string text = "mov a\r\nmov b mov\r\nnop";
    TTextBuffer& b = h.Add("a", text);
    TChRempState s = State("mov", "movf", coMotEntier, cbRemplaceTout);
    RunSearch(s, h);
    EXPECT_EQ(b.GetLine(1), "movf b movf");
    EXPECT_TRUE(b.Modified());
    for (int i = 0; i < 3; ++i)
        b.Undo();
    EXPECT_EQ(b.GetAllText(), text);
}

TEST(Engine, ReadOnlyTextIsToldOnceAndNotReplaced)
{
    THost h;
    TTextBuffer& b = h.Add("a", "a a\r\na");
    b.ReadOnly = true;
    TChRempState s = State("a", "", coMemeCasse, cbRemplaceTout);
    RunSearch(s, h);
    EXPECT_EQ(b.GetAllText(), "a a\r\na");
    EXPECT_EQ(h.Messages,
              (std::vector<TSearchMessage>{TSearchMessage::LectureSeule, TSearchMessage::PlusDOccurences}));
}

TEST(Engine, FileListOpensSearchesAndClosesEachFile)
{
    THost h;
    h.Add("cur.asm", "foo");
    h.Disk({{"f1", "x\r\nfoo y"}, {"f2", "none"}, {"f3", "foo foo"}, {"f4", "FOO"}});
    TChRempState s = State("foo", "bar", coMemeCasse | coMultiFich, cbSuivant);
    s.FileList = h.Paths({"f1", "f2", "missing", "f3", "f4"});
    RunSearch(s, h);
    EXPECT_EQ(h.Opened, (std::vector<std::string>{"f1"}));
    EXPECT_EQ(h.Current()->GetSelStart(), (TTextPos{1, 1}));
    // f1 ends and is closed; f2 and the missing file hold no hit and are
    // not even opened; f3 shows its first hit.
    RunSearch(s, h);
    EXPECT_EQ(h.Closed, (std::vector<std::string>{"f1"}));
    EXPECT_EQ(h.Opened, (std::vector<std::string>{"f1", "f3"}));
    EXPECT_EQ(h.Current()->GetSelStart(), (TTextPos{0, 1}));
    RunSearch(s, h);
    EXPECT_EQ(h.Current()->GetSelStart(), (TTextPos{0, 5}));
    RunSearch(s, h); // f4 differs in case
    EXPECT_EQ(h.Closed.size(), 2u);
    EXPECT_EQ(h.Opened.size(), 2u);
    EXPECT_EQ(h.Messages, (std::vector<TSearchMessage>{TSearchMessage::FinMultiFichier}));
    EXPECT_EQ(h.Names, (std::vector<std::string>{"cur.asm"}));

    // An open file is searched in its editor, whatever its disk copy holds.
    THost o;
    o.Disk({{"f1", "nothing"}});
    o.Add("f1", "foo");
    o.Add("cur.asm", "");
    s = State("foo", "", coMemeCasse | coMultiFich, cbSuivant);
    s.FileList = o.Paths({"f1"});
    RunSearch(s, o);
    EXPECT_EQ(o.Opened, (std::vector<std::string>{"f1"}));
    EXPECT_TRUE(o.Messages.empty());

    // A replace-all goes through every file in one click.
    THost r;
    r.Add("cur.asm", "foo");
    r.Disk({{"f1", "foo\r\nfoo"}, {"f2", "a foo"}});
    s = State("foo", "bar", coMemeCasse | coMultiFich, cbRemplaceTout);
    s.FileList = r.Paths({"f1", "f2"});
    RunSearch(s, r);
    EXPECT_EQ(r.File("f1"), "bar\r\nbar");
    EXPECT_EQ(r.File("f2"), "a bar");
    EXPECT_EQ(r.Entries.front()->GetAllText(), "foo"); // not in the list
    EXPECT_EQ(r.Messages, (std::vector<TSearchMessage>{TSearchMessage::FinMultiFichier}));
}

TEST(ProjectFiles, MakeFileLines)
{
    std::vector<std::string> list{"/p/zz.asm", "/p/main.asm"};
    AddProjectFiles("# comment: none\r\nprog.hex:\tmain.asm+io.asm+sub/x.inc\r\n\tgpasm main.asm\r\n"
                    "other: no tab\nlib.o:\t/abs/Lib.asm+IO.asm\n",
                    "/p", list);
    EXPECT_EQ(list, (std::vector<std::string>{"/abs/Lib.asm", "/p/IO.asm", "/p/io.asm", "/p/main.asm",
                                              "/p/sub/x.inc", "/p/zz.asm"}));
}
