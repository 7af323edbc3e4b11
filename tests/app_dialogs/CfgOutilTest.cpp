// The tool dialog driven with real keys and clicks: the keyword labels that
// follow the field in use, the checks of "Ok", the browse buttons and the
// round trip of a tool's texts.
#include "app/UF_CfgOutil.h"
#include "app/UF_SelDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

using kep::TEcrOutil;
using kep::TInfoOutils;

// Readable failures for the fields' texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

enum { ProjName, ProjPath, EditName, EditPath, EditExt, Date };

TInfoOutils Outil(const std::string& nom, const std::string& cmde = "/bin/sh")
{
    TInfoOutils o;
    o.Nom = nom;
    o.Cmde = cmde;
    return o;
}

class CfgOutil : public ::testing::Test {
protected:
    void SetUp() override
    {
        D = std::make_unique<TEcrOutil>();
        D->ShowMessage = [this](const QString& t) { Messages << t; };
        D->ShowHelp = [this](int c) { Aides.push_back(c); };
        D->AskProgram = [this](const QString& start) {
            ProgStarts << start;
            return ProgAnswer;
        };
        D->AskFolder = [this](const QString& start) {
            FolderStarts << start;
            return FolderAnswer;
        };
        D->show();
        D->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(D.get()));
    }

    void Focus(QWidget* w)
    {
        w->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([w] { return w->hasFocus(); }));
    }

    void Tab()
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }

    bool LabelsEnabled() const
    {
        for (QLabel* l : D->MotsCles)
            if (!l->isEnabled())
                return false;
        return true;
    }

    bool LabelsDisabled() const
    {
        for (QLabel* l : D->MotsCles)
            if (l->isEnabled())
                return false;
        return true;
    }

    void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }

    std::unique_ptr<TEcrOutil> D;
    QStringList Messages;
    std::vector<int> Aides;
    QStringList ProgStarts, FolderStarts;
    QString ProgAnswer, FolderAnswer;
};

TEST_F(CfgOutil, CaptionsAndDisabledBoxes)
{
    EXPECT_EQ(D->windowTitle(), QStringLiteral("Configuration de programme outil"));
    EXPECT_EQ(D->findChild<QLabel*>(QStringLiteral("lblNom"))->text(), QStringLiteral("Nom dans le menu :"));
    EXPECT_EQ(D->findChild<QLabel*>(QStringLiteral("lblProg"))->text(), QStringLiteral("Programme :"));
    EXPECT_EQ(D->findChild<QLabel*>(QStringLiteral("lblRep"))->text(), QStringLiteral("Répertoire de travail :"));
    EXPECT_EQ(D->findChild<QLabel*>(QStringLiteral("lblParams"))->text(), QStringLiteral("Paramètres :"));
    EXPECT_EQ(D->OutilLocal->text(), QStringLiteral("Pour ce projet seulement"));
    EXPECT_EQ(D->UneInstance->text(), QStringLiteral("Une seule instance"));
    EXPECT_EQ(D->FermeEnQuittant->text(), QStringLiteral("Fermer en quittant KEP"));
    for (QCheckBox* c : {D->OutilLocal, D->UneInstance, D->FermeEnQuittant})
        EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_EQ(D->BtnParcourProg->text(), QStringLiteral("&Parcourir"));
    EXPECT_EQ(D->btnParcoursRep->text(), QStringLiteral("&Parcourir"));
    EXPECT_EQ(D->BtnOk->text(), QStringLiteral("Ok"));
    EXPECT_EQ(D->BtnAnuller->text(), QStringLiteral("&Annuler"));
    EXPECT_EQ(D->btnAide->text(), QStringLiteral("Aide"));
    EXPECT_TRUE(D->BtnOk->isDefault());
    EXPECT_EQ(D->gbInfos->title(), QStringLiteral(" Les mots-clé suivants sont remplacés : "));
    const QStringList expected = {
        QStringLiteral("%ProjName : Nom du projet (sans extension)"),
        QStringLiteral("%ProjPath : dossier du projet (sans \\final)"),
        QStringLiteral("%EditName : nom du fichier affiché dans l'éditeur"),
        QStringLiteral("%EditPath : dossier du fichier affiché dans l'éditeur"),
        QStringLiteral("%EditExt : extension du fichier affiché dans l'éditeur"),
        QStringLiteral("%Date : JJ.MM.AAAA"),
    };
    ASSERT_EQ(D->MotsCles.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(D->MotsCles[std::size_t(i)]->text(), expected[i]);
        EXPECT_EQ(D->MotsCles[std::size_t(i)]->parentWidget(), D->gbInfos);
    }
}

