#pragma once
// The assembler's directives: the names the colouring shows in the directive
// style and, for each, the topic of the assembler's help file that F1 opens.
#include <span>
#include <string_view>

namespace kep {

struct TDirective {
    const char* Name;
    int HelpContext; // 0: the help file has no topic of its own
};

// The directives, in the help file's order.
std::span<const TDirective> Directives();

// Help context of a directive; the name is compared exactly (callers
// upper-case it first). -1 when the name is not a directive.
int DirectiveHelpContext(std::string_view name);

} // namespace kep
