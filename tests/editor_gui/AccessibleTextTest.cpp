// The editor read through Qt accessibility, as a screen reader or a
// black-box test reads it: the text, the caret and selection offsets, units
// around an offset, character boxes, and the events of every change.
#include "EditorFixture.h"

#include <QAccessible>
#include <gtest/gtest.h>

namespace {

struct TEvents {
    TEvents()
    {
        TSrcEdit::SetAccessibleEventHook([this](QAccessibleEvent* e) { Seen.push_back(Copy(e)); });
    }
    ~TEvents() { TSrcEdit::SetAccessibleEventHook({}); }
    struct TSeen {
        QAccessible::Event Type;
        int Offset = -1;
        QString Removed, Inserted;
    };
    static TSeen Copy(QAccessibleEvent* e)
    {
        TSeen s{e->type(), -1, {}, {}};
        switch (e->type()) {
        case QAccessible::TextCaretMoved:
            s.Offset = static_cast<QAccessibleTextCursorEvent*>(e)->cursorPosition();
            break;
        case QAccessible::TextInserted:
            s.Offset = static_cast<QAccessibleTextInsertEvent*>(e)->changePosition();
            s.Inserted = static_cast<QAccessibleTextInsertEvent*>(e)->textInserted();
            break;
        case QAccessible::TextRemoved:
            s.Offset = static_cast<QAccessibleTextRemoveEvent*>(e)->changePosition();
            s.Removed = static_cast<QAccessibleTextRemoveEvent*>(e)->textRemoved();
            break;
        case QAccessible::TextUpdated:
            s.Offset = static_cast<QAccessibleTextUpdateEvent*>(e)->changePosition();
            s.Removed = static_cast<QAccessibleTextUpdateEvent*>(e)->textRemoved();
            s.Inserted = static_cast<QAccessibleTextUpdateEvent*>(e)->textInserted();
            break;
        default:
            break;
        }
        return s;
    }
    // The text as a client rebuilds it from the change events alone.
    void Apply(QString& mirror) const
    {
        for (const TSeen& s : Seen) {
            if (s.Type == QAccessible::TextInserted || s.Type == QAccessible::TextRemoved ||
                s.Type == QAccessible::TextUpdated) {
                // A whole new text says how much went, as blanks.
                EXPECT_EQ(mirror.mid(s.Offset, s.Removed.size()).size(), s.Removed.size());
                if (!s.Removed.trimmed().isEmpty()) {
                    EXPECT_EQ(mirror.mid(s.Offset, s.Removed.size()), s.Removed);
                }
                mirror.replace(s.Offset, s.Removed.size(), s.Inserted);
            }
        }
    }
    int LastCaret() const
    {
        for (auto it = Seen.rbegin(); it != Seen.rend(); ++it)
            if (it->Type == QAccessible::TextCaretMoved)
                return it->Offset;
        return -1;
    }
    std::vector<TSeen> Seen;
};

} // namespace

