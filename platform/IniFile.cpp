#include "platform/IniFile.h"

#include "platform/FileIo.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kep {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    return true;
}

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

std::string_view StripQuotes(std::string_view v)
{
    if (v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// A line break written into the file would start another line.
std::string OneLine(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n')
            c = ' ';
    return out;
}

// Quotes a value that reading would change: surrounding blanks are trimmed
// and a surrounding pair of quotes is removed.
std::string StoredValue(std::string_view value)
{
    std::string v = OneLine(value);
    if (v.empty())
        return v;
    const bool blanks = IsBlank(v.front()) || IsBlank(v.back());
    const bool quoted = v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front();
    if (blanks || quoted)
        return '"' + v + '"';
    return v;
}

// Exclusive lock on the folder of the file for one read-modify-write. Folders
// that cannot be locked (some network file systems) are written unlocked.
class TFolderLock {
public:
    explicit TFolderLock(const std::string& file)
    {
        std::string target = file;
        if (char* real = realpath(file.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
        const auto slash = target.rfind('/');
        const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
        Fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (Fd_ >= 0) {
            while (flock(Fd_, LOCK_EX) != 0) {
                if (errno != EINTR) {
                    ::close(Fd_);
                    Fd_ = -1;
                    break;
                }
            }
        }
    }
    ~TFolderLock()
    {
        if (Fd_ >= 0)
            ::close(Fd_); // releases the lock
    }
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;

private:
    int Fd_ = -1;
};

} // namespace

TIniFile::TIniFile(std::string fileName)
    : FileName_(std::move(fileName))
{
    Reload();
}

TIniFile::TStamp TIniFile::StampOf(const std::string& path)
{
    TStamp s;
    struct stat st{};
    if (path.empty() || stat(path.c_str(), &st) != 0)
        return s;
    s.Exists = true;
    s.Dev = st.st_dev;
    s.Ino = st.st_ino;
    s.Size = st.st_size;
    s.MTimeNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return s;
}

void TIniFile::Reload()
{
    Stamp_ = StampOf(FileName_);
    std::string data;
    if (!ReadWholeFile(FileName_, data))
        data.clear();
    Parse(data);
}

TIniFile::TLine TIniFile::ParseLine(std::string text, bool firstLine)
{
    TLine line;
    line.Text = std::move(text);
    std::string_view all(line.Text);
    std::size_t skip = 0;
    if (firstLine && all.substr(0, 3) == "\xEF\xBB\xBF")
        skip = 3; // UTF-8 byte order mark
    const std::string_view body = Trim(all.substr(skip));
    if (body.empty() || body.front() == ';')
        return line;
    const auto at = [&](std::string_view part) { return std::uint32_t(part.data() - all.data()); };
    if (body.front() == '[') {
        const auto close = body.rfind(']');
        if (close == std::string_view::npos || close == 0)
            return line; // not a header: ignored, the section goes on
        const std::string_view name = Trim(body.substr(1, close - 1));
        line.Kind = TKind::Section;
        line.NameAt = at(name);
        line.NameLen = std::uint32_t(name.size());
        return line;
    }
    const auto eq = body.find('=');
    if (eq == std::string_view::npos)
        return line;
    const std::string_view key = Trim(body.substr(0, eq));
    if (key.empty())
        return line;
    const std::string_view value = Trim(body.substr(eq + 1));
    line.Kind = TKind::Key;
    line.NameAt = at(key);
    line.NameLen = std::uint32_t(key.size());
    line.ValueAt = value.empty() ? at(body.substr(eq + 1)) : at(value);
    line.ValueLen = std::uint32_t(value.size());
    return line;
}

void TIniFile::Parse(const std::string& data)
{
    Lines_.clear();
    Headers_.clear();
    Eol_ = "\r\n";
    const auto firstLf = data.find('\n');
    if (firstLf != std::string::npos && (firstLf == 0 || data[firstLf - 1] != '\r'))
        Eol_ = "\n";
    std::size_t pos = 0;
    while (pos < data.size()) {
        auto lf = data.find('\n', pos);
        if (lf == std::string::npos)
            lf = data.size();
        std::size_t end = lf;
        if (end > pos && data[end - 1] == '\r')
            --end;
        Lines_.push_back(ParseLine(data.substr(pos, end - pos), Lines_.empty()));
        if (Lines_.back().Kind == TKind::Section)
            Headers_.push_back(Lines_.size() - 1);
        pos = lf + 1;
    }
}

std::string TIniFile::Serialize() const
{
    std::size_t size = 0;
    for (const TLine& l : Lines_)
        size += l.Text.size() + Eol_.size();
    std::string out;
    out.reserve(size);
    for (const TLine& l : Lines_) {
        out += l.Text;
        out += Eol_;
    }
    return out;
}

bool TIniFile::FindSection(std::string_view section, TRange& range) const
{
    section = Trim(section);
    for (std::size_t h = 0; h < Headers_.size(); ++h) {
        const std::size_t i = Headers_[h];
        if (SameName(Lines_[i].Name(), section)) {
            range.Header = i;
            range.First = i + 1;
            range.End = h + 1 < Headers_.size() ? Headers_[h + 1] : Lines_.size();
            return true;
        }
    }
    return false;
}

const TIniFile::TLine* TIniFile::FindKey(std::string_view section, std::string_view key) const
{
    TRange r;
    if (!FindSection(section, r))
        return nullptr;
    key = Trim(key);
    for (std::size_t i = r.First; i < r.End; ++i)
        if (Lines_[i].Kind == TKind::Key && SameName(Lines_[i].Name(), key))
            return &Lines_[i];
    return nullptr;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const
{
    const TLine* line = FindKey(section, key);
    if (!line)
        return std::string(def);
    return std::string(StripQuotes(line->Value()));
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const
{
    const TLine* line = FindKey(section, key);
    if (!line)
        return def;
    std::string_view v = StripQuotes(line->Value());
    bool negative = false;
    if (!v.empty() && (v.front() == '+' || v.front() == '-')) {
        negative = v.front() == '-';
        v.remove_prefix(1);
    }
    long long n = 0;
    std::size_t digits = 0;
    while (digits < v.size() && v[digits] >= '0' && v[digits] <= '9') {
        n = n * 10 + (v[digits] - '0');
        if (n > 2147483648LL)
            return def;
        ++digits;
    }
    if (digits == 0)
        return def;
    if (negative)
        n = -n;
    if (n > INT_MAX)
        return def;
    return int(n);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const
{
    std::vector<std::string> keys;
    TRange r;
    if (!FindSection(section, r))
        return keys;
    for (std::size_t i = r.First; i < r.End; ++i) {
        if (Lines_[i].Kind != TKind::Key)
            continue;
        const std::string_view name = Lines_[i].Name();
        bool seen = false;
        for (const std::string& k : keys)
            if (SameName(k, name)) {
                seen = true;
                break;
            }
        if (!seen)
            keys.emplace_back(name);
    }
    return keys;
}

std::vector<std::string> TIniFile::ReadSections() const
{
    std::vector<std::string> names;
    for (std::size_t i : Headers_) {
        const std::string_view name = Lines_[i].Name();
        bool seen = false;
        for (const std::string& n : names)
            if (SameName(n, name)) {
                seen = true;
                break;
            }
        if (!seen)
            names.emplace_back(name);
    }
    return names;
}

std::vector<std::string> TIniFile::ReadSectionValues(std::string_view section) const
{
    std::vector<std::string> lines;
    for (const std::string& key : ReadSection(section))
        lines.push_back(key + "=" + ReadString(section, key, ""));
    return lines;
}

bool TIniFile::SectionExists(std::string_view section) const
{
    TRange r;
    if (!FindSection(section, r))
        return false;
    for (std::size_t i = r.First; i < r.End; ++i)
        if (Lines_[i].Kind == TKind::Key)
            return true;
    return false;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const
{
    return FindKey(section, key) != nullptr;
}

void TIniFile::IndexHeaders()
{
    Headers_.clear();
    for (std::size_t i = 0; i < Lines_.size(); ++i)
        if (Lines_[i].Kind == TKind::Section)
            Headers_.push_back(i);
}

bool TIniFile::Store()
{
    std::string error;
    if (!WriteFileAtomic(FileName_, Serialize(), &error)) {
        Error_ = error.empty() ? "Impossible d'écrire " + FileName_ : error;
        return false;
    }
    Stamp_ = StampOf(FileName_);
    return true;
}

template <typename F>
bool TIniFile::Modify(F change)
{
    if (Updating_ > 0) {
        if (!Dirty_ && StampOf(FileName_) != Stamp_)
            Reload();
        if (change()) {
            IndexHeaders();
            Dirty_ = true;
        }
        return true;
    }
    Error_.clear();
    TFolderLock lock(FileName_);
    if (StampOf(FileName_) != Stamp_)
        Reload();
    std::vector<TLine> before = Lines_;
    if (!change())
        return true;
    IndexHeaders();
    if (!Store()) {
        Lines_ = std::move(before);
        IndexHeaders();
        return false;
    }
    return true;
}

bool TIniFile::EndUpdate()
{
    if (Updating_ == 0 || --Updating_ > 0 || !Dirty_)
        return true;
    Dirty_ = false;
    Error_.clear();
    TFolderLock lock(FileName_);
    if (!Store()) {
        Reload();
        return false;
    }
    return true;
}

bool TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string sec(Trim(OneLine(section)));
    const std::string name(Trim(OneLine(key)));
    const std::string text = name + "=" + StoredValue(value);
    return Modify([&] {
        TRange r;
        if (!FindSection(sec, r)) {
            if (!Lines_.empty() && !Trim(Lines_.back().Text).empty())
                Lines_.push_back(ParseLine("", false));
            Lines_.push_back(ParseLine("[" + sec + "]", Lines_.empty()));
            Lines_.push_back(ParseLine(text, false));
            return true;
        }
        for (std::size_t i = r.First; i < r.End; ++i) {
            if (Lines_[i].Kind == TKind::Key && SameName(Lines_[i].Name(), name)) {
                if (Lines_[i].Text == text)
                    return false;
                Lines_[i] = ParseLine(text, i == 0);
                return true;
            }
        }
        // After the section's last non-blank line, so that the blank lines
        // that separate it from the next section stay in place.
        std::size_t at = r.End;
        while (at > r.First && Trim(Lines_[at - 1].Text).empty())
            --at;
        Lines_.insert(Lines_.begin() + std::ptrdiff_t(at), ParseLine(text, false));
        return true;
    });
}

bool TIniFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    return WriteString(section, key, std::to_string(value));
}

bool TIniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    return WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::EraseSection(std::string_view section)
{
    return Modify([&] {
        bool changed = false;
        TRange r;
        while (FindSection(section, r)) {
            Lines_.erase(Lines_.begin() + std::ptrdiff_t(r.Header), Lines_.begin() + std::ptrdiff_t(r.End));
            IndexHeaders();
            changed = true;
        }
        return changed;
    });
}

bool TIniFile::DeleteKey(std::string_view section, std::string_view key)
{
    return Modify([&] {
        TRange r;
        if (!FindSection(section, r))
            return false;
        const std::string_view name = Trim(key);
        bool changed = false;
        for (std::size_t i = r.End; i-- > r.First;) {
            if (Lines_[i].Kind == TKind::Key && SameName(Lines_[i].Name(), name)) {
                Lines_.erase(Lines_.begin() + std::ptrdiff_t(i));
                changed = true;
            }
        }
        return changed;
    });
}

} // namespace kep
