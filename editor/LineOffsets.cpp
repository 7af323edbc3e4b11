#include "editor/LineOffsets.h"

#include <algorithm>

std::uint32_t TLineOffsets::Random()
{
    // xorshift: cheap, and the same tree shape from run to run.
    Seed_ ^= Seed_ << 13;
    Seed_ ^= Seed_ >> 17;
    Seed_ ^= Seed_ << 5;
    return Seed_;
}

void TLineOffsets::Update(std::int32_t n)
{
    TNode& x = Nodes_[std::size_t(n)];
    x.Count = 1 + Count(x.Left) + Count(x.Right);
    x.Sum = std::int64_t(x.Len) + 1 + Sum(x.Left) + Sum(x.Right);
}

std::int32_t TLineOffsets::NewNode(std::int32_t len)
{
    std::int32_t n;
    if (!FreeList_.empty()) {
        n = FreeList_.back();
        FreeList_.pop_back();
    } else {
        n = std::int32_t(Nodes_.size());
        Nodes_.emplace_back();
    }
    TNode& x = Nodes_[std::size_t(n)];
    x = TNode{};
    x.Priority = Random();
    x.Len = len;
    x.Sum = std::int64_t(len) + 1;
    return n;
}

std::int32_t TLineOffsets::Build(const std::vector<std::int32_t>& lengths)
{
    // A Cartesian tree on random priorities: the right spine on a stack.
    std::vector<std::int32_t> spine;
    for (std::int32_t len : lengths) {
        const std::int32_t n = NewNode(len);
        std::int32_t last = -1;
        while (!spine.empty() && Nodes_[std::size_t(spine.back())].Priority < Nodes_[std::size_t(n)].Priority) {
            last = spine.back();
            spine.pop_back();
        }
        Nodes_[std::size_t(n)].Left = last;
        if (!spine.empty())
            Nodes_[std::size_t(spine.back())].Right = n;
        spine.push_back(n);
    }
    if (spine.empty())
        return -1;
    UpdateAll(spine.front());
    return spine.front();
}

void TLineOffsets::UpdateAll(std::int32_t n)
{
    // Post-order without recursion: a degenerate shape cannot exhaust the stack.
    std::vector<std::pair<std::int32_t, bool>> stack{{n, false}};
    while (!stack.empty()) {
        auto [node, done] = stack.back();
        stack.pop_back();
        if (done) {
            Update(node);
            continue;
        }
        stack.push_back({node, true});
        const TNode& x = Nodes_[std::size_t(node)];
        if (x.Left >= 0)
            stack.push_back({x.Left, false});
        if (x.Right >= 0)
            stack.push_back({x.Right, false});
    }
}

void TLineOffsets::Split(std::int32_t t, std::int32_t k, std::int32_t& left, std::int32_t& right)
{
    if (t < 0) {
        left = right = -1;
        return;
    }
    TNode& x = Nodes_[std::size_t(t)];
    if (Count(x.Left) >= k) {
        std::int32_t l = -1, r = -1;
        Split(x.Left, k, l, r);
        Nodes_[std::size_t(t)].Left = r;
        Update(t);
        left = l;
        right = t;
    } else {
        std::int32_t l = -1, r = -1;
        Split(x.Right, k - Count(x.Left) - 1, l, r);
        Nodes_[std::size_t(t)].Right = l;
        Update(t);
        left = t;
        right = r;
    }
}

std::int32_t TLineOffsets::Merge(std::int32_t a, std::int32_t b)
{
    if (a < 0)
        return b;
    if (b < 0)
        return a;
    if (Nodes_[std::size_t(a)].Priority > Nodes_[std::size_t(b)].Priority) {
        const std::int32_t r = Merge(Nodes_[std::size_t(a)].Right, b);
        Nodes_[std::size_t(a)].Right = r;
        Update(a);
        return a;
    }
    const std::int32_t l = Merge(a, Nodes_[std::size_t(b)].Left);
    Nodes_[std::size_t(b)].Left = l;
    Update(b);
    return b;
}

