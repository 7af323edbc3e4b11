// The project list dialog driven with real clicks.
#include "support/TestDir.h"
#include "app/UF_SelDir.h"
#include "config/U_KepFile.h"
#include "controls/UC_FolderTree.h"
#include "platform/InstanceBus.h"
#include "project/UF_Proj.h"
#include "project/UF_ProjVers.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace kep;

namespace {

const std::string Project = "[Global]\r\nMakeFile=demo.mke\r\n";

QListWidgetItem* Item(TEcrProj& dlg, int row)
{
    return dlg.ListeProj->item(row);
}

void ClickText(TEcrProj& dlg, int row)
{
    const QRect r = dlg.ListeProj->visualItemRect(Item(dlg, row));
    QTest::mouseClick(dlg.ListeProj->viewport(), Qt::LeftButton, {}, QPoint(r.right() - 10, r.center().y()));
}

void ClickCheck(TEcrProj& dlg, int row)
{
    QListWidget* list = dlg.ListeProj;
    QStyleOptionViewItem opt;
    opt.initFrom(list->viewport());
    opt.rect = list->visualItemRect(Item(dlg, row));
    opt.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    opt.text = Item(dlg, row)->text();
    const QRect check = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, list);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, check.center());
}

bool Checked(TEcrProj& dlg, int row)
{
    return Item(dlg, row)->checkState() == Qt::Checked;
}

// Grabs the window when KEP_GRAB_DIR names a folder.
void Grab(QWidget& w, const char* name)
{
    if (const char* dir = std::getenv("KEP_GRAB_DIR"))
        w.grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

class TProjDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        a_ = dir_.Write("a/a.pja", Project);
        b_ = dir_.Write("b/b.pja", Project);
        c_ = dir_.Write("c/c.pja", Project);
        NomFichOptions = dir_.Write("kep.ini", "[Global]\r\nProjAct=1\r\n[Proj]\r\n0=" + a_ + "\r\n1=" + b_ + "\r\n2=" + c_ + "\r\n");
        bus_ = std::make_unique<TInstanceBus>(QString::fromStdString(dir_.Path("run")));
    }
    void TearDown() override { NomFichOptions.clear(); }

    std::unique_ptr<TEcrProj> Dialog(const std::string& nomProjet)
    {
        auto dlg = std::make_unique<TEcrProj>(nomProjet, nullptr, bus_.get());
        dlg->ShowMessage = [this](const QString& t) { messages_.push_back(t); };
        dlg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
        return dlg;
    }
    std::string Ini() const { return dir_.Read("kep.ini"); }

    TTestDir dir_;
    std::string a_, b_, c_;
    std::unique_ptr<TInstanceBus> bus_;
    std::vector<QString> messages_;
};

} // namespace

TEST_F(TProjDialog, ButtonsFollowTheSelectionAndTheOpenProject)
{
    auto dlg = Dialog(a_);
    ASSERT_EQ(dlg->ListeProj->count(), 3);
    EXPECT_EQ(dlg->SelectedPath(), a_);
    EXPECT_TRUE(Checked(*dlg, 1));
    EXPECT_FALSE(dlg->BtnSauve->isEnabled());
    // The open project can be neither reopened nor removed.
    EXPECT_FALSE(dlg->BtnOuvre->isEnabled());
    EXPECT_FALSE(dlg->BtnNouvEdit->isEnabled());
    EXPECT_FALSE(dlg->BtnSupprime->isEnabled());
    QTest::keyClick(dlg->ListeProj, Qt::Key_Delete);
    EXPECT_EQ(dlg->ListeProj->count(), 3);

    ClickText(*dlg, 2);
    EXPECT_EQ(dlg->SelectedPath(), c_);
    EXPECT_TRUE(dlg->BtnOuvre->isEnabled());
    EXPECT_TRUE(dlg->BtnNouvEdit->isEnabled());
    EXPECT_TRUE(dlg->BtnSupprime->isEnabled());
    EXPECT_FALSE(dlg->BtnSauve->isEnabled());

    // Without an open project there is nothing to start beside it.
    auto none = Dialog("");
    EXPECT_EQ(none->SelectedPath(), "");
    EXPECT_FALSE(none->BtnOuvre->isEnabled());
    ClickText(*none, 0);
    EXPECT_TRUE(none->BtnOuvre->isEnabled());
    EXPECT_FALSE(none->BtnNouvEdit->isEnabled());
    Grab(*none, "projets");
}

