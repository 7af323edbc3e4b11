// Stored positions that follow the edits: markers, view limits and the
// carets and selections of the other views; caret placement and scrolling.
#include "editor/TextBuffer.h"

#include <gtest/gtest.h>

namespace {

class RecordingListener : public TTextBufferListener {
public:
    void RepaintLines(std::int32_t first, std::int32_t last) override { Lines.emplace_back(first, last); }
    void RepaintAll() override { ++All; }
    void ScrollBarsChanged() override {}
    void MarginChanged() override { ++Margin; }
    void FocusRequested() override {}
    std::vector<std::pair<int, int>> Lines;
    int All = 0;
    int Margin = 0;
};

std::string Numbered(int n)
{
    std::string t;
    for (int i = 0; i < n; ++i)
        t += "line " + std::to_string(i) + (i + 1 < n ? "\r\n" : "");
    return t;
}

} // namespace

TEST(TextBufferViews, MarkersFollowMultiLineReplacements)
{
    TTextBuffer b;
    TMemoryClipboard clip;
    b.SetClipboard(&clip);
    b.SetAllText(Numbered(10));
    b.ToggleMarker(0, {1, 3}); // before the edit
    b.ToggleMarker(1, {3, 2}); // inside the replaced range
    b.ToggleMarker(2, {5, 4}); // on the end line, after the end
    b.ToggleMarker(3, {8, 1}); // further down
    // Replace from (2,3) to (5,2) by three lines.
    b.SelectRange({2, 3}, {5, 2});
    clip.SetText("A\r\nBB\r\nCCC");
    b.PasteFromClipboard();
    EXPECT_EQ(b.GetLine(4), "CCCine 5");
    EXPECT_EQ(b.GetMarker(0), (TTextPos{1, 3}));
    EXPECT_EQ(b.GetMarker(1), (TTextPos{2, 3}));
    EXPECT_EQ(b.GetMarker(2), (TTextPos{4, 6}));
    EXPECT_EQ(b.GetLine(4).substr(5, 1), "e"); // the same letter as before
    EXPECT_EQ(b.GetMarker(3), (TTextPos{7, 1}));
    EXPECT_EQ(b.GetLine(7), "line 8");
    // Undo takes them back.
    b.Undo();
    EXPECT_EQ(b.GetMarker(2), (TTextPos{5, 4}));
    EXPECT_EQ(b.GetMarker(3), (TTextPos{8, 1}));
    EXPECT_EQ(b.GetMarker(1), (TTextPos{2, 3})); // a collapsed marker stays put

    // Toggling on the same spot clears; out-of-range numbers read unset.
    b.ToggleMarker(3, {8, 1});
    EXPECT_EQ(b.GetMarker(3), (TTextPos{-1, -1}));
    EXPECT_EQ(b.GetMarker(10), (TTextPos{-1, -1}));
    b.GoToMarker(3); // unset: nothing
    b.GoToMarker(2);
    EXPECT_EQ(b.Caret(), (TTextPos{5, 4}));
}

TEST(TextBufferViews, OtherViewsAndLimitsFollowEdits)
{
    TTextBuffer b;
    b.SetAllText(Numbered(30));
    TEditView& second = b.AddView();
    second.ViewMinLine = 10;
    second.ViewMaxLine = 20;
    second.TopLine = 12;
    second.Caret = {15, 3};
    second.SelStart = {14, 1};
    second.SelEnd = {15, 3};
    b.View().ViewMaxLine = 25;
    // In the active view, insert two lines near the top.
    b.SetCaret({2, 1});
    b.Enter();
    b.Enter();
    TEditView* v = b.GetView(1);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->ViewMinLine, 12);
    EXPECT_EQ(v->ViewMaxLine, 22);
    EXPECT_EQ(v->TopLine, 14);
    EXPECT_EQ(v->Caret, (TTextPos{17, 3}));
    EXPECT_EQ(v->SelStart, (TTextPos{16, 1}));
    EXPECT_EQ(b.View().ViewMaxLine, 27);
    EXPECT_EQ(b.View().ViewMinLine, -1);
    // Deleting lines across a limit pulls it to the edit, not before it.
    b.SelectRange({5, 1}, {15, 1});
    b.DeleteKey();
    EXPECT_EQ(v->ViewMinLine, 5);
    EXPECT_EQ(v->ViewMaxLine, 12);
    EXPECT_EQ(v->Caret, (TTextPos{7, 3}));

    b.SelectView(1);
    EXPECT_EQ(b.Caret(), (TTextPos{7, 3}));
    EXPECT_EQ(b.ViewMinLine(), 5);
    b.DeleteView(1);
    EXPECT_EQ(b.ViewCount(), 1);
    EXPECT_EQ(b.ActiveView(), 0);
    b.DeleteView(0); // the last view stays
    EXPECT_EQ(b.ViewCount(), 1);
    EXPECT_EQ(b.GetView(3), nullptr);
}

