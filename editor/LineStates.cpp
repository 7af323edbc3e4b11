#include "editor/LineStates.h"

#include "editor/TextBuffer.h"
#include "editor/U_Syntaxe.h"

#include <algorithm>

namespace kep {

TStateUpdate BringStatesUpTo(TTextBuffer& buffer, std::int32_t line)
{
    TStateUpdate update;
    const std::int32_t count = buffer.LineCount();
    if (count <= 0 || line < 0)
        return update;
    line = std::min(line, count - 1);
    const std::int32_t valid = std::clamp(buffer.StateValidBefore(), std::int32_t(0), count);
    if (valid > line)
        return update;
    const auto store = [&](std::int32_t i, std::uint32_t state) {
        if (std::uint32_t(buffer.LineState(i)) == state)
            return;
        buffer.SetLineState(i, std::int32_t(state));
        if (update.First < 0)
            update.First = i;
        update.Last = i;
    };
    // The line at the mark may hold a state that an insertion or deletion
    // moved there, so it is recomputed from the line before.
    std::int32_t i = valid;
    if (i == 0) {
        store(0, 0);
        i = 1;
    }
    std::uint32_t state = std::uint32_t(buffer.LineState(i - 1));
    for (; i <= line; ++i) {
        state = NextState(state, buffer.GetLine(i - 1));
        store(i, state);
    }
    buffer.SetStateValidBefore(line + 1);
    return update;
}

} // namespace kep