TEST_F(TProjDialog, CheckBoxesAndTheSaveButton)
{
    auto dlg = Dialog(a_);
    // Unticking the saved project enables saving; ticking it again leaves
    // the button as it was.
    ClickCheck(*dlg, 1);
    EXPECT_FALSE(Checked(*dlg, 1));
    EXPECT_EQ(dlg->SelectedPath(), b_);
    EXPECT_TRUE(dlg->BtnSauve->isEnabled());
    ClickCheck(*dlg, 1);
    EXPECT_TRUE(Checked(*dlg, 1));
    EXPECT_TRUE(dlg->BtnSauve->isEnabled());
    QTest::mouseClick(dlg->BtnSauve, Qt::LeftButton);
    EXPECT_FALSE(dlg->BtnSauve->isEnabled());
    EXPECT_NE(Ini().find("ProjAct=1\r\n"), std::string::npos);

    // Ticking another one unticks the first.
    ClickCheck(*dlg, 2);
    EXPECT_TRUE(Checked(*dlg, 2));
    EXPECT_FALSE(Checked(*dlg, 1));
    EXPECT_FALSE(Checked(*dlg, 0));
    EXPECT_TRUE(dlg->BtnSauve->isEnabled());
    QTest::mouseClick(dlg->BtnSauve, Qt::LeftButton);
    EXPECT_FALSE(dlg->BtnSauve->isEnabled());
    EXPECT_NE(Ini().find("ProjAct=2\r\n"), std::string::npos);

    // Ticking the saved one again changes nothing to save.
    ClickCheck(*dlg, 0);
    EXPECT_TRUE(dlg->BtnSauve->isEnabled());
    QTest::mouseClick(dlg->BtnSauve, Qt::LeftButton);
    ClickText(*dlg, 0);
    EXPECT_FALSE(dlg->BtnSauve->isEnabled());

    // Nothing ticked saves -1.
    ClickCheck(*dlg, 0);
    EXPECT_EQ(dlg->CheckedIndex(), -1);
    QTest::mouseClick(dlg->BtnSauve, Qt::LeftButton);
    EXPECT_NE(Ini().find("ProjAct=-1\r\n"), std::string::npos);
}

TEST_F(TProjDialog, RemoveAddAndCreate)
{
    auto dlg = Dialog(a_);
    ClickText(*dlg, 1);
    QTest::keyClick(dlg->ListeProj, Qt::Key_Delete);
    ASSERT_EQ(dlg->ListeProj->count(), 2);
    EXPECT_TRUE(dlg->BtnSauve->isEnabled());

    dlg->AskExistingProject = [this] { return QString::fromStdString(c_); };
    QTest::mouseClick(dlg->BtnAjouter, Qt::LeftButton);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], QStringLiteral("Ce projet est déjà enregistré"));
    EXPECT_EQ(dlg->ListeProj->count(), 2);

    dlg->AskExistingProject = [this] { return QString::fromStdString(b_); };
    QTest::mouseClick(dlg->BtnAjouter, Qt::LeftButton);
    EXPECT_EQ(dlg->ListeProj->count(), 3);

    const std::string made = dir_.Path("neuf/neuf.pja");
    std::filesystem::create_directories(dir_.Path("neuf"));
    dlg->AskNewProject = [this] { return QString::fromStdString(dir_.Path("neuf/neuf.txt")); };
    QTest::mouseClick(dlg->BtnNouveau, Qt::LeftButton);
    ASSERT_EQ(dlg->ListeProj->count(), 4);
    EXPECT_EQ(dlg->Paths().back(), made);
    EXPECT_FALSE(FileExists(made));
    QTest::mouseClick(dlg->BtnSauve, Qt::LeftButton);
    EXPECT_TRUE(FileExists(made));
    EXPECT_NE(Ini().find("[Proj]\r\n0=" + a_ + "\r\n1=" + c_ + "\r\n2=" + b_ + "\r\n3=" + made + "\r\n"), std::string::npos)
        << Ini();
    // b was checked and removed: nothing is checked any more.
    EXPECT_NE(Ini().find("ProjAct=-1\r\n"), std::string::npos);
}

