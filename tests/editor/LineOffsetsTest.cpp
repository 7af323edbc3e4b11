// The offset index against a plain list of line lengths: every operation a
// text's lines go through, at random places, then every query checked.
#include "editor/LineOffsets.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace {

void Check(const TLineOffsets& idx, const std::vector<std::int32_t>& model)
{
    ASSERT_EQ(idx.LineCount(), std::int32_t(model.size()));
    std::int64_t start = 0;
    for (std::size_t i = 0; i < model.size(); ++i) {
        ASSERT_EQ(idx.Length(std::int32_t(i)), model[i]) << "line " << i;
        ASSERT_EQ(idx.LineStart(std::int32_t(i)), start) << "line " << i;
        // The first and last offsets of the line, its break included.
        ASSERT_EQ(idx.LineAt(start), std::int32_t(i));
        ASSERT_EQ(idx.LineAt(start + model[i]), std::int32_t(i));
        start += model[i] + 1;
    }
    ASSERT_EQ(idx.LineStart(std::int32_t(model.size())), start);
    ASSERT_EQ(idx.CharCount(), model.empty() ? 0 : start - 1);
}

} // namespace

TEST(LineOffsets, SmallTextByHand)
{
    TLineOffsets idx;
    idx.Reset({3, 0, 5}); // "abc\n\nhello"
    EXPECT_EQ(idx.CharCount(), 10);
    EXPECT_EQ(idx.LineStart(1), 4);
    EXPECT_EQ(idx.LineStart(2), 5);
    EXPECT_EQ(idx.LineAt(3), 0);  // the break after "abc"
    EXPECT_EQ(idx.LineAt(4), 1);
    EXPECT_EQ(idx.LineAt(10), 2); // the end of the text
    EXPECT_EQ(idx.LineAt(99), 2);
    EXPECT_EQ(idx.LineAt(-4), 0);
    idx.SetLength(0, 1);
    EXPECT_EQ(idx.LineStart(2), 3);
    idx.Erase(0, 2);
    EXPECT_EQ(idx.CharCount(), 5);
    EXPECT_EQ(idx.LineStart(0), 0);
    idx.Insert(1, {2, 2});
    EXPECT_EQ(idx.LineStart(2), 9);
    TLineOffsets empty;
    EXPECT_EQ(empty.CharCount(), 0);
    EXPECT_EQ(empty.LineAt(5), 0);
}

TEST(LineOffsets, RandomEditsAgreeWithPlainLengths)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 20; ++round) {
        std::vector<std::int32_t> model(std::size_t(rng() % 50 + 1));
        for (auto& l : model)
            l = std::int32_t(rng() % 30);
        TLineOffsets idx;
        idx.Reset(model);
        for (int op = 0; op < 150; ++op) {
            const auto n = std::int32_t(model.size());
            switch (rng() % 3) {
            case 0:
                if (n > 0) {
                    const std::int32_t i = std::int32_t(rng() % std::uint32_t(n));
                    model[std::size_t(i)] = std::int32_t(rng() % 100);
                    idx.SetLength(i, model[std::size_t(i)]);
                }
                break;
            case 1: {
                const std::int32_t at = std::int32_t(rng() % std::uint32_t(n + 1));
                std::vector<std::int32_t> add(std::size_t(rng() % 4 + 1));
                for (auto& l : add)
                    l = std::int32_t(rng() % 40);
                model.insert(model.begin() + at, add.begin(), add.end());
                idx.Insert(at, add);
                break;
            }
            default:
                if (n > 1) {
                    const std::int32_t first = std::int32_t(rng() % std::uint32_t(n));
                    const std::int32_t count = std::min<std::int32_t>(n - first, std::int32_t(rng() % 4 + 1));
                    model.erase(model.begin() + first, model.begin() + first + count);
                    idx.Erase(first, count);
                }
                break;
            }
            Check(idx, model);
            if (HasFatalFailure())
                return;
        }
    }
}

// A million lines stay shallow: a query walks a few dozen nodes.
TEST(LineOffsets, MillionLines)
{
    std::vector<std::int32_t> lengths(1000000);
    for (std::size_t i = 0; i < lengths.size(); ++i)
        lengths[i] = std::int32_t(i % 40);
    TLineOffsets idx;
    idx.Reset(lengths);
    const std::int64_t total = std::accumulate(lengths.begin(), lengths.end(), std::int64_t(0)) + 999999;
    EXPECT_EQ(idx.CharCount(), total);
    EXPECT_EQ(idx.LineAt(total), 999999);
    EXPECT_EQ(idx.LineStart(999999), total - lengths.back());
    idx.Insert(500000, {7});
    idx.Erase(0, 1);
    idx.SetLength(999999, 3);
    EXPECT_EQ(idx.LineCount(), 1000000);
    EXPECT_EQ(idx.CharCount(), total + 8 - 1 + 3 - lengths.back());
}