TEST(TextBufferViews, DeletingAViewLeavesTheRightOneActive)
{
    // Three views, each with its caret on its own line. Deleting the active
    // view hands over to the view that takes its place, or to the one before
    // when it was the last; deleting another view keeps the active one.
    auto caretOf = [](int view) { return TTextPos{10 * view + 5, view + 2}; };
    struct Case {
        int active, deleted;
        int activeAfter; // index once deleted
        int shown;       // the view, by its index before, whose caret is the caret
    };
    const std::vector<Case> cases = {
        {0, 0, 0, 1}, {1, 1, 1, 2}, {2, 2, 1, 1}, // the active view itself
        {1, 0, 0, 1}, {2, 0, 1, 2}, {2, 1, 1, 2}, // a view before the active one
        {0, 1, 0, 0}, {0, 2, 0, 0}, {1, 2, 1, 1}, // a view after it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("active " + std::to_string(c.active) + ", deleted " + std::to_string(c.deleted));
        TTextBuffer b;
        b.SetAllText(Numbered(40));
        b.AddView();
        b.AddView();
        ASSERT_EQ(b.ViewCount(), 3);
        for (int i = 0; i < 3; ++i)
            b.GetView(i)->Caret = caretOf(i);
        b.SelectView(c.active);
        ASSERT_EQ(b.Caret(), caretOf(c.active));
        b.DeleteView(c.deleted);
        ASSERT_EQ(b.ViewCount(), 2);
        EXPECT_EQ(b.ActiveView(), c.activeAfter);
        EXPECT_EQ(b.Caret(), caretOf(c.shown));
        // The other views keep their order.
        int k = 0;
        for (int i = 0; i < 3; ++i) {
            if (i != c.deleted) {
                EXPECT_EQ(b.GetView(k)->Caret, caretOf(i)) << i;
                ++k;
            }
        }
    }
}

TEST(TextBufferViews, CaretPlacementAndScrolling)
{
    TTextBuffer b;
    RecordingListener l;
    b.SetListener(&l);
    TEditMetrics& m = b.Metrics();
    m.CharWidth = 8;
    m.VisibleLines = 20;
    m.ClientWidth = 400;
    b.MetricsChanged();
    b.SetAllText(Numbered(100));

    // Tabs go to the next stop, past the last one two characters on.
    EXPECT_EQ(b.PixelOfCol("\tx", 2), 112);
    EXPECT_EQ(b.PixelOfCol("a\t", 3), 112);
    EXPECT_EQ(b.PixelOfCol(std::string(70, 'a') + "\t", 72), 576);
    EXPECT_EQ(b.ColAtPixel("\tx", 111), 1);
    EXPECT_EQ(b.ColAtPixel("\tx", 112), 2);
    EXPECT_EQ(b.ColAtPixel("ab", 500), 3);

    b.GoToLine(50); // off the page: scrolled a third down
    EXPECT_EQ(b.TopLine(), 50 - 20 / 3);
    b.GoToLine(99);
    EXPECT_EQ(b.TopLine(), 80); // clamped to the last page
    b.SetTopLine(-3);
    EXPECT_EQ(b.TopLine(), 0);

    // A caret far to the right scrolls by whole characters.
    b.SetAllText(std::string(100, 'w'));
    b.SetCaret({0, 101});
    EXPECT_TRUE(b.BringCaretIntoView());
    EXPECT_EQ(b.LeftPixel() % 8, 0);
    EXPECT_GT(b.CaretX(), m.TextLeft);
    EXPECT_LT(b.CaretX(), m.ClientWidth);
    EXPECT_EQ(b.CaretScreenCol(), 101);
    // A caret left of the scrolled area is hidden.
    b.SetCaret({0, 1});
    EXPECT_EQ(b.CaretX(), -5);
}

TEST(TextBufferViews, WidestLineIsKeptAsTheTextChanges)
{
    TTextBuffer b;
    b.SetAllText("ab\r\nabcdef\r\nabc");
    EXPECT_EQ(b.MaxLineWidth(), 6 * 8);
    b.SetCaret({2, 4});
    for (int i = 0; i < 5; ++i)
        b.TypeChar('z');
    EXPECT_EQ(b.MaxLineWidth(), 8 * 8);
    b.SelectRange({1, 1}, {2, 9});
    b.DeleteKey();
    EXPECT_EQ(b.MaxLineWidth(), 2 * 8);
    b.Undo();
    EXPECT_EQ(b.MaxLineWidth(), 8 * 8);
    b.Metrics().CharWidth = 10;
    b.MetricsChanged();
    EXPECT_EQ(b.MaxLineWidth(), 8 * 10);
}

TEST(TextBufferViews, EditsRepaintOnlyWhatTheyTouch)
{
    TTextBuffer b;
    RecordingListener l;
    b.SetListener(&l);
    b.SetAllText(Numbered(50));
    b.SetCaret({3, 2});
    b.SetStateValidBefore(50); // as if every line had been coloured
    l.Lines.clear();
    l.All = 0;
    b.TypeChar('x');
    EXPECT_EQ(l.All, 0);
    ASSERT_FALSE(l.Lines.empty());
    EXPECT_EQ(l.Lines.back(), (std::pair<int, int>{3, 3}));
    b.Enter();
    EXPECT_EQ(l.Lines.back().first, 3);
    EXPECT_EQ(l.Lines.back().second, TTextBufferListener::ToBottom);
    // The colouring state is invalid from the first changed line on.
    EXPECT_EQ(b.StateValidBefore(), 3);
    l.Margin = 0;
    b.ToggleMarker(4, {4, 1});
    EXPECT_EQ(l.Margin, 1);
}

