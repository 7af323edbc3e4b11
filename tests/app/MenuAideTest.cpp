// The processor item of the help menu: the name on a source's first line and
// its description file in the processor folder.
#include "app/U_MenuAide.h"

#include "support/TestDir.h"

#include <gtest/gtest.h>

using kep::FichierDescription;
using kep::NomProcesseurLigne;

TEST(MenuAide, TheFirstLineGivesTheBareName)
{
    EXPECT_EQ(NomProcesseurLigne("p16"), "p16");
    EXPECT_EQ(NomProcesseurLigne("P16.TAB"), "P16");
    EXPECT_EQ(NomProcesseurLigne("p16.tab"), "p16");
    EXPECT_EQ(NomProcesseurLigne("p16\\"), "p16");
    EXPECT_EQ(NomProcesseurLigne("p16/"), "p16");
    EXPECT_EQ(NomProcesseurLigne("P16.TAB\\"), "P16");
    EXPECT_EQ(NomProcesseurLigne("p16  \t"), "p16");
    // Only one final separator goes, and only the extension .TAB.
    EXPECT_EQ(NomProcesseurLigne("p16//"), "");
    EXPECT_EQ(NomProcesseurLigne("p16.inc"), "p16.inc");
    EXPECT_EQ(NomProcesseurLigne(".tab"), "");
    // A line that is not a bare file name names no processor.
    EXPECT_EQ(NomProcesseurLigne(""), "");
    EXPECT_EQ(NomProcesseurLigne("../lib/p16"), "");
    EXPECT_EQ(NomProcesseurLigne("..\\"), "");
    EXPECT_EQ(NomProcesseurLigne(std::string("p1\0" "6", 4)), "");
}

TEST(MenuAide, TheDescriptionFileIsFoundIgnoringCase)
{
    TTestDir dir;
    dir.Write("lib/p16.s", "opts\n");
    dir.Write("lib/h8.S", "opts\n");
    const std::string lib = dir.Path("lib");
    EXPECT_EQ(FichierDescription(lib + "/", "p16"), dir.Path("lib/p16.s"));
    EXPECT_EQ(FichierDescription(lib, "P16"), dir.Path("lib/p16.s"));
    EXPECT_EQ(FichierDescription(lib + "/", "h8"), dir.Path("lib/h8.S"));
    // The name's own extension is replaced.
    EXPECT_EQ(FichierDescription(lib + "/", "p16.inc"), dir.Path("lib/p16.s"));
    EXPECT_EQ(FichierDescription(lib + "/", "p18"), "");
    EXPECT_EQ(FichierDescription(lib + "/", ""), "");
    EXPECT_EQ(FichierDescription(dir.Path("absent/"), "p16"), "");
}
