// Memory taken while describing hostile tables. This program counts every
// allocation made through operator new, and refuses any that would take the
// live total past a ceiling, so a description that grows without bound fails
// here instead of exhausting the machine.
#include "TabFixture.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> Live{0};
std::atomic<std::size_t> Peak{0};
constexpr std::size_t Ceiling = 512u * 1024 * 1024;

void* Take(std::size_t n)
{
    if (n > Ceiling || Live.load() + n > Ceiling)
        throw std::bad_alloc();
    void* p = std::malloc(n ? n : 1);
    if (!p)
        throw std::bad_alloc();
    const std::size_t now = Live += malloc_usable_size(p);
    std::size_t peak = Peak.load();
    while (now > peak && !Peak.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void Give(void* p) noexcept
{
    if (!p)
        return;
    Live -= malloc_usable_size(p);
    std::free(p);
}

} // namespace

// Every form is replaced: a form left to the runtime would allocate with its
// own allocator and be freed by Give.
static void* TakeNoThrow(std::size_t n) noexcept
{
    try {
        return Take(n);
    } catch (...) {
        return nullptr;
    }
}

void* operator new(std::size_t n) { return Take(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return TakeNoThrow(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return TakeNoThrow(n); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Give(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Give(p); }
void* operator new[](std::size_t n) { return Take(n); }
void operator delete(void* p) noexcept { Give(p); }
void operator delete[](void* p) noexcept { Give(p); }
void operator delete(void* p, std::size_t) noexcept { Give(p); }
void operator delete[](void* p, std::size_t) noexcept { Give(p); }

namespace kep::test {
namespace {

// Peak of live bytes above the level before the call.
template <typename F> std::size_t PeakDuring(F f)
{
    const std::size_t base = Live.load();
    Peak = base;
    f();
    return Peak.load() - base;
}

std::size_t Chars(const TDescription& d)
{
    std::size_t n = 0;
    for (const std::string& l : d.Lines)
        n += l.size();
    return n;
}

TEST(TabMemory, LongListsOfLongAlternativesStaySmall)
{
    // One keyword of 2,000 bytes, a group naming it 2,000 times, a list of
    // `items` entries each pointing at the group: each entry alone is a
    // 4 MB text.
    const std::string keyword(1999, 'K');
    std::string group = "alt many";
    for (int i = 0; i < 2000; ++i)
        group += " ^" + keyword;
    for (int items : {2, 300, 10000}) {
        std::string text = "keywords ^" + keyword + "\n" + group + "\nitem m alt many\nlist lots";
        for (int i = 0; i < items; ++i)
            text += " m";
        text += "\nmnemonic BIG\n  encoding 01 : list lots\nmnemonic OK\n  encoding 02 : kw ^" + keyword + "\n";
        const std::string bytes = TableFromText(text);
        ASSERT_LT(bytes.size(), 1024u * 1024) << items;

        TTabFile tab;
        LoadTable(tab, bytes);
        TDescription d;
        const std::size_t peak = PeakDuring([&] { d = Describe(tab, "BIG"); });
        EXPECT_LT(peak, 40u * 1024 * 1024) << items << " entries";
        ASSERT_FALSE(d.Lines.empty()) << items;
        EXPECT_EQ(d.Lines.back().substr(d.Lines.back().size() - 12), "04??? Err > ") << items;
        EXPECT_LE(Chars(d), 5u * 1024 * 1024) << items;
        // The table stays usable for its other mnemonics.
        EXPECT_EQ(Describe(tab, "OK").Lines, std::vector<std::string>{"02  : ^" + keyword}) << items;
    }
}

TEST(TabMemory, ListsWithinTheCapsAreExpandedWhole)
{
    // 2 variants of a list of 3 items, some items a 600-byte alternative
    // group: 6 lines, about 6 KB, well under the caps.
    const std::string keyword(300, 'A');
    std::string text = "keywords " + keyword + " B\nalt two " + keyword + " " + keyword +
                       "\nitem a alt two\nitem b kw B\nlist three a b a\nlist pair b b\n"
                       "mnemonic FULL\n  encoding 01 : list pair list three\n";
    TTabFile tab;
    LoadTable(tab, TableFromText(text));
    TDescription d;
    const std::size_t peak = PeakDuring([&] { d = Describe(tab, "FULL"); });
    ASSERT_EQ(d.Lines.size(), 6u);
    const std::string alt = keyword + "|" + keyword;
    EXPECT_EQ(d.Lines[0], "01  : B" + alt);
    EXPECT_EQ(d.Lines[1], "01  : BB");
    EXPECT_EQ(d.Lines[5], "01  : B" + alt);
    EXPECT_LT(peak, 1024u * 1024);
}

} // namespace
} // namespace kep::test
