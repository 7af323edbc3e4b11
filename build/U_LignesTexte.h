#pragma once
// Small readers of the text files the tool chain leaves (listings, maps, HEX
// files): lines without their end, blanks, hexadecimal digits.
#include <string_view>

namespace kep::texte {

inline bool EstHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

inline unsigned ValHex(char c)
{
    if (c >= '0' && c <= '9')
        return unsigned(c - '0');
    if (c >= 'a' && c <= 'f')
        return unsigned(c - 'a' + 10);
    return unsigned(c - 'A' + 10);
}

inline bool EstBlanc(char c) { return c == ' ' || c == '\t'; }

inline std::string_view Rogne(std::string_view s)
{
    while (!s.empty() && (EstBlanc(s.front()) || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (EstBlanc(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Lines of a text without their LF (and CR).
class TLignes {
public:
    explicit TLignes(std::string_view t) : Texte_(t) {}
    bool Suivante(std::string_view& ligne)
    {
        if (Pos_ >= Texte_.size())
            return false;
        std::size_t fin = Texte_.find('\n', Pos_);
        if (fin == std::string_view::npos)
            fin = Texte_.size();
        ligne = Texte_.substr(Pos_, fin - Pos_);
        if (!ligne.empty() && ligne.back() == '\r')
            ligne.remove_suffix(1);
        Pos_ = fin + 1;
        return true;
    }

private:
    std::string_view Texte_;
    std::size_t Pos_ = 0;
};

} // namespace kep::texte