TEST_F(CfgOutil, EveryCaptionHasRoomForItsText)
{
    for (QWidget* w : D->findChildren<QWidget*>()) {
        if (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w))
            continue;
        EXPECT_GE(w->width(), w->minimumSizeHint().width()) << w->objectName().toStdString();
        EXPECT_GE(w->height(), w->minimumSizeHint().height()) << w->objectName().toStdString();
    }
    for (QLabel* l : D->MotsCles)
        EXPECT_TRUE(D->gbInfos->contentsRect().contains(l->geometry())) << l->objectName().toStdString();
}

TEST_F(CfgOutil, LabelsFollowTheFieldAndTabbing)
{
    // The first field has the focus on opening.
    EXPECT_TRUE(D->EdNom->hasFocus());
    EXPECT_TRUE(LabelsDisabled());
    Focus(D->EdProg);
    EXPECT_TRUE(LabelsDisabled());
    Tab();
    EXPECT_TRUE(D->BtnParcourProg->hasFocus());
    Tab();
    EXPECT_TRUE(D->EdRep->hasFocus());
    EXPECT_TRUE(LabelsEnabled());
    Tab();
    EXPECT_TRUE(D->btnParcoursRep->hasFocus());
    // A button is not a field: the remembered one stays.
    EXPECT_EQ(D->ChampCourant(), D->EdRep);
    EXPECT_TRUE(LabelsEnabled());
    Tab();
    EXPECT_TRUE(D->EdParams->hasFocus());
    EXPECT_TRUE(LabelsEnabled());
    for (QLabel* l : D->MotsCles)
        EXPECT_EQ(l->cursor().shape(), Qt::PointingHandCursor);

    // The selection gives way to the keyword; the caret ends after it.
    D->EdParams->setText(QStringLiteral("-f -x fichier"));
    D->EdParams->setSelection(3, 2);
    Click(D->MotsCles[EditExt]);
    EXPECT_EQ(D->EdParams->text(), QStringLiteral("-f %EditExt fichier"));
    EXPECT_EQ(D->EdParams->cursorPosition(), 11);
    EXPECT_FALSE(D->EdParams->hasSelectedText());
    EXPECT_TRUE(D->EdParams->hasFocus());
    TInfoOutils o;
    D->Lit(o);
    EXPECT_EQ(o.Parm, "-f %EditExt fichier");

    // Typing goes on after the keyword.
    QTest::keyClicks(D->EdParams, QStringLiteral(".bak"));
    EXPECT_EQ(D->EdParams->text(), QStringLiteral("-f %EditExt.bak fichier"));

    Tab(); // the disabled boxes are skipped
    EXPECT_TRUE(D->BtnOk->hasFocus());
    EXPECT_TRUE(LabelsEnabled());
}

TEST_F(CfgOutil, ClickFromAButtonGoesBackToTheField)
{
    D->EdRep->setText(QStringLiteral("/home/"));
    Focus(D->EdRep);
    D->EdRep->setCursorPosition(6);
    Focus(D->btnParcoursRep);
    Click(D->MotsCles[ProjPath]);
    EXPECT_EQ(D->EdRep->text(), QStringLiteral("/home/%ProjPath"));
    EXPECT_TRUE(QTest::qWaitFor([this] { return D->EdRep->hasFocus(); }));
    EXPECT_EQ(D->EdRep->cursorPosition(), 15);
    // Going back to the field the keyword went to selects nothing.
    EXPECT_FALSE(D->EdRep->hasSelectedText());
    Click(D->MotsCles[Date]);
    EXPECT_EQ(D->EdRep->text(), QStringLiteral("/home/%ProjPath%Date"));
}

