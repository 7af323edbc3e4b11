// Paints the demo source and checks what a user would see: colours of the
// styles, context backgrounds, markers, the selection. The picture is kept in
// the build folder (screens/editor.png) to be looked at.
#include "EditorFixture.h"
#include "editor/U_Edit.h"
#include "editor/U_Syntaxe.h"
#include "support/TestDir.h"

#include <QDir>
#include <cstdio>
#include <QImage>
#include <gtest/gtest.h>

namespace {

bool RowHasColour(const QImage& img, int y, const QColor& c, int fromX)
{
    for (int x = fromX; x < img.width(); ++x)
        if (img.pixelColor(x, y) == c)
            return true;
    return false;
}

} // namespace

TEST(EditorLook, SourceIsColouredAsDescribed)
{
    TEditeur::TabPath = KEP_TABLES_DIR "/";
    ShownEditor<TEditeur> s(24, 760);
    const std::string source =
        "p16\r\n"
        ";** D\xE9monstration de la coloration **\r\n"
        "; compteur de boucles\r\n"
        "COMPTE  EQU     0x20            ; compteur\r\n"
        "        #INCLUDE \"demo.inc\"\r\n"
        "ATTENTE MACRO   n\r\n"
        "        movlw   n\r\n"
        "        movwf   COMPTE\r\n"
        "        MEND\r\n"
        "debut:  movlw   'A'\r\n"
        "        REPEAT\r\n"
        "        decfsz  COMPTE,F\r\n"
        "        UNTIL   Z\r\n"
        "        #IF DEBUG\r\n"
        "        call    trace           ; trace\r\n"
        "        #ENDIF\r\n"
        "        STRING  \"Bonjour\"\r\n"
        "        goto    debut\r\n"
        "        END\r\n";
    TTestDir dir;
    const std::string path = dir.Write("look.asm", source);
    s.ed.FileName = path;
    ASSERT_TRUE(s.ed.Load());
    TTextBuffer& b = s.b();
    b.ToggleMarker(1, {6, 1});
    b.ToggleMarker(7, {11, 1});
    b.SelectRange({16, 9}, {17, 7});
    b.SetCaret({17, 7});
    QApplication::processEvents();

    const QImage img = s.ed.viewport()->grab().toImage();
    QDir().mkpath(KEP_BINARY_DIR "/screens");
    img.save(KEP_BINARY_DIR "/screens/editor.png");

    const int lh = s.ed.LineHeight();
    auto rowY = [&](std::int32_t line) { return (line - b.TopLine()) * lh + lh / 2; };
    const kep::TStyleTable& st = s.ed.Styles();
    const int right = img.width() - 3;
    // Context backgrounds reach the right edge: macro body, loop body,
    // conditional block; lines outside keep the neutral background.
    EXPECT_EQ(img.pixelColor(right, rowY(6)), s.ed.Resolve(st[kep::stMacro].Back));
    EXPECT_EQ(img.pixelColor(right, rowY(11)), s.ed.Resolve(st[kep::stLoop].Back));
    EXPECT_EQ(img.pixelColor(right, rowY(14)), s.ed.Resolve(st[kep::stIf1].Back));
    EXPECT_EQ(img.pixelColor(right, rowY(9)), s.ed.Resolve(st[kep::stRien].Back));
    // A selected line break fills to the right edge with the selection colour.
    EXPECT_EQ(img.pixelColor(right, rowY(16)), s.ed.Resolve(st[kep::stSel].Back));
    // Marker digits are drawn in the margin on their lines only.
    auto glyphInRow = [&](std::int32_t line) {
        for (int y = rowY(line) - lh / 2; y < rowY(line) + lh / 2; ++y)
            for (int x = 4; x < 11; ++x)
                if (img.pixelColor(x, y) == QColor(Qt::black))
                    return true;
        return false;
    };
    EXPECT_TRUE(glyphInRow(6));
    EXPECT_TRUE(glyphInRow(11));
    EXPECT_FALSE(glyphInRow(7));
    // Comments, highlighted comments and mnemonics show in their colours.
    EXPECT_TRUE(RowHasColour(img, rowY(2), s.ed.Resolve(st[kep::stRem].Fore), s.ed.TextLeft()));
    EXPECT_TRUE(RowHasColour(img, rowY(1), s.ed.Resolve(st[kep::stTit].Fore), s.ed.TextLeft()));
    EXPECT_TRUE(RowHasColour(img, rowY(17), s.ed.Resolve(st[kep::stOp].Fore), s.ed.TextLeft()));
    TEditeur::TabPath.clear();
}

