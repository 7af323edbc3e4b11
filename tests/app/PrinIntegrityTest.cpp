// Nothing the user wrote changes behind their back: names with accents kept
// as the file system spells them, files that are no project left alone, the
// changed-on-disk question that warns before dropping changes, and the font
// dialog that keeps the style.
#include "app/PrinFixture.h"

#include "platform/FileIo.h"

#include <QFontDialog>
#include <QFontInfo>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>

#include <thread>

namespace {

std::string Bytes(const std::string& path)
{
    std::string s;
    EXPECT_TRUE(kep::ReadWholeFile(path, s));
    return s;
}

// A later modification time than the editor saw.
void TouchLater(const std::string& path, const std::string& text)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kep::WriteFileAtomic(path, text);
}

} // namespace

TEST_F(TPrinFixture, AccentedNamesStayAsTheFileSystemSpellsThem)
{
    Source("été.asm");
    Source("b.asm");
    const std::string p = Project("[Global]\r\nNbrEdit=3\r\nPageAct=0\r\n"
                                  "[Edit0]\r\nNom=été.asm\r\n"
                                  "[Edit1]\r\nNom=été.asm\r\nViewName=Début\r\n"
                                  "[Edit2]\r\nNom=b.asm\r\n");
    std::string saved;
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_TRUE(Start({p}));
        EXPECT_EQ(Names(), (QStringList{QStringLiteral("été.asm(1)"), QStringLiteral("Début"), "b.asm"}));
        EXPECT_EQ(W->windowTitle(), QString::fromUtf8("KEP - " + Dir.Path("p/été.asm")));
        ASSERT_TRUE(W->close());
        W.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const std::string now = Bytes(p);
        if (cycle > 0) {
            EXPECT_EQ(now, saved);
        }
        saved = now;
    }
    // Written as UTF-8 names; the generated name of the first view is not
    // taken for a name the user gave.
    EXPECT_NE(saved.find("Nom=été.asm\r\n"), std::string::npos);
    EXPECT_NE(saved.find("ViewName=Début\r\n"), std::string::npos);
    EXPECT_EQ(saved.find("ViewName="), saved.rfind("ViewName="));

    // The save question names the file as it is spelt.
    ASSERT_TRUE(Start({p}));
    Ed(0)->Buffer().InsertText("x");
    bool tous = false;
    Answers.push_back(TEcrPrin::rNon);
    EXPECT_TRUE(W->DemandeSauve(0, tous));
    EXPECT_EQ(Asked.back(), QStringLiteral("été.asm a été modifié.\r\nVoulez vous le sauver ?"));
    Ed(0)->Buffer().Undo();

    // Closed, the file goes to the reopen menu under its own name.
    W->ChoisitPage(2);
    W->Action("MF_Ferme")->trigger();
    ASSERT_FALSE(W->ReopenMenu()->actions().isEmpty());
    EXPECT_TRUE(W->ReopenMenu()->actions().front()->text().contains(QStringLiteral("b.asm")));
    W->ChoisitPage(1);
    W->Action("MF_Ferme")->trigger(); // a view: not for the reopen menu
    W->ChoisitPage(0);
    W->Action("MF_Ferme")->trigger();
    ASSERT_FALSE(W->ReopenMenu()->actions().isEmpty());
    EXPECT_TRUE(W->ReopenMenu()->actions().front()->text().contains(QStringLiteral("été.asm")));
    W->close();
}

TEST_F(TPrinFixture, AFileThatIsNoProjectIsLeftAloneAndTheListOffered)
{
    Source("a.asm");
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 7919 + 13) % 256);
    const std::string cases[] = {binary, "Ceci n'est pas un projet.\r\nJuste du texte.\r\n"};
    for (const std::string& content : cases) {
        Messages.clear();
        Warnings.clear();
        Chosen = 0;
        const std::string p = Project(content, "faux.pja");
        EXPECT_FALSE(Start({p}));
        ASSERT_EQ(Warnings.size(), 1);
        EXPECT_TRUE(Warnings[0].startsWith(QString::fromStdString("Le fichier " + p + " n'est pas un projet KEP : ")));
        EXPECT_EQ(Chosen, 1); // as for a missing project: the project list
        W->close();
        W.reset();
        EXPECT_EQ(Bytes(p), content);
    }

    // A project chosen from the list that is none is refused the same way.
    Warnings.clear();
    ChooseResult = Project(binary, "faux2.pja");
    EXPECT_FALSE(Start({}));
    EXPECT_EQ(Warnings.size(), 1);
    W.reset();
    EXPECT_EQ(Bytes(ChooseResult), binary);

    // An empty file, as the project list creates them, is a project.
    Warnings.clear();
    const std::string empty = Project("", "vide.pja");
    EXPECT_TRUE(Start({empty}));
    EXPECT_TRUE(Warnings.isEmpty());
    W->close();
}

