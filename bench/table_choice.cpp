// Opening the 200 sources of one project: each finds its table from its own
// `list p=` and `#include <p16f628a.inc>` lines and takes the chip's register
// names from that shared include, against the same sources whose first line
// names the table outright. The processor lists of gpasm and avra are read
// once per run, before either is timed, as the program does.
#include "editor/U_Edit.h"
#include "processor/U_Puces.h"
#include "support/RatioMain.h"

#include <QApplication>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Sources = 200;

// A source of 150 lines; only its head differs between the two projects.
void WriteSource(const std::string& path, const std::string& head, int n)
{
    std::ofstream f(path, std::ios::binary);
    f << head;
    f << "; module " << n << "\r\n";
    for (int i = 0; i < 150; ++i)
        f << (i % 20 == 0 ? "boucle" + std::to_string(i) : std::string()) << "\tmovf\tPORTB,W\t; lecture " << i
          << "\r\n\tbsf\tSTATUS,RP0\r\n";
}

struct TProjects {
    std::string Root;
    std::vector<std::string> Chosen, Fixed;
    TProjects()
    {
        Root = "/tmp/kep_bench_choice_" + std::to_string(getpid());
        std::filesystem::create_directories(Root + "/choisi");
        std::filesystem::create_directories(Root + "/fixe");
        for (int n = 0; n < Sources; ++n) {
            const std::string name = "/m" + std::to_string(n) + ".asm";
            Chosen.push_back(Root + "/choisi" + name);
            WriteSource(Chosen.back(), "\tlist\tp=16f628a\r\n\t#include <p16f628a.inc>\r\n", n);
            Fixed.push_back(Root + "/fixe" + name);
            WriteSource(Fixed.back(), "p16\r\n; sans directive de processeur\r\n", n);
        }
    }
    ~TProjects() { std::filesystem::remove_all(Root); }
};

const TProjects& Projects()
{
    static TProjects projects;
    return projects;
}

void Open(benchmark::State& state, const std::vector<std::string>& files)
{
    for (auto _ : state) {
        for (const std::string& f : files) {
            TEditeur e;
            e.FileName = f;
            if (!e.Load() || e.TableUtilisee().empty()) {
                state.SkipWithError("no table");
                return;
            }
            benchmark::DoNotOptimize(e.Puce().data());
        }
    }
}

void BM_OpenTableFixed(benchmark::State& state) { Open(state, Projects().Fixed); }
BENCHMARK(BM_OpenTableFixed)->Unit(benchmark::kMillisecond);

void BM_OpenTableChosen(benchmark::State& state) { Open(state, Projects().Chosen); }
BENCHMARK(BM_OpenTableChosen)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TEditeur::TabPath = KEP_TABLES_DIR;
    if (kep::TCataloguePuces::Systeme().Taille() == 0)
        std::fprintf(stderr, "gpasm et avra absents : le choix ne trouve aucune puce.\n");
    Projects();
    // The two differ by a few per cent, less than the machine's noise: many
    // interleaved runs, the fastest of each kept.
    std::vector<char*> args(argv, argv + argc);
    std::string reps = "--benchmark_repetitions=12", mix = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, {reps.data(), mix.data()});
    int n = static_cast<int>(args.size());
    return kepbench::RunWithRatios(n, args.data(), {{"BM_OpenTableChosen", "BM_OpenTableFixed"}});
}
