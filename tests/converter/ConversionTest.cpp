#include "editor/U_Conv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kep::TConversion;
using Lines = std::vector<std::string>;

namespace {

// The forms shown for a word under a default unit; empty when the word is
// ignored or out of range.
Lines Forms(const std::string& word, int unitDef = kep::udDecimal)
{
    TConversion c;
    if (!c.SetValue(word))
        return {};
    const auto v = c.Value(unitDef);
    return v ? kep::FormesConversion(*v) : Lines{};
}

const std::string Ones32(32, '1');

} // namespace

TEST(Conversion, WordsAreClassifiedByPrefixAndDigits)
{
    // A letter makes hexadecimal whatever the default.
    EXPECT_EQ(Forms("$1F"), (Lines{"%00011111", "$1F", "31"}));
    EXPECT_EQ(Forms("1F", kep::udBinaire), (Lines{"%00011111", "$1F", "31"}));
    EXPECT_EQ(Forms("$ff"), (Lines{"%11111111", "$FF", "255", "'\xFF'"}));
    // Without a prefix the default unit decides.
    EXPECT_EQ(Forms("10", kep::udHexa), (Lines{"%00010000", "$10", "16"}));
    EXPECT_EQ(Forms("10", kep::udDecimal), (Lines{"%00001010", "$0A", "10"}));
    EXPECT_EQ(Forms("10", kep::udBinaire), (Lines{"%00000010", "$02", "2"}));
    // "$" makes hexadecimal even with decimal digits only.
    EXPECT_EQ(Forms("$10", kep::udBinaire), (Lines{"%00010000", "$10", "16"}));
    // "%" with binary digits is binary; with a 2-9 the default decides.
    EXPECT_EQ(Forms("%101", kep::udHexa), (Lines{"%00000101", "$05", "5"}));
    EXPECT_EQ(Forms("%12", kep::udDecimal), (Lines{"%00001100", "$0C", "12"}));
    EXPECT_EQ(Forms("%12", kep::udHexa), (Lines{"%00010010", "$12", "18"}));
    // Digits a binary default cannot hold are read in the base they need.
    EXPECT_EQ(Forms("12", kep::udBinaire), (Lines{"%00001100", "$0C", "12"}));
    EXPECT_EQ(Forms("%19", kep::udBinaire), (Lines{"%00010011", "$13", "19"}));

    TConversion c;
    EXPECT_TRUE(c.SetValue("%1f"));
    EXPECT_EQ(c.Digits(), "1F");
    EXPECT_EQ(c.Unit(), kep::uHexa);
    EXPECT_TRUE(c.SetValue("%0110"));
    EXPECT_EQ(c.Unit(), kep::uBinaire);
    EXPECT_EQ(c.UnitUsed(kep::udHexa), kep::uBinaire);
    EXPECT_TRUE(c.SetValue("0110"));
    EXPECT_EQ(c.Unit(), kep::uOuverte);
    EXPECT_EQ(c.UnitUsed(kep::udHexa), kep::uHexa);
    EXPECT_EQ(c.UnitUsed(kep::udBinaire), kep::uBinaire);
    EXPECT_TRUE(c.SetValue("0190"));
    EXPECT_EQ(c.UnitUsed(kep::udBinaire), kep::uDecimale);
    EXPECT_EQ(c.UnitUsed(kep::udHexa), kep::uHexa);
}

TEST(Conversion, WordsThatAreNoNumbersKeepThePreviousOne)
{
    TConversion c;
    EXPECT_FALSE(c.HasValue());
    EXPECT_FALSE(c.Value(kep::udDecimal));
    ASSERT_TRUE(c.SetValue("$1F"));
    for (const char* word : {"12G", "", "$", "%", "-5", "1_0", "movlw", "1.5", "\xE9", "$$1", "%$1", " 1"}) {
        EXPECT_FALSE(c.SetValue(word)) << word;
        EXPECT_EQ(c.Digits(), "1F") << word;
        EXPECT_EQ(c.Unit(), kep::uHexa) << word;
        EXPECT_EQ(c.Value(kep::udDecimal), 31u) << word;
    }
}

TEST(Conversion, NegativeValuesShowTheirTwosComplement)
{
    EXPECT_EQ(Forms("FFFFFFFF"), (Lines{"%" + Ones32, "$FFFFFFFF", "4294967295", "-1"}));
    EXPECT_EQ(Forms("$80000000"),
              (Lines{"%10000000000000000000000000000000", "$80000000", "2147483648", "-2147483648"}));
    EXPECT_EQ(Forms("FFFFFF85"),
              (Lines{"%11111111111111111111111110000101", "$FFFFFF85", "4294967173", "-123"}));
    // The unsigned reading sent back reads as the same number again.
    EXPECT_EQ(Forms("4294967173"), Forms("$FFFFFF85"));
    EXPECT_EQ(Forms("%" + Ones32), Forms("FFFFFFFF"));
}

