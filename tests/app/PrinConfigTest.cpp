// "&Configuration..." from the main window: what Ok changes works at once,
// and an assembler's error layout chosen there drives the build loop.
#include "app/PrinMakeFixture.h"

#include "app/UF_CfgOutil.h"
#include "config/UF_CfgDlg.h"
#include "editor/UF_CfgFich.h"
#include "editor/U_Syntaxe.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

class TPrinConfig : public TPrinMake {
protected:
    void SetUp() override
    {
        TPrinMake::SetUp();
        // The dialog reads the desktop's state: a home of the test's own.
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(Dir.Path("home/.local/share")));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(Dir.Path("home/share")));
    }
    void TearDown() override
    {
        TPrinMake::TearDown();
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_DATA_DIRS");
    }
    // Runs the configuration dialog through `f`, then its "Ok".
    void Configure(const std::function<void(kep::TEcrCfgDlg&)>& f)
    {
        W->ExecDialog = [&f](QDialog& d) {
            auto& c = dynamic_cast<kep::TEcrCfgDlg&>(d);
            f(c);
            c.btnOk->click();
            return d.result() == QDialog::Accepted;
        };
        QAction* item = W->Action("MO_Config");
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
    }
};

} // namespace

TEST_F(TPrinConfig, OkTakesEffectWithoutARestart)
{
    const std::string tables = Dir.Path("tables/");
    std::filesystem::create_directories(tables);
    std::filesystem::copy_file(KEP_TABLES_DIR "/p16.tab", tables + "p16.tab");
    ASSERT_TRUE(StartFiles({{"prog.asm", "p16\r\n        movlw   1\r\n"}}));
    EXPECT_NE(kep::SharedTokens().TableName(), tables + "p16.tab");
    EXPECT_FALSE(W->Action("MO__1")->isVisible());

    Configure([&](kep::TEcrCfgDlg& c) {
        c.TabPath->setText(QString::fromStdString(Dir.Path("tables")));
        c.EnableBak->setChecked(true);
        c.DelaiBak->setValue(3);
        c.ExecDialog = [](QDialog& d) {
            auto& o = dynamic_cast<kep::TEcrOutil&>(d);
            o.EdNom->setText(QStringLiteral("Liste"));
            o.EdProg->setText(QStringLiteral("/bin/ls"));
            return true;
        };
        c.btnAjoutOutil->click();
    });
    // The open editor took its table from the new folder.
    EXPECT_EQ(kep::SharedTokens().TableName(), tables + "p16.tab");
    EXPECT_EQ(TEditeur::TabPath, tables);
    ASSERT_TRUE(W->BackupTimer());
    EXPECT_EQ(W->BackupTimer()->interval(), 3 * 60000);
    EXPECT_TRUE(W->BackupTimer()->isActive());
    QAction* tool = W->Action("MO_Outil0");
    ASSERT_TRUE(tool);
    EXPECT_EQ(tool->text(), QStringLiteral("Liste"));
    EXPECT_TRUE(W->Action("MO__1")->isVisible());

    Configure([](kep::TEcrCfgDlg& c) {
        c.EnableBak->setChecked(false);
        c.btnSupprOutil->click();
    });
    Settle();
    EXPECT_EQ(W->BackupTimer(), nullptr);
    EXPECT_EQ(W->Action("MO_Outil0"), nullptr);
    EXPECT_FALSE(W->Action("MO__1")->isVisible());
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

TEST_F(TPrinConfig, TheHelpOfTheToolsPageAndCancelChangeNothing)
{
    ASSERT_TRUE(StartWith({"prog.asm"}));
    std::vector<int> helps;
    W->ShowHelp = [&helps](int c) { helps.push_back(c); };
    const std::string before = TEditeur::TabPath;
    W->ExecDialog = [](QDialog& d) {
        auto& c = dynamic_cast<kep::TEcrCfgDlg&>(d);
        c.Pages->setCurrentIndex(kep::TEcrCfgDlg::pgOutils);
        c.btnAide->click();
        c.TabPath->setText(QStringLiteral("/ailleurs/"));
        c.EnableBak->setChecked(true);
        c.btnAnnuler->click();
        return d.result() == QDialog::Accepted;
    };
    W->Action("MO_Config")->trigger();
    EXPECT_EQ(helps, std::vector<int>{11005});
    EXPECT_EQ(TEditeur::TabPath, before);
    EXPECT_EQ(W->BackupTimer(), nullptr);
    EXPECT_NE(W->Cfg()->Data.TabPath, "/ailleurs/");
}

TEST_F(TPrinConfig, TheAvraLayoutChosenInTheDialogLandsOnEachError)
{
    ASSERT_TRUE(StartMake("@avra prog.asm > prog.err 2>&1 || true"));
    Dir.Write("p/prog.asm", ".device ATmega8\r\n"
                            "        ldi     r16, 1\r\n"
                            "        rjmp    Boucle\r\n"
                            "        ldi     r17, 300\r\n"
                            "        nop\r\n");
    Ed(0)->Load();
    // The dialog reloads the options from their file.
    ASSERT_TRUE(W->Cfg()->SauveOptionsKEP());
    // The project's own layout first: avra's lines are no errors for it.
    Build();
    EXPECT_TRUE(W->Panel(3).isEmpty() || !W->Panel(3).contains("Boucle")) << W->Panel(3).toStdString();

    Configure([](kep::TEcrCfgDlg& c) {
        EXPECT_EQ(c.FichErr->text(), QStringLiteral("prog.err"));
        emit c.cbAssembleur->activated(c.cbAssembleur->findText(QStringLiteral("avra")));
    });
    EXPECT_EQ(Options().Err.FichErr, "prog.err");
    EXPECT_EQ(Options().Err.MarqErr, ") : Error");
    Build();
    EXPECT_EQ(CurrentName(), "prog.asm") << Dir.Read("p/prog.err");
    EXPECT_EQ(CaretLine(), 2);
    EXPECT_TRUE(W->Panel(3).contains("Found no label/variable/constant named Boucle")) << W->Panel(3).toStdString();
    W->MC_ErrSuivClick();
    EXPECT_EQ(CaretLine(), 3);
    EXPECT_TRUE(W->Panel(3).contains("Constant out of range"));

    // The layout is the project's: written with it, read back with it.
    ASSERT_TRUE(W->FermeProjet());
    W.reset();
    ASSERT_TRUE(Start({ProjectPath}));
    EXPECT_EQ(Options().Err.MarqErr, ") : Error");
    EXPECT_EQ(Options().Err.MarqErr2, ") : Warning");
}

TEST_F(TPrinConfig, FilesInTheirTypesColoursFollowTheTypesNewColours)
{
    ASSERT_TRUE(StartFiles({{"prog.asm", "        nop\r\n"}, {"notes.txt", "texte\r\n"}}));
    ASSERT_EQ(S().Count(), 2);
    // notes.txt has colours of its own.
    kep::TStyleTable propres = Ed(1)->Styles();
    propres[0].Back = kep::RGBColor(1, 2, 3);
    Ed(1)->SetStyles(propres);
    const kep::TStyleTable avant = Ed(0)->Styles();

    Configure([](kep::TEcrCfgDlg& c) {
        c.ExecDialog = [](QDialog& d) {
            dynamic_cast<kep::TEcrParamFich&>(d).btnFonce->click();
            return true;
        };
        c.btnModifType->click(); // "Autres", the only type
    });
    const kep::TStyleTable& type = W->Cfg()->FileTypeOf("prog.asm").Styles;
    EXPECT_NE(type, avant);
    EXPECT_EQ(Ed(0)->Styles(), type);
    EXPECT_EQ(Ed(1)->Styles(), propres);

    // Cancelled: nobody changes.
    W->ExecDialog = [](QDialog& d) {
        auto& c = dynamic_cast<kep::TEcrCfgDlg&>(d);
        c.ExecDialog = [](QDialog& p) {
            dynamic_cast<kep::TEcrParamFich&>(p).btnFonce->click();
            return true;
        };
        c.btnModifType->click();
        c.btnAnnuler->click();
        return false;
    };
    W->Action("MO_Config")->trigger();
    EXPECT_EQ(Ed(0)->Styles(), type);
}