TEST_F(CfgOutil, EachLabelInsertsItsKeyword)
{
    Focus(D->EdParams);
    const char* const mots[] = {"%ProjName", "%ProjPath", "%EditName", "%EditPath", "%EditExt", "%Date"};
    for (int i = 0; i < 6; ++i) {
        D->EdParams->clear();
        Click(D->MotsCles[std::size_t(i)]);
        EXPECT_EQ(D->EdParams->text(), QString::fromLatin1(mots[i]));
    }
    // Only the left button clicks.
    D->EdParams->clear();
    QTest::mouseClick(D->MotsCles[Date], Qt::RightButton);
    EXPECT_TRUE(D->EdParams->text().isEmpty());
}

TEST_F(CfgOutil, BackInEdNomTheLabelsInsertNothing)
{
    D->EdRep->setText(QStringLiteral("rep"));
    D->EdNom->setText(QStringLiteral("nom"));
    Focus(D->EdRep);
    EXPECT_TRUE(LabelsEnabled());
    // A real click in EdNom.
    QTest::mouseClick(D->EdNom, Qt::LeftButton, {}, D->EdNom->rect().center());
    EXPECT_TRUE(QTest::qWaitFor([this] { return D->EdNom->hasFocus(); }));
    EXPECT_TRUE(LabelsDisabled());
    for (QLabel* l : D->MotsCles) {
        EXPECT_NE(l->cursor().shape(), Qt::PointingHandCursor);
        Click(l);
    }
    EXPECT_EQ(D->EdRep->text(), QStringLiteral("rep"));
    EXPECT_EQ(D->EdNom->text(), QStringLiteral("nom"));
    EXPECT_TRUE(D->EdNom->hasFocus());

    Focus(D->EdParams);
    EXPECT_TRUE(LabelsEnabled());
    Focus(D->EdProg);
    EXPECT_TRUE(LabelsDisabled());
    Click(D->MotsCles[ProjName]);
    EXPECT_TRUE(D->EdProg->text().isEmpty());
}

TEST_F(CfgOutil, OkRefusesEachFaultInTurn)
{
    const std::vector<TInfoOutils> outils = {Outil("Editeur"), Outil("Make"), Outil("Terminal")};
    D->SetListe(&outils, 1);

    Focus(D->EdParams);
    Click(D->BtnOk);
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_EQ(Messages.back(), QStringLiteral("Il faut donner un nom... merci !"));
    EXPECT_TRUE(D->EdNom->hasFocus());
    EXPECT_TRUE(D->isVisible());

    D->EdNom->setText(QStringLiteral("Terminal"));
    Focus(D->EdParams);
    Click(D->BtnOk);
    ASSERT_EQ(Messages.size(), 2);
    EXPECT_EQ(Messages.back(), QStringLiteral("Ce nom est déjà utilisé !"));
    EXPECT_TRUE(D->EdNom->hasFocus());
    EXPECT_TRUE(D->isVisible());

    D->EdNom->setText(QStringLiteral("Nouveau"));
    D->EdProg->setText(QStringLiteral("/surement/pas/un/programme"));
    Focus(D->EdNom);
    Click(D->BtnOk);
    ASSERT_EQ(Messages.size(), 3);
    EXPECT_EQ(Messages.back(), QStringLiteral("le programme n'existe pas !"));
    EXPECT_TRUE(D->EdProg->hasFocus());
    EXPECT_TRUE(D->isVisible());

    // A folder is not a program.
    D->EdProg->setText(QStringLiteral("/bin"));
    Click(D->BtnOk);
    ASSERT_EQ(Messages.size(), 4);
    EXPECT_EQ(Messages.back(), QStringLiteral("le programme n'existe pas !"));
    EXPECT_TRUE(D->isVisible());
    EXPECT_NE(D->result(), QDialog::Accepted);

    D->EdProg->setText(QStringLiteral("/bin/sh"));
    Click(D->BtnOk);
    EXPECT_EQ(Messages.size(), 4);
    EXPECT_FALSE(D->isVisible());
    EXPECT_EQ(D->result(), QDialog::Accepted);
}

