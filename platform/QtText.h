#pragma once
// Conversions between what the models keep (Windows-1252 text, file-system
// paths as bytes) and Qt strings, for the widgets.
#include "platform/CodePage.h"

#include <QFile>
#include <QString>

#include <string>
#include <string_view>

namespace kep {

inline QString AnsiToQString(std::string_view ansi)
{
    const std::u16string u = AnsiToUtf16(ansi);
    return QString::fromUtf16(u.data(), qsizetype(u.size()));
}

inline std::string QStringToAnsi(const QString& text)
{
    return Utf16ToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size())));
}

// The text of an editor as shown: an OEM file shows its OEM characters.
inline QString TextToQString(std::string_view text, bool oem)
{
    const std::u16string u = TextToUtf16(text, oem);
    return QString::fromUtf16(u.data(), qsizetype(u.size()));
}

// Text for an editor; characters its code page cannot hold become '?' and
// are counted in `refused`.
inline std::string QStringToText(const QString& text, bool oem, std::size_t* refused = nullptr)
{
    return Utf16ToText(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size())),
                       oem, refused);
}

// Paths go to and from the file system's own encoding, untouched. Names
// derived from them (entries of the sources list, view names, the project
// title) and font families are stored the same way: they never pass through
// the code-page tables.
inline QString PathToQString(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

inline std::string QStringToPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace kep
