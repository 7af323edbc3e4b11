// The program image tree: whatever the bytes, with either length width, every
// byte read is accounted for once (as header or dump), nothing is shown past
// the input, and the text stays linear in the input size.
#include "build/U_ImageCod.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kDumpPrefix = ": ";
constexpr std::string_view kLeft = "Octets restants : ";

bool IsHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// Bytes on a dump line "AAAAAA: XX XX ... ", checking its shape; 0 for the
// other children.
std::size_t DumpedBytes(std::string_view line)
{
    std::size_t body;
    if (line.substr(0, kLeft.size()) == kLeft) {
        body = kLeft.size();
    } else {
        const std::size_t colon = line.find(kDumpPrefix);
        if (colon == std::string_view::npos || colon < 6 || !IsHex(line[0]))
            return 0;
        for (std::size_t i = 0; i < colon; ++i)
            KEP_FUZZ_CHECK(IsHex(line[i]));
        KEP_FUZZ_CHECK(colon <= 9);
        body = colon + kDumpPrefix.size();
    }
    const std::string_view bytes = line.substr(body);
    KEP_FUZZ_CHECK(bytes.size() % 3 == 0);
    for (std::size_t i = 0; i < bytes.size(); i += 3)
        KEP_FUZZ_CHECK(IsHex(bytes[i]) && IsHex(bytes[i + 1]) && bytes[i + 2] == ' ');
    return bytes.size() / 3;
}

void Check(std::string_view input, bool taille32)
{
    const std::size_t header = taille32 ? 8 : 6;
    const auto tree = kep::ArbreCod(input, taille32);
    KEP_FUZZ_CHECK(tree.size() <= input.size() / header + 1);
    KEP_FUZZ_CHECK(input.empty() == tree.empty());

    std::size_t consumed = 0;
    std::size_t lines = 0;
    bool ended = false;
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const kep::TNoeudCod& node = tree[i];
        KEP_FUZZ_CHECK(!ended);
        const std::string number = std::to_string(i);
        const std::string head = "Segment " + std::string(number.size() < 2 ? "0" : "") + number + " : ";
        KEP_FUZZ_CHECK(node.Texte.substr(0, head.size()) == head);
        KEP_FUZZ_CHECK(node.Enfants.size() <= input.size() / 16 + 2);
        const bool cutHeader = node.Texte.find("en-tête incomplet") != std::string::npos;
        consumed += cutHeader ? 0 : header;
        std::size_t dumped = 0;
        for (const std::string& c : node.Enfants)
            dumped += DumpedBytes(c);
        consumed += dumped;
        lines += 1 + node.Enfants.size();
        if (!node.Enfants.empty() && node.Enfants[0] == "Fin normale des données") {
            KEP_FUZZ_CHECK(node.Enfants.size() == 1);
            KEP_FUZZ_CHECK(dumped == 0);
            ended = true;
        }
        const bool cut = !node.Enfants.empty() && node.Enfants[0].rfind("Fin du fichier atteinte", 0) == 0;
        // Only the last node may run into the end of the input.
        if (cut || cutHeader)
            KEP_FUZZ_CHECK(i + 1 == tree.size());
    }
    KEP_FUZZ_CHECK(consumed <= input.size());
    // Without an end record, every byte is shown as header or data.
    if (!ended)
        KEP_FUZZ_CHECK(consumed == input.size());

    const std::string text = kep::ArbreCodTexte(tree);
    std::size_t newlines = 0;
    for (const char c : text)
        newlines += c == '\n';
    KEP_FUZZ_CHECK(newlines == lines);
    // About 60 characters a header, 3.5 a dumped byte.
    KEP_FUZZ_CHECK(text.size() <= 16 * input.size() + 128);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Check(input, false);
    Check(input, true);
    return 0;
}
