// The project search against a bare walk of the same tree, and a full load
// and save of the option file against reading and writing its bytes.
#include "config/U_Options.h"
#include "platform/FileIo.h"
#include "project/U_ProjList.h"
#include "support/RatioMain.h"

#include <dirent.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct TFixture {
    std::string Root;
    std::string Ini;
    TFixture()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "kep_bench_XXXXXX").string();
        Root = mkdtemp(tmpl.data()) ? tmpl : "/tmp";
        // 400 folders of 10 files, one project file in ten folders.
        for (int d = 0; d < 400; ++d) {
            const std::string dir = Root + "/tree/d" + std::to_string(d / 20) + "/e" + std::to_string(d);
            std::filesystem::create_directories(dir);
            for (int f = 0; f < 10; ++f)
                kep::WriteFileAtomic(dir + "/f" + std::to_string(f) + ".asm", "; source\r\n");
            if (d % 10 == 0)
                kep::WriteFileAtomic(dir + "/p.pja", "[Global]\r\nMakeFile=p.mke\r\n");
        }
        Ini = Root + "/kep.ini";
        kep::TIniFilePlus ini(Ini);
        kep::TOptionsKep opts;
        for (int t = 0; t < 30; ++t) {
            kep::TInfosFich type;
            type.Nom = "Type " + std::to_string(t);
            type.Ext = "." + std::to_string(t);
            type.Styles[t % kep::StyleCount].Fore = kep::RGBColor(t, 0, 0);
            opts.TypesFich.push_back(type);
        }
        for (int i = 0; i < 20; ++i)
            opts.Outils.push_back(kep::TInfoOutils{"Outil " + std::to_string(i), "/usr/bin/true", "%ProjPath", "-v"});
        kep::SauveOptions(ini, opts);
    }
    ~TFixture()
    {
        std::error_code ec;
        std::filesystem::remove_all(Root, ec);
    }
};

TFixture& Fixture()
{
    static TFixture f;
    return f;
}

std::size_t Walk(const std::string& dir)
{
    std::size_t n = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..")
                continue;
            ++n;
            if (e->d_type == DT_DIR)
                n += Walk(dir + "/" + name);
        }
        closedir(d);
    }
    return n;
}

void BM_WalkFloor(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Walk(Fixture().Root + "/tree"));
}
BENCHMARK(BM_WalkFloor)->Unit(benchmark::kMillisecond);

void BM_ProjSearch(benchmark::State& state)
{
    for (auto _ : state) {
        kep::TProjSearch search(Fixture().Root + "/tree");
        std::size_t found = 0;
        while (search.Step(200))
            found += search.TakeFound().size();
        found += search.TakeFound().size();
        if (found != 40)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_ProjSearch)->Unit(benchmark::kMillisecond);

void BM_ReadWriteFloor(benchmark::State& state)
{
    for (auto _ : state) {
        std::string data;
        kep::ReadWholeFile(Fixture().Ini, data);
        kep::WriteFileAtomic(Fixture().Ini, data);
    }
}
BENCHMARK(BM_ReadWriteFloor)->Unit(benchmark::kMicrosecond);

void BM_LoadSaveOptions(benchmark::State& state)
{
    for (auto _ : state) {
        kep::TIniFilePlus ini(Fixture().Ini);
        kep::TOptionsKep opts;
        std::string proj;
        std::vector<std::string> errors;
        kep::ChargeOptions(ini, opts, kep::TProgramPaths{"/"}, proj, errors);
        kep::SauveOptions(ini, opts);
    }
}
BENCHMARK(BM_LoadSaveOptions)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    Fixture(); // built before any timing
    return kepbench::RunWithRatios(argc, argv,
                                   {{"BM_ProjSearch", "BM_WalkFloor"}, {"BM_LoadSaveOptions", "BM_ReadWriteFloor"}});
}
