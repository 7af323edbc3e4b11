// The help layer: KEP's own topics from the resources, other help files from
// the help folder beside the program, and a page naming what was asked when
// there is no topic.
#include "platform/Help.h"
#include "platform/HelpWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QTimer>
#include <QWindow>
#include <QPointer>
#include <QTest>
#include <QPushButton>
#include <QUrl>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "support/TestDir.h"

TEST(Help, OwnTopicsByNumberAndKeyword)
{
    bool found = false;
    QString html = kep::HelpTopicHtml(QStringLiteral("Kep.hlp"), 1000001, {}, &found);
    EXPECT_TRUE(found);
    EXPECT_TRUE(html.contains(QStringLiteral("Bienvenue dans KEP")));
    // A keyword lands on the nearest entry of the index, as a keyword search
    // does: the version history for any version.
    html = kep::HelpTopicHtml(QStringLiteral("KEP.HLP"), 0, QStringLiteral("Historique, version 0.1.0.0"), &found);
    EXPECT_TRUE(found);
    EXPECT_TRUE(html.contains(QStringLiteral("Historique des versions")));
}

// Each test that looks at the help folder gets a folder of its own: ctest
// runs the tests of this program in parallel processes.
class THelpFolder : public ::testing::Test {
protected:
    void SetUp() override { kep::SetHelpFolder(QString::fromStdString(Dir.Path("help"))); }
    void TearDown() override { kep::SetHelpFolder({}); }
    TTestDir Dir;
};

TEST_F(THelpFolder, MissingTopicsNameWhatWasAsked)
{
    bool found = true;
    QString html = kep::HelpTopicHtml(QStringLiteral("qdx.hlp"), 149, {}, &found);
    EXPECT_FALSE(found);
    EXPECT_TRUE(html.contains(QStringLiteral("qdx.hlp")));
    EXPECT_TRUE(html.contains(QStringLiteral("149")));
    html = kep::HelpTopicHtml(QStringLiteral("Win32sdk.hlp"), 0, QStringLiteral("CreateFile<b>"), &found);
    EXPECT_FALSE(found);
    EXPECT_TRUE(html.contains(QStringLiteral("CreateFile&lt;b&gt;")));
}

TEST(Help, TheHelpFolderIsBesideTheProgramUnlessSet)
{
    EXPECT_EQ(kep::HelpFolder(), QCoreApplication::applicationDirPath() + QStringLiteral("/help"));
    kep::SetHelpFolder(QStringLiteral("/somewhere/help"));
    EXPECT_EQ(kep::HelpFolder(), QStringLiteral("/somewhere/help"));
    kep::SetHelpFolder({});
    EXPECT_EQ(kep::HelpFolder(), QCoreApplication::applicationDirPath() + QStringLiteral("/help"));
}

TEST_F(THelpFolder, OtherHelpFilesComeFromTheHelpFolder)
{
    const QString dir = kep::HelpFolder() + QStringLiteral("/qdx");
    QDir().mkpath(dir);
    {
        QFile topic(dir + QStringLiteral("/149.html"));
        ASSERT_TRUE(topic.open(QIODevice::WriteOnly));
        topic.write("<h1>MACRO</h1>");
        QFile index(dir + QStringLiteral("/index.txt"));
        ASSERT_TRUE(index.open(QIODevice::WriteOnly));
        index.write("MACRO=149.html\nevil=../../../etc/passwd\n");
    }
    bool found = false;
    EXPECT_EQ(kep::HelpTopicHtml(QStringLiteral("qdx.hlp"), 149, {}, &found), QStringLiteral("<h1>MACRO</h1>"));
    EXPECT_TRUE(found);
    EXPECT_EQ(kep::HelpTopicHtml(QStringLiteral("qdx.hlp"), 0, QStringLiteral("macro"), &found),
              QStringLiteral("<h1>MACRO</h1>"));
    // An index entry may not lead out of the help folder.
    kep::HelpTopicHtml(QStringLiteral("qdx.hlp"), 0, QStringLiteral("evil"), &found);
    EXPECT_FALSE(found);

    // The window shows the topic it was given.
    EXPECT_TRUE(kep::ShowHelpContext(QStringLiteral("qdx.hlp"), 149));
    EXPECT_TRUE(THelpWindow::Instance()->CurrentHtml().contains(QStringLiteral("MACRO")));
    THelpWindow::Instance()->close();
}

