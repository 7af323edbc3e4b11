#pragma once
// Character offsets of the lines of a text, each line break counting one:
// what an accessibility client counts in. A balanced tree (a treap ordered by
// line number) keeps, for every subtree, its line count and its characters,
// so that a changed line, inserted or removed lines, the offset of a line and
// the line of an offset each cost O(log n), never a walk over the text.
#include <cstdint>
#include <string_view>
#include <vector>

class TLineOffsets {
public:
    // The index of a text whose lines have these lengths.
    void Reset(const std::vector<std::int32_t>& lengths);
    std::int32_t LineCount() const { return Count(Root_); }
    // Characters of the text: every line and the breaks between them.
    std::int64_t CharCount() const { return Root_ < 0 ? 0 : Nodes_[std::size_t(Root_)].Sum - 1; }
    std::int32_t Length(std::int32_t line) const;
    // Offset of the first character of a line (0 <= line <= LineCount()).
    std::int64_t LineStart(std::int32_t line) const;
    // The line holding an offset; an offset on a line break belongs to the
    // line it ends. Offsets outside the text are clamped.
    std::int32_t LineAt(std::int64_t offset) const;

    void SetLength(std::int32_t line, std::int32_t length);
    void Insert(std::int32_t at, const std::vector<std::int32_t>& lengths);
    void Erase(std::int32_t first, std::int32_t count);

private:
    struct TNode {
        std::int32_t Left = -1, Right = -1;
        std::uint32_t Priority = 0;
        std::int32_t Len = 0;
        std::int32_t Count = 1;  // lines in the subtree
        std::int64_t Sum = 1;    // characters in the subtree, a break after each line
    };
    std::int32_t Count(std::int32_t n) const { return n < 0 ? 0 : Nodes_[std::size_t(n)].Count; }
    std::int64_t Sum(std::int32_t n) const { return n < 0 ? 0 : Nodes_[std::size_t(n)].Sum; }
    void Update(std::int32_t n);
    std::int32_t NewNode(std::int32_t len);
    // A subtree of the lengths in order, in linear time.
    std::int32_t Build(const std::vector<std::int32_t>& lengths);
    void UpdateAll(std::int32_t n);
    void Split(std::int32_t t, std::int32_t k, std::int32_t& left, std::int32_t& right);
    std::int32_t Merge(std::int32_t a, std::int32_t b);
    void Free(std::int32_t n);
    std::uint32_t Random();

    std::vector<TNode> Nodes_;
    std::vector<std::int32_t> FreeList_;
    std::vector<std::int32_t> Path_; // reused by SetLength
    std::int32_t Root_ = -1;
    std::uint32_t Seed_ = 0x9E3779B9u;
};