TEST_F(CfgOutil, TheEditedEntryMayKeepItsName)
{
    const std::vector<TInfoOutils> outils = {Outil("Editeur"), Outil("Make"), Outil("Terminal")};
    D->SetListe(&outils, 1);
    D->EdNom->setText(QStringLiteral("Make"));
    D->EdProg->setText(QStringLiteral("/bin/sh"));
    Click(D->BtnOk);
    EXPECT_TRUE(Messages.isEmpty());
    EXPECT_EQ(D->result(), QDialog::Accepted);
}

TEST_F(CfgOutil, ANewToolMayNotTakeAnyName)
{
    const std::vector<TInfoOutils> outils = {Outil("Editeur"), Outil("Make")};
    D->SetListe(&outils, -1);
    D->EdNom->setText(QStringLiteral("Editeur"));
    D->EdProg->setText(QStringLiteral("/bin/sh"));
    Click(D->BtnOk);
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_EQ(Messages.back(), QStringLiteral("Ce nom est déjà utilisé !"));
    EXPECT_TRUE(D->isVisible());
}

TEST_F(CfgOutil, NamesDifferingInCaseOnlyAreAllowed)
{
    const std::vector<TInfoOutils> outils = {Outil("Editeur"), Outil("Make")};
    D->SetListe(&outils, -1);
    D->EdNom->setText(QStringLiteral("MAKE"));
    D->EdProg->setText(QStringLiteral("/bin/sh"));
    Click(D->BtnOk);
    EXPECT_TRUE(Messages.isEmpty());
    EXPECT_EQ(D->result(), QDialog::Accepted);
}

TEST_F(CfgOutil, DuplicateCheckComparesTheStoredBytes)
{
    const std::vector<TInfoOutils> outils = {Outil("\xC9" "diteur"), Outil("Make")};
    D->SetListe(&outils, 1);
    D->EdNom->setText(QStringLiteral("Éditeur"));
    D->EdProg->setText(QStringLiteral("/bin/sh"));
    Click(D->BtnOk);
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_EQ(Messages.back(), QStringLiteral("Ce nom est déjà utilisé !"));
}

TEST_F(CfgOutil, ABareNameOnThePathIsAProgram)
{
    D->EdNom->setText(QStringLiteral("Shell"));
    D->EdProg->setText(QStringLiteral("sh"));
    Click(D->BtnOk);
    EXPECT_TRUE(Messages.isEmpty());
    EXPECT_EQ(D->result(), QDialog::Accepted);
}

TEST(CfgOutilProgramme, WhatCountsAsAProgram)
{
    EXPECT_TRUE(TEcrOutil::ProgrammeExiste(QStringLiteral("/bin/sh")));
    EXPECT_TRUE(TEcrOutil::ProgrammeExiste(QStringLiteral("sh")));
    EXPECT_FALSE(TEcrOutil::ProgrammeExiste(QString()));
    EXPECT_FALSE(TEcrOutil::ProgrammeExiste(QStringLiteral("/bin")));
    EXPECT_FALSE(TEcrOutil::ProgrammeExiste(QStringLiteral("kep-aucun-programme-de-ce-nom")));
    // A folder part means that very path, never a PATH look-up.
    EXPECT_FALSE(TEcrOutil::ProgrammeExiste(QStringLiteral("nulle/part/sh")));
    // Any file will do, as on the system the tools come from: the launch
    // tells what cannot run.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile f(dir.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(TEcrOutil::ProgrammeExiste(f.fileName()));
}

TEST_F(CfgOutil, EscapeCancelsAndEnterChecks)
{
    Focus(D->EdNom);
    QTest::keyClick(D->EdNom, Qt::Key_Return);
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_TRUE(D->isVisible());
    QTest::keyClick(D->EdNom, Qt::Key_Escape);
    EXPECT_FALSE(D->isVisible());
    EXPECT_EQ(D->result(), QDialog::Rejected);
    EXPECT_EQ(Messages.size(), 1);
}

