// The menu Aide (processor item, processor tables, QDX topics, history,
// about box), F1 on menu items, and the configured tools of the menu Outils.
#include "app/PrinFixture.h"
#include "support/ProcessGroups.h"

#include "app/UF_APropos.h"
#include "platform/Help.h"
#include "platform/IniFile.h"
#include "processor/UF_AideProc.h"
#include "processor/UF_AideQDX.h"

#include <QDate>
#include <QLabel>
#include <QPushButton>
#include <QListWidget>
#include <QPointer>
#include <QTreeWidget>

#include <filesystem>
#include <csignal>

namespace fs = std::filesystem;

namespace {

class TPrinAide : public TPrinFixture {
protected:
    // The demo's processor in the default processor folder (lib/ beside the
    // program).
    void Processeur(const std::string& folder = "bin/lib")
    {
        fs::create_directories(Dir.Path(folder));
        fs::copy_file(std::string(KEP_SOURCE_DIR) + "/examples/processors/p16.s", Dir.Path(folder + "/p16.s"));
        fs::copy_file(std::string(KEP_TABLES_DIR) + "/p16.tab", Dir.Path(folder + "/p16.tab"));
    }
    bool StartSource(const char* firstLine)
    {
        Helps.clear();
        const bool ok = StartFiles({{"main.asm", firstLine}});
        W->ShowHelp = [this](int n) { Helps.push_back(n); };
        return ok;
    }
    QAction* OuvreAide()
    {
        emit W->Menu("M_Aide")->aboutToShow();
        return W->Action("MA_Processeur");
    }
    std::vector<int> Helps;
};

} // namespace

TEST_F(TPrinAide, TheProcessorItemFollowsTheFirstLineOfTheCurrentFile)
{
    Processeur();
    for (const char* line : {"p16\r\n", "P16.TAB\r\n", "p16\\\r\n", "p16.tab/  \r\n"}) {
        SCOPED_TRACE(line);
        ASSERT_TRUE(StartSource(line));
        QAction* item = OuvreAide();
        EXPECT_TRUE(item->isVisible());
        const std::string bare = std::string(line).substr(0, 3);
        EXPECT_EQ(item->text(), QStringLiteral("Processeur ") + QString::fromStdString(bare));
        item->trigger();
        QPointer<kep::TEcrAideProc> w = W->FenAideProc();
        ASSERT_TRUE(w);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->FileName(), Dir.Path("bin/lib/p16.s"));
        EXPECT_EQ(w->Codes->count(), 35);
        // Kept: a second use shows the same window.
        item->trigger();
        EXPECT_EQ(W->FenAideProc(), w.data());
        W.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(w.isNull());
        fs::remove(ProjectPath);
        fs::remove(Dir.Path("p/main.asm"));
    }
    // A processor without a description file hides the item; an empty file
    // leaves it as it was.
    ASSERT_TRUE(StartSource("p18\r\n"));
    EXPECT_FALSE(OuvreAide()->isVisible());
    W->Action("MA_Processeur")->setVisible(true);
    Ed(0)->Buffer().SetAllText("");
    EXPECT_TRUE(OuvreAide()->isVisible());
    // The tables folder has no p18.tab: a first line that names no table
    // file says nothing, in no box. The other spellings found p16.tab.
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('|').toStdString();
}

