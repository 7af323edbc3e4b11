// The marks of the Unix line discipline undone: doubled 0xFF, bytes with an
// error, breaks, and marks cut between two reads.
#include "serial/U_RxDecode.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace kep;

namespace {

std::string Bytes(std::initializer_list<int> v)
{
    std::string s;
    for (int b : v)
        s.push_back(char(b));
    return s;
}

struct TResult {
    std::string Out;
    int Breaks = 0;
    int Errors = 0;
};

TResult DecodeAll(std::string_view raw, const TRxDecodeRules& rules = {})
{
    TRxDecoder d;
    TResult r;
    const TRxDecoded told = d.Decode(raw, rules, r.Out);
    r.Breaks = told.Breaks;
    r.Errors = told.Errors;
    return r;
}

} // namespace

TEST(RxDecode, PlainBytesPassUnchanged)
{
    const std::string raw = Bytes({0x41, 0x00, 0x7F, 0x80, 0xFE, 0x0D, 0x0A});
    const TResult r = DecodeAll(raw);
    EXPECT_EQ(r.Out, raw);
    EXPECT_EQ(r.Breaks, 0);
    EXPECT_EQ(r.Errors, 0);
}

TEST(RxDecode, DoubledFFIsOneFF)
{
    const TResult r = DecodeAll(Bytes({0x31, 0xFF, 0xFF, 0x32, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(r.Out, Bytes({0x31, 0xFF, 0x32, 0xFF, 0xFF}));
    EXPECT_EQ(r.Breaks, 0);
    EXPECT_EQ(r.Errors, 0);
}

TEST(RxDecode, BreakGivesNoByte)
{
    const TResult r = DecodeAll(Bytes({0x31, 0xFF, 0x00, 0x00, 0x32, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(r.Out, "12");
    EXPECT_EQ(r.Breaks, 2);
    EXPECT_EQ(r.Errors, 0);
}

TEST(RxDecode, ErrorByteKeptWithoutReplace)
{
    const TResult r = DecodeAll(Bytes({0x31, 0xFF, 0x00, 0x55, 0x32}));
    EXPECT_EQ(r.Out, Bytes({0x31, 0x55, 0x32}));
    EXPECT_EQ(r.Breaks, 0);
    EXPECT_EQ(r.Errors, 1);
}

TEST(RxDecode, ErrorByteReplaced)
{
    TRxDecodeRules rules;
    rules.Replace = true;
    rules.ReplaceChar = '?';
    const TResult r = DecodeAll(Bytes({0xFF, 0x00, 0x55, 0x31, 0xFF, 0x00, 0xFF, 0xFF, 0xFF}), rules);
    EXPECT_EQ(r.Out, Bytes({'?', 0x31, '?', 0xFF}));
    EXPECT_EQ(r.Errors, 2);
    EXPECT_EQ(r.Breaks, 0);
}

TEST(RxDecode, UnknownMarkKeepsBothBytes)
{
    const TResult r = DecodeAll(Bytes({0x31, 0xFF, 0x41, 0x32, 0xFF, 0x01}));
    EXPECT_EQ(r.Out, Bytes({0x31, 0xFF, 0x41, 0x32, 0xFF, 0x01}));
    EXPECT_EQ(r.Breaks, 0);
    EXPECT_EQ(r.Errors, 0);
}

TEST(RxDecode, DiscardNullDropsDataZerosOnly)
{
    TRxDecodeRules rules;
    rules.DiscardNull = true;
    // Zeros as data go; the zeros inside a break or an error mark are not data.
    const TResult r = DecodeAll(Bytes({0x00, 0x31, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x32, 0xFF, 0x00, 0x44, 0x00,
                                       0xFF, 0xFF, 0x00}),
                                rules);
    EXPECT_EQ(r.Out, Bytes({0x31, 0x32, 0x44, 0xFF}));
    EXPECT_EQ(r.Breaks, 1);
    EXPECT_EQ(r.Errors, 1);
}

TEST(RxDecode, DiscardNullAlsoDropsAZeroReplacement)
{
    TRxDecodeRules rules;
    rules.DiscardNull = true;
    rules.Replace = true;
    rules.ReplaceChar = 0;
    const TResult r = DecodeAll(Bytes({0x31, 0xFF, 0x00, 0x55, 0x32}), rules);
    EXPECT_EQ(r.Out, "12");
    EXPECT_EQ(r.Errors, 1);
}

TEST(RxDecode, AppendsToOut)
{
    TRxDecoder d;
    std::string out = "ab";
    d.Decode("cd", {}, out);
    EXPECT_EQ(out, "abcd");
}

TEST(RxDecode, EmptyPieceChangesNothing)
{
    TRxDecoder d;
    std::string out;
    d.Decode(Bytes({0xFF}), {}, out);
    const TRxDecoded told = d.Decode("", {}, out);
    EXPECT_EQ(told.Breaks + told.Errors, 0);
    d.Decode(Bytes({0xFF}), {}, out);
    EXPECT_EQ(out, Bytes({0xFF}));
}

// Each mark cut at every place across two reads decodes as if whole.
TEST(RxDecodeSplit, EveryCutOfEveryMark)
{
    TRxDecodeRules replace;
    replace.Replace = true;
    replace.ReplaceChar = '#';
    struct TCase {
        std::string Raw;
        TRxDecodeRules Rules;
    };
    const TCase cases[] = {
        {Bytes({0x41, 0xFF, 0xFF, 0x42}), {}},
        {Bytes({0x41, 0xFF, 0x00, 0x00, 0x42}), {}},
        {Bytes({0x41, 0xFF, 0x00, 0x66, 0x42}), {}},
        {Bytes({0x41, 0xFF, 0x00, 0x66, 0x42}), replace},
        {Bytes({0x41, 0xFF, 0x43, 0x42}), {}},
        {Bytes({0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x01, 0xFF, 0xFF}), {}},
    };
    for (const TCase& c : cases) {
        const TResult whole = DecodeAll(c.Raw, c.Rules);
        for (std::size_t cut = 0; cut <= c.Raw.size(); ++cut) {
            TRxDecoder d;
            std::string out;
            const TRxDecoded a = d.Decode(std::string_view(c.Raw).substr(0, cut), c.Rules, out);
            const TRxDecoded b = d.Decode(std::string_view(c.Raw).substr(cut), c.Rules, out);
            SCOPED_TRACE("cut " + std::to_string(cut) + " of case " + std::to_string(&c - cases));
            EXPECT_EQ(out, whole.Out);
            EXPECT_EQ(a.Breaks + b.Breaks, whole.Breaks);
            EXPECT_EQ(a.Errors + b.Errors, whole.Errors);
        }
    }
}

TEST(RxDecodeSplit, MarkFedOneByteAtATime)
{
    TRxDecoder d;
    std::string out;
    int breaks = 0, errors = 0;
    for (char c : Bytes({0xFF, 0x00, 0x00, 0xFF, 0x00, 0x21, 0xFF, 0xFF, 0x30})) {
        const TRxDecoded told = d.Decode(std::string_view(&c, 1), {}, out);
        breaks += told.Breaks;
        errors += told.Errors;
    }
    EXPECT_EQ(out, Bytes({0x21, 0xFF, 0x30}));
    EXPECT_EQ(breaks, 1);
    EXPECT_EQ(errors, 1);
}

TEST(RxDecodeSplit, ResetForgetsAMarkCutShort)
{
    TRxDecoder d;
    std::string out;
    d.Decode(Bytes({0x31, 0xFF, 0x00}), {}, out);
    d.Reset();
    const TRxDecoded told = d.Decode(Bytes({0x00, 0x32}), {}, out);
    EXPECT_EQ(out, Bytes({0x31, 0x00, 0x32}));
    EXPECT_EQ(told.Breaks, 0);
}

// What the line discipline would hand over for a random mix of data, bad
// bytes and breaks, cut into random pieces, gives the mix back.
TEST(RxDecodeStream, RandomStreamInRandomPieces)
{
    std::mt19937 rng(20240611);
    for (int round = 0; round < 4; ++round) {
        const bool replace = round % 2 == 1;
        TRxDecodeRules rules;
        rules.Replace = replace;
        rules.ReplaceChar = '~';
        std::string raw, expected;
        int breaks = 0, errors = 0;
        for (int i = 0; i < 300000; ++i) {
            const unsigned kind = rng() % 100;
            if (kind == 0) {
                raw += Bytes({0xFF, 0x00, 0x00});
                ++breaks;
            } else if (kind == 1) {
                const char bad = char(1 + rng() % 255);
                raw += Bytes({0xFF, 0x00});
                raw += bad;
                expected += replace ? '~' : bad;
                ++errors;
            } else {
                // Plenty of 0xFF and zeros, the bytes that matter.
                const unsigned pick = rng() % 8;
                const char b = pick == 0 ? char(0xFF) : pick == 1 ? char(0) : char(rng() % 256);
                raw += b;
                if (static_cast<unsigned char>(b) == 0xFF)
                    raw += b;
                expected += b;
            }
        }
        TRxDecoder d;
        std::string out;
        int gotBreaks = 0, gotErrors = 0;
        std::size_t at = 0;
        while (at < raw.size()) {
            const std::size_t n = std::min<std::size_t>(raw.size() - at, 1 + rng() % (round < 2 ? 7 : 5000));
            const TRxDecoded told = d.Decode(std::string_view(raw).substr(at, n), rules, out);
            gotBreaks += told.Breaks;
            gotErrors += told.Errors;
            at += n;
        }
        ASSERT_EQ(out.size(), expected.size()) << "round " << round;
        EXPECT_TRUE(out == expected) << "round " << round;
        EXPECT_EQ(gotBreaks, breaks);
        EXPECT_EQ(gotErrors, errors);
    }
}
