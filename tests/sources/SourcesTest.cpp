// The sources list: finding a file's entries, the current and previous
// markers, drawing, the popup target and moving a file's group.
#include "editor/UC_Sources.h"
#include "editor/U_Edit.h"

#include <QImage>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class TSourcesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PageCourante = nullptr;
        List.resize(160, 300);
        List.OnPageChange = [this](int i) {
            Changes.push_back(i);
            List.SelectPage(i);
        };
    }
    void TearDown() override
    {
        while (List.Count() > 0)
            List.DeleteEntry(0);
        PageCourante = nullptr;
    }

    // A file with `views` entries appended to the list.
    TEditeur* File(const std::string& path, int views, bool readOnly = false)
    {
        Editors.push_back(std::make_unique<TEditeur>());
        TEditeur* ed = Editors.back().get();
        ed->FileName = path;
        ed->Buffer().ReadOnly = readOnly;
        for (int v = 1; v < views; ++v)
            ed->Buffer().AddView();
        const QString name = QString::fromStdString(path.substr(path.rfind('/') + 1));
        for (int v = 0; v < views; ++v)
            List.AddEntry(views > 1 ? name + QStringLiteral("(%1)").arg(v + 1) : name, new TInfPage{ed, v, false});
        return ed;
    }
    QStringList Names() const
    {
        QStringList n;
        for (int i = 0; i < List.Count(); ++i)
            n << List.Text(i);
        return n;
    }
    QPoint RowPoint(int row, int dy) const
    {
        const QRect r = List.visualItemRect(List.item(row));
        return QPoint(40, r.top() + dy);
    }
    QImage Shot()
    {
        List.show();
        return List.viewport()->grab().toImage();
    }

    std::vector<std::unique_ptr<TEditeur>> Editors;
    TSources List;
    std::vector<int> Changes;
};

} // namespace

TEST_F(TSourcesTest, FindFileIgnoresAsciiCase)
{
    File("/p/a.asm", 1);
    File("/p/Main.asm", 3);
    File("/p/\xE9t\xE9.asm", 1);
    int first = -1, last = -1;
    ASSERT_TRUE(List.FindFile("/P/MAIN.ASM", first, last));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 3);
    EXPECT_TRUE(List.FindFile("/p/\xE9t\xE9.ASM", first, last));
    EXPECT_EQ(first, 4);
    EXPECT_FALSE(List.FindFile("/p/\xC9T\xC9.asm", first, last)); // only ASCII letters fold
    EXPECT_FALSE(List.FindFile("/p/main.as", first, last));
}

TEST_F(TSourcesTest, SelectPageKeepsThePreviousEntryAndTheView)
{
    TEditeur* a = File("/p/a.asm", 2);
    File("/p/b.asm", 1);
    EXPECT_EQ(List.CurrentPage(), -1);
    List.SelectPage(1);
    EXPECT_EQ(List.PreviousPage(), -1);
    EXPECT_EQ(PageCourante, List.Entry(1));
    EXPECT_EQ(a->Buffer().ActiveView(), 1);
    List.SelectPage(2);
    EXPECT_EQ(List.PreviousPage(), 1);
    List.SelectPage(2); // same entry: the previous one stays
    EXPECT_EQ(List.PreviousPage(), 1);
    List.SelectPage(0);
    EXPECT_EQ(List.PreviousPage(), 2);
    EXPECT_EQ(List.ItemIndex(), 0);
    EXPECT_EQ(a->Buffer().ActiveView(), 0);
}

TEST_F(TSourcesTest, EntriesShowReadOnlyTreeLinesAndMarkers)
{
    File("/p/one.asm", 1, true);
    File("/p/three.asm", 3);
    List.SelectPage(2);
    List.SelectPage(0);
    const QImage img = Shot();
    auto rect = [&](int row) { return List.visualItemRect(List.item(row)); };
    // Backgrounds.
    EXPECT_EQ(QColor(img.pixel(100, rect(0).center().y())), TSources::ReadOnlyColor());
    EXPECT_EQ(QColor(img.pixel(100, rect(1).center().y())), TSources::WritableColor());
    // No tree lines for a file with one view.
    EXPECT_EQ(QColor(img.pixel(9, rect(0).top() + 1)), TSources::ReadOnlyColor());
    // Three views: the first starts at its middle, the middle one runs the full
    // height, the last stops at its middle.
    EXPECT_EQ(QColor(img.pixel(9, rect(1).top() + 1)), TSources::WritableColor());
    EXPECT_EQ(QColor(img.pixel(9, rect(1).bottom() - 1)), QColor(Qt::black));
    EXPECT_EQ(QColor(img.pixel(9, rect(2).top())), QColor(Qt::black));
    EXPECT_EQ(QColor(img.pixel(9, rect(2).bottom())), QColor(Qt::black));
    EXPECT_EQ(QColor(img.pixel(9, rect(3).top() + 1)), QColor(Qt::black));
    EXPECT_EQ(QColor(img.pixel(9, rect(3).bottom() - 1)), TSources::WritableColor());
    EXPECT_EQ(QColor(img.pixel(11, (rect(2).top() + rect(2).bottom()) / 2)), QColor(Qt::black));
    // Current entry: grey triangle; previous entry: hollow; others: none.
    const int mid0 = (rect(0).top() + rect(0).bottom()) / 2;
    EXPECT_EQ(QColor(img.pixel(3, mid0)), TSources::MarkerColor());
    const int mid2 = (rect(2).top() + rect(2).bottom()) / 2;
    EXPECT_EQ(QColor(img.pixel(3, mid2)), TSources::WritableColor());
    EXPECT_EQ(QColor(img.pixel(1, mid2)), QColor(Qt::black)); // its outline
    const int mid3 = (rect(3).top() + rect(3).bottom()) / 2;
    EXPECT_EQ(QColor(img.pixel(1, mid3)), TSources::WritableColor());
    EXPECT_EQ(List.visualItemRect(List.item(0)).height(), List.fontMetrics().height() + 2);
}