TEST(TextBufferViews, WildStoredViewsAreBroughtBackIntoTheText)
{
    // A project file may hold any numbers for a view: placing the caret must
    // neither overflow nor leave the view outside the text.
    TTextBuffer b;
    b.SetAllText(Numbered(30));
    TEditView& v = b.AddView();
    v.TopLine = 2147483647;
    v.LeftPixel = 2147483647;
    v.Caret = {2147483647, -5};
    b.SelectView(1);
    EXPECT_EQ(b.TopLine(), b.MaxTopLine());
    EXPECT_EQ(b.Caret(), (TTextPos{29, 1}));
    EXPECT_LE(b.LeftPixel(), 1 << 26);
    b.View().TopLine = -40;
    b.PlaceCaret();
    EXPECT_EQ(b.TopLine(), 0);
}

// Three views of 500 lines, 20 lines on screen: tops 0, 100 and 300.
class BestView : public ::testing::Test {
protected:
    void SetUp() override
    {
        b.SetAllText(Numbered(500));
        b.Metrics().VisibleLines = 20;
        b.AddView();
        b.AddView();
        b.GetView(0)->TopLine = 0;
        b.GetView(1)->TopLine = 100;
        b.GetView(2)->TopLine = 300;
    }
    TTextBuffer b;
};

TEST_F(BestView, TheViewWhoseScreenHoldsTheLineWins)
{
    EXPECT_EQ(b.BestViewForLine(0), 0);
    EXPECT_EQ(b.BestViewForLine(19), 0);
    EXPECT_EQ(b.BestViewForLine(100), 1);
    EXPECT_EQ(b.BestViewForLine(119), 1);
    EXPECT_EQ(b.BestViewForLine(305), 2);
    // A screen ends before top + visible lines.
    b.GetView(1)->TopLine = 20;
    EXPECT_EQ(b.BestViewForLine(19), 0);
    EXPECT_EQ(b.BestViewForLine(20), 1);
    b.GetView(1)->TopLine = 100;
    // The first view that shows it, when screens overlap.
    b.GetView(2)->TopLine = 110;
    EXPECT_EQ(b.BestViewForLine(115), 1);
    EXPECT_EQ(b.BestViewForLine(125), 2);
}

TEST_F(BestView, OtherwiseTheNearestMiddleWinsTheFirstOfEquals)
{
    // Middles 10, 110 and 310.
    EXPECT_EQ(b.BestViewForLine(20), 0);  // just below the first screen
    EXPECT_EQ(b.BestViewForLine(59), 0);  // 49 from 10, 51 from 110
    EXPECT_EQ(b.BestViewForLine(61), 1);  // 51 from 10, 49 from 110
    EXPECT_EQ(b.BestViewForLine(60), 0);  // 50 from both: the first
    EXPECT_EQ(b.BestViewForLine(99), 1);  // just above the second screen
    EXPECT_EQ(b.BestViewForLine(210), 1); // 100 from both: the first
    EXPECT_EQ(b.BestViewForLine(211), 2);
    EXPECT_EQ(b.BestViewForLine(499), 2);
}

TEST_F(BestView, ViewsLimitedAwayFromTheLineGiveWay)
{
    // View 0 covers lines up to 99, view 1 lines 100 to 249, view 2 from 300 on.
    b.GetView(0)->ViewMaxLine = 99;
    b.GetView(1)->ViewMinLine = 100;
    b.GetView(1)->ViewMaxLine = 249;
    b.GetView(2)->ViewMinLine = 300;
    // Inside a view's range but off its screen: that view, though another
    // view's middle is nearer.
    EXPECT_EQ(b.BestViewForLine(240), 1);
    EXPECT_EQ(b.BestViewForLine(99), 0);
    EXPECT_EQ(b.BestViewForLine(450), 2);
    // Between the ranges: every view competes.
    EXPECT_EQ(b.BestViewForLine(270), 2);
    // A line on view 0's screen but beyond its upper limit goes elsewhere.
    b.GetView(0)->ViewMaxLine = 9;
    b.GetView(1)->ViewMinLine = -1;
    EXPECT_EQ(b.BestViewForLine(15), 1);
    EXPECT_EQ(b.BestViewForLine(5), 0);
    // No range holds the line: every view competes again.
    b.GetView(1)->ViewMinLine = 100;
    EXPECT_EQ(b.BestViewForLine(15), 0);
    // One view only.
    TTextBuffer one;
    one.SetAllText(Numbered(50));
    EXPECT_EQ(one.BestViewForLine(49), 0);
}