void TLineOffsets::Free(std::int32_t n)
{
    std::vector<std::int32_t> stack;
    if (n >= 0)
        stack.push_back(n);
    while (!stack.empty()) {
        const std::int32_t x = stack.back();
        stack.pop_back();
        if (Nodes_[std::size_t(x)].Left >= 0)
            stack.push_back(Nodes_[std::size_t(x)].Left);
        if (Nodes_[std::size_t(x)].Right >= 0)
            stack.push_back(Nodes_[std::size_t(x)].Right);
        FreeList_.push_back(x);
    }
}

void TLineOffsets::Reset(const std::vector<std::int32_t>& lengths)
{
    Nodes_.clear();
    FreeList_.clear();
    Nodes_.reserve(lengths.size());
    Root_ = Build(lengths);
}

std::int32_t TLineOffsets::Length(std::int32_t line) const
{
    std::int32_t n = Root_;
    while (n >= 0) {
        const TNode& x = Nodes_[std::size_t(n)];
        const std::int32_t left = Count(x.Left);
        if (line < left) {
            n = x.Left;
        } else if (line == left) {
            return x.Len;
        } else {
            line -= left + 1;
            n = x.Right;
        }
    }
    return 0;
}

std::int64_t TLineOffsets::LineStart(std::int32_t line) const
{
    std::int64_t offset = 0;
    std::int32_t n = Root_;
    while (n >= 0) {
        const TNode& x = Nodes_[std::size_t(n)];
        const std::int32_t left = Count(x.Left);
        if (line <= left) {
            n = x.Left;
        } else {
            offset += Sum(x.Left) + x.Len + 1;
            line -= left + 1;
            n = x.Right;
        }
    }
    return offset;
}

std::int32_t TLineOffsets::LineAt(std::int64_t offset) const
{
    if (Root_ < 0)
        return 0;
    offset = std::clamp<std::int64_t>(offset, 0, CharCount());
    std::int32_t line = 0;
    std::int32_t n = Root_;
    while (n >= 0) {
        const TNode& x = Nodes_[std::size_t(n)];
        if (offset < Sum(x.Left)) {
            n = x.Left;
            continue;
        }
        offset -= Sum(x.Left);
        if (offset <= x.Len)
            return line + Count(x.Left);
        offset -= std::int64_t(x.Len) + 1;
        line += Count(x.Left) + 1;
        n = x.Right;
    }
    return std::max(0, line - 1);
}

void TLineOffsets::SetLength(std::int32_t line, std::int32_t length)
{
    // Down to the line, then the new length into every sum on the path.
    Path_.clear();
    std::int32_t n = Root_;
    while (n >= 0) {
        Path_.push_back(n);
        const TNode& x = Nodes_[std::size_t(n)];
        const std::int32_t left = Count(x.Left);
        if (line < left) {
            n = x.Left;
        } else if (line == left) {
            const std::int64_t delta = std::int64_t(length) - x.Len;
            Nodes_[std::size_t(n)].Len = length;
            for (const std::int32_t p : Path_)
                Nodes_[std::size_t(p)].Sum += delta;
            return;
        } else {
            line -= left + 1;
            n = x.Right;
        }
    }
}

void TLineOffsets::Insert(std::int32_t at, const std::vector<std::int32_t>& lengths)
{
    if (lengths.empty())
        return;
    at = std::clamp(at, 0, LineCount());
    std::int32_t left = -1, right = -1;
    Split(Root_, at, left, right);
    Root_ = Merge(Merge(left, Build(lengths)), right);
}

void TLineOffsets::Erase(std::int32_t first, std::int32_t count)
{
    first = std::clamp(first, 0, LineCount());
    count = std::clamp(count, 0, LineCount() - first);
    if (count == 0)
        return;
    std::int32_t left = -1, rest = -1, middle = -1, right = -1;
    Split(Root_, first, left, rest);
    Split(rest, count, middle, right);
    Free(middle);
    Root_ = Merge(left, right);
}
