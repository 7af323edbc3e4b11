// The folder tree: selection by path and the signal its users follow.
#include "controls/UC_FolderTree.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using kep::TFolderTree;

TEST(FolderTree, SelectsFoldersByPathAndReportsChanges)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    ASSERT_TRUE(QDir(tmp.path()).mkpath(QStringLiteral("un/deux")));
    QFile file(tmp.filePath(QStringLiteral("un/fichier.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    TFolderTree tree;
    tree.resize(300, 400);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));

    QSignalSpy spy(&tree, &TFolderTree::FolderChanged);
    const QString deux = tmp.filePath(QStringLiteral("un/deux"));
    ASSERT_TRUE(tree.SetSelectedFolder(deux + QLatin1Char('/')));
    EXPECT_EQ(tree.SelectedFolder(), deux);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), deux);

    // Files and missing folders cannot be chosen; the selection stays.
    EXPECT_FALSE(tree.SetSelectedFolder(tmp.filePath(QStringLiteral("un/fichier.txt"))));
    EXPECT_FALSE(tree.SetSelectedFolder(tmp.filePath(QStringLiteral("absent"))));
    EXPECT_EQ(tree.SelectedFolder(), deux);

    ASSERT_TRUE(tree.SetSelectedFolder(QStringLiteral("/")));
    EXPECT_EQ(tree.SelectedFolder(), QStringLiteral("/"));

    // Only folders are listed under a folder.
    ASSERT_TRUE(tree.SetSelectedFolder(tmp.filePath(QStringLiteral("un"))));
    tree.expand(tree.currentIndex());
    QTRY_COMPARE_WITH_TIMEOUT(tree.model()->rowCount(tree.currentIndex()), 1, 5000);
    EXPECT_EQ(tree.model()->index(0, 0, tree.currentIndex()).data().toString(), QStringLiteral("deux"));
}
