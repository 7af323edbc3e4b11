// What the terminal shows of received and sent bytes, and its settings as
// the project file keeps them.
#include "serial/U_CommsReglages.h"
#include "serial/U_Terminal.h"
#include "platform/IniFile.h"
#include "support/TestDir.h"

#include <gtest/gtest.h>

using namespace kep;

namespace {

TMorceau R(std::string t, bool saut = false) { return {csRecu, std::move(t), saut}; }
TMorceau G(std::string t, bool saut = false) { return {csEtat, std::move(t), saut}; }
TMorceau W(std::string t, bool saut = false) { return {csEmis, std::move(t), saut}; }

// The pane as text, one '|' per line break.
std::string Texte(const TMorceaux& m)
{
    std::string s;
    for (const TMorceau& p : m) {
        s += p.Texte;
        if (p.Saut)
            s += '|';
    }
    return s;
}

TTerminal Terminal()
{
    TTerminal t;
    t.HeureTexte = [] { return std::string("12:34:56"); };
    t.Tick = [] { return std::uint64_t(987654); };
    return t;
}

} // namespace

TEST(Terminal, ReceivedBytesFollowTheNewLineRulesAndStamps)
{
    TTerminal t = Terminal();
    TMorceaux m;
    // Par CR with the time of day: A, B, <0D>, the time, then a new line.
    t.Reglages.DateCR = true;
    t.Recoit("AB\r", m);
    EXPECT_EQ(m, (TMorceaux{R("AB<0D>"), G("<12:34:56>", true)}));
    EXPECT_EQ(t.Colonne(), 0);

    // The tick count instead; a CR split from its line still stamps.
    m.clear();
    t.Reglages.Heure = false;
    t.Recoit("x", m);
    t.Recoit("\r", m);
    EXPECT_EQ(Texte(m), "x<0D><987654>|");

    // Without "par CR" the CR shows but the line goes on; LF breaks with "par LF".
    m.clear();
    t.Reglages = {};
    t.Reglages.ByCR = false;
    t.Reglages.ByLF = true;
    t.Recoit("ab\r\ncd\n", m);
    EXPECT_EQ(Texte(m), "ab<0D><0A>|cd<0A>|");

    // Hexa: every byte, printable or not.
    m.clear();
    t.Reglages = {};
    t.Reglages.Hexa = true;
    t.Recoit(std::string("A\xFF\x00 ", 4), m);
    EXPECT_EQ(Texte(m), "<41><FF><00><20>");

    // Bytes from 0x7F up are characters of the code page, not codes.
    m.clear();
    t = Terminal();
    t.Recoit("\x7F\xE9\x80", m);
    EXPECT_EQ(m, (TMorceaux{R("\x7F\xE9\x80")}));
}

TEST(Terminal, ColumnLimitBreaksAfterTheTenthByteOfEachLine)
{
    TTerminal t = Terminal();
    t.Reglages.ByCol = true;
    t.Reglages.ColMax = 10;
    TMorceaux m;
    t.Recoit("0123456", m);
    t.Recoit("789abcdefghij", m); // 10 bytes end the first line, 10 more the second
    t.Recoit("kl", m);
    EXPECT_EQ(Texte(m), "0123456789|abcdefghij|kl");
    EXPECT_EQ(t.Colonne(), 2);
    // A CR breaks the line and the count starts again.
    m.clear();
    t.Recoit("\r123456789", m);
    EXPECT_EQ(Texte(m), "<0D>|123456789");
    EXPECT_EQ(t.Colonne(), 9);
    // Control bytes count as columns too.
    m.clear();
    t.Recoit("\x01", m);
    EXPECT_EQ(Texte(m), "<01>|");
}