TEST_F(CfgOutil, AnnulerCancels)
{
    D->EdNom->setText(QStringLiteral("Outil"));
    Click(D->BtnAnuller);
    EXPECT_FALSE(D->isVisible());
    EXPECT_EQ(D->result(), QDialog::Rejected);
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(CfgOutil, BrowseButtonsFillTheirFields)
{
    D->EdProg->setText(QStringLiteral("/usr/bin/ancien"));
    D->EdRep->setText(QStringLiteral("/tmp"));

    ProgAnswer = QStringLiteral("/usr/bin/gedit");
    Click(D->BtnParcourProg);
    EXPECT_EQ(ProgStarts, QStringList{QStringLiteral("/usr/bin/ancien")});
    EXPECT_EQ(D->EdProg->text(), QStringLiteral("/usr/bin/gedit"));
    ProgAnswer.clear();
    Click(D->BtnParcourProg);
    EXPECT_EQ(ProgStarts.size(), 2);
    EXPECT_EQ(D->EdProg->text(), QStringLiteral("/usr/bin/gedit"));

    FolderAnswer = QStringLiteral("/home/moi/projets");
    Click(D->btnParcoursRep);
    EXPECT_EQ(FolderStarts, QStringList{QStringLiteral("/tmp")});
    EXPECT_EQ(D->EdRep->text(), QStringLiteral("/home/moi/projets"));
    FolderAnswer.clear();
    Click(D->btnParcoursRep);
    EXPECT_EQ(FolderStarts.size(), 2);
    EXPECT_EQ(D->EdRep->text(), QStringLiteral("/home/moi/projets"));

    EXPECT_TRUE(Messages.isEmpty());
    EXPECT_TRUE(D->isVisible());
}

// Answers the next modal dialog of type T, once it shows.
template <class T>
void Answer(std::function<void(T*)> answer)
{
    auto* timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget()); d && d->isVisible()) {
            timer->stop();
            timer->deleteLater();
            answer(d);
        }
    });
    timer->start();
}

TEST_F(CfgOutil, TheOpenDialogOffersEveryFileFirst)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A program the usual way on Linux: no extension.
    const QString prog = dir.filePath(QStringLiteral("monoutil"));
    QFile f(prog);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);

    TEcrOutil d;
    QStringList filters;
    QString selected, folder;
    Answer<QFileDialog>([&](QFileDialog* fd) {
        filters = fd->nameFilters();
        selected = fd->selectedNameFilter();
        folder = fd->directory().absolutePath();
        fd->selectFile(prog);
        static_cast<QDialog*>(fd)->accept(); // QFileDialog hides its override
    });
    d.EdProg->setText(dir.filePath(QStringLiteral("autre")));
    f.copy(dir.filePath(QStringLiteral("autre")));
    d.show();
    Click(d.BtnParcourProg);
    EXPECT_EQ(filters, (QStringList{QStringLiteral("Exécutables (*.exe *.com *.bat *.sh)"),
                                    QStringLiteral("Tous les fichiers (*)")}));
    EXPECT_EQ(selected, QStringLiteral("Tous les fichiers (*)"));
    EXPECT_EQ(folder, QDir(dir.path()).absolutePath());
    EXPECT_EQ(d.EdProg->text(), prog);

    // A bare name opens where the PATH finds it; cancelling keeps the name.
    d.EdProg->setText(QStringLiteral("sh"));
    folder.clear();
    Answer<QFileDialog>([&](QFileDialog* fd) {
        folder = fd->directory().absolutePath();
        fd->reject();
    });
    Click(d.BtnParcourProg);
    EXPECT_EQ(folder, QFileInfo(QStandardPaths::findExecutable(QStringLiteral("sh"))).absolutePath());
    EXPECT_EQ(d.EdProg->text(), QStringLiteral("sh"));
}

