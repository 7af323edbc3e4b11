#include "editor/U_References.h"

#include "editor/U_Recherche.h"
#include "platform/AsciiText.h"

#include <algorithm>

namespace kep {

namespace {

// The order of the items in the "Options" key.
constexpr unsigned OptionOrder[] = {roRemarques, roMotSeul, roMinMaj};

// Only "1" turns a box on: an unreadable item must not tick it.
bool ItemIsOne(std::string_view item)
{
    return TrimControls(item) == "1";
}

} // namespace

unsigned ParseRefOptions(std::string_view text)
{
    if (TrimControls(text).empty())
        return RefOptionsDefaut;
    unsigned options = 0;
    std::size_t start = 0;
    for (unsigned bit : OptionOrder) {
        if (start > text.size())
            break; // fewer items than boxes: the rest stay off
        const std::size_t comma = text.find(',', start);
        const std::size_t end = comma == std::string_view::npos ? text.size() : comma;
        if (ItemIsOne(text.substr(start, end - start)))
            options |= bit;
        start = end + 1;
    }
    return options;
}

std::string RefOptionsText(unsigned options)
{
    std::string text;
    for (unsigned bit : OptionOrder) {
        if (!text.empty())
            text += ',';
        text += (options & bit) ? '1' : '0';
    }
    return text;
}

std::vector<TRefItem> DocumentRefs(std::string_view word, unsigned options, std::string_view entryName,
                                   std::string_view fileName, const TTextBuffer& buffer, int view, int entry,
                                   int* caretItem)
{
    std::vector<TRefItem> items;
    if (caretItem)
        *caretItem = -1;
    if (word.empty())
        return items;

    const bool noCase = (options & roMinMaj) != 0;
    const std::string pattern = noCase ? UpperAscii(word) : std::string(word);
    TMatcher match;
    if (options & roMotSeul)
        match = noCase ? FindWordNoCase : FindWord;
    else
        match = noCase ? FindPlainNoCase : FindPlain;

    // The buffer offers a numbered view only through a non-const accessor,
    // which merely reads; any other number means the view being shown.
    const TEditView* v = const_cast<TTextBuffer&>(buffer).GetView(view);
    if (!v)
        v = &buffer.View();
    const std::int32_t first = std::max<std::int32_t>(0, v->ViewMinLine);
    const std::int32_t last = std::min<std::int32_t>(v->ViewMaxLine, buffer.LineCount() - 1);

    TRefItem header;
    header.Header = true;
    header.Entry = entry;
    header.Text = std::string(entryName);
    const std::size_t slash = fileName.rfind('/');
    if (slash != std::string_view::npos)
        header.Folder = std::string(fileName.substr(0, slash));
    items.push_back(std::move(header));

    int caret = -1;
    for (std::int32_t i = first; i <= last; ++i) {
        const std::string& original = buffer.GetLine(i);
        std::string line = noCase ? UpperAscii(original) : original;
        if (!(options & roRemarques)) {
            const std::size_t semi = line.find(';');
            if (semi != std::string::npos)
                line.resize(semi);
        }
        if (line.empty() || match(pattern, line) == 0)
            continue;
        if (i == v->Caret.Line)
            caret = int(items.size());
        TRefItem item;
        item.Entry = entry;
        item.LineId = buffer.GetLineId(i);
        item.Number = i + 1;
        item.Text = original;
        items.push_back(std::move(item));
    }

    // A document without the word does not appear at all, not even its name.
    if (items.size() == 1) {
        items.clear();
        return items;
    }
    if (caretItem)
        *caretItem = caret;
    return items;
}

} // namespace kep
