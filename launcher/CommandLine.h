#pragma once
// Splits the one command line KepPipes receives into the program and its
// arguments, the way a POSIX shell quotes words but without any expansion:
// no globbing, no variables, no redirections.
#include <string>
#include <string_view>
#include <vector>

namespace kep {

// Words are separated by spaces, tabs and line ends. Inside single quotes
// every character is literal; inside double quotes a backslash escapes only
// '"', '\\', '$', '`' and a line end; outside quotes a backslash escapes any
// character and a backslash-line end joins lines. A quote left open runs to
// the end of the text; a lone trailing backslash stays a backslash. Empty
// quotes ("" or '') make an empty word.
std::vector<std::string> SplitCommandLine(std::string_view line);

} // namespace kep
