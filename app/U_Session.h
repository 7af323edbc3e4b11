#pragma once
// The session a project file keeps: the "Global" keys of the main window,
// the reopen list ("Closed files") and one "Edit" section per entry of the
// sources list. Reading and writing here; the main window applies what was
// read to its editors and collects what it writes from them.
#include "config/U_IniFilePlus.h"
#include "config/U_Options.h"
#include "editor/TextBuffer.h"
#include "platform/AsciiText.h"
#include "platform/Paths.h"
#include "editor/U_Assembleur.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

using TMarkers = std::array<TTextPos, 10>;
TMarkers NoMarkers(); // every marker at -1,-1

// A closed file: what its view showed and its markers.
struct TReopenItem {
    std::string Path;
    TEditView View;
    TMarkers Markers = NoMarkers();
};

// "Closed files" values: path, TopLine, caret line and column, then the ten
// markers' line and column. The path ends at the first comma.
std::string ClosedFileText(const TReopenItem& item);
TReopenItem ParseClosedFile(std::string_view value);

// The reopen list, newest first, at most Max items.
class TReopenList {
public:
    static constexpr std::size_t Max = 20;
    // The item of that file (SameFile) moved to the top, or a new
    // one inserted there; the item beyond Max goes.
    TReopenItem& PushTop(const std::string& path);
    // A new item below the others (reading the list back in its order).
    void Append(TReopenItem item);
    int Find(const std::string& path) const;
    void Remove(int i);
    void Clear() { Items_.clear(); }
    const std::vector<TReopenItem>& Items() const { return Items_; }
    std::size_t Size() const { return Items_.size(); }

private:
    std::vector<TReopenItem> Items_;
};

// The keys of "Global" that belong to the session.
struct TSessionGlobal {
    std::string MakeFile; // relative to the project's folder, as stored
    std::string ProgFile;
    std::optional<int> Separ;
    bool ConvVisible = false;
    // "Assembleur": none when the key is missing, empty or names no known
    // assembler (the make file then decides).
    std::optional<TAssembleur> Assembleur;
    int NbrEdit = 0;
    int PageAct = 0;
    int EditPrec = 0;
};

// What one entry of the sources list keeps. The file's own settings and its
// markers belong to its first view only.
struct TSessionEntry {
    std::string Nom; // relative to the project's folder
    std::string ViewName;
    bool FirstView = true;
    TEditView View;
    bool NoRefs = false;
    // First view: the file's settings (Tabs hold pixels) and its markers.
    std::optional<TInfosFich> Settings;
    TMarkers Markers = NoMarkers();
};

// A file's settings read back from its first view's section.
struct TEditSettings {
    TInfosFich Infos;
    // False when the section had no Tabs: Infos.Tabs are then the type's
    // columns, not pixels.
    bool TabsInPixels = true;
};

// Everything SauveProjet writes.
struct TSessionState {
    TBounds Bounds;
    int Separ = 0;
    std::string MakeFile; // relative
    std::string ProgFile;
    bool ConvVisible = false;
    // Written when set; a project that names none keeps its key as it is.
    std::optional<TAssembleur> Assembleur;
    TErrDefaults Err;
    std::vector<TReopenItem> Closed;
    std::vector<TSessionEntry> Entries;
    int PageAct = 0;
    int EditPrec = -1;
};

// The style table a file's styles are compared with when written.
using TTypeStyles = std::function<const TStyleTable&(const std::string& nom)>;

// Writes the session in the order the main window's save follows, in one
// write of the file; sections "Edit" beyond the entries that the file held
// are erased. False when the file could not be written (ini.LastError()).
bool WriteSession(TIniFilePlus& ini, const TSessionState& state, const TTypeStyles& typeStyles);

TSessionGlobal ReadSessionGlobal(const TIniFilePlus& ini);
// The error-file keys of the project over the current options.
void ReadSessionErr(const TIniFilePlus& ini, TErrDefaults& err);
std::vector<TReopenItem> ReadClosedFiles(const TIniFilePlus& ini);
std::string EditSection(int i);
// Nom, ViewName, PremLig, CurPos, SelPos, ViewLim, NoRefs and the markers.
TSessionEntry ReadEditView(const TIniFilePlus& ini, int i);
// The file's settings over its type's, or none when Police is empty. A
// protected project forces read-only. `error` gets the French text of a
// stored value that is not a number (its default is then used).
std::optional<TEditSettings> ReadEditSettings(const TIniFilePlus& ini, int i, const TInfosFich& type, bool protege,
                                           std::string* error = nullptr);

// A missing file at section i: the saved current and previous indices
// shifted so they still designate the same files.
void ShiftForMissing(int i, int& page, int& prec);

// The name of an entry: the lower-case file name, with "(view + 1)" when
// the file has several views.
std::string EntryName(const std::string& path, int view, int viewCount);

// "KEP - NAME (folder/)": the project's title.
std::string ProjectTitle(const std::string& projectPath);

// Whether a file can be taken as a project: it reads as INI text. A file
// holding a NUL byte, or whose lines (blank and comment lines aside) are
// none of them a "[section]" or a "key=value" line, is no project; an empty
// file is one (the project list creates them so).
enum class TProjectFileCheck { Ok, Unreadable, HasNul, NotIni };
TProjectFileCheck CheckProjectText(std::string_view text);
TProjectFileCheck CheckProjectFile(const std::string& path);

// The command line: at most a project path with ".pja" in any case.
bool ArgumentsAccepted(const std::vector<std::string>& args);

// The masks of a cleaning list: parts between ";" trimmed, empty ones left out.
std::vector<std::string> SplitMasks(std::string_view text);
// Deletes every file of `folder` that a mask matches (ASCII case ignored);
// `failed` gets each file that could not be deleted. Folders are kept.
void EffaceFichiers(const std::string& folder, std::string_view masks,
                    const std::function<void(const std::string& name)>& failed);

} // namespace kep
