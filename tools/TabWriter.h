#pragma once
// Writes a processor table (".tab") from its resolved description.
#include "tools/TabDesc.h"

#include <cstddef>
#include <string>

namespace kep {

// Where each part landed in the file, for tests that damage a table on
// purpose.
struct TTabLayout {
    std::size_t Header = 0;
    std::size_t Names = 0, NamesSize = 0;
    std::size_t AreaA = 0, AreaB = 0, AreaC = 0, MnemonicString = 0, AreaD = 0, ValueRecords = 0;
    std::size_t TableOA = 0, TableOB = 0, TableOC = 0, TableOD = 0;
    std::size_t End = 0;
};

// Builds the file's bytes. Fails with a French message when a part is too
// large for its 16-bit count or offsets, or the keywords do not fit the name
// area.
bool BuildTab(const TTabDesc& desc, std::string& bytes, std::string* error, TTabLayout* layout = nullptr);

} // namespace kep