TEST(EditorLook, NulBytesShowAsAMarkInTheirOwnCell)
{
    using namespace std::string_literals;
    ShownEditor<TEditeur> s(6, 400);
    TTestDir dir;
    s.ed.FileName = dir.Write("nul.asm", "ab\0cd\r\n\0\0x\r\n"s);
    ASSERT_TRUE(s.ed.Load());
    ASSERT_TRUE(s.b().HoldsNul());
    s.b().SetCaret({1, 3});
    QApplication::processEvents();
    const QImage img = s.ed.viewport()->grab().toImage();
    QDir().mkpath(KEP_BINARY_DIR "/screens");
    img.save(KEP_BINARY_DIR "/screens/editor_nul.png");

    const int lh = s.ed.LineHeight(), cw = s.ed.CharWidth();
    const QColor back = s.ed.Resolve(s.ed.Styles()[kep::stRien].Back);
    // Share of the cell (line, col) painted in another colour than the
    // background.
    auto inked = [&](int line, int col) {
        int n = 0, all = 0;
        for (int y = line * lh + 1; y < (line + 1) * lh - 1; ++y)
            for (int x = s.ed.TextLeft() + (col - 1) * cw; x < s.ed.TextLeft() + col * cw; ++x, ++all)
                n += img.pixelColor(x, y) != back;
        return double(n) / all;
    };
    EXPECT_GT(inked(0, 3), 0.5);
    EXPECT_GT(inked(1, 1), 0.5);
    EXPECT_GT(inked(1, 2), 0.5);
    // The letters around keep their cells: "c" after the NUL, and the space
    // after "x" stays empty.
    EXPECT_LT(inked(0, 4), 0.5);
    EXPECT_GT(inked(0, 4), 0.0);
    EXPECT_EQ(inked(1, 4), 0.0);
}

// A file that names its chip by a directive takes its family's table and the
// chip's own register names; a file of another chip does not show them, and
// a first line that names no table says nothing.
TEST(EditorLook, TheChipsOwnNamesColourOnlyTheFilesOfThatChip)
{
    if (!kep::FileExists("/usr/share/gputils/header/p18f4550.inc"))
        GTEST_SKIP() << "gputils absent : pas d'en-tête p18f4550.inc";
    TEditeur::TabPath = KEP_TABLES_DIR "/";
    TTestDir dir;
    ShownEditor<TEditeur> a(8, 600), b(8, 600);
    QStringList said;
    QObject::connect(&a.ed, &TEditeur::TableStatus, [&](const QString& t) { said << t; });
    QObject::connect(&b.ed, &TEditeur::TableRefused, [&](const QString& t) { said << t; });
    a.ed.FileName = dir.Write("a.asm", "; PIC18\r\n\tlist p=18f4550\r\n\tmovff LATB, PORTB\r\n");
    ASSERT_TRUE(a.ed.Load());
    EXPECT_EQ(a.ed.TableUtilisee(), KEP_TABLES_DIR "/p18.tab");
    EXPECT_EQ(said, QStringList{QStringLiteral("Table processeur : p18.tab (18f4550)")});
    b.ed.FileName = dir.Write("b.asm", "nop\r\n\tmovwf LATB\r\n");
    ASSERT_TRUE(b.ed.Load());
    EXPECT_EQ(said.size(), 1) << said.join('|').toStdString();

    std::size_t len = 0;
    a.ed.ReprendTable();
    EXPECT_EQ(kep::ScanToken(kep::SharedTokens(), "MOVFF", 0, len, a.ed.ChipTokens()), kep::stOp);
    EXPECT_EQ(kep::ScanToken(kep::SharedTokens(), "LATB,", 0, len, a.ed.ChipTokens()), kep::stSig);
    EXPECT_EQ(len, 4u);
    EXPECT_NE(kep::ScanToken(kep::SharedTokens(), "LATBX", 0, len, a.ed.ChipTokens()), kep::stSig);
    EXPECT_NE(kep::ScanToken(kep::SharedTokens(), "LATB", 0, len, b.ed.ChipTokens()), kep::stSig);
    QApplication::processEvents();
    const QImage img = a.ed.viewport()->grab().toImage();
    img.save(KEP_BINARY_DIR "/screens/editor-chip.png");
    const int lh = a.ed.LineHeight();
    EXPECT_TRUE(RowHasColour(img, 2 * lh + lh / 2, a.ed.Resolve(a.ed.Styles()[kep::stSig].Fore), a.ed.TextLeft()));
    TEditeur::TabPath.clear();
}
