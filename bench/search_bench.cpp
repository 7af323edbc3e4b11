// Searching a whole project the way "Les fichiers du projet" does (each file
// loaded into a text buffer, scanned, closed) beside grep -r -c over the same
// files; and a replace-all whose hits double, which must take about twice as
// long, not four times.
#include "editor/U_Recherche.h"
#include "support/RatioMain.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr int Files = 200;
constexpr int LinesPerFile = 5000;

std::string Folder()
{
    static const std::string dir = [] {
        std::string d = "/tmp/kep-bench-search-" + std::to_string(getpid());
        std::filesystem::create_directories(d);
        static const char* ops[] = {"movlw", "movwf", "addwf", "btfss", "goto", "call", "decfsz", "bsf"};
        for (int f = 0; f < Files; ++f) {
            std::string s;
            for (int i = 0; i < LinesPerFile; ++i) {
                if (i % 50 == 0)
                    s += "label" + std::to_string(i) + ":";
                s += std::string("\t") + ops[(i + f) % 8] + "\t0x" + std::to_string(i % 97) + ",F\t; step "
                    + std::to_string(i % 1000);
                // The word searched for: a few hits per file.
                if (i % 1000 == 999)
                    s += " Compteur";
                // And one that only a few files hold.
                if (f % 20 == 0 && i == 2500)
                    s += " Delai";
                s += "\r\n";
            }
            std::ofstream(d + "/f" + std::to_string(f) + ".asm", std::ios::binary) << s;
        }
        return d;
    }();
    return dir;
}

// The engine's host with the files loaded straight into buffers.
struct THost : kep::TSearchHost {
    std::unique_ptr<TTextBuffer> Cur;
    int Hits = 0;
    bool IsOpen(const std::string&) override { return false; }
    TTextBuffer* Current() override { return Cur.get(); }
    void OpenFile(const std::string& name) override
    {
        Cur = std::make_unique<TTextBuffer>();
        Cur->LoadFromFile(name);
    }
    void CloseCurrent() override { Cur.reset(); }
    bool OemOnDisk(const std::string&) override { return false; }
    kep::TConfirmAnswer Confirm(bool) override { return kep::TConfirmAnswer::Oui; }
    void Message(kep::TSearchMessage) override {}
};

// Arg 0: a word every file holds; 1: a word 10 files of the 200 hold.
const char* Word(std::int64_t arg)
{
    return arg == 0 ? "compteur" : "delai";
}

void ProjectSearch(benchmark::State& state)
{
    const std::string dir = Folder();
    for (auto _ : state) {
        kep::TChRempState s;
        s.Prepare(Word(state.range(0)), "", kep::coMotEntier | kep::coMultiFich, kep::cbSuivant);
        for (int f = 0; f < Files; ++f)
            s.FileList.push_back(dir + "/f" + std::to_string(f) + ".asm");
        THost h;
        // One click per hit, as "&Suivant" runs, until the list is exhausted.
        while (s.Started || s.FileIndex < s.FileList.size()) {
            kep::RunSearch(s, h);
            ++h.Hits;
        }
        benchmark::DoNotOptimize(h.Hits);
    }
}
BENCHMARK(ProjectSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void Floor_GrepCount(benchmark::State& state)
{
    const std::string cmd = std::string("grep -r -c -i -w ") + Word(state.range(0)) + " " + Folder() + " > /dev/null";
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(cmd.c_str()));
}
BENCHMARK(Floor_GrepCount)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A replace-all in one text with n hits (one per line).
void ReplaceAll(benchmark::State& state)
{
    const auto n = int(state.range(0));
    std::string text;
    for (int i = 0; i < n; ++i)
        text += "\tmovlw\tCompteur, w ; Compteur\r\n";
    for (auto _ : state) {
        state.PauseTiming();
        THost h;
        h.Cur = std::make_unique<TTextBuffer>();
        h.Cur->SetAllText(text);
        kep::TChRempState s;
        s.Prepare("Compteur", "Compte", kep::coMemeCasse, kep::cbRemplaceTout);
        state.ResumeTiming();
        kep::RunSearch(s, h);
    }
}
BENCHMARK(ReplaceAll)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    const int rc = kepbench::RunWithRatios(argc, argv,
                                           {{"ProjectSearch/0", "Floor_GrepCount/0"},
                                            {"ProjectSearch/1", "Floor_GrepCount/1"},
                                            {"ReplaceAll/40000", "ReplaceAll/20000"}});
    std::filesystem::remove_all(Folder());
    return rc;
}
