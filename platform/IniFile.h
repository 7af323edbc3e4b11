#pragma once
// INI files as the Windows profile functions read and write them: "[section]"
// headers, "key=value" lines, sections and keys compared ignoring ASCII case,
// the first match wins, keys and values trimmed of blanks. Text is bytes.
//
// An object loads the file once when created and serves its reads from that
// copy; every write reaches the disk at once (temporary file, then rename),
// changing only the line concerned so comments, order and other sections stay
// as they were. The stores create one object per burst of reads or writes.
//
// Before a write the object takes a lock on the file's folder and reloads the
// file when another writer changed it since, so two programs writing the same
// file lose neither their own keys nor each other's.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kep {

class TIniFile {
public:
    // Reads the file; a missing or unreadable file reads as empty.
    explicit TIniFile(std::string fileName);
    virtual ~TIniFile() = default;
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const std::string& FileName() const { return FileName_; }

    // A value enclosed in a pair of identical quotes loses them, as Windows
    // does. A key that is absent gives the default; an empty value gives "".
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // Decimal with an optional sign, leading digits taken ("12abc" is 12);
    // no digit, or a number outside the int range, gives the default.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    // Any integer but 0 is true.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    // Writes return false when the file could not be written; the file and
    // this object then keep their previous contents and LastError() says why
    // in French. Line breaks inside a value, key or section name are written
    // as spaces (they would otherwise forge other lines). A value that would
    // lose blanks or quotes when read back is written in quotes.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInteger(std::string_view section, std::string_view key, int value);
    bool WriteBool(std::string_view section, std::string_view key, bool value);

    // Keys of the section in file order, each once (first spelling).
    std::vector<std::string> ReadSection(std::string_view section) const;
    // Section names in file order, each once (first spelling).
    std::vector<std::string> ReadSections() const;
    // "key=value" for each key of ReadSection, value as ReadString gives it.
    std::vector<std::string> ReadSectionValues(std::string_view section) const;

    // Removes every section of that name with all its lines.
    bool EraseSection(std::string_view section);
    // Removes every line of that key in the section.
    bool DeleteKey(std::string_view section, std::string_view key);

    // True when the section holds at least one key.
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

    const std::string& LastError() const { return Error_; }

    // Groups writes: between BeginUpdate and the matching EndUpdate they only
    // change this object, and EndUpdate writes the file once (false when that
    // fails; the object then rereads the file).
    void BeginUpdate() { ++Updating_; }
    bool EndUpdate();

    // Rereads the file (a missing file reads as empty).
    void Reload();

private:
    enum class TKind : std::uint8_t { Other, Section, Key };
    struct TLine {
        std::string Text; // without its line break
        TKind Kind = TKind::Other;
        // Section name or key, and value, trimmed: offsets into Text.
        std::uint32_t NameAt = 0, NameLen = 0;
        std::uint32_t ValueAt = 0, ValueLen = 0;
        std::string_view Name() const { return std::string_view(Text).substr(NameAt, NameLen); }
        std::string_view Value() const { return std::string_view(Text).substr(ValueAt, ValueLen); }
    };
    // Identity of the file on disk, to notice another writer.
    struct TStamp {
        bool Exists = false;
        std::uint64_t Dev = 0, Ino = 0;
        std::int64_t Size = 0, MTimeNs = 0;
        bool operator==(const TStamp&) const = default;
    };
    // Line range [First, End) of the keys of a section.
    struct TRange {
        std::size_t Header = 0, First = 0, End = 0;
    };

    static TLine ParseLine(std::string text, bool firstLine);
    static TStamp StampOf(const std::string& path);
    void Parse(const std::string& data);
    std::string Serialize() const;
    bool FindSection(std::string_view section, TRange& range) const;
    const TLine* FindKey(std::string_view section, std::string_view key) const;
    // Runs the change on the latest contents under the folder lock and writes
    // the result when the change says something changed.
    template <typename F> bool Modify(F change);
    void IndexHeaders();
    bool Store();

    std::string FileName_;
    std::vector<TLine> Lines_;
    std::vector<std::size_t> Headers_; // indexes of the section lines
    std::string Eol_ = "\r\n";
    TStamp Stamp_;
    std::string Error_;
    int Updating_ = 0;
    bool Dirty_ = false;
};

} // namespace kep
