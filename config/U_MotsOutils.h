#pragma once
// The keywords of a tool's working folder and parameters: "%ProjPath",
// "%EditName"... replaced by the names of the project and of the file shown
// in the editor when the tool starts.
#include <string>
#include <string_view>
#include <vector>

namespace kep {

struct TMotsOutil {
    std::string Date;     // "%Date": JJ.MM.AAAA
    std::string ProjPath; // folder of the project file, no final "/"
    std::string ProjName; // project file name, no folder, no extension
    std::string EditPath; // the same three for the file in the editor
    std::string EditName;
    std::string EditExt; // with its dot; empty without extension
};

// The values for a project file and an edited file (either may be empty)
// on the given day.
TMotsOutil MotsOutil(const std::string& projectFile, const std::string& editFile, int day, int month, int year);

// Every "%" followed by a keyword becomes its value; everything else is
// copied. Keywords are tried in a fixed order and compared exactly, so
// "%EditNameX" gives the file's name then "X", and "%editname" stays.
std::string ExpandeMotsOutil(std::string_view text, const TMotsOutil& mots);

// A tool's parameters as the program receives them: the text is first cut
// into words by the shell's quoting rules (nothing expanded), then the
// keywords are expanded inside each word, so that a value is always passed
// whole, whatever quotes, backslashes or spaces it holds.
std::vector<std::string> ParametresOutil(std::string_view text, const TMotsOutil& mots);

} // namespace kep