TEST_F(TPrinFixture, ChangedOnDiskQuestionWarnsBeforeDroppingChanges)
{
    const std::string a = Source("a.asm", 3);
    ASSERT_TRUE(Start({Project("[Global]\r\nNbrEdit=1\r\n[Edit0]\r\nNom=a.asm\r\n")}));
    QStringList texts;
    QList<bool> modifiedFlags;
    bool reload = false;
    W->AskReload = [&](const QString& text, bool modified) {
        texts << text;
        modifiedFlags << modified;
        return reload;
    };
    const QString base = QString::fromStdString("L'heure ou la date du fichier \r\n -> " + a)
                         + QStringLiteral("\r\n a changé.\r\n\nFaut-il le recharger ?");

    // Without local changes: the text of the question alone; "Oui" reloads.
    TouchLater(a, "nouveau\r\n");
    reload = true;
    W->VerifDatesFichiers();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts[0], base);
    EXPECT_FALSE(modifiedFlags[0]);
    EXPECT_EQ(Ed(0)->Buffer().GetLine(0), "nouveau");

    // With local changes the question says they will be lost; "Non" keeps
    // them and the question is not asked again for that change.
    Ed(0)->Buffer().InsertText("mien ");
    TouchLater(a, "autre\r\n");
    reload = false;
    W->VerifDatesFichiers();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[1].startsWith(base));
    EXPECT_TRUE(texts[1].contains(QStringLiteral("non enregistrées seront perdues")));
    EXPECT_TRUE(modifiedFlags[1]);
    EXPECT_EQ(Ed(0)->Buffer().GetLine(0), "mien nouveau");
    W->VerifDatesFichiers();
    EXPECT_EQ(texts.size(), 2);

    // The box itself: "&Non" is the default only when changes would be lost.
    for (const bool modified : {false, true}) {
        const auto box = MakeReloadBox(W.get(), base, modified);
        EXPECT_EQ(box->defaultButton()->text(), modified ? QStringLiteral("&Non") : QStringLiteral("&Oui"));
        EXPECT_EQ(box->buttons().size(), 2);
    }
    W->close();
}

TEST_F(TPrinFixture, FontDialogOpensOnTheShownFontAndASizeChangeKeepsTheStyle)
{
    Source("a.asm", 3);
    ASSERT_TRUE(Start({Project("[Global]\r\nNbrEdit=1\r\n[Edit0]\r\nNom=a.asm\r\n")}));
    TEditeur* ed = Ed(0);
    const QFont before = ed->EditorFont();
    const QFontInfo shown(before);
    QFont offered;
    W->AskFont = [&](const QFont& start) -> std::optional<QFont> {
        offered = start;
        // The real dialog on that font; only the size is changed.
        QFontDialog dlg(start);
        dlg.setOption(QFontDialog::DontUseNativeDialog);
        EXPECT_EQ(dlg.currentFont().family(), shown.family());
        EXPECT_EQ(dlg.currentFont().styleName(), shown.styleName());
        EXPECT_FALSE(dlg.currentFont().italic());
        for (QListView* list : dlg.findChildren<QListView*>()) {
            const QModelIndexList hits =
                list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, QStringLiteral("14"), 1,
                                     Qt::MatchExactly);
            if (!hits.isEmpty() && list->currentIndex().data().toString() == QString::number(shown.pointSize()))
                list->setCurrentIndex(hits.front());
        }
        return dlg.currentFont();
    };
    W->Action("MO_Police")->trigger();
    EXPECT_EQ(offered.family(), shown.family());
    EXPECT_EQ(offered.pointSize(), shown.pointSize());
    EXPECT_EQ(ed->EditorFont().pointSize(), 14);
    EXPECT_FALSE(ed->EditorFont().italic());
    EXPECT_FALSE(ed->EditorFont().bold());
    EXPECT_EQ(QFontInfo(ed->EditorFont()).styleName(), shown.styleName());
    // The stored family name stays when the dialog only resolved it.
    EXPECT_EQ(ed->EditorFont().family(), before.family());

    // Cancelled: nothing changes.
    W->AskFont = [](const QFont&) { return std::optional<QFont>(); };
    W->Action("MO_Police")->trigger();
    EXPECT_EQ(ed->EditorFont().pointSize(), 14);
    W->close();
}

TEST_F(TPrinFixture, AFileWithNulBytesOpensReadOnlyAndLosesNothing)
{
    using namespace std::string_literals;
    const std::string original = "ab\0cd\r\nef  \0\r\n"s;
    const std::string src = Dir.Write("p/nul.asm", original);
    const std::string p = Project("[Global]\r\nNbrEdit=1\r\nPageAct=0\r\n[Edit0]\r\nNom=nul.asm\r\n");
    ASSERT_TRUE(Start({p}));
    ASSERT_EQ(S().Count(), 1);
    TTextBuffer& b = Ed(0)->Buffer();
    EXPECT_TRUE(b.ReadOnly);
    ASSERT_FALSE(Messages.isEmpty());
    EXPECT_EQ(Messages.back(), QStringLiteral("Le fichier nul.asm contient des octets nuls : il est ouvert en lecture "
                                              "seule, sans rien perdre. Enregistrez-le sous un autre nom pour en "
                                              "garder une copie exacte."));
    EXPECT_EQ(b.GetLine(0), "ab\0cd"s);

    // Read-only cannot be lifted while the NULs are there.
    QMenu* pm = W->findChild<QMenu*>("PM_Sources");
    ASSERT_NE(pm, nullptr);
    pm->setProperty("tag", 0);
    emit pm->aboutToShow();
    ASSERT_TRUE(W->Action("PM_S_LectSeule")->isChecked());
    W->Action("PM_S_LectSeule")->trigger();
    EXPECT_TRUE(b.ReadOnly);
    EXPECT_TRUE(W->Action("PM_S_LectSeule")->isChecked());
    EXPECT_EQ(Messages.back(), QStringLiteral("Ce fichier contient des octets nuls : il reste en lecture seule."));

    // Saved under another name, byte for byte; the original is untouched.
    SaveName = QString::fromStdString(Dir.Path("p/copie.asm"));
    W->Action("MF_EnregSous")->trigger();
    EXPECT_EQ(Bytes(Dir.Path("p/copie.asm")), original);
    EXPECT_EQ(Bytes(src), original);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
}