TEST(Conversion, LimitsOf8_16And32BitsAndBeyond)
{
    EXPECT_EQ(Forms("0"), (Lines{"%00000000", "$00", "0"}));
    EXPECT_EQ(Forms("000000000000000000000000000000000000000001", kep::udBinaire),
              (Lines{"%00000001", "$01", "1"}));
    EXPECT_EQ(Forms("256"), (Lines{"%0000000100000000", "$0100", "256"}));
    EXPECT_EQ(Forms("65535"), (Lines{"%1111111111111111", "$FFFF", "65535"}));
    EXPECT_EQ(Forms("65536"), (Lines{"%000000010000000000000000", "$010000", "65536"}));
    EXPECT_EQ(Forms("16777215"), (Lines{"%111111111111111111111111", "$FFFFFF", "16777215"}));
    EXPECT_EQ(Forms("2147483647"), (Lines{"%01111111111111111111111111111111", "$7FFFFFFF", "2147483647"}));
    EXPECT_EQ(Forms("4294967295"), Forms("FFFFFFFF"));
    EXPECT_EQ(Forms("$00000000FF"), Forms("255"));
    // Past 32 bits nothing is shown rather than a wrapped number.
    EXPECT_EQ(Forms("4294967296"), Lines{});
    EXPECT_EQ(Forms("99999999999999999999"), Lines{});
    EXPECT_EQ(Forms("100000000")[1], "$05F5E100"); // in decimal it fits
    EXPECT_EQ(Forms("100000000", kep::udHexa), Lines{});
    EXPECT_EQ(Forms("%1" + Ones32), Lines{});
    TConversion c;
    ASSERT_TRUE(c.SetValue("123456789A"));
    EXPECT_TRUE(c.HasValue());
    EXPECT_FALSE(c.Value(kep::udDecimal));

    EXPECT_EQ(kep::LitNombre("FFFFFFFF", 16), 0xFFFFFFFFu);
    EXPECT_EQ(kep::LitNombre("1FFFFFFFF", 16), std::nullopt);
    EXPECT_EQ(kep::LitNombre("12", 2), std::nullopt);
    EXPECT_EQ(kep::LitNombre("", 10), std::nullopt);
}

TEST(Conversion, PrintableCodesShowTheirCharacter)
{
    EXPECT_EQ(Forms("32").size(), 3u);
    EXPECT_EQ(Forms("33").back(), "'!'");
    EXPECT_EQ(Forms("65").back(), "'A'");
    EXPECT_EQ(Forms("39").back(), "'''");
    EXPECT_EQ(Forms("126").back(), "'~'");
    EXPECT_EQ(Forms("127").back(), "127"); // DEL
    EXPECT_EQ(Forms("128").back(), "'\x80'"); // the euro sign
    for (const char* unassigned : {"129", "141", "143", "144", "157"})
        EXPECT_EQ(Forms(unassigned).back(), unassigned);
    EXPECT_EQ(Forms("233").back(), "'\xE9'");
    EXPECT_EQ(Forms("255").back(), "'\xFF'");
    EXPECT_EQ(Forms("256").back(), "256");
    EXPECT_EQ(Forms("FFFFFF41").back(), "-191"); // not the 'A' of its low byte
}

TEST(Conversion, EveryFormSentBackReadsAsTheSameNumber)
{
    // What a click writes into the source, clicked again, shows the same
    // number: the loop the user goes round.
    std::vector<std::uint32_t> values{0, 1, 2, 127, 128, 255, 256, 0x7FFF, 0x8000, 0xFFFF, 0x10000,
                                      0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF};
    std::uint32_t x = 2463534242u;
    for (int i = 0; i < 2000; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        values.push_back(x >> (i % 32));
    }
    for (const std::uint32_t v : values) {
        const Lines forms = kep::FormesConversion(v);
        ASSERT_GE(forms.size(), 3u);
        for (const std::string& f : forms) {
            if (f[0] == '\'' || f[0] == '-')
                continue; // a character, or a sign the words never carry
            TConversion c;
            ASSERT_TRUE(c.SetValue(f)) << f;
            EXPECT_EQ(c.Value(kep::udDecimal), v) << f;
        }
        EXPECT_EQ(forms[0].size() % 8, 1u) << v;
        EXPECT_EQ(forms[1].size() % 2, 1u) << v;
    }
}