TEST(Terminal, RunsOfOneColourMergeAndBreaksNeverDoubleUp)
{
    TTerminal t = Terminal();
    TMorceaux m;
    t.Recoit("hello", m);
    t.Recoit(" world", m);
    ASSERT_EQ(m.size(), 1u); // one run, however the bytes came
    // A burst ends the line once; an empty line is not ended again.
    t.FinRafale(m);
    t.FinRafale(m);
    EXPECT_EQ(Texte(m), "hello world|");
    t.Recoit("ok\r", m);
    t.FinRafale(m);
    EXPECT_EQ(Texte(m), "hello world|ok<0D>|");
    // A status goes on a line of its own, whatever came before.
    t.Recoit("half", m);
    t.Etat("Port 1 ouvert", m);
    t.Etat("Port 1 fermé", m);
    EXPECT_EQ(Texte(m), "hello world|ok<0D>|half|Port 1 ouvert|Port 1 fermé|");
    EXPECT_EQ(m.back(), G("Port 1 fermé", true));
    EXPECT_EQ(t.Colonne(), 0);
    // A line event shows within the received text without counting.
    t.Reglages.ByCol = true;
    t.Reglages.ColMax = 3;
    m.clear();
    t.Recoit("ab", m);
    t.Signal("<Break>", m);
    t.Recoit("c", m);
    EXPECT_EQ(Texte(m), "ab<Break>c|");
}

TEST(Terminal, LocalEchoShowsKeysInWhite)
{
    TTerminal t = Terminal();
    TMorceaux m;
    t.Emet('a', m);
    t.Emet('\r', m);
    t.Emet('\n', m);
    EXPECT_EQ(m, (TMorceaux{W("a<0D>", true), W("<0A>")}));
    m.clear();
    t.Reglages.ByLF = true;
    t.Reglages.ByCR = false;
    t.Emet('\r', m);
    t.Emet('\n', m);
    t.Emet(0x1B, m);
    EXPECT_EQ(Texte(m), "<0D><0A>|<1B>");
    m.clear();
    t.Reglages.Hexa = true;
    t.Emet('z', m);
    EXPECT_EQ(m, (TMorceaux{W("<7A>")}));
    // Echoed keys are not received bytes: the column count stays.
    EXPECT_EQ(t.Colonne(), 0);
    EXPECT_EQ(TTerminal::Hex(0xA5), "<A5>");
}

// ---- Settings --------------------------------------------------------------------

TEST(CommsReglages, DefaultsAndWrittenTexts)
{
    TTestDir dir;
    const std::string path = dir.Write("p.pja", "[Global]\r\nX=1\r\n");
    TIniFile ini(path);
    TCommsReglages r;
    r.Lit(ini); // nothing stored: the design state
    EXPECT_EQ(r.ComTexte(), "COM1,19200,Aucune,8,1");
    EXPECT_EQ(r.RxCtrlTexte(), "RtsInactif,DtrInactif");
    EXPECT_EQ(r.TxCtrlTexte(), "");
    EXPECT_EQ(r.NewLineTexte(), "ByCr");
    EXPECT_EQ(r.DatationTexte(), ",Heure");
    EXPECT_TRUE(r.Heure);
    EXPECT_FALSE(r.DateCR);
    EXPECT_EQ(r.ColMax(), 80);
    EXPECT_EQ(r.DelaiMs(), 200);

    r.Port = 2;
    r.Vitesse = 12;
    r.Parite = 2;
    r.DataBits = 2;
    r.StopBits = 2;
    r.Rts = RtsHandS;
    r.Dtr = DtrActif;
    r.RxOnOff = true;
    r.DsrActif = true;
    r.TxOnOff = true;
    r.AffHex = 1;
    r.DistEcho = 1;
    r.ByCR = false;
    r.ByLF = r.ByCol = r.ByTO = true;
    r.ColNbr = "40";
    r.msNbr = "500";
    r.DateCR = true;
    r.Heure = false;
    ASSERT_TRUE(r.Ecrit(ini));
    const std::string file = dir.Read("p.pja");
    for (const char* line : {"[Comms]", "Com=COM3,115200,Paire,7,2", "RxCtrl=RtsHandS,DtrActif,RxOnOff",
                             "TxCtrl=DsrActif,TxOnOff", "AffHex=1", "DistEcho=1", "NewLine=ByLf,ByCol,ByTO",
                             "ColNbr=40", "msNbr=500", "Datation=ByCr,Tick"})
        EXPECT_NE(file.find(line), std::string::npos) << line << "\n" << file;

    TIniFile again(path);
    TCommsReglages lu;
    lu.Lit(again);
    EXPECT_EQ(lu.ComTexte(), r.ComTexte());
    EXPECT_EQ(lu.Rts, RtsHandS);
    EXPECT_EQ(lu.Dtr, DtrActif);
    EXPECT_TRUE(lu.RxOnOff && lu.DsrActif && lu.TxOnOff);
    EXPECT_FALSE(lu.CtsActif);
    EXPECT_EQ(lu.AffHex, 1);
    EXPECT_EQ(lu.DistEcho, 1);
    EXPECT_FALSE(lu.ByCR); // unchecked when stored so
    EXPECT_TRUE(lu.ByLF && lu.ByCol && lu.ByTO);
    EXPECT_EQ(lu.ColMax(), 40);
    EXPECT_EQ(lu.DelaiMs(), 500);
    EXPECT_TRUE(lu.DateCR);
    EXPECT_FALSE(lu.Heure);
    // Each box under its own name.
    lu.ByTO = false;
    EXPECT_EQ(lu.NewLineTexte(), "ByLf,ByCol");
    lu.ByCol = false;
    lu.ByTO = true;
    lu.ByCR = true;
    EXPECT_EQ(lu.NewLineTexte(), "ByCr,ByLf,ByTO");
    lu.Rts = RtsTogg;
    lu.RxOnOff = false;
    EXPECT_EQ(lu.RxCtrlTexte(), "RtsToggle,DtrActif");
}