TEST_F(CfgOutil, TheFolderChooserStartsAtTheField)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TEcrOutil d;
    d.EdRep->setText(dir.path());
    QString caption, start;
    Answer<kep::TEcrSelDir>([&](kep::TEcrSelDir* sel) {
        caption = sel->windowTitle();
        start = sel->Folder();
        sel->FolderPath->setText(QStringLiteral("/usr/share"));
        QTest::mouseClick(sel->btnOk, Qt::LeftButton);
    });
    d.show();
    Click(d.btnParcoursRep);
    EXPECT_EQ(caption, QStringLiteral("Choisir le répertoire..."));
    EXPECT_EQ(start, dir.path());
    EXPECT_EQ(d.EdRep->text(), QStringLiteral("/usr/share"));

    // Cancelled: the field stays.
    Answer<kep::TEcrSelDir>([](kep::TEcrSelDir* sel) { QTest::mouseClick(sel->btnAnnuler, Qt::LeftButton); });
    Click(d.btnParcoursRep);
    EXPECT_EQ(d.EdRep->text(), QStringLiteral("/usr/share"));
}

TEST_F(CfgOutil, RemplitAndLitKeepThe1252Bytes)
{
    TInfoOutils in;
    in.Nom = "\xC9" "diteur";
    in.Cmde = "/usr/bin/\xE9" "dit";
    in.Rep = "%ProjPath/donn\xE9" "es";
    in.Parm = "-t \x80 %EditName";
    in.Unique = false;
    in.OutilLocal = true;
    D->Remplit(in);
    EXPECT_EQ(D->EdNom->text(), QStringLiteral("Éditeur"));
    EXPECT_EQ(D->EdProg->text(), QStringLiteral("/usr/bin/édit"));
    EXPECT_EQ(D->EdRep->text(), QStringLiteral("%ProjPath/données"));
    EXPECT_EQ(D->EdParams->text(), QStringLiteral("-t € %EditName"));
    EXPECT_FALSE(D->UneInstance->isChecked());
    EXPECT_TRUE(D->OutilLocal->isChecked());

    TInfoOutils out;
    out.FermeEnQuittant = true;
    out.Instance = 1234;
    D->Lit(out);
    EXPECT_EQ(out.Nom, in.Nom);
    EXPECT_EQ(out.Cmde, in.Cmde);
    EXPECT_EQ(out.Rep, in.Rep);
    EXPECT_EQ(out.Parm, in.Parm);
    EXPECT_FALSE(out.Unique);
    EXPECT_TRUE(out.OutilLocal);
    // Members the dialog does not show are left alone.
    EXPECT_TRUE(out.FermeEnQuittant);
    EXPECT_EQ(out.Instance, 1234);

    in.Unique = true;
    in.OutilLocal = false;
    D->Remplit(in);
    D->Lit(out);
    EXPECT_TRUE(out.Unique);
    EXPECT_FALSE(out.OutilLocal);
}

TEST_F(CfgOutil, AideOpensTheToolTopic)
{
    Click(D->btnAide);
    EXPECT_EQ(Aides, std::vector<int>{11200});
    EXPECT_TRUE(D->isVisible());
}

// KEP_OUTIL_PNG=<file.png> keeps pictures of the dialog: as it opens, and
// with the focus in EdParams (beside it, "-params" added to the name).
TEST_F(CfgOutil, Picture)
{
    const QString out = qEnvironmentVariable("KEP_OUTIL_PNG");
    if (out.isEmpty())
        GTEST_SKIP() << "KEP_OUTIL_PNG not set";
    TInfoOutils o;
    o.Nom = "\xC9" "diteur";
    o.Cmde = "/usr/bin/gedit";
    o.Rep = "%ProjPath";
    o.Parm = "%EditPath/%EditName";
    D->Remplit(o);
    Focus(D->EdNom);
    EXPECT_TRUE(D->grab().save(out));
    Focus(D->EdParams);
    QString second = out;
    second.insert(out.endsWith(QLatin1String(".png")) ? out.size() - 4 : out.size(), QStringLiteral("-params"));
    EXPECT_TRUE(D->grab().save(second));
}

} // namespace
