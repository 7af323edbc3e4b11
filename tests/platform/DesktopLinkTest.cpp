// Desktop entries dropped on the window stand for the files they link to.
#include "platform/DesktopLink.h"

#include <gtest/gtest.h>

using kep::DesktopLinkTarget;

TEST(DesktopLink, LinkEntriesGiveTheirLocalFile)
{
    EXPECT_EQ(DesktopLinkTarget("[Desktop Entry]\nType=Link\nURL=file:///home/u/a.asm\n"), "/home/u/a.asm");
    // Order of keys, blanks around "=", CR LF ends, comments, a host part.
    EXPECT_EQ(DesktopLinkTarget("# made by hand\r\n[Desktop Entry]\r\nURL = file://localhost/x/b.asm\r\n"
                                "Name=b\r\n Type = Link \r\n"),
              "/x/b.asm");
    // Percent escapes and the entry escapes of string values.
    EXPECT_EQ(DesktopLinkTarget("[Desktop Entry]\nType=Link\nURL=file:///d/%C3%A9t%C3%A9%20x.asm\n"),
              "/d/\xC3\xA9t\xC3\xA9 x.asm");
    EXPECT_EQ(DesktopLinkTarget("[Desktop Entry]\nType=Link\nURL=/d/a\\sb.asm\n"), "/d/a b.asm");
    // The first value counts; localised keys and other groups are not it.
    EXPECT_EQ(DesktopLinkTarget("[Desktop Entry]\nURL[fr]=file:///fr.asm\nURL=file:///one.asm\n"
                                "URL=file:///two.asm\nType=Link\n[Desktop Action x]\nURL=file:///three.asm\n"),
              "/one.asm");
    EXPECT_EQ(DesktopLinkTarget("[Other]\nType=Link\nURL=file:///o.asm\n[Desktop Entry]\nType=Link\n"), "");
}

TEST(DesktopLink, AnythingElseLinksToNothing)
{
    EXPECT_EQ(DesktopLinkTarget(""), "");
    EXPECT_EQ(DesktopLinkTarget("[Desktop Entry]\nType=Application\nExec=kep\nURL=file:///a.asm\n"), "");
    EXPECT_EQ(DesktopLinkTarget("[Desktop Entry]\nURL=file:///a.asm\n"), ""); // no type
    EXPECT_EQ(DesktopLinkTarget("[Desktop Entry]\nType=Link\nURL=https://example.org/a.asm\n"), "");
    EXPECT_EQ(DesktopLinkTarget("[Desktop Entry]\nType=Link\nURL=file://otherhost/a.asm\n"), "");
    EXPECT_EQ(DesktopLinkTarget("[Desktop Entry]\nType=Link\nURL=file://\n"), "");
    EXPECT_EQ(DesktopLinkTarget("[Desktop Entry]\nType=Link\nURL=file:///a%00b\n"), ""); // a NUL in a path
    // A broken escape stays as written.
    EXPECT_EQ(DesktopLinkTarget("[Desktop Entry]\nType=Link\nURL=file:///a%2\n"), "/a%2");
    EXPECT_EQ(DesktopLinkTarget("[Desktop Entry]\nType=Link\nURL=file:///a%zz\n"), "/a%zz");
    EXPECT_EQ(kep::DesktopLinkFileTarget("/nonexistent/k.desktop"), "");
}

TEST(DesktopLink, DesktopFileNames)
{
    EXPECT_TRUE(kep::IsDesktopFileName("a.desktop"));
    EXPECT_TRUE(kep::IsDesktopFileName("/x/A.DeskTop"));
    EXPECT_TRUE(kep::IsDesktopFileName(".desktop"));
    EXPECT_FALSE(kep::IsDesktopFileName("desktop"));
    EXPECT_FALSE(kep::IsDesktopFileName("a.desktop.asm"));
    EXPECT_FALSE(kep::IsDesktopFileName("a.lnk"));
}
