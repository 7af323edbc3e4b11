#pragma once
// keptool subcommands. Each format adds its entries to the table in main.cpp
// and its functions in a file of its own.
#include <string>
#include <vector>

namespace kep::tool {

using TArgs = std::vector<std::string>;

struct TCommand {
    const char* Name;
    const char* Usage;   // arguments, after the command name
    const char* Summary; // one line for the help
    std::size_t MinArgs;
    std::size_t MaxArgs;
    int (*Run)(const TArgs& args);
};

// Processor tables (.tab).
int TabMake(const TArgs& args);
int TabDump(const TArgs& args);

// The processor table KEP chooses for a source.
int TableFor(const TArgs& args);

// Program images (.cod).
int CodDump(const TArgs& args);
// The code generated for a source line, as "Montre code généré" shows it.
int Code(const TArgs& args);

// A new project: project file, make file and main source.
int NewProject(const TArgs& args);

// Project archives (.zip).
int Zip(const TArgs& args);

} // namespace kep::tool
