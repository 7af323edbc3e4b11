#include "editor/U_Directives.h"

#include <array>

namespace kep {

namespace {

constexpr std::array<TDirective, 93> kDirectives{{
    {"#DEFDEC", 114}, {"#DEFINE", 113}, {"#ELSE", 122}, {"#ELIF", 0}, {"#ELIFB", 0},
    {"#ELIFCLASS", 0}, {"#ELIFDEF", 0}, {"#ELIFF", 0}, {"#ELIFIDN", 0}, {"#ELIFLAB", 0},
    {"#ELIFLITS", 0}, {"#ENDIF", 123}, {"#IF", 130}, {"#IF1", 131}, {"#IF2", 132},
    {"#IFB", 133}, {"#IFCLASS", 0}, {"#IFDEF", 135}, {"#IFIDN", 134}, {"#IFF", 0},
    {"#IFLAB", 136}, {"#IFLITS", 0}, {"#IFNIDN", 0}, {"#INCLUDE", 140}, {"#LOAD", 145},
    {"#SKIP", 0}, {"#UNDEF", 171}, {"%ASSERT", 101}, {"%ERROR", 119}, {"%FATAL", 125},
    {"%OUT", 155}, {"%PRINT", 157}, {".FORM", 127}, {".BELL", 103}, {".CTRL", 108},
    {".LALL", 143}, {".LIST", 144}, {".NOCHANGE", 153}, {".NOLIST", 154}, {".PAGE", 156},
    {".SALL", 160}, {".SETDP", 162}, {".TAB", 167}, {".XALL", 175}, {"ALIGN", 0},
    {"ALIGNLABS", 0}, {"ASSUME", 102}, {"BYTE", 104}, {"BYTES", 105}, {"CEQU", 106},
    {"CONTAINS", 107}, {"DATE", 109}, {"DC.B", 110}, {"DC.L", 112}, {"DC.W", 111},
    {"DS", 0}, {"DS.B", 115}, {"DS.L", 117}, {"DS.W", 116}, {"END", 118},
    {"ENDM", 0}, {"EQU", 120}, {"EQUS", 0}, {"EXTERN", 121}, {"FCS", 124},
    {"FILESIZE", 126}, {"GROUP", 128}, {"HIDEOPC", 129}, {"INSET", 141}, {"INTEL", 142},
    {"LITS", 0}, {"LOCAL", 146}, {"LONG", 147}, {"LONGS", 148}, {"MACRO", 149},
    {"MEND", 150}, {"MONST", 151}, {"MOTOROLA", 152}, {"PUBLIC", 158}, {"REPEAT", 159},
    {"SEGMENT", 161}, {"SHOWOPC", 163}, {"SKIP", 164}, {"STRING", 165}, {"SUBTTL", 166},
    {"TEXAS", 168}, {"TITLE", 169}, {"TRIPLE", 170}, {"UNDEF", 171}, {"UNTIL", 172},
    {"WORD", 173}, {"WORDS", 174}, {"ZILOG", 176},
}};

constexpr bool AllNamed()
{
    for (const TDirective& d : kDirectives)
        if (d.Name == nullptr)
            return false;
    return true;
}
static_assert(AllNamed(), "every directive has a name");

} // namespace

std::span<const TDirective> Directives()
{
    return kDirectives;
}

int DirectiveHelpContext(std::string_view name)
{
    for (const TDirective& d : kDirectives)
        if (name == d.Name)
            return d.HelpContext;
    return -1;
}

} // namespace kep
