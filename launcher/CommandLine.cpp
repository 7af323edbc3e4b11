#include "launcher/CommandLine.h"

namespace kep {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view line)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false; // a word has started, even if it is still empty ("")
    size_t i = 0;
    const size_t n = line.size();

    auto endWord = [&] {
        if (inWord)
            words.push_back(std::move(word));
        word.clear();
        inWord = false;
    };

    while (i < n) {
        const char c = line[i];
        if (IsBlank(c)) {
            endWord();
            ++i;
        } else if (c == '\'') {
            inWord = true;
            ++i;
            while (i < n && line[i] != '\'')
                word += line[i++];
            ++i; // closing quote, or past the end
        } else if (c == '"') {
            inWord = true;
            ++i;
            while (i < n && line[i] != '"') {
                if (line[i] == '\\' && i + 1 < n) {
                    const char next = line[i + 1];
                    if (next == '\n') {
                        i += 2;
                        continue;
                    }
                    if (next == '"' || next == '\\' || next == '$' || next == '`') {
                        word += next;
                        i += 2;
                        continue;
                    }
                }
                word += line[i++];
            }
            ++i;
        } else if (c == '\\') {
            if (i + 1 >= n) {
                inWord = true;
                word += '\\';
                ++i;
            } else if (line[i + 1] == '\n') {
                i += 2;
            } else {
                inWord = true;
                word += line[i + 1];
                i += 2;
            }
        } else {
            inWord = true;
            word += c;
            ++i;
        }
    }
    endWord();
    return words;
}

} // namespace kep