TEST_F(TProjDialog, OpenProjectMissingFromTheListIsAddedAndOpeningSaves)
{
    const std::string other = dir_.Write("autre/x.pja", Project);
    auto dlg = Dialog(other);
    ASSERT_EQ(dlg->ListeProj->count(), 4);
    EXPECT_EQ(dlg->SelectedPath(), other);
    EXPECT_TRUE(dlg->BtnSauve->isEnabled());

    // A double click opens the item and saves the pending change.
    const QRect r = dlg->ListeProj->visualItemRect(Item(*dlg, 2));
    QTest::mouseClick(dlg->ListeProj->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(dlg->ListeProj->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(dlg->result(), TEcrProj::mrOk);
    EXPECT_EQ(dlg->SelectedPath(), c_);
    EXPECT_NE(Ini().find("3=" + other + "\r\n"), std::string::npos);

    auto closing = Dialog(a_);
    QTest::mouseClick(closing->BtnAbandon, Qt::LeftButton);
    EXPECT_EQ(closing->result(), TEcrProj::mrAbort);
}

TEST_F(TProjDialog, NewEditorStartsTheProgramOnTheProject)
{
    const std::string out = dir_.Path("args.txt");
    const std::string script = dir_.Write("fake-kep", "#!/bin/sh\nprintf '%s' \"$1\" > '" + out + "'\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    auto dlg = Dialog(a_);
    dlg->NewEditorProgram = QString::fromStdString(script);
    ClickText(*dlg, 2);
    QTest::mouseClick(dlg->BtnNouvEdit, Qt::LeftButton);
    EXPECT_EQ(dlg->result(), TEcrProj::mrYes);
    QTRY_VERIFY_WITH_TIMEOUT(FileExists(out) && !dir_.Read("args.txt").empty(), 5000);
    EXPECT_EQ(dir_.Read("args.txt"), c_);
    EXPECT_TRUE(messages_.empty());

    auto failing = Dialog(a_);
    failing->NewEditorProgram = QString::fromStdString(dir_.Path("absent"));
    ClickText(*failing, 2);
    QTest::mouseClick(failing->BtnNouvEdit, Qt::LeftButton);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], QStringLiteral("Erreur lors de l'ouverture du nouvel éditeur"));
}

TEST_F(TProjDialog, SearchFindsProjectsAndCanBeStopped)
{
    dir_.Write("arbre/un/UN.PJA", Project);
    dir_.Write("arbre/deux/deux.Pja", Project);
    dir_.Write("arbre/deux/sans.pja", "[Global]\r\nNom=x\r\n");
    dir_.Write("arbre/b.pja", Project);
    auto dlg = Dialog(a_);
    dlg->AskSearchFolder = [this] { return QString::fromStdString(dir_.Path("arbre")); };
    QTest::mouseClick(dlg->btnCherche, Qt::LeftButton);
    EXPECT_EQ(dlg->btnCherche->text(), QStringLiteral("&Stopper la recherche"));
    EXPECT_TRUE(dlg->Edit1->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!dlg->Searching(), 10000);
    EXPECT_EQ(dlg->btnCherche->text(), QStringLiteral("&Recherche les projets"));
    EXPECT_FALSE(dlg->Edit1->isVisible());
    EXPECT_EQ(dlg->ListeProj->count(), 6);
    EXPECT_TRUE(dlg->BtnSauve->isEnabled());

    // Nothing new: a search does not discard changes made before it.
    QTest::mouseClick(dlg->BtnSauve, Qt::LeftButton);
    ClickText(*dlg, 5);
    QTest::keyClick(dlg->ListeProj, Qt::Key_Delete);
    ASSERT_EQ(dlg->ListeProj->count(), 5);
    dlg->AskSearchFolder = [this] { return QString::fromStdString(dir_.Path("a")); };
    QTest::mouseClick(dlg->btnCherche, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dlg->Searching(), 10000);
    EXPECT_TRUE(dlg->BtnSauve->isEnabled());

    // A large tree: the dialog answers during the search and a click stops it.
    for (int i = 0; i < 400; ++i)
        std::filesystem::create_directories(dir_.Path("grand/d" + std::to_string(i) + "/e/f"));
    dlg->AskSearchFolder = [this] { return QString::fromStdString(dir_.Path("grand")); };
    QTest::mouseClick(dlg->btnCherche, Qt::LeftButton);
    ASSERT_TRUE(dlg->Searching());
    // One step of the search, not a span of time: a fast machine could walk
    // the whole tree in a few milliseconds.
    QCoreApplication::processEvents();
    ASSERT_TRUE(dlg->Searching());
    Grab(*dlg, "recherche");
    QTest::mouseClick(dlg->btnCherche, Qt::LeftButton);
    EXPECT_FALSE(dlg->Searching());
    EXPECT_TRUE(TEcrProj::SearchAbort);
    EXPECT_EQ(dlg->btnCherche->text(), QStringLiteral("&Recherche les projets"));
    EXPECT_FALSE(dlg->Edit1->isVisible());

    // Cancelled folder choice: nothing starts.
    dlg->AskSearchFolder = [] { return QString(); };
    QTest::mouseClick(dlg->btnCherche, Qt::LeftButton);
    EXPECT_FALSE(dlg->Searching());
}

TEST_F(TProjDialog, AnotherDialogsSaveReloadsTheListButNotOwnSave)
{
    auto first = Dialog(a_);
    auto second = Dialog(a_);
    ClickText(*first, 2);
    QTest::keyClick(first->ListeProj, Qt::Key_Delete);
    QTest::mouseClick(first->BtnSauve, Qt::LeftButton);
    // A third party changes the file before the message is delivered: only
    // a dialog that reloads sees the new entry.
    const std::string d = dir_.Write("d/d.pja", Project);
    TKepFile().WriteString("Proj", "2", d);
    const std::vector<std::string> reloaded{a_, b_, d};
    QTRY_VERIFY_WITH_TIMEOUT(second->Paths() == reloaded, 5000);
    EXPECT_TRUE(Checked(*second, 1));
    EXPECT_FALSE(second->BtnSauve->isEnabled());
    QTest::qWait(100);
    EXPECT_EQ(first->Paths(), (std::vector<std::string>{a_, b_}));
}

TEST_F(TProjDialog, GarbageOptionFileGivesAnEmptyUsableList)
{
    std::string garbage;
    for (int i = 0; i < 5000; ++i)
        garbage += static_cast<char>((i * 31 + 7) % 256);
    dir_.Write("kep.ini", garbage + "\r\n[Proj]\r\n0=\xff\xfe/\x80.pja\r\n[Global]\r\nProjAct=abc\r\n");
    auto dlg = Dialog("");
    EXPECT_EQ(dlg->ListeProj->count(), 0);
    dlg->AskNewProject = [this] { return QString::fromStdString(dir_.Path("n.pja")); };
    QTest::mouseClick(dlg->BtnNouveau, Qt::LeftButton);
    QTest::mouseClick(dlg->BtnSauve, Qt::LeftButton);
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(FileExists(dir_.Path("n.pja")));
}

TEST_F(TProjDialog, PathsThatAreNotUtf8SurviveLoadAndSave)
{
    const std::string odd = dir_.Write("\xe9t\xe9/caf\xe9\xff.pja", Project);
    NomFichOptions = dir_.Write("kep.ini", "[Global]\r\nProjAct=1\r\n[Proj]\r\n0=" + a_ + "\r\n1=" + odd + "\r\n");
    auto dlg = Dialog(odd);
    ASSERT_EQ(dlg->ListeProj->count(), 2);
    EXPECT_EQ(dlg->SelectedPath(), odd);
    EXPECT_TRUE(Checked(*dlg, 1));
    EXPECT_FALSE(dlg->BtnOuvre->isEnabled()); // it is the open project
    ClickCheck(*dlg, 0);
    QTest::mouseClick(dlg->BtnSauve, Qt::LeftButton);
    EXPECT_NE(Ini().find("1=" + odd + "\r\n"), std::string::npos);
    EXPECT_NE(Ini().find("ProjAct=0\r\n"), std::string::npos);
}

TEST(ProjVers, TreeAndButtons)
{
    TEcrProjVers& dlg = TEcrProjVers::Instance();
    EXPECT_EQ(&dlg, &TEcrProjVers::Instance());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("EcrProjVers"));
    ASSERT_EQ(dlg.Versions->topLevelItemCount(), 1);
    QTreeWidgetItem* standard = dlg.Versions->topLevelItem(0);
    EXPECT_EQ(standard->text(0), QStringLiteral("Standard"));
    ASSERT_EQ(standard->childCount(), 2);
    EXPECT_EQ(standard->child(0)->text(0), QStringLiteral("Make"));
    EXPECT_EQ(standard->child(1)->text(0), QStringLiteral("Defines"));
    EXPECT_TRUE(standard->isExpanded());
    dlg.show();
    QTest::mouseClick(dlg.btnAjoute, Qt::LeftButton);
    ASSERT_EQ(dlg.Versions->topLevelItemCount(), 2);
    QTreeWidgetItem* added = dlg.Versions->topLevelItem(1);
    EXPECT_EQ(added->text(0), QStringLiteral("Nouvelle"));
    EXPECT_EQ(added->childCount(), 2);
    EXPECT_TRUE(added->isExpanded());
    EXPECT_EQ(dlg.Versions->currentItem(), added);
    QTest::mouseClick(dlg.btnRenomme, Qt::LeftButton);
    QTest::mouseClick(dlg.btnSupprime, Qt::LeftButton);
    EXPECT_EQ(dlg.Versions->topLevelItemCount(), 2);
    Grab(dlg, "versions");
    QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
}

