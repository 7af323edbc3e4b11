// The folder packer against Info-ZIP's `zip -9 -r` on the same project-like
// folder, and its peak memory on that folder and on one large file.
#include "project/zip.h"
#include "support/RatioMain.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

// Kept between runs: generating ~100 MB is slower than packing it.
const std::string Root = "/tmp/kep_zip_bench_v1";
const std::string Project = Root + "/PROJET";
const std::string BigFolder = Root + "/GROS";

struct TRandom {
    std::uint64_t X;
    std::uint64_t Next()
    {
        // splitmix64: the same folder on every machine.
        std::uint64_t z = (X += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    unsigned Below(unsigned n) { return static_cast<unsigned>(Next() % n); }
};

void Save(const std::string& path, const std::string& data)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(data.data(), 1, data.size(), f) != data.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

std::string AsmSource(TRandom& r, std::size_t size)
{
    static const char* ops[] = {"movlw", "movwf", "addwf", "bcf", "bsf", "btfss", "goto", "call", "decfsz", "clrf"};
    static const char* notes[] = {"port init", "compteur", "boucle", "lecture capteur", "sortie", ""};
    std::string s;
    char line[128];
    while (s.size() < size) {
        const unsigned n = r.Below(10);
        int len = std::snprintf(line, sizeof line, "lab%u_%u\t%s\t0x%02X, %s\t; %s\r\n", r.Below(64), r.Below(8),
                                ops[n], r.Below(256), r.Below(2) ? "w" : "f", notes[r.Below(6)]);
        s.append(line, static_cast<std::size_t>(len));
    }
    return s;
}

std::string IntelHex(TRandom& r, std::size_t size)
{
    std::string s;
    char line[64];
    for (unsigned addr = 0; s.size() < size; addr += 16) {
        unsigned sum = 16 + (addr >> 8 & 255) + (addr & 255);
        int len = std::snprintf(line, sizeof line, ":10%04X00", addr & 0xFFFF);
        s.append(line, static_cast<std::size_t>(len));
        for (int i = 0; i < 16; ++i) {
            // Program words: a few opcodes, mostly repeated.
            const unsigned b = i % 2 ? 0x30 + r.Below(8) : r.Below(4) * 0x11;
            sum += b;
            std::snprintf(line, sizeof line, "%02X", b);
            s += line;
        }
        std::snprintf(line, sizeof line, "%02X\r\n", (256 - (sum & 255)) & 255);
        s += line;
    }
    return s;
}

std::string RandomBytes(TRandom& r, std::size_t size)
{
    std::string s(size, '\0');
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        const std::uint64_t v = r.Next();
        std::memcpy(s.data() + i, &v, 8);
    }
    return s;
}

// Symbol tables and images: long runs of the same few bytes.
std::string LowEntropy(TRandom& r, std::size_t size)
{
    std::string s;
    while (s.size() < size)
        s.append(1 + r.Below(40), static_cast<char>(r.Below(4) == 0 ? r.Below(256) : 0xFF));
    s.resize(size);
    return s;
}

void MakeFixture()
{
    if (std::filesystem::exists(Root + "/.complete"))
        return;
    std::filesystem::remove_all(Root);
    TRandom r{20240601};
    for (int d = 0; d < 17; ++d) {
        const std::string dir = Project + "/module" + std::to_string(d) + (d % 3 == 0 ? "/src" : "");
        std::filesystem::create_directories(dir);
        for (int f = 0; f < 4; ++f)
            Save(dir + "/source" + std::to_string(f) + ".asm", AsmSource(r, 300000 + r.Below(200000)));
        Save(dir + "/prog.hex", IntelHex(r, 900000));
        Save(dir + "/prog.o", RandomBytes(r, 1500000));
        Save(dir + "/prog.cod", LowEntropy(r, 2000000));
    }
    std::filesystem::create_directories(BigFolder);
    // One file of 300 MB: its bytes do not matter for memory, so zeros.
    const int fd = ::open((BigFolder + "/image.bin").c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0 || ftruncate(fd, 300 * 1000 * 1000) != 0 || ::close(fd) != 0)
        std::exit(1);
    Save(Root + "/.complete", "");
}

std::uint64_t FolderBytes(const std::string& dir)
{
    std::uint64_t n = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
        if (e.is_regular_file())
            n += e.file_size();
    return n;
}

void BM_ZipFolder(benchmark::State& state)
{
    MakeFixture();
    const std::string out = Root + "/kep.zip";
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        ::unlink(out.c_str());
        const kep::TZipReport r = kep::ZipFolder(Project, out, kep::ZipStartWithFolder(Project));
        if (!r.Ok)
            state.SkipWithError(r.Message.c_str());
        bytes += r.Bytes;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["archive_MB"] = static_cast<double>(std::filesystem::file_size(out)) / 1e6;
}
BENCHMARK(BM_ZipFolder)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Info-ZIP at the same level, names beginning with the folder's name too.
void BM_InfoZip(benchmark::State& state)
{
    MakeFixture();
    const std::string out = Root + "/infozip.zip";
    for (auto _ : state) {
        ::unlink(out.c_str());
        const pid_t pid = fork();
        if (pid == 0) {
            if (chdir(Root.c_str()) == 0)
                execlp("zip", "zip", "-9", "-r", "-q", out.c_str(), "PROJET", static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("zip failed");
    }
    state.counters["archive_MB"] = static_cast<double>(std::filesystem::file_size(out)) / 1e6;
}
BENCHMARK(BM_InfoZip)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Peak resident memory, in kB, of a child that packs `folder` (or does
// nothing, for the baseline).
long PeakKb(const std::string& folder)
{
    const pid_t pid = fork();
    if (pid == 0) {
        bool ok = true;
        if (!folder.empty())
            ok = kep::ZipFolder(folder, Root + "/mem.zip", kep::ZipStartWithFolder(folder)).Ok;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    MakeFixture();
    std::printf("Folder: %s, %.1f MB\n", Project.c_str(), static_cast<double>(FolderBytes(Project)) / 1e6);
    const long idle = PeakKb("");
    const long project = PeakKb(Project);
    const long big = PeakKb(BigFolder);
    std::printf("Peak memory (ru_maxrss): idle child %ld kB, project folder %ld kB, one 300 MB file %ld kB\n\n", idle,
                project, big);
    ::unlink((Root + "/mem.zip").c_str());
    return kepbench::RunWithRatios(argc, argv,
                                   {{"BM_ZipFolder/iterations:2/real_time", "BM_InfoZip/iterations:2/real_time"}});
}
