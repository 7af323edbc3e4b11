#pragma once
// Search and replace of the "Chercher / Remplacer" window: its option bits,
// the four matchers, the state a search carries from one button click to the
// next, and the engine that walks the lines of a text and the files of a
// list. The engine reaches the documents through TSearchHost, which the main
// window implements (opening and closing files, questions and messages).
#include "editor/TextBuffer.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

// Bits of TChRempState::Options.
enum TChRempOption : unsigned {
    coMemeCasse = 1u << 0,
    coConfirme = 1u << 1,
    coMotEntier = 1u << 2,
    coSelection = 1u << 3,
    coMultiFich = 1u << 5,
    coPrecedent = 1u << 6,
    coSuivant = 1u << 7,
    coRemplace = 1u << 8,
    coRemplaceTout = 1u << 9,
};

// Tags of the window's search buttons.
enum TChRempButton : int { cbPrecedent = 0, cbSuivant = 1, cbRemplace = 2, cbRemplaceTout = 3 };
// The option bits a button adds (bits 6 to 9).
unsigned ButtonOptions(int tag);

// 1-based position of the first match of `pattern` in `text`, 0 when none.
// The case-blind matchers expect the pattern upper-cased already (only a-z
// fold). A whole word is neither preceded nor followed by a word character
// (A-Z, a-z, 0-9, "_" and every byte from 0x80).
using TMatcher = std::size_t (*)(std::string_view pattern, std::string_view text);
std::size_t FindPlain(std::string_view pattern, std::string_view text);
std::size_t FindWord(std::string_view pattern, std::string_view text);
std::size_t FindPlainNoCase(std::string_view pattern, std::string_view text);
std::size_t FindWordNoCase(std::string_view pattern, std::string_view text);
// From coMemeCasse and coMotEntier.
TMatcher ChooseMatcher(unsigned options);
// The pattern as the matcher wants it: upper-cased unless coMemeCasse.
std::string PreparePattern(std::string_view text, unsigned options);

struct TChRempState {
    std::string Pattern;     // Windows-1252, upper-cased unless coMemeCasse
    std::string Replacement; // Windows-1252
    unsigned Options = 0;
    TMatcher Matcher = nullptr;
    std::vector<std::string> FileList; // files still to search (coMultiFich)
    std::size_t FileIndex = 0;
    bool Prepared = false; // the fields above reflect the window's controls
    bool Started = false;  // the engine has set up the current text
    TTextPos Pos{0, 1};    // where the scan goes on
    TTextPos RangeStart{0, 0}, RangeEnd{0, 0}; // the selection at set-up
    // Where a search of one whole text starts ("A partir de ?").
    enum TFrom { DuDebut, DuCurseur, DeSelection } From = DuDebut;
    // The text the search was set up on (compared, never followed): a
    // search goes on in the text it started in, and starts afresh in
    // another one made current in between.
    const TTextBuffer* StartText = nullptr;

    // Takes the window's texts and options (`checks`: coMemeCasse,
    // coConfirme, coMotEntier, coSelection, coMultiFich) and the clicked
    // button; Prepared := true, Started := false, FileIndex := 0. The file
    // list is left to the caller.
    void Prepare(std::string_view cherche, std::string_view remplace, unsigned checks, int tag);
    // The next name of FileList; empty once the list is exhausted.
    std::string NextFile();
};

enum class TConfirmAnswer { Oui, Non, Abandonner, Tous };
// The engine's messages: "Recherche multifichier terminée", "Plus
// d'occurences", and a read-only text whose hits cannot be replaced.
enum class TSearchMessage { FinMultiFichier, PlusDOccurences, LectureSeule };

// What the engine needs from the documents.
class TSearchHost {
public:
    virtual ~TSearchHost() = default;
    // The text of the current entry's view; null when no file is open.
    virtual TTextBuffer* Current() = 0;
    // The file is open (its text may differ from the disk's). A file that
    // is not open is only opened when the disk's copy holds a hit.
    virtual bool IsOpen(const std::string& name) = 0;
    // Opens the file as a new entry (a further view when it is open) and
    // makes it current.
    virtual void OpenFile(const std::string& name) = 0;
    // Closes the current entry; a modified file is offered to be saved.
    virtual void CloseCurrent() = 0;
    // The file is read in the OEM code page (its type converts DOS
    // accented characters), so its disk bytes differ from its text's.
    virtual bool OemOnDisk(const std::string& name) = 0;
    // "Remplacer ?": "&Oui", "&Non", "&Abandonner", and "&Tous" when `tous`.
    virtual TConfirmAnswer Confirm(bool tous) = 0;
    // A plain message box.
    virtual void Message(TSearchMessage m) = 0;
};

// The engine: one run per click of a search button.
void RunSearch(TChRempState& s, TSearchHost& host);

// Project files named by a make file: in each line holding a colon followed
// by a tab, what follows the tab, split at each "+". Relative names are
// taken in `workFolder`. They join `list`, which is kept sorted (ASCII
// case ignored) without duplicates.
void AddProjectFiles(std::string_view makeText, const std::string& workFolder, std::vector<std::string>& list);

} // namespace kep
