// Syntax colouring over a generated source of 1,000,000 lines with a
// vocabulary of about 1,000 mnemonics and keywords: context states, tokens,
// and both together, each against a plain byte scan of the same lines; and
// the vocabulary look-up against a scan from the start of the list.
#include "editor/U_Syntaxe.h"
#include "support/RatioMain.h"

#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kLines = 1000000;

struct TCorpus {
    kep::TTokens Vocab;
    std::vector<std::string> Mnemonics;
    std::vector<std::string> Lines;
    std::vector<std::string> Probes; // words to look up, half of them absent

    TCorpus()
    {
        std::mt19937 rng(2024);
        const auto name = [&](std::size_t minLen, std::size_t maxLen) {
            std::string w;
            const std::size_t n = minLen + rng() % (maxLen - minLen + 1);
            for (std::size_t i = 0; i < n; ++i)
                w += char('A' + rng() % 26);
            return w;
        };
        std::vector<std::string> keywords = {"A", "B", "C", "D", "E", "H", "L", "HL", "IX", "IY", "SP~", "R\\",
                                             "AF", "BC", "DE", "(HL)", "(IX)", "(IY)"};
        while (keywords.size() < 100)
            keywords.push_back(name(2, 4));
        while (Mnemonics.size() < 900) {
            std::string m = name(2, 6);
            if (rng() % 10 == 0)
                m += ".W";
            Mnemonics.push_back(m);
        }
        Vocab.LoadLists(Mnemonics, keywords);

        Lines.reserve(kLines);
        const char* const regs[] = {"A", "B", "HL", "IX", "R12", "SP", "(HL)", "COUNT", "buffer+2"};
        for (int i = 0; i < kLines; ++i) {
            const unsigned kind = rng() % 100;
            const std::string& op = Mnemonics[rng() % Mnemonics.size()];
            std::string line;
            if (kind < 45) {
                line = "\t" + op + "\t" + regs[rng() % 9] + "," + regs[rng() % 9];
                if (rng() % 2)
                    line += "\t\t; charge la valeur " + std::to_string(i);
            } else if (kind < 60) {
                line = "lab" + std::to_string(i) + ":\t" + op + "\t" + regs[rng() % 9];
            } else if (kind < 68) {
                line = "; commentaire de la ligne " + std::to_string(i);
            } else if (kind < 70) {
                line = ";** Titre de section";
            } else if (kind < 76) {
                line = "msg" + std::to_string(i) + ":\tDB\t\"Texte ; avec point-virgule\",0";
            } else if (kind < 80) {
                line = "val" + std::to_string(i) + "\tEQU\t$" + std::to_string(rng() % 65536);
            } else if (kind < 83) {
                line = "\t#IFDEF\tOPTION" + std::to_string(rng() % 8);
            } else if (kind < 86) {
                line = "\t#ENDIF";
            } else if (kind < 88) {
                line = "m" + std::to_string(i) + ": MACRO P1,P2";
            } else if (kind < 90) {
                line = "\tMEND";
            } else if (kind < 92) {
                line = "\tREPEAT";
            } else if (kind < 94) {
                line = "\tUNTIL\tCOUNT=0";
            } else {
                line.clear();
            }
            Lines.push_back(std::move(line));
        }
        for (int i = 0; i < 2000; ++i)
            Probes.push_back(i % 2 ? Mnemonics[rng() % Mnemonics.size()] : name(2, 6) + "Q");
    }
};

const TCorpus& Corpus()
{
    static TCorpus corpus;
    return corpus;
}

void SetLineRate(benchmark::State& state)
{
    state.counters["lines_per_s"] = benchmark::Counter(double(kLines), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ByteScan(benchmark::State& state)
{
    const TCorpus& c = Corpus();
    for (auto _ : state) {
        unsigned sum = 0;
        for (const std::string& l : c.Lines)
            for (char ch : l)
                sum += static_cast<unsigned char>(ch);
        benchmark::DoNotOptimize(sum);
    }
    SetLineRate(state);
}
BENCHMARK(BM_ByteScan)->Unit(benchmark::kMillisecond);

void BM_States(benchmark::State& state)
{
    const TCorpus& c = Corpus();
    for (auto _ : state) {
        std::uint32_t s = 0;
        for (const std::string& l : c.Lines)
            s = kep::NextState(s, l);
        benchmark::DoNotOptimize(s);
    }
    SetLineRate(state);
}
BENCHMARK(BM_States)->Unit(benchmark::kMillisecond);

void BM_Tokens(benchmark::State& state)
{
    const TCorpus& c = Corpus();
    for (auto _ : state) {
        unsigned styles = 0;
        for (const std::string& l : c.Lines) {
            std::size_t pos = 0, len = 0;
            while (pos < l.size()) {
                styles += kep::ScanToken(c.Vocab, l, pos, len);
                pos += len;
            }
        }
        benchmark::DoNotOptimize(styles);
    }
    SetLineRate(state);
}
BENCHMARK(BM_Tokens)->Unit(benchmark::kMillisecond);

// What the painter does per line: the state carried on, then the runs with
// their colours.
void BM_ColourLines(benchmark::State& state)
{
    const TCorpus& c = Corpus();
    const kep::TStyleTable& styles = kep::DefaultStyles();
    for (auto _ : state) {
        std::uint32_t s = 0;
        unsigned back = 0;
        for (const std::string& l : c.Lines) {
            kep::TRunWalker walker(c.Vocab, styles, l, s);
            kep::TStyledRun run;
            while (walker.Next(run))
                back += run.Back;
            s = kep::NextState(s, l);
        }
        benchmark::DoNotOptimize(back);
    }
    SetLineRate(state);
}
BENCHMARK(BM_ColourLines)->Unit(benchmark::kMillisecond);

// The look-up as a scan from the start for the first name not less than
// the word.
void BM_FindLinear(benchmark::State& state)
{
    const TCorpus& c = Corpus();
    for (auto _ : state) {
        unsigned found = 0;
        for (const std::string& w : c.Probes) {
            std::size_t i = 0;
            while (i < c.Vocab.Count() && c.Vocab.Entry(i).Name < w)
                ++i;
            found += i < c.Vocab.Count() && c.Vocab.Entry(i).Name == w;
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_FindLinear);

void BM_FindSorted(benchmark::State& state)
{
    TCorpus& c = const_cast<TCorpus&>(Corpus());
    for (auto _ : state) {
        unsigned found = 0;
        for (const std::string& w : c.Probes)
            found += c.Vocab.Find(w);
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_FindSorted);

} // namespace

int main(int argc, char** argv)
{
    return kepbench::RunWithRatios(argc, argv,
                                   {{"BM_States", "BM_ByteScan"},
                                    {"BM_Tokens", "BM_ByteScan"},
                                    {"BM_ColourLines", "BM_ByteScan"},
                                    {"BM_FindLinear", "BM_FindSorted"}});
}
