// The tokeniser: every line splits into tokens and styled runs that cover it
// exactly, each moving forward, whatever the vocabulary and the text.
#include "editor/U_Syntaxe.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

// The line starting at pos, moving pos past its LF.
std::string_view NextLine(std::string_view input, std::size_t& pos)
{
    std::size_t end = input.find('\n', pos);
    if (end == std::string_view::npos)
        end = input.size();
    const std::string_view line = input.substr(pos, end - pos);
    pos = end + 1;
    return line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    // Words up to the first empty line, each with a style from its first
    // byte; the text follows.
    // The directives are the same for every input: built once, copied.
    static const kep::TTokens directives;
    kep::TTokens tokens = directives;
    std::size_t pos = 0;
    while (pos < input.size()) {
        const std::string_view word = NextLine(input, pos);
        if (word.empty())
            break;
        const auto style = kep::TStyleType(static_cast<unsigned char>(word[0]) % kep::StyleCount);
        tokens.AddToken(word.substr(1), style);
        if (word.size() > 1 && (word[0] & 0x40))
            tokens.ToggleHighlight(word.substr(1), kep::stSur);
    }
    KEP_FUZZ_CHECK(tokens.Count() > 0);

    kep::TSyntaxe syntax(tokens);
    const kep::TStyleTable& styles = kep::DefaultStyles();
    while (pos < input.size()) {
        const std::string_view line = NextLine(input, pos);

        const std::uint32_t state = syntax.State();
        syntax.BeginLine(line);
        std::size_t at = 0;
        while (!syntax.AtEnd()) {
            const kep::TStyleType st = syntax.NextToken();
            KEP_FUZZ_CHECK(st < kep::StyleCount);
            KEP_FUZZ_CHECK(syntax.TokenStart() == at);
            KEP_FUZZ_CHECK(syntax.TokenLength() > 0);
            at += syntax.TokenLength();
            KEP_FUZZ_CHECK(at <= line.size());
            KEP_FUZZ_CHECK(syntax.Col() == std::int32_t(at) + 1);
        }
        KEP_FUZZ_CHECK(at == line.size());

        std::int32_t col = 1;
        kep::TRunWalker walker(tokens, styles, line, state);
        kep::TStyledRun run;
        while (walker.Next(run)) {
            KEP_FUZZ_CHECK(run.Col == col);
            KEP_FUZZ_CHECK(run.Length > 0);
            col += run.Length;
        }
        KEP_FUZZ_CHECK(col == std::int32_t(line.size()) + 1);

        const std::uint32_t next = syntax.NextState(line);
        KEP_FUZZ_CHECK(next == kep::NextState(state, line));
        for (std::size_t i = 0; i < line.size(); ++i) {
            kep::TStyleType s;
            const std::size_t len = tokens.Match(line, i, s);
            KEP_FUZZ_CHECK(len <= line.size() - i);
        }
    }
    return 0;
}
