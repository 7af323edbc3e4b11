#pragma once
// Lazy upkeep of the colouring state stored with each line of a text.
//
// The buffer promises that the states of the lines before StateValidBefore()
// are right; every edit lowers that mark to the edited line. The painter asks
// for the states it is about to use, and only those are computed.
#include <cstdint>

class TTextBuffer;

namespace kep {

// Lines whose stored state changed, to be repainted: [First, Last], both -1
// when none did.
struct TStateUpdate {
    std::int32_t First = -1;
    std::int32_t Last = -1;
    bool Any() const { return First >= 0; }
};

// Makes the stored states of lines 0..line right, computing them in order
// from the last valid one, and leaves StateValidBefore() just after line.
// Lines below are left alone. A line outside the text is clamped to it.
TStateUpdate BringStatesUpTo(TTextBuffer& buffer, std::int32_t line);

} // namespace kep