TEST_F(TPrinAide, ProcessorTablesFromAnotherFolderAskToKeepTheFolder)
{
    Processeur("autres/Tables");
    fs::create_directories(Dir.Path("bin/lib"));
    ASSERT_TRUE(StartSource("p16\r\n"));
    const std::string before = W->Cfg()->Data.TabPath;
    QStringList starts;
    W->AskOpenFile = [&](const QString&, const QString& filter, const QString& start) {
        starts << filter << start;
        return QString::fromStdString(Dir.Path("autres/Tables/p16.tab"));
    };
    ConfirmAnswer = false;
    W->Action("MA_Processeurs")->trigger();
    EXPECT_EQ(starts.value(0), QStringLiteral("Tables processeurs (*.tab *.TAB)"));
    EXPECT_EQ(starts.value(1), QString::fromStdString(before) + QStringLiteral("*.TAB"));
    ASSERT_EQ(Confirms.size(), 1);
    EXPECT_TRUE(Confirms[0].startsWith(QStringLiteral("Le chemin sélectionné est différent de celui des\noptions")));
    ASSERT_TRUE(W->FenAideProc());
    EXPECT_EQ(W->FenAideProc()->FileName(), Dir.Path("autres/Tables/p16.tab"));
    EXPECT_EQ(W->FenAideProc()->Codes->count(), 35);
    EXPECT_EQ(W->Cfg()->Data.TabPath, before);

    // "&Oui" keeps the folder as it is spelt, at once.
    ConfirmAnswer = true;
    W->Action("MA_Processeurs")->trigger();
    EXPECT_EQ(Confirms.size(), 2);
    EXPECT_EQ(W->Cfg()->Data.TabPath, Dir.Path("autres/Tables/"));
    EXPECT_EQ(kep::TIniFile(kep::NomFichOptions).ReadString("Global", "TabPath", ""), Dir.Path("autres/Tables/"));
    // A table of that folder asks nothing, whatever the case of its name.
    W->AskOpenFile = [&](const QString&, const QString&, const QString&) {
        return QString::fromStdString(Dir.Path("autres/TABLES/p16.tab"));
    };
    W->Action("MA_Processeurs")->trigger();
    EXPECT_EQ(Confirms.size(), 2);
    // Cancelled: nothing.
    W->AskOpenFile = [&](const QString&, const QString&, const QString&) { return QString(); };
    W->Action("MA_Processeurs")->trigger();
    EXPECT_EQ(Confirms.size(), 2);
}

TEST_F(TPrinAide, TheHelpWindowsKeepTheirPlaceInTheProject)
{
    Processeur();
    fs::copy_file(std::string(KEP_SOURCE_DIR) + "/examples/KepHlp.txt", Dir.Path("bin/KepHlp.txt"));
    ASSERT_TRUE(StartSource("p16\r\n"));
    EXPECT_TRUE(OuvreAide()->isVisible());
    EXPECT_TRUE(W->Action("MA_VieilleAide")->isVisible());
    W->Action("MA_VieilleAide")->trigger();
    QPointer<kep::TEcrAideQDX> qdx = W->FenAideQDX();
    ASSERT_TRUE(qdx);
    EXPECT_TRUE(qdx->isVisible());
    EXPECT_GT(qdx->TableMat->topLevelItemCount(), 1);
    W->Action("MA_Processeur")->trigger();
    QPointer<kep::TEcrAideProc> proc = W->FenAideProc();
    ASSERT_TRUE(proc);
    proc->move(123, 145);
    qdx->move(201, 77);
    // Closing the project closes them; each writes its place.
    ASSERT_TRUE(W->FermeProjet());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(proc.isNull());
    EXPECT_TRUE(qdx.isNull());
    const std::string pja = Dir.Read("p/demo.pja");
    EXPECT_NE(pja.find("[HelpProcessor]"), std::string::npos) << pja;
    EXPECT_NE(pja.find("[HelpQDX]"), std::string::npos) << pja;
    EXPECT_NE(pja.find("123,145"), std::string::npos) << pja;
    EXPECT_NE(pja.find("201,77"), std::string::npos) << pja;

    // Without the topics or their help file beside the program the item goes.
    fs::remove(Dir.Path("bin/KepHlp.txt"));
    OuvreAide();
    EXPECT_FALSE(W->Action("MA_VieilleAide")->isVisible());
}

