#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace kep;

namespace {

// Code page 850, bytes 0x80-0xFF, as Unicode publishes it (the lower half is
// ASCII). Kept here apart from the conversion tables so the two can disagree.
const char16_t kCp850High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

// Windows-1252, bytes 0x80-0x9F; the rest of the page is Latin-1.
const char16_t kCp1252C1[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t Cp850(unsigned b) { return b < 0x80 ? char16_t(b) : kCp850High[b - 0x80]; }
char16_t Cp1252(unsigned b) { return b >= 0x80 && b < 0xA0 ? kCp1252C1[b - 0x80] : char16_t(b); }

// Unicode -> byte of each page, for the characters it holds.
std::map<char16_t, unsigned> Index(char16_t (*page)(unsigned))
{
    std::map<char16_t, unsigned> m;
    for (unsigned b = 0; b < 256; ++b)
        m[page(b)] = b;
    return m;
}

} // namespace

TEST(CodePage, AnsiToUnicodeMatchesWindows1252ForEveryByte)
{
    for (unsigned b = 0; b < 256; ++b)
        EXPECT_EQ(AnsiToUnicode(static_cast<unsigned char>(b)), Cp1252(b)) << "byte " << b;
    // The undefined bytes stand for the C1 controls of the same value.
    for (unsigned b : {0x81u, 0x8Du, 0x8Fu, 0x90u, 0x9Du})
        EXPECT_EQ(AnsiToUnicode(static_cast<unsigned char>(b)), char16_t(b));
}

TEST(CodePage, UnicodeToAnsiInvertsEveryByteAndRejectsTheRest)
{
    for (unsigned b = 0; b < 256; ++b)
        EXPECT_EQ(UnicodeToAnsi(Cp1252(b)), b) << "byte " << b;
    // C1 controls that Windows-1252 replaced, and characters far outside it.
    for (char32_t u : {0x80u, 0x85u, 0x9Fu, 0x100u, 0x2500u, 0x20ADu, 0xFFFDu, 0x1F600u, 0x110000u})
        EXPECT_EQ(UnicodeToAnsi(u), '?') << "U+" << std::hex << unsigned(u);
}

TEST(CodePage, FileTablesAreABijectionThatKeepsSharedCharacters)
{
    const auto ansi = Index(Cp1252);
    const auto oem = Index(Cp850);
    std::set<unsigned> seen;
    int oemOnly = 0;
    for (unsigned b = 0; b < 256; ++b) {
        const unsigned got = OemToAnsiByte(static_cast<unsigned char>(b));
        seen.insert(got);
        EXPECT_EQ(AnsiToOemByte(static_cast<unsigned char>(got)), b) << "OEM byte " << b;
        auto it = ansi.find(Cp850(b));
        if (it != ansi.end()) {
            EXPECT_EQ(got, it->second) << "OEM byte " << b;
        } else {
            // An OEM-only character takes a byte whose ANSI character OEM lacks.
            ++oemOnly;
            EXPECT_EQ(oem.count(Cp1252(got)), 0u) << "OEM byte " << b << " -> " << got;
        }
    }
    EXPECT_EQ(oemOnly, 31);
    EXPECT_EQ(seen.size(), 256u);
    // The pairs follow byte order on both sides.
    EXPECT_EQ(OemToAnsiByte(0xB0), 0x80); // light shade <-> euro
    EXPECT_EQ(AnsiToOemByte(0x9F), 0xFE); // Y diaeresis <-> black square
}

TEST(CodePage, EveryByteValueSurvivesAFileRoundTrip)
{
    std::string all;
    for (unsigned b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(AnsiToOem(OemToAnsi(all)), all);
    EXPECT_EQ(OemToAnsi(AnsiToOem(all)), all);
    // Box drawing is kept, not flattened.
    EXPECT_EQ(AnsiToOem(OemToAnsi("\xB0\xB1\xB2\xB3\xB4\xCD\xDB\xD5\xF2")), "\xB0\xB1\xB2\xB3\xB4\xCD\xDB\xD5\xF2");
}

TEST(CodePage, AnOemFileShowsAndTakesItsOwnCharacters)
{
    for (unsigned o = 0; o < 256; ++o) {
        const auto inBuffer = OemToAnsiByte(static_cast<unsigned char>(o));
        EXPECT_EQ(TextToUnicode(inBuffer, true), Cp850(o)) << "OEM byte " << o;
        unsigned char typed = 0;
        ASSERT_TRUE(UnicodeToText(Cp850(o), true, typed)) << "OEM byte " << o;
        EXPECT_EQ(typed, inBuffer) << "OEM byte " << o;
    }
    for (unsigned a = 0; a < 256; ++a) {
        EXPECT_EQ(TextToUnicode(static_cast<unsigned char>(a), false), Cp1252(a));
        unsigned char typed = 0;
        ASSERT_TRUE(UnicodeToText(Cp1252(a), false, typed)) << "ANSI byte " << a;
        EXPECT_EQ(typed, a);
    }
    // What the page cannot hold is refused, never replaced by a look-alike.
    unsigned char c = 'x';
    EXPECT_FALSE(UnicodeToText(0x20AC, true, c));  // euro in an OEM file
    EXPECT_FALSE(UnicodeToText(0x0153, true, c));  // oe ligature in an OEM file
    EXPECT_FALSE(UnicodeToText(0x2591, false, c)); // light shade in an ANSI file
    EXPECT_FALSE(UnicodeToText(0x0131, false, c)); // dotless i in an ANSI file
    EXPECT_FALSE(UnicodeToText(0x1F600, true, c));
    EXPECT_EQ(c, 'x');

    std::size_t refused = 0;
    EXPECT_EQ(Utf16ToText(u"\u2591\u20AC\u00E9", true, &refused), std::string("\x80?\xE9"));
    EXPECT_EQ(refused, 1u);
    EXPECT_EQ(Utf16ToText(u"\u2591\u20AC\u00E9", false, &refused), std::string("?\x80\xE9"));
    EXPECT_EQ(refused, 1u);
    EXPECT_EQ(TextToUtf16("\x80\xE9", true), u"\u2591\u00E9");
    // A character outside the basic plane counts once.
    EXPECT_EQ(Utf16ToText(u"a\U0001F600b", true, &refused), "a?b");
    EXPECT_EQ(refused, 1u);
}

TEST(CodePage, TheConversionCommandsUseLookAlikes)
{
    const auto OemToAnsi = OemToAnsiLookAlike;
    const auto AnsiToOem = AnsiToOemLookAlike;
    const auto OemToAnsiByte = [](unsigned char c) {
        return static_cast<unsigned char>(OemToAnsiLookAlike(std::string(1, char(c)))[0]);
    };
    const auto AnsiToOemByte = [](unsigned char c) {
        return static_cast<unsigned char>(AnsiToOemLookAlike(std::string(1, char(c)))[0]);
    };
    // Shared characters map exactly, as in the file tables.
    const auto ansi = Index(Cp1252);
    for (unsigned b = 0; b < 256; ++b) {
        if (ansi.count(Cp850(b))) {
            EXPECT_EQ(OemToAnsiByte(static_cast<unsigned char>(b)), kep::OemToAnsiByte(static_cast<unsigned char>(b)));
        }
    }

    // Frames of OEM box characters become an ASCII frame.
    EXPECT_EQ(OemToAnsi("\xDA\xC4\xC2\xC4\xBF"), "+-+-+");
    EXPECT_EQ(OemToAnsi("\xB3 \xB3 \xBA"), "| | |");
    EXPECT_EQ(OemToAnsi("\xC9\xCD\xCB\xCD\xBB"), "+-+-+");
    EXPECT_EQ(OemToAnsi("\xC3\xC5\xB4\xCC\xCE\xB9\xC0\xC1\xD9\xC8\xCA\xBC"), "++++++++++++");
    // Shades, blocks and the odd letters.
    EXPECT_EQ(OemToAnsi("\xB0\xB1\xB2\xDB\xFE"), ".:###");
    EXPECT_EQ(OemToAnsiByte(0xDC), '_');
    EXPECT_EQ(OemToAnsiByte(0xDF), 0xAF);   // upper half block -> macron
    EXPECT_EQ(OemToAnsiByte(0xD5), 'i');    // dotless i
    EXPECT_EQ(OemToAnsiByte(0xF2), '=');    // double low line

    // ANSI typography down to what a DOS console shows.
    EXPECT_EQ(AnsiToOem("\x93guillemets\x94 \x91simples\x92 \x96 \x97 \x85"), "\"guillemets\" 'simples' - - .");
    EXPECT_EQ(AnsiToOem("\x80\x8A\x8C\x8E\x9A\x9C\x9E\x9F\x99"), "ESOZsozYT");
    EXPECT_EQ(AnsiToOem("\x82\x84\x86\x87\x88\x89\x8B\x9B\x98"), ",\"++^%<>~");
    EXPECT_EQ(AnsiToOemByte(0x95), 0xFA);   // bullet -> middle dot
    EXPECT_EQ(AnsiToOemByte(0x83), 0x9F);   // f with hook exists in both
    for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(AnsiToOemByte(b), '?');
}

TEST(CodePage, WholeTextConversionKeepsLengthAndZeroBytes)
{
    std::string all;
    for (unsigned b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string oem = AnsiToOem(all);
    const std::string ansi = OemToAnsi(all);
    ASSERT_EQ(oem.size(), 256u);
    ASSERT_EQ(ansi.size(), 256u);
    for (unsigned b = 0; b < 256; ++b) {
        EXPECT_EQ(static_cast<unsigned char>(oem[b]), AnsiToOemByte(static_cast<unsigned char>(b)));
        EXPECT_EQ(static_cast<unsigned char>(ansi[b]), OemToAnsiByte(static_cast<unsigned char>(b)));
    }
    // Control characters and line ends pass unchanged.
    EXPECT_EQ(AnsiToOem(std::string("a\0b\r\n\t\x1B", 7)), std::string("a\0b\r\n\t\x1B", 7));
    EXPECT_EQ(OemToAnsi(""), "");
}

TEST(CodePage, Utf16Conversions)
{
    std::string all;
    for (unsigned b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::u16string wide = AnsiToUtf16(all);
    ASSERT_EQ(wide.size(), 256u);
    for (unsigned b = 0; b < 256; ++b)
        EXPECT_EQ(wide[b], Cp1252(b));
    EXPECT_EQ(Utf16ToAnsi(wide), all);

    EXPECT_EQ(Utf16ToAnsi(u"\u00C9t\u00E9 \u20AC \u2500\u03A9"), "\xC9t\xE9 \x80 ??");
    // A character outside the basic plane is one '?'; stray surrogates too.
    EXPECT_EQ(Utf16ToAnsi(u"a\U0001F600b"), "a?b");
    EXPECT_EQ(Utf16ToAnsi(std::u16string{u'a', char16_t(0xD800)}), "a?");
    EXPECT_EQ(Utf16ToAnsi(std::u16string{char16_t(0xDC00), u'b', char16_t(0xD83D), u'c'}), "?b?c");
    EXPECT_EQ(Utf16ToAnsi(std::u16string(1, u'\0')), std::string(1, '\0'));
    EXPECT_EQ(AnsiToUtf16(""), u"");
}
