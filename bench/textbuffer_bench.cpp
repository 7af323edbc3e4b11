// The text buffer on a generated 1,000,000-line source: loading, typing at the
// end, undoing and searching, each beside a floor measured in the same run.
#include "editor/TextBuffer.h"
#include "platform/FileIo.h"
#include "support/RatioMain.h"

#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

constexpr int BigLines = 1000000;

std::string GenerateSource(int lines)
{
    static const char* ops[] = {"movlw", "movwf", "addwf", "btfss", "goto", "call", "decfsz", "bsf"};
    std::string s;
    s.reserve(std::size_t(lines) * 34);
    for (int i = 0; i < lines; ++i) {
        if (i % 50 == 0)
            s += "label" + std::to_string(i) + ":";
        s += "\t";
        s += ops[i % 8];
        s += "\t0x" + std::to_string(i % 97) + ",F\t; step " + std::to_string(i % 1000);
        if (i + 1 < lines)
            s += "\r\n";
    }
    return s;
}

const std::string& BigFile()
{
    static std::string path = [] {
        std::string p = "/tmp/kep-bench-textbuffer-" + std::to_string(getpid()) + ".asm";
        std::ofstream f(p, std::ios::binary);
        std::string text = GenerateSource(BigLines);
        f.write(text.data(), std::streamsize(text.size()));
        return p;
    }();
    return path;
}

void Floor_ReadAndSplit(benchmark::State& state)
{
    for (auto _ : state) {
        std::string bytes;
        kep::ReadWholeFile(BigFile(), bytes);
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (;;) {
            std::size_t end = bytes.find('\r', start);
            if (end == std::string::npos) {
                lines.emplace_back(bytes.substr(start));
                break;
            }
            lines.emplace_back(bytes.substr(start, end - start));
            start = end + 2;
        }
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(Floor_ReadAndSplit)->Unit(benchmark::kMillisecond);

void Load(benchmark::State& state)
{
    for (auto _ : state) {
        TTextBuffer b;
        b.LoadFromFile(BigFile());
        benchmark::DoNotOptimize(b.LineCount());
    }
}
BENCHMARK(Load)->Unit(benchmark::kMillisecond);

void Type1000(benchmark::State& state)
{
    const int lines = int(state.range(0));
    TTextBuffer b;
    b.SetAllText(GenerateSource(lines));
    b.MaxLineWidth(); // the widest line is known once the text is shown
    for (auto _ : state) {
        b.SetCaret({b.LineCount() - 1, 1 << 30});
        for (int i = 0; i < 1000; ++i)
            b.TypeChar(static_cast<unsigned char>('a' + i % 26));
        state.PauseTiming();
        b.SetLine(b.LineCount() - 1, "");
        state.ResumeTiming();
    }
}
BENCHMARK(Type1000)->Arg(10)->Arg(BigLines)->Unit(benchmark::kMicrosecond);

void Undo1000(benchmark::State& state)
{
    const int lines = int(state.range(0));
    TTextBuffer b;
    b.SetAllText(GenerateSource(lines));
    b.MaxLineWidth();
    for (auto _ : state) {
        state.PauseTiming();
        b.SetCaret({b.LineCount() - 1, 1 << 30});
        for (int i = 0; i < 1000; ++i)
            b.TypeChar(static_cast<unsigned char>('a' + i % 26));
        state.ResumeTiming();
        for (int i = 0; i < 1000; ++i)
            b.Undo();
    }
}
BENCHMARK(Undo1000)->Arg(10)->Arg(BigLines)->Unit(benchmark::kMicrosecond);

void Floor_Memmem(benchmark::State& state)
{
    std::string bytes;
    kep::ReadWholeFile(BigFile(), bytes);
    for (auto _ : state)
        benchmark::DoNotOptimize(memmem(bytes.data(), bytes.size(), "zzz_absent", 10));
}
BENCHMARK(Floor_Memmem)->Unit(benchmark::kMillisecond);

void SearchWhole(benchmark::State& state)
{
    TTextBuffer b;
    b.LoadFromFile(BigFile());
    for (auto _ : state)
        benchmark::DoNotOptimize(b.SearchText("zzz_absent", soMatchCase));
}
BENCHMARK(SearchWhole)->Unit(benchmark::kMillisecond);

void SearchWholeNoCase(benchmark::State& state)
{
    TTextBuffer b;
    b.LoadFromFile(BigFile());
    for (auto _ : state)
        benchmark::DoNotOptimize(b.SearchText("zzz_absent", 0));
}
BENCHMARK(SearchWholeNoCase)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    const int rc = kepbench::RunWithRatios(argc, argv,
                                           {{"Load", "Floor_ReadAndSplit"},
                                            {"Type1000/1000000", "Type1000/10"},
                                            {"Undo1000/1000000", "Undo1000/10"},
                                            {"SearchWhole", "Floor_Memmem"},
                                            {"SearchWholeNoCase", "Floor_Memmem"}});
    unlink(BigFile().c_str());
    return rc;
}