TEST_F(TPrinAide, HelpCommandsAndF1OnAMenuItem)
{
    ASSERT_TRUE(StartSource("p16\r\n"));
    W->Action("MA_Rubriques")->trigger();
    W->Action("MA_Historique")->trigger();
    EXPECT_EQ(Helps, (std::vector<int>{0, 1002000}));
    EXPECT_EQ(W->Menu("M_Aide")->defaultAction(), W->Action("MA_Rubriques"));

    // F1 on the highlighted item of an open menu: that item's topic.
    QMenu* fichier = W->Menu("M_Fichier");
    W->show();
    fichier->popup(W->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fichier));
    fichier->setActiveAction(W->Action("MF_Ouvre"));
    QTest::keyClick(fichier, Qt::Key_F1);
    EXPECT_EQ(Helps.back(), 1102);
    EXPECT_FALSE(fichier->isVisible());
    QMenu* outils = W->Menu("M_Outils");
    outils->popup(W->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(outils));
    outils->setActiveAction(W->Action("MO_PropVue"));
    QTest::keyClick(outils, Qt::Key_F1);
    EXPECT_EQ(Helps.back(), 1704);

    // Every item of the menus and popups has a topic of its own or its
    // menu's, and KEP's help has a page for each.
    int checked = 0;
    for (QAction* a : W->findChildren<QAction*>()) {
        const QString name = a->objectName();
        if (a->isSeparator() || name.isEmpty() || name.startsWith(QStringLiteral("MSp_"))
            || name == QStringLiteral("M_Special") || name.startsWith(QStringLiteral("PM_T_"))
            || name.startsWith(QStringLiteral("MF_Reouvre")) || name == QStringLiteral("PM_S_Nom"))
            continue;
        if (!name.startsWith(QStringLiteral("M")) && !name.startsWith(QStringLiteral("PM_")))
            continue;
        int context = a->property("aide").toInt();
        if (context == 0)
            if (auto* menu = qobject_cast<QMenu*>(a->parent()))
                context = menu->menuAction()->property("aide").toInt();
        if (name.startsWith(QStringLiteral("PM_")) && context == 0)
            continue; // popup items without a topic of their own
        ASSERT_NE(context, 0) << name.toStdString();
        bool found = false;
        kep::HelpTopicHtml(QStringLiteral("Kep.hlp"), context, {}, &found);
        EXPECT_TRUE(found) << name.toStdString() << " " << context;
        ++checked;
    }
    EXPECT_GT(checked, 60);
    EXPECT_EQ(W->Action("PM_E_M7")->property("aide").toInt(), 1001);
    EXPECT_EQ(W->Action("PM_S_Fermer")->property("aide").toInt(), 1108);
    EXPECT_EQ(W->Action("MM_MakeFile")->property("aide").toInt(), 1405);
}

TEST_F(TPrinAide, TheAboutBoxTellsTheVersionAndWritesToTheMakers)
{
    ASSERT_TRUE(StartSource("p16\r\n"));
    W->Action("MA_APropos")->trigger();
    QPointer<kep::TEcrAPropos> box = W->findChild<kep::TEcrAPropos*>();
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->windowTitle(), QStringLiteral("A propos de KEP"));
    EXPECT_EQ(box->LblVersion->text(), QStringLiteral("Version 0.1.0.0"));
    EXPECT_TRUE(box->LblDate->text().startsWith(QStringLiteral("Compilation du ")));
    EXPECT_TRUE(box->LblCopyright->font().underline());
    QString mailed;
    box->OpenMail = [&](const QString& a) { mailed = a; };
    QTest::mouseClick(box->LblCopyright, Qt::LeftButton);
    EXPECT_EQ(mailed, kep::TEcrAPropos::ContactAddress());
    QTest::mouseClick(box->BtnOk, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull());
}

