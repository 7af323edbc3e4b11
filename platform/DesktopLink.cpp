#include "platform/DesktopLink.h"

#include "platform/DesktopEntry.h"

#include <fstream>
#include <iterator>

namespace kep {

namespace {

using desktop_detail::Trim;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "file:///a%20b" or "file://localhost/a" -> "/a b"; anything else -> "".
std::string LocalPathOfUrl(std::string_view url)
{
    if (!url.empty() && url.front() == '/')
        return std::string(url);
    constexpr std::string_view scheme = "file://";
    if (url.size() <= scheme.size() || url.substr(0, scheme.size()) != scheme)
        return {};
    url.remove_prefix(scheme.size());
    const auto slash = url.find('/');
    if (slash == std::string_view::npos)
        return {};
    const std::string_view host = url.substr(0, slash);
    if (!host.empty() && host != "localhost")
        return {};
    url.remove_prefix(slash);
    std::string path;
    for (std::size_t i = 0; i < url.size(); ++i) {
        if (url[i] == '%' && i + 2 < url.size() && HexDigit(url[i + 1]) >= 0 && HexDigit(url[i + 2]) >= 0) {
            const char c = char(HexDigit(url[i + 1]) * 16 + HexDigit(url[i + 2]));
            if (c == '\0')
                return {}; // no NUL inside a path
            path += c;
            i += 2;
        } else {
            path += url[i];
        }
    }
    return path;
}

} // namespace

std::string DesktopLinkTarget(std::string_view text)
{
    bool inEntry = false, isLink = false;
    std::string url;
    while (!text.empty()) {
        const auto eol = text.find('\n');
        const std::string_view line = Trim(text.substr(0, eol));
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry)
            continue;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view key = Trim(line.substr(0, eq));
        const std::string_view value = Trim(line.substr(eq + 1));
        // The first value of a key counts; localised keys ("URL[fr]") are others.
        if (key == "Type")
            isLink = value == "Link";
        else if (key == "URL" && url.empty())
            url = desktop_detail::UnescapeString(value);
    }
    return isLink ? LocalPathOfUrl(url) : std::string();
}

std::string DesktopLinkFileTarget(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    // A desktop entry is small; a huge file is no link worth reading whole.
    std::string text(64 * 1024, '\0');
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(std::size_t(in.gcount()));
    return DesktopLinkTarget(text);
}

bool IsDesktopFileName(std::string_view name)
{
    constexpr std::string_view ext = ".desktop";
    if (name.size() < ext.size())
        return false;
    const std::string_view tail = name.substr(name.size() - ext.size());
    for (std::size_t i = 0; i < ext.size(); ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != ext[i])
            return false;
    }
    return true;
}

} // namespace kep
