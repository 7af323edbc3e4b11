#pragma once
// Readable listing of a loaded processor table, for `keptool tab-dump`.
#include "platform/CodePage.h" // AnsiToUtf8, for the texts listed
#include "processor/U_TabFile.h"

#include <string>
#include <string_view>

namespace kep {

// The keyword, mnemonic and named-value lists, then for every mnemonic its
// Describe lines and argument types. The table's Windows-1252 texts are
// converted, so the whole listing is UTF-8.
std::string DumpTab(const TTabFile& tab);

} // namespace kep