namespace {

// A tool that writes where it ran and what it was given, then waits.
std::string Outil(const TTestDir& dir, const std::string& name, int seconds = 0)
{
    const std::string path = dir.Write(name, "#!/bin/sh\n"
                                             "pwd > \"$0.out\"\n"
                                             "printf '%s|' \"$@\" >> \"$0.out\"\n"
                                             "echo >> \"$0.runs\"\n"
                                             "sleep " + std::to_string(seconds) + "\n");
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

} // namespace

TEST_F(TPrinAide, ToolsRunFromTheMenuWithTheirKeywordsExpanded)
{
    ASSERT_TRUE(StartSource("p16\r\n"));
    auto& outils = W->Cfg()->Data.Outils;
    kep::TInfoOutils t;
    t.Nom = "Liste & co";
    t.Cmde = Outil(Dir, "outils/liste.sh");
    t.Rep = "%ProjPath";
    t.Parm = "%EditName.lst %EditExt \"%ProjName du %Date\"";
    t.Unique = false;
    outils.push_back(t);
    kep::TInfoOutils absent;
    absent.Nom = "Absent";
    absent.Cmde = Dir.Path("outils/absent");
    outils.push_back(absent);
    W->Cfg()->MajMenuOutils();

    QMenu* menu = W->Menu("M_Outils");
    const QList<QAction*> items = menu->actions();
    ASSERT_GE(items.size(), 3);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Liste && co"));
    EXPECT_EQ(items[1]->text(), QStringLiteral("Absent"));
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_TRUE(items[2]->isVisible());

    emit menu->aboutToShow();
    items[0]->trigger();
    const std::string out = Dir.Path("outils/liste.sh.out");
    EXPECT_TRUE(QTest::qWaitFor([&] {
        std::string text;
        return kep::ReadWholeFile(out, text) && text.find('|') != std::string::npos;
    }));
    const QDate d = QDate::currentDate();
    EXPECT_EQ(Dir.Read("outils/liste.sh.out"),
              Dir.Path("p") + "\nmain.lst|.asm|demo du " + d.toString(QStringLiteral("dd.MM.yyyy")).toStdString() + "|");
    EXPECT_TRUE(Messages.isEmpty());

    // A missing program says so, in the system's words.
    items[1]->trigger();
    EXPECT_EQ(Messages, QStringList{QStringLiteral("The specified file was not found.")});

    // No tools: only the fixed items, and the separator hides.
    outils.clear();
    W->Cfg()->MajMenuOutils();
    EXPECT_EQ(menu->actions().first(), W->findChild<QAction*>(QStringLiteral("MO__1")));
    EXPECT_FALSE(menu->actions().first()->isVisible());
}

TEST_F(TPrinAide, AToolOfOneInstanceIsNotStartedTwice)
{
    ASSERT_TRUE(StartSource("p16\r\n"));
    kep::TInfoOutils t;
    t.Nom = "Terminal";
    t.Cmde = Outil(Dir, "outils/attend.sh", 30);
    t.Unique = true;
    W->Cfg()->Data.Outils.push_back(t);
    W->Cfg()->MajMenuOutils();
    QAction* item = W->Menu("M_Outils")->actions().first();
    item->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Dir.Read("outils/attend.sh.runs") == "\n"; }));
    const qint64 pid = W->Cfg()->Data.Outils[0].Instance;
    EXPECT_GT(pid, 0);
    item->trigger();
    item->trigger();
    QTest::qWait(300);
    EXPECT_EQ(Dir.Read("outils/attend.sh.runs"), "\n");
    EXPECT_TRUE(Messages.isEmpty());
    // Once it has ended, it starts again. Its sleep goes with it, so that
    // nothing of the test outlives it.
    auto end = [](qint64 tool) {
        for (const pid_t child : ChildrenOf(pid_t(tool)))
            ::kill(child, SIGKILL);
        ::kill(pid_t(tool), SIGKILL);
    };
    end(pid);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !kep::FileExists("/proc/" + std::to_string(pid) + "/exe"); }));
    item->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Dir.Read("outils/attend.sh.runs") == "\n\n"; }));
    end(W->Cfg()->Data.Outils[0].Instance);
}
