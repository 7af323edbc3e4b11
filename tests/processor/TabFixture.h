#pragma once
// Tables for the tests, built from the text descriptions in
// tests/data/processor with the keptool library.
#include "platform/FileIo.h"
#include "processor/U_TabFile.h"
#include "tools/TabDesc.h"
#include "tools/TabWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kep::test {

inline std::string FixturePath(const std::string& name)
{
    return std::string(KEP_TEST_DATA) + "/processor/" + name;
}

inline std::string ReadFixture(const std::string& name)
{
    std::string text;
    EXPECT_TRUE(ReadWholeFile(FixturePath(name), text)) << name;
    return text;
}

// Bytes of the table described by text; fails the test on a description
// error.
inline std::string TableFromText(const std::string& text, TTabLayout* layout = nullptr)
{
    TTabDesc desc;
    std::string error, bytes;
    EXPECT_TRUE(ParseTabDesc(text, desc, &error)) << error;
    EXPECT_TRUE(BuildTab(desc, bytes, &error, layout)) << error;
    return bytes;
}

inline std::string TableBytes(const std::string& fixture, TTabLayout* layout = nullptr)
{
    return TableFromText(ReadFixture(fixture), layout);
}

inline void LoadTable(TTabFile& tab, const std::string& bytes)
{
    std::string error;
    ASSERT_TRUE(tab.LoadFromBytes(bytes, &error)) << error;
}

struct TDescription {
    std::vector<std::string> Lines;
    std::vector<std::string> Types;
};

inline TDescription Describe(const TTabFile& tab, const std::string& mnemonic)
{
    TDescription d;
    tab.Describe(mnemonic, d.Lines, d.Types);
    return d;
}

inline void PutWord(std::string& bytes, std::size_t at, unsigned v)
{
    bytes[at] = static_cast<char>(v & 0xFF);
    bytes[at + 1] = static_cast<char>(v >> 8);
}

// Windows-1252 texts of the display.
inline const std::string Inherent = "Inh\xE9rent";
inline std::string Quoted(const std::string& s)
{
    return "\xAB" + s + "\xBB";
}

} // namespace kep::test
