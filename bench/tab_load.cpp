// Processor tables: loading a large table against reading its bytes in plain
// C++, and describing every mnemonic against building the same lines from
// ready-made text.
#include "platform/FileIo.h"
#include "processor/U_TabFile.h"
#include "support/RatioMain.h"
#include "tools/TabDesc.h"
#include "tools/TabWriter.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// As many keywords as the large name area holds, 1,000 mnemonics with three
// variants each, operand items, alternatives and a two-entry operand list.
std::string Description()
{
    std::string d = "title Banc d'essai\nkeywords ^R0";
    for (int i = 1; i < 400; ++i)
        d += " R" + std::to_string(i);
    d += "\n";
    for (int i = 1; i <= 50; ++i)
        d += "value R" + std::to_string(i) + " " + std::to_string(i % 10) + " 00 00\n";
    d += "alt pair R1 R2 R3\n";
    for (int t = 1; t <= 40; ++t)
        d += "item t" + std::to_string(t) + " type " + std::to_string(t) + "\n";
    d += "item a alt pair\nitem v value R7\nitem s kw R9\nlist two t1 a\n";
    for (int m = 0; m < 1000; ++m) {
        const std::string t = "t" + std::to_string(1 + m % 40);
        d += "mnemonic OP" + std::to_string(m) + "\n";
        d += "  encoding 01 02 : item " + t + " kw R5 item a\n";
        d += "  encoding long 03 04 05 06 07 : list two kw R5 item v\n";
        d += "  encoding 08 : item s qkw R12 comma\n";
    }
    return d;
}

struct TTable {
    std::string Path;
    TTable()
    {
        kep::TTabDesc desc;
        std::string error, bytes;
        if (!kep::ParseTabDesc(Description(), desc, &error) || !kep::BuildTab(desc, bytes, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::exit(1);
        }
        Path = "/tmp/kep_bench_tab_" + std::to_string(getpid()) + ".tab";
        if (!kep::WriteFileAtomic(Path, bytes, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::exit(1);
        }
    }
    ~TTable() { std::remove(Path.c_str()); }
};

const TTable& Table()
{
    static TTable table;
    return table;
}

void BM_ReadFloor(benchmark::State& state)
{
    const std::string& path = Table().Path;
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
        in.seekg(0);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_ReadFloor);

void BM_TabLoad(benchmark::State& state)
{
    const std::string& path = Table().Path;
    for (auto _ : state) {
        kep::TTabFile tab;
        if (!tab.Load(path))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(tab.Mnemonics().data());
    }
}
BENCHMARK(BM_TabLoad);

// The lines every mnemonic gives, built once.
struct TExpected {
    kep::TTabFile Tab;
    std::vector<std::vector<std::string>> Lines, Types;
    TExpected()
    {
        Tab.Load(Table().Path);
        for (const std::string& m : Tab.Mnemonics()) {
            Lines.emplace_back();
            Types.emplace_back();
            Tab.Describe(m, Lines.back(), Types.back());
        }
    }
};

const TExpected& Expected()
{
    static TExpected expected;
    return expected;
}

void BM_DescribeFloor(benchmark::State& state)
{
    const TExpected& e = Expected();
    std::vector<std::string> lines, types;
    for (auto _ : state) {
        for (std::size_t k = 0; k < e.Lines.size(); ++k) {
            lines.clear();
            types.clear();
            for (const std::string& l : e.Lines[k])
                lines.push_back(l);
            for (const std::string& t : e.Types[k])
                types.push_back(t);
            benchmark::DoNotOptimize(lines.data());
        }
    }
}
BENCHMARK(BM_DescribeFloor);

void BM_LookupAll(benchmark::State& state)
{
    const TExpected& e = Expected();
    for (auto _ : state)
        for (const std::string& m : e.Tab.Mnemonics())
            benchmark::DoNotOptimize(e.Tab.IndexOfMnemonic(m));
}
BENCHMARK(BM_LookupAll);

void BM_DescribeAll(benchmark::State& state)
{
    const TExpected& e = Expected();
    std::vector<std::string> lines, types;
    for (auto _ : state) {
        for (const std::string& m : e.Tab.Mnemonics()) {
            e.Tab.Describe(m, lines, types);
            benchmark::DoNotOptimize(lines.data());
        }
    }
}
BENCHMARK(BM_DescribeAll);

} // namespace

int main(int argc, char** argv)
{
    return kepbench::RunWithRatios(argc, argv,
                                   {{"BM_TabLoad", "BM_ReadFloor"},
                                    {"BM_DescribeAll", "BM_DescribeFloor"},
                                    {"BM_DescribeAll", "BM_ReadFloor"}});
}
