#include "serial/U_RxDecode.h"

#include <algorithm>
#include <cstring>

namespace kep {

namespace {

constexpr unsigned char Mark = 0xFF;

inline void Put(std::string& out, char c, const TRxDecodeRules& rules)
{
    if (c != 0 || !rules.DiscardNull)
        out.push_back(c);
}

} // namespace

TRxDecoded TRxDecoder::Decode(std::string_view raw, const TRxDecodeRules& rules, std::string& out)
{
    TRxDecoded told;
    const char* p = raw.data();
    const char* const end = p + raw.size();
    out.reserve(out.size() + raw.size());
    while (p < end) {
        if (Pending_ == 0) {
            // Plain bytes between marks go across in one piece.
            const void* hit = std::memchr(p, Mark, std::size_t(end - p));
            const char* stop = hit ? static_cast<const char*>(hit) : end;
            if (rules.DiscardNull) {
                const std::size_t from = out.size();
                out.append(p, stop);
                out.erase(std::remove(out.begin() + std::ptrdiff_t(from), out.end(), '\0'), out.end());
            } else {
                out.append(p, stop);
            }
            p = stop;
            if (p < end) {
                Pending_ = 1;
                ++p;
            }
            continue;
        }
        const char c = *p++;
        if (Pending_ == 1) {
            if (static_cast<unsigned char>(c) == Mark) {
                Put(out, char(Mark), rules);
                Pending_ = 0;
            } else if (c == 0) {
                Pending_ = 2;
            } else {
                // Not a mark the line discipline makes: keep the bytes as they came.
                Put(out, char(Mark), rules);
                Put(out, c, rules);
                Pending_ = 0;
            }
        } else {
            if (c == 0) {
                ++told.Breaks;
            } else {
                ++told.Errors;
                Put(out, rules.Replace ? rules.ReplaceChar : c, rules);
            }
            Pending_ = 0;
        }
    }
    return told;
}

} // namespace kep
