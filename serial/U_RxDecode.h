#pragma once
// Received bytes as the Unix line discipline hands them over when it is
// asked to mark errors (PARMRK): a real 0xFF comes doubled, a byte with a
// parity or framing error comes as FF 00 x, and a break as FF 00 00. The
// decoder undoes the marks, counts what they told, and carries a mark cut
// between two reads over to the next one.
#include <cstddef>
#include <string>
#include <string_view>

namespace kep {

struct TRxDecodeRules {
    bool Replace = false;    // a byte received with an error becomes ReplaceChar
    char ReplaceChar = 0;
    bool DiscardNull = false; // received zero bytes are dropped
};

struct TRxDecoded {
    int Breaks = 0;  // breaks seen in this piece
    int Errors = 0;  // bytes received with a parity or framing error
};

class TRxDecoder {
public:
    // Appends the data of `raw` to `out` and tells the marks it met.
    TRxDecoded Decode(std::string_view raw, const TRxDecodeRules& rules, std::string& out);
    // Forgets a mark cut short (the port closed or reopened).
    void Reset() { Pending_ = 0; }

private:
    int Pending_ = 0; // bytes of a mark already seen: 0, 1 (FF) or 2 (FF 00)
};

} // namespace kep
