// The keywords of a tool's folder and parameters.
#include "config/U_MotsOutils.h"

#include <gtest/gtest.h>

using kep::ExpandeMotsOutil;
using kep::MotsOutil;

TEST(MotsOutils, ValuesFromTheProjectAndTheEditedFile)
{
    const kep::TMotsOutil m = MotsOutil("/home/moi/projets/demo.pja", "/src/asm.v2/main.asm", 3, 7, 2026);
    EXPECT_EQ(m.Date, "03.07.2026");
    EXPECT_EQ(m.ProjPath, "/home/moi/projets");
    EXPECT_EQ(m.ProjName, "demo");
    EXPECT_EQ(m.EditPath, "/src/asm.v2");
    EXPECT_EQ(m.EditName, "main");
    EXPECT_EQ(m.EditExt, ".asm");

    // The last dot of the name gives the extension; a dot in a folder or at
    // the start of a hidden file's name does not.
    EXPECT_EQ(MotsOutil("", "/a.b/Makefile", 1, 1, 2000).EditExt, "");
    EXPECT_EQ(MotsOutil("", "/a.b/Makefile", 1, 1, 2000).EditName, "Makefile");
    EXPECT_EQ(MotsOutil("", "/x/arch.tar.gz", 1, 1, 2000).EditName, "arch.tar");
    EXPECT_EQ(MotsOutil("", "/x/.profile", 1, 1, 2000).EditName, ".profile");
    EXPECT_EQ(MotsOutil("", "/main.asm", 31, 12, 1999).EditPath, "/");
    EXPECT_EQ(MotsOutil("", "/main.asm", 31, 12, 1999).Date, "31.12.1999");
    // Nothing open: every value is empty but the date.
    const kep::TMotsOutil none = MotsOutil("", "", 9, 9, 2009);
    EXPECT_EQ(none.ProjPath + none.ProjName + none.EditPath + none.EditName + none.EditExt, "");
}

TEST(MotsOutils, ExpansionReplacesEachKeywordAndCopiesTheRest)
{
    const kep::TMotsOutil m = MotsOutil("/p/demo.pja", "/src/main.asm", 8, 12, 2026);
    // The list file of the source in the editor.
    EXPECT_EQ(ExpandeMotsOutil("%EditName.lst", m), "main.lst");
    EXPECT_EQ(ExpandeMotsOutil("-o %EditPath/%EditName%EditExt.bak x", m), "-o /src/main.asm.bak x");
    EXPECT_EQ(ExpandeMotsOutil("%ProjPath/%ProjName.hex le %Date", m), "/p/demo.hex le 08.12.2026");
    // The last character is kept, whatever it is.
    EXPECT_EQ(ExpandeMotsOutil("-p%EditName;", m), "-pmain;");
    EXPECT_EQ(ExpandeMotsOutil("a", m), "a");
    EXPECT_EQ(ExpandeMotsOutil("", m), "");
    // Unknown, cut or differently spelt keywords stay as they are.
    EXPECT_EQ(ExpandeMotsOutil("100% %editname %Edit %", m), "100% %editname %Edit %");
    EXPECT_EQ(ExpandeMotsOutil("%%EditName", m), "%main");
    EXPECT_EQ(ExpandeMotsOutil("%EditNameX%EditExtY", m), "mainX.asmY");
    // A value holding a keyword is not expanded again.
    const kep::TMotsOutil odd = MotsOutil("/p/%Date.pja", "", 1, 2, 2003);
    EXPECT_EQ(ExpandeMotsOutil("%ProjName", odd), "%Date");
}