TEST(Help, TheWindowShowsTheTopicsTitleAndClosesWithEscape)
{
    EXPECT_EQ(kep::HelpTopicTitle(QStringLiteral("<html><head><title>Le titre</title></head><h1>Autre</h1>")),
              QStringLiteral("Le titre"));
    EXPECT_EQ(kep::HelpTopicTitle(QStringLiteral("<p>x</p><H2 class=\"a\">Bienvenue &amp; <b>merci</b></H2>")),
              QStringLiteral("Bienvenue & merci"));
    EXPECT_EQ(kep::HelpTopicTitle(QStringLiteral("<p>sans titre</p>")), QString());

    // The first-run welcome: its own title, not the help file's name.
    ASSERT_TRUE(kep::ShowHelpContext(QStringLiteral("Kep.hlp"), 1000001));
    QPointer<THelpWindow> w = THelpWindow::Instance();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Bienvenue dans KEP"));
    // A topic without a title keeps a caption that says what it is.
    w->ShowTopic(QStringLiteral("qdx.hlp"), QStringLiteral("<p>rien</p>"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("qdx.hlp"));

    w->activateWindow();
    QApplication::setActiveWindow(w);
    QTest::keyClick(w, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull() || !w->isVisible());
}

TEST(Help, HelpAskedFromAModalDialogWorksWhileTheDialogStaysOpen)
{
    // A fresh window, made for the main window as the program's commands do.
    if (QPointer<THelpWindow> old = THelpWindow::Instance(); old) {
        old->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QWidget main;
    main.show();
    QPointer<THelpWindow> help;
    QString title;
    bool stillModal = false;
    {
        QDialog dlg(&main);
        QTimer::singleShot(0, &dlg, [&] {
            kep::ShowHelpContext(QStringLiteral("Kep.hlp"), 11001, &main);
            help = THelpWindow::Instance();
            // A click as the window system delivers it: a window blocked by
            // the dialog would not get it.
            QWindow* w = help->windowHandle();
            QTest::mouseClick(w, Qt::LeftButton, {},
                              w->mapFromGlobal(help->BtnSommaire->mapToGlobal(help->BtnSommaire->rect().center())));
            title = help->windowTitle();
            stillModal = QApplication::activeModalWidget() == &dlg;
            dlg.accept();
        });
        dlg.exec();
    }
    EXPECT_EQ(title, QStringLiteral("Rubriques d'aide"));
    EXPECT_TRUE(stillModal);
    // The dialog gone, the help stays open under the main window.
    ASSERT_FALSE(help.isNull());
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->parentWidget(), &main);
    help->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(THelpFolder, LinksLeadToTopicsOfTheSameHelpFileAndBack)
{
    const QString dir = kep::HelpFolder() + QStringLiteral("/qdx");
    QDir().mkpath(dir);
    const auto write = [&](const QString& name, const QByteArray& text) {
        QFile f(dir + QLatin1Char('/') + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write(QStringLiteral("10.html"), "<title>Dix</title><a href=\"11.html\">onze</a>");
    write(QStringLiteral("11.html"), "<title>Onze</title><p>ici</p>");
    write(QStringLiteral("sommaire.html"), "<title>Sommaire QDX</title>");

    ASSERT_TRUE(kep::ShowHelpContext(QStringLiteral("qdx.hlp"), 10));
    THelpWindow* w = THelpWindow::Instance();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Dix"));
    w->FollowLink(QUrl(QStringLiteral("11.html")));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Onze"));
    EXPECT_TRUE(w->BtnPrecedent->isEnabled());
    w->Contents();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Sommaire QDX"));
    w->Back();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Onze"));
    QTest::mouseClick(w->BtnPrecedent, Qt::LeftButton);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Dix"));
    // A link out of the help file's folder, or to a missing topic, says so.
    w->FollowLink(QUrl(QStringLiteral("../../passwd")));
    EXPECT_TRUE(w->CurrentHtml().contains(QStringLiteral("existe pas")));
    w->FollowLink(QUrl(QStringLiteral("12.html")));
    EXPECT_TRUE(w->CurrentHtml().contains(QStringLiteral("12.html")));
    w->close();
}

TEST(Help, KepsOwnContentsAndATopicForEveryNumberTheProgramUses)
{
    bool found = false;
    ASSERT_TRUE(kep::ShowHelpContents(QStringLiteral("Kep.hlp")));
    EXPECT_FALSE(THelpWindow::Instance()->windowTitle().isEmpty());
    EXPECT_TRUE(kep::HelpTopicHtml(QStringLiteral("Kep.hlp"), 1002000, {}, &found).contains(
        QStringLiteral("Historique des versions")));
    EXPECT_TRUE(found);
    // The dialogs' "Aide" buttons and the windows' help.
    for (int n : {1000, 1001, 1802, 2001, 2002, 11001, 11002, 11003, 11004, 11005, 11006, 11100, 11200, 11400,
                  1000008, 12000, 12001}) {
        kep::HelpTopicHtml(QStringLiteral("Kep.hlp"), n, {}, &found);
        EXPECT_TRUE(found) << n;
    }
    THelpWindow::Instance()->close();
}
