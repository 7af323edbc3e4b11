// Processor descriptions and QDX topics: reading a large description file
// and building a large topic tree, each against splitting the same bytes
// into lines in plain C++ (the least any reader has to do).
#include "processor/U_Proc.h"
#include "processor/U_SujetsAide.h"
#include "support/RatioMain.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

// Blocks 1 to 6, then 20,000 instructions in 40 groups (the last ten share
// the 31st group's bit), each with a description.
const std::string& Description()
{
    static const std::string d = [] {
        std::string s = "OPTS\r\nA;B\r\n\r\nREG\tX=01;Y=02:\r\n  Z=03\r\n\r\nbloc3\r\n\r\nN\t1\r\n\r\nV\t2\r\n\r\n"
                        "G\tA;B\r\n\r\n";
        for (int i = 0; i < 20000; ++i) {
            s += "OP" + std::to_string(i) + "\t" + std::to_string(i % 7) + "\r\n";
            s += ";Opération numéro " + std::to_string(i) + "~Groupe" + std::to_string(i % 40) + "~Groupe" +
                 std::to_string((i / 40) % 40) + "!reste\r\n";
        }
        return s;
    }();
    return d;
}

// 30,000 topics on three levels, each with four lines of text.
const std::string& Sujets()
{
    static const std::string t = [] {
        std::string s;
        for (int i = 0; i < 30000; ++i) {
            s += "$$" + std::to_string(1 + i % 3) + ":Sujet " + std::to_string(i) + "\r\n";
            for (int l = 0; l < 4; ++l)
                s += "  Ligne de texte du sujet, assez longue pour ressembler à une vraie ligne.\r\n";
        }
        return s + "$$0\r\n";
    }();
    return t;
}

std::vector<std::string_view> Split(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.push_back(bytes.substr(pos));
            break;
        }
        lines.push_back(bytes.substr(pos, end - pos));
        pos = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

void BM_LinesFloorDescription(benchmark::State& state)
{
    for (auto _ : state) {
        auto lines = Split(Description());
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_LinesFloorDescription);

void BM_ProcLoad(benchmark::State& state)
{
    for (auto _ : state) {
        kep::TProcesseur proc;
        proc.LoadFromBytes(Description());
        if (proc.Count() != 20000)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(proc.Instructions().data());
    }
}
BENCHMARK(BM_ProcLoad);

void BM_LinesFloorTopics(benchmark::State& state)
{
    for (auto _ : state) {
        auto lines = Split(Sujets());
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_LinesFloorTopics);

void BM_TopicTree(benchmark::State& state)
{
    for (auto _ : state) {
        const std::vector<std::string> lines = kep::LignesAide(Sujets());
        const std::vector<kep::TSujet> tree = kep::ConstruitSujets(lines);
        if (tree.size() != 30000)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(tree.data());
    }
}
BENCHMARK(BM_TopicTree);

} // namespace

int main(int argc, char** argv)
{
    return kepbench::RunWithRatios(argc, argv, {{"BM_ProcLoad", "BM_LinesFloorDescription"},
                                                {"BM_TopicTree", "BM_LinesFloorTopics"}});
}
