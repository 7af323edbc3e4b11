#pragma once
#include <compare>
#include <cstdint>

// A position in a text: 0-based line, 1-based column. Column = length + 1 is
// the end of the line.
struct TTextPos {
    std::int32_t Line = 0;
    std::int32_t Col = 1;

    friend bool operator==(const TTextPos&, const TTextPos&) = default;
    friend std::strong_ordering operator<=>(const TTextPos& a, const TTextPos& b)
    {
        if (auto c = a.Line <=> b.Line; c != 0)
            return c;
        return a.Col <=> b.Col;
    }
};