TEST(CommsReglages, ListTextsWithCommasBlanksAndEmptiesComeBack)
{
    TTestDir dir;
    const std::string path = dir.Write("p.pja", "");
    // "1,5" holds a comma, "256000 " a blank, and the last speed is empty.
    for (int vitesse : {14, 15, 0}) {
        TIniFile ini(path);
        TCommsReglages r;
        r.Vitesse = vitesse;
        r.StopBits = 1;
        r.Port = 7;
        ASSERT_TRUE(r.Ecrit(ini));
        TIniFile again(path);
        TCommsReglages lu;
        lu.Lit(again);
        EXPECT_EQ(lu.Vitesse, vitesse);
        EXPECT_EQ(lu.StopBits, 1);
        EXPECT_EQ(lu.Port, 7);
        EXPECT_EQ(lu.Parite, 0);
        EXPECT_EQ(lu.DataBits, 3);
    }
    EXPECT_EQ(IndexListe(kVitessesComms, " 256000"), 14);
    EXPECT_EQ(IndexListe(kParitesComms, "mark (1)"), 3);
    EXPECT_EQ(IndexListe(kPortsComms, "COM9"), -1);
}

TEST(CommsReglages, StoredNamesAreMatchedLooselyAndUnknownOnesIgnored)
{
    TTestDir dir;
    const std::string path = dir.Write("p.pja", "[Comms]\r\n"
                                                "Com=COM9,9600,Bizarre\r\n"
                                                "RxCtrl=rtsactif, DTRHANDS ,nothing,RtsToggle\r\n"
                                                "TxCtrl=DtrInactif,ctsactif\r\n"
                                                "NewLine=\r\n"
                                                "AffHex=7\r\n"
                                                "ColNbr=abc\r\n"
                                                "msNbr=5\r\n"
                                                "Datation=bycr\r\n");
    TIniFile ini(path);
    TCommsReglages r;
    r.Lit(ini);
    EXPECT_EQ(r.Port, -1);     // not in the list: nothing selected
    EXPECT_EQ(r.Vitesse, 6);   // the others still are
    EXPECT_EQ(r.Parite, -1);
    EXPECT_EQ(r.DataBits, -1); // missing items select nothing
    EXPECT_EQ(r.StopBits, -1);
    EXPECT_EQ(r.ComTexte(), ",9600,,,");
    EXPECT_EQ(r.Rts, RtsTogg); // the name it is written under
    EXPECT_EQ(r.Dtr, DtrInactif); // the later name of the group wins
    EXPECT_TRUE(r.CtsActif);
    EXPECT_TRUE(r.ByCR);       // an empty list keeps the design state
    EXPECT_FALSE(r.ByLF);
    EXPECT_EQ(r.AffHex, 0);
    EXPECT_EQ(r.ColMax(), 80);
    EXPECT_EQ(r.DelaiMs(), 10);
    EXPECT_TRUE(r.DateCR);
    EXPECT_FALSE(r.Heure); // a stamp setting without "Heure" is the tick
    TCommsReglages c;
    EXPECT_FALSE(c.Coche("Bidule"));
    EXPECT_TRUE(c.Coche("RBTICK"));
    EXPECT_FALSE(c.Heure);
    EXPECT_TRUE(c.Coche("dtrhands"));
    EXPECT_EQ(c.Dtr, DtrHandS);
}
