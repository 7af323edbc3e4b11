// Cutting text into lines as it arrives in pieces: every way a line can end,
// the pieces cut anywhere (inside a CR LF included), and the widths measured
// on the way agreeing with a measure of the finished lines.
#include "editor/LineSplitter.h"
#include "editor/TextBuffer.h"
#include "platform/CodePage.h"
#include "platform/FileIo.h"

#include "support/TestDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace {

std::vector<std::string> Texts(const std::vector<TLineRec>& recs)
{
    std::vector<std::string> out;
    for (const auto& r : recs)
        out.push_back(r.Text);
    return out;
}

// The reference: CR LF, CR and LF each end a line.
std::vector<std::string> Reference(std::string_view text)
{
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out.emplace_back();
        } else {
            out.back() += text[i];
        }
    }
    return out;
}

std::map<int, std::int32_t> Measured(const std::vector<std::string>& lines, const TEditMetrics& m)
{
    std::map<int, std::int32_t> out;
    for (const auto& l : lines)
        ++out[TextPixelWidth(l, m)];
    return out;
}

TEST(LineSplitter, EveryLineEndAndPieceCut)
{
    TEditMetrics m;
    const std::vector<std::string> cases{
        "", "a", "a\r\n", "a\r\nb", "a\rb", "a\nb", "a\n\rb", "a\r\r\nb", "\r\n\r\n", "\r", "\n", "x\ty\r\n\tz",
    };
    for (const std::string& text : cases) {
        // Whole, then cut at every position into two pieces, then byte by byte.
        for (std::size_t cut = 0; cut <= text.size() + 1; ++cut) {
            TLineSplitter s(m, text.size());
            if (cut <= text.size()) {
                s.Add(std::string_view(text).substr(0, cut));
                s.Add(std::string_view(text).substr(cut));
            } else {
                for (char c : text)
                    s.Add(std::string_view(&c, 1));
            }
            const auto recs = s.Finish();
            EXPECT_EQ(Texts(recs), Reference(text)) << "text " << testing::PrintToString(text) << " cut " << cut;
            for (std::size_t i = 0; i < recs.size(); ++i)
                EXPECT_EQ(recs[i].LineId, std::int32_t(i));
            EXPECT_EQ(s.WidthCounts(), Measured(Reference(text), m));
        }
    }
}

TEST(LineSplitter, RandomTextsInRandomPieces)
{
    TEditMetrics m;
    m.CharWidth = 7;
    m.TabStops = {21, 70, 140};
    std::mt19937 rng(7);
    const char alphabet[] = {'a', 'b', '\t', '\r', '\n', ' ', '\0', char(0xE9)};
    for (int round = 0; round < 300; ++round) {
        std::string text(std::size_t(rng() % 200), 'x');
        for (char& c : text)
            c = alphabet[rng() % sizeof alphabet];
        // A long line now and then, wider than the counted widths.
        if (round % 10 == 0)
            text.insert(text.size() / 2, std::string(3000, 'w'));
        TLineSplitter s(m, 0);
        std::size_t i = 0;
        while (i < text.size()) {
            const std::size_t n = 1 + rng() % 40;
            s.Add(std::string_view(text).substr(i, n));
            i += n;
        }
        const auto recs = s.Finish();
        const auto expected = Reference(text);
        ASSERT_EQ(Texts(recs), expected) << "round " << round;
        EXPECT_EQ(s.WidthCounts(), Measured(expected, m)) << "round " << round;
    }
}

// Past the reader's quarter megabyte, lines cross the pieces the file is read
// in; the widest line and the ids come out as if read at once.
TEST(LineSplitter, LargeFileLoadsAsTheSameText)
{
    TTestDir dir;
    const std::string path = dir.Path("big.asm");
    std::string text;
    for (int i = 0; i < 40000; ++i) {
        text += "lbl" + std::to_string(i) + "\tmovlw\t" + std::to_string(i % 255);
        text += i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r";
    }
    text += std::string(500, 'z');
    {
        std::ofstream f(path, std::ios::binary);
        f << text;
    }
    ASSERT_GT(text.size(), std::size_t(1) << 19);
    TTextBuffer loaded, set;
    ASSERT_TRUE(loaded.LoadFromFile(path));
    set.SetAllText(text);
    ASSERT_EQ(loaded.LineCount(), 40001);
    EXPECT_EQ(loaded.GetAllText(), set.GetAllText());
    EXPECT_EQ(loaded.GetLine(40000), std::string(500, 'z'));
    EXPECT_EQ(loaded.MaxLineWidth(), 500 * loaded.Metrics().CharWidth);
    for (std::int32_t i = 0; i < loaded.LineCount(); i += 997)
        EXPECT_EQ(loaded.GetLineId(i), i);
    EXPECT_FALSE(loaded.Modified());
}

// The widths kept as lines change must agree with a fresh measure of the text.
TEST(LineSplitter, WidestLineFollowsEdits)
{
    TTextBuffer b;
    b.SetAllText("short\r\n\tmuch longer line\r\nmid");
    const int cw = b.Metrics().CharWidth;
    const int longest = b.LineWidth("\tmuch longer line");
    EXPECT_EQ(b.MaxLineWidth(), longest);
    b.SetCaret({0, 6});
    for (char c : std::string(40, 'q'))
        b.TypeChar(static_cast<unsigned char>(c));
    EXPECT_EQ(b.MaxLineWidth(), 45 * cw);
    b.DeleteCurrentLine();
    EXPECT_EQ(b.MaxLineWidth(), longest);
    // A resize keeps the widths; a new character width measures them again.
    b.Metrics().ClientWidth = 333;
    b.MetricsChanged();
    EXPECT_EQ(b.MaxLineWidth(), longest);
    b.Metrics().CharWidth = cw * 2;
    for (int& s : b.Metrics().TabStops)
        s *= 2;
    b.MetricsChanged();
    EXPECT_EQ(b.MaxLineWidth(), 2 * longest);
}

TEST(LineSplitter, OemFileConvertedPieceByPiece)
{
    TTestDir dir;
    const std::string path = dir.Path("oem.asm");
    // 0x82 is é in code page 850; many copies so the file spans pieces.
    std::string oem;
    for (int i = 0; i < 30000; ++i)
        oem += "caf\x82\t; \x82t\x82\r\n";
    {
        std::ofstream f(path, std::ios::binary);
        f << oem;
    }
    TTextBuffer b;
    b.OemFile = true;
    ASSERT_TRUE(b.LoadFromFile(path));
    EXPECT_EQ(b.LineCount(), 30001);
    EXPECT_EQ(b.GetLine(29999), "caf\xE9\t; \xE9t\xE9");
    EXPECT_EQ(b.GetAllText(), kep::OemToAnsi(oem));
}

} // namespace