TEST_F(TSourcesTest, RightButtonTargetsTheEntryUnderTheMouse)
{
    File("/p/a.asm", 1);
    File("/p/b.asm", 1);
    QMenu popup;
    List.PopupMenu = &popup;
    List.SetPopupTag(-1);
    List.show();
    QTest::mouseClick(List.viewport(), Qt::RightButton, {}, RowPoint(1, 3));
    EXPECT_EQ(List.PopupTag(), 1);
    popup.hide();
    QTest::mouseClick(List.viewport(), Qt::RightButton, {}, QPoint(40, 280)); // below the entries
    EXPECT_EQ(List.PopupTag(), 1);
    EXPECT_TRUE(Changes.empty()); // the right button does not select
    QTest::mouseClick(List.viewport(), Qt::LeftButton, {}, RowPoint(1, 3));
    EXPECT_EQ(Changes, std::vector<int>{1});
}

TEST_F(TSourcesTest, DropIsAcceptedBetweenOtherFilesOnly)
{
    File("/p/a.asm", 1);            // 0
    TEditeur* b = File("/p/b.asm", 2); // 1, 2
    File("/p/c.asm", 2);            // 3, 4
    File("/p/d.asm", 1);            // 5
    EXPECT_TRUE(List.DropAccepted(0, b));
    EXPECT_FALSE(List.DropAccepted(1, b)); // next to its own entries
    EXPECT_FALSE(List.DropAccepted(2, b)); // inside itself
    EXPECT_FALSE(List.DropAccepted(3, b));
    EXPECT_FALSE(List.DropAccepted(4, b)); // between the views of another file
    EXPECT_TRUE(List.DropAccepted(5, b));
    EXPECT_TRUE(List.DropAccepted(6, b)); // after the last entry
    EXPECT_FALSE(List.DropAccepted(7, b));
    EXPECT_FALSE(List.DropAccepted(-1, b));
    List.show();
    const int h = List.visualItemRect(List.item(0)).height();
    EXPECT_EQ(List.DropBoundaryAt(RowPoint(3, 1)), 3);
    EXPECT_EQ(List.DropBoundaryAt(RowPoint(3, h / 2)), -1); // middle third refused
    EXPECT_EQ(List.DropBoundaryAt(RowPoint(3, h - 1)), 4);
    EXPECT_EQ(List.DropBoundaryAt(QPoint(40, 290)), -1);
}

TEST_F(TSourcesTest, MovingAGroupKeepsCurrentAndPreviousEntries)
{
    File("/p/a.asm", 1);
    File("/p/b.asm", 2);
    File("/p/c.asm", 1);
    File("/p/d.asm", 1);
    int moved = 0;
    List.OnMoved = [&] { ++moved; };
    List.SelectPage(4); // d
    List.SelectPage(2); // b(2), previous d
    List.MoveGroup(5);
    EXPECT_EQ(Names(), (QStringList{"a.asm", "c.asm", "d.asm", "b.asm(1)", "b.asm(2)"}));
    EXPECT_EQ(List.CurrentPage(), 4);
    EXPECT_EQ(List.ItemIndex(), 4);
    EXPECT_EQ(List.PreviousPage(), 2);
    EXPECT_EQ(PageCourante, List.Entry(4));
    EXPECT_EQ(moved, 1);
    List.MoveGroup(0);
    EXPECT_EQ(Names(), (QStringList{"b.asm(1)", "b.asm(2)", "a.asm", "c.asm", "d.asm"}));
    EXPECT_EQ(List.CurrentPage(), 1);
    EXPECT_EQ(List.PreviousPage(), 4);
    // Onto its own place: nothing changes.
    List.MoveGroup(2);
    List.MoveGroup(1);
    EXPECT_EQ(Names(), (QStringList{"b.asm(1)", "b.asm(2)", "a.asm", "c.asm", "d.asm"}));
    EXPECT_EQ(moved, 2);
}

TEST_F(TSourcesTest, DraggingWithTheMouseMovesTheFile)
{
    File("/p/a.asm", 1);
    File("/p/b.asm", 1);
    File("/p/c.asm", 1);
    List.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&List));
    const int h = List.visualItemRect(List.item(0)).height();
    QTest::mousePress(List.viewport(), Qt::LeftButton, {}, RowPoint(0, h / 2));
    EXPECT_EQ(List.ItemIndex(), 0);
    QTest::mouseMove(List.viewport(), RowPoint(1, h / 2));
    QTest::mouseMove(List.viewport(), RowPoint(2, h - 1));
    QTest::mouseRelease(List.viewport(), Qt::LeftButton, {}, RowPoint(2, h - 1));
    EXPECT_EQ(Names(), (QStringList{"b.asm", "c.asm", "a.asm"}));
    EXPECT_EQ(List.ItemIndex(), 2);
    // Released over the middle of an entry: refused.
    QTest::mousePress(List.viewport(), Qt::LeftButton, {}, RowPoint(2, h / 2));
    QTest::mouseMove(List.viewport(), RowPoint(1, h / 2 + 1));
    QTest::mouseMove(List.viewport(), RowPoint(0, h / 2));
    QTest::mouseRelease(List.viewport(), Qt::LeftButton, {}, RowPoint(0, h / 2));
    EXPECT_EQ(Names(), (QStringList{"b.asm", "c.asm", "a.asm"}));
}