TEST(SelDir, LayoutFollowsTheSizeAndThePathFollowsTheTree)
{
    TTestDir dir;
    dir.Write("racine/sous dossier/f.txt", "x");
    TEcrSelDir dlg;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Quel répertoire ?"));
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    for (QSize size : {QSize(330, 400), QSize(500, 300)}) {
        dlg.resize(size);
        QTest::qWait(20);
        const int w = dlg.width(), h = dlg.height();
        EXPECT_EQ(dlg.FolderTree->geometry(), QRect(0, 0, w, h - 78));
        EXPECT_EQ(dlg.FolderPath->x(), 8);
        EXPECT_EQ(dlg.FolderPath->y(), h - 63);
        EXPECT_EQ(dlg.FolderPath->width(), w - 16);
        EXPECT_EQ(dlg.btnOk->y(), h - 30);
        EXPECT_EQ(dlg.btnAnnuler->y(), h - 30);
        EXPECT_EQ(dlg.btnAnnuler->geometry().right(), w - 8 - 1);
        EXPECT_EQ(dlg.btnAnnuler->x() - dlg.btnOk->geometry().right() - 1, 8);
    }
    const QString target = QString::fromStdString(dir.Path("racine/sous dossier"));
    dlg.SetFolder(target);
    EXPECT_EQ(dlg.FolderTree->SelectedFolder(), target);
    EXPECT_EQ(dlg.Folder(), target);
    dlg.SetFolder(QString::fromStdString(dir.Path("racine") + "/"));
    EXPECT_EQ(dlg.Folder(), QString::fromStdString(dir.Path("racine")));
    // A click on a folder of the tree puts its path in the field.
    QAbstractItemModel* model = dlg.FolderTree->model();
    QModelIndex child;
    QTRY_VERIFY_WITH_TIMEOUT((child = model->index(0, 0, dlg.FolderTree->currentIndex())).isValid(), 5000);
    EXPECT_EQ(child.data().toString(), QStringLiteral("sous dossier"));
    dlg.FolderTree->scrollTo(child);
    QTest::mouseClick(dlg.FolderTree->viewport(), Qt::LeftButton, {}, dlg.FolderTree->visualRect(child).center());
    EXPECT_EQ(dlg.Folder(), target);
    Grab(dlg, "seldir");
    QTest::mouseClick(dlg.btnOk, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}
