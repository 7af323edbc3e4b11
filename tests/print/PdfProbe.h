#pragma once
// Reads back printed PDF files through poppler's tools: page count, text of
// a page, and the words with their boxes (in points).
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

namespace pdfprobe {

inline std::string Run(const std::string& command)
{
    std::string out;
    if (FILE* f = popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            out.append(buf, n);
        pclose(f);
    }
    return out;
}

inline std::string Quote(const std::string& s)
{
    std::string r = "'";
    for (char c : s)
        r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

inline int Pages(const std::string& pdf)
{
    const std::string info = Run("pdfinfo " + Quote(pdf) + " 2>/dev/null");
    std::smatch m;
    if (std::regex_search(info, m, std::regex(R"(Pages:\s+(\d+))")))
        return std::stoi(m[1]);
    return -1;
}

// Text of one page (1-based), laid out as printed.
inline std::string Text(const std::string& pdf, int page)
{
    return Run("pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) + " " + Quote(pdf) +
               " - 2>/dev/null");
}

struct TWord {
    double XMin, YMin, XMax, YMax;
    std::string Text;
};

inline std::vector<TWord> Words(const std::string& pdf, int page)
{
    const std::string html = Run("pdftotext -bbox -f " + std::to_string(page) + " -l " + std::to_string(page) + " " +
                                 Quote(pdf) + " - 2>/dev/null");
    std::vector<TWord> r;
    const std::regex word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        std::string text = m[5];
        // The few entities poppler writes.
        for (const auto& [from, to] : {std::pair<std::string, std::string>{"&amp;", "&"}, {"&lt;", "<"},
                                       {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}}) {
            for (std::size_t p; (p = text.find(from)) != std::string::npos;)
                text.replace(p, from.size(), to);
        }
        r.push_back({std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]), text});
    }
    return r;
}

inline const TWord* Find(const std::vector<TWord>& words, const std::string& text)
{
    for (const TWord& w : words)
        if (w.Text == text)
            return &w;
    return nullptr;
}

} // namespace pdfprobe
