// Typing, copying and pasting in OEM and ANSI files: each file takes exactly
// the characters its code page holds and gives them back unchanged.
#include "EditorFixture.h"

#include "editor/U_Edit.h"
#include "platform/CodePage.h"
#include "platform/FileIo.h"
#include "support/TestDir.h"

#include <QClipboard>
#include <QKeyEvent>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

void Type(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

struct TCase {
    bool Oem;
    const char* Expected; // buffer bytes after typing "a€œ░é"
    const char* OnDisk;   // the file's bytes after saving
    int Refused;
};

} // namespace

TEST(CodePageInput, EachFileTakesWhatItsCodePageHolds)
{
    // In an OEM file the euro and the oe ligature do not exist; the light
    // shade is OEM byte B0. In an ANSI file it is the shade that is missing.
    const TCase cases[] = {
        {true, "a\x80\xE9", "a\xB0\x82", 2},
        {false, "a\x80\x9C\xE9", "a\x80\x9C\xE9", 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Oem ? "OEM" : "ANSI");
        TTestDir dir;
        ShownEditor<TEditeur> s;
        s.ed.FileName = dir.Path("t.asm");
        s.b().OemFile = c.Oem;
        QSignalSpy refused(&s.ed, &TSrcEdit::InputRefused);
        Type(&s.ed, QStringLiteral("a€œ░é"));
        EXPECT_EQ(s.b().GetLine(0), c.Expected);
        EXPECT_EQ(refused.count(), c.Refused);
        ASSERT_TRUE(s.ed.Save());
        std::string disk;
        ASSERT_TRUE(kep::ReadWholeFile(s.ed.FileName, disk));
        EXPECT_EQ(disk, c.OnDisk);
    }
}

TEST(CodePageInput, OemCharactersTravelThroughTheClipboard)
{
    ShownEditor<> from, to;
    from.b().OemFile = true;
    to.b().OemFile = true;
    // OEM "═╬═ ı" as it sits in the buffer.
    const std::string line = kep::OemToAnsi("\xCD\xCE\xCD \xD5");
    from.b().SetAllText(line);
    from.b().SelectRange(TTextPos{0, 1}, TTextPos{0, 6});
    from.b().CopyToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("═╬═ ı"));
    to.b().PasteFromClipboard();
    EXPECT_EQ(to.b().GetLine(0), line);

    // An ANSI file cannot hold them: each becomes '?', the rest stays.
    ShownEditor<> ansi;
    ansi.b().PasteFromClipboard();
    EXPECT_EQ(ansi.b().GetLine(0), "??? ?");
    QGuiApplication::clipboard()->setText(QStringLiteral("œ€"));
    ansi.b().PasteFromClipboard();
    EXPECT_EQ(ansi.b().GetLine(0), "??? ?\x9C\x80");
}