TEST(AccessibleText, ThreeLinesReadThroughTheTextInterface)
{
    ShownEditor<> s;
    s.b().SetAllText("abc\r\n\tdef gh\xE9\r\nxyz");
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&s.ed);
    ASSERT_TRUE(iface);
    EXPECT_EQ(iface->role(), QAccessible::EditableText);
    EXPECT_TRUE(iface->state().multiLine);
    EXPECT_TRUE(iface->state().editable);
    QAccessibleTextInterface* t = iface->textInterface();
    ASSERT_TRUE(t);
    EXPECT_EQ(t->characterCount(), 16);
    EXPECT_EQ(t->text(0, 16), QStringLiteral("abc\n\tdef gh\u00e9\nxyz"));
    EXPECT_EQ(t->text(2, 6), QStringLiteral("c\n\td"));
    EXPECT_EQ(iface->text(QAccessible::Value), t->text(0, 16));

    s.b().SetCaret({1, 2});
    EXPECT_EQ(t->cursorPosition(), 5);
    EXPECT_EQ(t->selectionCount(), 0);
    s.b().SelectRange({0, 2}, {1, 4});
    int from = -1, to = -1;
    EXPECT_EQ(t->selectionCount(), 1);
    t->selection(0, &from, &to);
    EXPECT_EQ(std::pair(from, to), std::pair(1, 7));

    // Units around offset 6 (the "e" of "def").
    EXPECT_EQ(t->textAtOffset(6, QAccessible::WordBoundary, &from, &to), "def");
    EXPECT_EQ(std::pair(from, to), std::pair(5, 8));
    EXPECT_EQ(t->textAtOffset(6, QAccessible::CharBoundary, &from, &to), "e");
    EXPECT_EQ(t->textAtOffset(6, QAccessible::LineBoundary, &from, &to), QStringLiteral("\tdef gh\u00e9\n"));
    EXPECT_EQ(t->textBeforeOffset(6, QAccessible::LineBoundary, &from, &to), "abc\n");
    EXPECT_EQ(t->textAfterOffset(6, QAccessible::LineBoundary, &from, &to), "xyz");
    EXPECT_EQ(std::pair(from, to), std::pair(13, 16));
    EXPECT_EQ(t->textAfterOffset(6, QAccessible::WordBoundary, &from, &to), " ");
    EXPECT_EQ(t->textAfterOffset(8, QAccessible::WordBoundary, &from, &to), QStringLiteral("gh\u00e9"));
    EXPECT_EQ(t->textAtOffset(16, QAccessible::LineBoundary, &from, &to), "xyz");
    EXPECT_EQ(t->textAtOffset(3, QAccessible::NoBoundary, &from, &to), t->text(0, 16));

    // Boxes on screen: the "d" after the tab sits at the first stop.
    const QPoint origin = s.ed.viewport()->mapToGlobal(QPoint(0, 0));
    const QRect d = t->characterRect(5);
    EXPECT_EQ(d.topLeft(), origin + QPoint(s.ed.TextLeft() + s.ed.TabStop(0), s.ed.LineHeight()));
    EXPECT_EQ(d.width(), s.ed.CharWidth());
    EXPECT_EQ(t->characterRect(4).width(), s.ed.TabStop(0));
    EXPECT_EQ(t->offsetAtPoint(t->characterRect(14).center()), 14);
    EXPECT_EQ(t->offsetAtPoint(origin + QPoint(1, 1)), -1); // the margin

    // A client moves the caret and selects.
    t->setCursorPosition(14);
    EXPECT_EQ(s.b().Caret(), (TTextPos{2, 2}));
    EXPECT_FALSE(s.b().HasSelection());
    t->setSelection(0, 0, 3);
    EXPECT_EQ(s.b().GetSelText(), "abc");
    t->removeSelection(0);
    EXPECT_FALSE(s.b().HasSelection());
    s.b().ReadOnly = true;
    EXPECT_TRUE(iface->state().readOnly);
}

TEST(AccessibleText, EditsAboveTheCaretMoveItsOffsetAndAreSent)
{
    ShownEditor<> s;
    s.b().SetAllText("abc\r\n\tdef\r\nxyz");
    QAccessibleTextInterface* t = QAccessible::queryAccessibleInterface(&s.ed)->textInterface();
    QString mirror = t->text(0, t->characterCount());
    TEvents events;
    s.b().SetCaret({2, 3});
    s.b().PlaceCaret();
    EXPECT_EQ(events.LastCaret(), 11);

    // Typing on line 0, then coming back: the caret's offset follows.
    QTest::mouseClick(s.ed.viewport(), Qt::LeftButton, {},
                      QPoint(s.ed.TextLeft() + 3 * s.ed.CharWidth() + 1, s.ed.LineHeight() / 2));
    QTest::keyClicks(&s.ed, "!!");
    EXPECT_EQ(t->cursorPosition(), 5);
    EXPECT_EQ(events.LastCaret(), 5);
    QTest::keyClick(&s.ed, Qt::Key_Return);
    t->setCursorPosition(t->characterCount());
    EXPECT_EQ(s.b().Caret(), (TTextPos{3, 4}));
    EXPECT_EQ(t->cursorPosition(), 15);
    EXPECT_EQ(events.LastCaret(), 15);

    // Lines removed above: Ctrl+Y on line 0, and a selection over a break.
    s.b().SetCaret({0, 1});
    QTest::keyClick(&s.ed, Qt::Key_Y, Qt::ControlModifier);
    s.b().SelectRange({0, 1}, {1, 2});
    QTest::keyClick(&s.ed, Qt::Key_Delete);
    EXPECT_EQ(t->text(0, t->characterCount()), "def\nxyz");
    t->setCursorPosition(7);
    EXPECT_EQ(s.b().Caret(), (TTextPos{1, 4}));

    // Undo and a paste of several lines, all replayed by a client.
    QTest::keyClick(&s.ed, Qt::Key_Z, Qt::ControlModifier);
    s.b().SetCaret({1, 1});
    s.b().InsertText("one\r\ntwo\r\n");
    events.Apply(mirror);
    EXPECT_EQ(mirror, t->text(0, t->characterCount()));
    EXPECT_EQ(t->characterCount(), int(s.b().CharCount()));

    // A new text as a whole: one update from the old length to the new text.
    events.Seen.clear();
    mirror = t->text(0, t->characterCount());
    s.b().SetAllText("fresh");
    events.Apply(mirror);
    EXPECT_EQ(mirror, "fresh");
}
