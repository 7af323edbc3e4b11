#pragma once
// ASCII-only text helpers for names, keywords and markers: bytes above 127
// are left alone, whatever the code page of the text.
#include <cstddef>
#include <string>
#include <string_view>

namespace kep {

std::string UpperAscii(std::string_view s);
std::string LowerAscii(std::string_view s);
// Without the characters of code 32 or less at either end.
std::string_view TrimControls(std::string_view s);
// Offset of the first ";" outside a quoted part, or the line's length.
std::size_t CommentStart(std::string_view line);

// The lines of a text, split at CR LF, LF or CR; a last line end adds no
// empty line. Nothing is copied.
class TLignesTexte {
public:
    explicit TLignesTexte(std::string_view bytes) : Bytes_(bytes) {}

    bool Suivante(std::string_view& ligne)
    {
        if (Pos_ >= Bytes_.size())
            return false;
        const std::size_t fin = Bytes_.find_first_of("\r\n", Pos_);
        if (fin == std::string_view::npos) {
            ligne = Bytes_.substr(Pos_);
            Pos_ = Bytes_.size();
            return true;
        }
        ligne = Bytes_.substr(Pos_, fin - Pos_);
        Pos_ = fin + (Bytes_[fin] == '\r' && fin + 1 < Bytes_.size() && Bytes_[fin + 1] == '\n' ? 2 : 1);
        return true;
    }

private:
    std::string_view Bytes_;
    std::size_t Pos_ = 0;
};

} // namespace kep
