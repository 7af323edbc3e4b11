// The configuration dialog over a real option file: every page loaded,
// "Ok" writing, "&Annuler" reloading, and the actions that take effect at once.
#include "support/TestDir.h"
#include "app/UF_CfgOutil.h"
#include "build/U_ErrPresets.h"
#include "config/UF_CfgDlg.h"
#include "config/U_KepFile.h"
#include "editor/UF_CfgFich.h"
#include "platform/DesktopHelpers.h"
#include "platform/DesktopIntegration.h"
#include "platform/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <deque>
#include <filesystem>
#include <sys/stat.h>

using namespace kep;

namespace {

class CfgDlg : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_.Write("bin/kep", "");
        setenv("XDG_CONFIG_HOME", dir_.Path("config").c_str(), 1);
    }
    void TearDown() override
    {
        dlg_.reset();
        cfg_.reset();
        unsetenv("XDG_CONFIG_HOME");
        NomProjet.clear();
        NomFichOptions.clear();
    }
    // The option file, then the store and the dialog over it.
    void Open(const std::string& ini = {})
    {
        // KepVer keeps the version's help topic away.
        if (!ini.empty()) {
            std::string text = ini;
            const std::string global = "[Global]\r\n";
            if (const auto at = text.find(global); at != std::string::npos)
                text.insert(at + global.size(), "KepVer=0.1.0\r\n");
            else
                text = global + "KepVer=0.1.0\r\n" + text;
            dir_.Write("config/kep/kep.ini", text);
        }
        TCfgStart s;
        s.ExePath = dir_.Path("bin/kep");
        s.FileVersion = "0.1.0.0";
        s.HelpContext = [](int) { return true; };
        s.HelpKeyword = [](const QString&) { return true; };
        s.ReportError = [this](const QString& t) { Errors.push_back(t); };
        cfg_ = std::make_unique<TEcrCfg>(std::move(s));
        cfg_->MajMenuOutils = [this] { ++Menus; };
        Reopen();
    }
    void Reopen()
    {
        dlg_.reset();
        dlg_ = std::make_unique<TEcrCfgDlg>(*cfg_);
        dlg_->Xdg = TXdgDirs::UnderHome(dir_.Path("home"));
        dlg_->ShowHelp = [this](int c) { Helps.push_back(c); };
        dlg_->ShowError = [this](const QString& t) { Errors.push_back(t); };
        dlg_->ExecDialog = [this](QDialog& d) {
            ++Execs;
            if (Answers.empty())
                return false;
            auto answer = std::move(Answers.front());
            Answers.pop_front();
            return answer(d);
        };
        dlg_->AskFolder = [this](const QString& title, const QString& start) {
            Folders.push_back(title + QStringLiteral(" @ ") + start);
            return FolderAnswer;
        };
        dlg_->Charge(); // again, now over the test's home
    }
    TEcrCfgDlg& D() { return *dlg_; }
    std::string Ini() { return dir_.Read("config/kep/kep.ini"); }
    QStringList Types()
    {
        QStringList l;
        for (int i = 0; i < D().ListeTypesFich->count(); ++i)
            l << D().ListeTypesFich->itemText(i);
        return l;
    }
    QStringList Tools()
    {
        QStringList l;
        for (int i = 0; i < D().ListeOutils->count(); ++i)
            l << D().ListeOutils->item(i)->text();
        return l;
    }
    void SelectType(const QString& name) { D().ListeTypesFich->setCurrentIndex(D().ListeTypesFich->findText(name)); }

    TTestDir dir_;
    std::unique_ptr<TEcrCfg> cfg_;
    std::unique_ptr<TEcrCfgDlg> dlg_;
    std::vector<QString> Errors;
    std::vector<int> Helps;
    QStringList Folders;
    QString FolderAnswer;
    std::deque<std::function<bool(QDialog&)>> Answers;
    int Execs = 0;
    int Menus = 0;
};

const char* kTypes = "[FileTypes]\r\nFT0=Assembleur\r\nFT1=Autres\r\nFT2=Include\r\nFT3=Texte\r\n"
                     "[FT0]\r\nExt=.ASM\r\nFont=Courier New\r\nSize=11\r\nTabs=8,16,24,32,40,48\r\nOpts=12\r\n"
                     "Backup=3\r\n"
                     "[FT1]\r\nExt=.???\r\n[FT2]\r\nExt=.INC\r\n[FT3]\r\nExt=.TXT\r\n";

} // namespace

TEST_F(CfgDlg, EveryPageShowsTheFileAndOkWritesItBack)
{
    Open(std::string(kTypes)
         + "[Global]\r\nTabPath=/opt/tables/\r\nProgMake=/usr/bin/make\r\nParaMake=-k\r\nParaMakeAll=-B\r\n"
           "LogMake=1\r\nAffInfos=0\r\nFermeCons=1\r\nQuitte1=*.lst\r\nQuitte2=*.o; *.lst\r\nDelaiBak=12\r\n"
           "[Tools]\r\nTool0=Calc\r\nTool1=Terminal\r\n[Tool0]\r\nCmde=/usr/bin/bc\r\n[Tool1]\r\nCmde=xterm\r\n"
           "Unique=0\r\n");
    EXPECT_EQ(D().windowTitle(), QStringLiteral("Configuration de KEP et du projet"));
    ASSERT_EQ(D().Pages->count(), 6);
    EXPECT_EQ(D().Pages->tabText(5), QStringLiteral("Facilités"));

    EXPECT_EQ(Types(), (QStringList{"Assembleur", "Autres", "Include", "Texte"}));
    EXPECT_EQ(D().ListeTypesFich->currentText(), QStringLiteral("Assembleur"));
    EXPECT_EQ(D().edExt->text(), QStringLiteral(".ASM"));
    EXPECT_EQ(D().edNbrBak->text(), QStringLiteral("3"));
    EXPECT_EQ(D().edTaillePolice->text(), QStringLiteral("11"));
    EXPECT_EQ(D().Tab[0]->text(), QStringLiteral("8"));
    EXPECT_EQ(D().Tab[5]->text(), QStringLiteral("48"));
    // Opts 12: AutoSave and ClrEol.
    EXPECT_FALSE(D().ConvDos->isChecked());
    EXPECT_TRUE(D().Autosave->isChecked());
    EXPECT_FALSE(D().Autoload->isChecked());
    EXPECT_FALSE(D().ReadOnly->isChecked());
    EXPECT_TRUE(D().ClrEol->isChecked());
    SelectType("Include");
    EXPECT_EQ(D().edExt->text(), QStringLiteral(".INC"));
    EXPECT_EQ(D().edTaillePolice->text(), QStringLiteral("10"));
    EXPECT_TRUE(D().ConvDos->isChecked());

    EXPECT_EQ(D().TabPath->text(), QStringLiteral("/opt/tables/"));
    EXPECT_EQ(D().ProgMake->text(), QStringLiteral("/usr/bin/make"));
    EXPECT_EQ(D().ParamMake->text(), QStringLiteral("-k"));
    EXPECT_EQ(D().ParamMakeTout->text(), QStringLiteral("-B"));
    EXPECT_TRUE(D().rbMakeLog->isChecked());
    EXPECT_FALSE(D().cbAfficheInfos->isChecked());
    // The console's boxes only count while the console is shown.
    EXPECT_FALSE(D().cbAfficheInfos->isEnabled());
    EXPECT_FALSE(D().cbFermeConsole->isEnabled());
    D().rbAffConsole->setChecked(true);
    EXPECT_TRUE(D().cbAfficheInfos->isEnabled());
    EXPECT_TRUE(D().cbFermeConsole->isEnabled());

    EXPECT_EQ(Tools(), (QStringList{"Calc", "Terminal"}));
    EXPECT_EQ(D().NetPartiel->text(), QStringLiteral("*.lst"));
    EXPECT_EQ(D().NetComplet->text(), QStringLiteral("*.o; *.lst"));
    EXPECT_TRUE(D().EnableBak->isChecked());
    EXPECT_EQ(D().DelaiBak->value(), 12);
    EXPECT_TRUE(D().DelaiBak->isEnabled());

    D().ParamMake->setText(QStringLiteral("-j2"));
    D().cbAfficheInfos->setChecked(true);
    D().NetPartiel->setText(QStringLiteral("*.bak"));
    D().DelaiBak->setValue(7);
    D().SymbRem->setText(QStringLiteral("//"));
    D().btnOk->click();
    EXPECT_EQ(D().result(), QDialog::Accepted);
    EXPECT_EQ(Menus, 1);
    const std::string ini = Ini();
    for (const char* line : {"ParaMake=-j2\r\n", "LogMake=0\r\n", "AffInfos=1\r\n", "Quitte1=*.bak\r\n",
                             "DelaiBak=7\r\n", "ParaMakeAll=-B\r\n", "Tool1=Terminal\r\n", "FT3=Texte\r\n"})
        EXPECT_NE(ini.find(line), std::string::npos) << line << "\n" << ini;
    EXPECT_EQ(cfg_->Data.ParamMake, "-j2");
    EXPECT_EQ(cfg_->Data.SymbRem, "//");
    EXPECT_FALSE(cfg_->Data.Outils[1].Unique);
    EXPECT_TRUE(Errors.empty());
}

TEST_F(CfgDlg, AnnulerForgetsTheEditsAndWritesNothing)
{
    Open("[Global]\r\nParaMake=-k\r\n");
    const std::string before = Ini();
    D().ParamMake->setText(QStringLiteral("-j2"));
    D().EnableBak->setChecked(true);
    D().MarqErr->setText(QStringLiteral("xx"));
    D().btnAnnuler->click();
    EXPECT_EQ(D().result(), QDialog::Rejected);
    EXPECT_EQ(Ini(), before);
    EXPECT_EQ(cfg_->Data.ParamMake, "-k");
    EXPECT_FALSE(cfg_->Data.EnableBak);
    EXPECT_EQ(cfg_->Data.Err.MarqErr, "): as");
    EXPECT_EQ(Menus, 0);
    Reopen();
    EXPECT_EQ(D().ParamMake->text(), QStringLiteral("-k"));
    EXPECT_FALSE(D().EnableBak->isChecked());
}

TEST_F(CfgDlg, WithoutAnOptionFileTheBackupIsOffAtFiveMinutes)
{
    Open();
    EXPECT_FALSE(D().EnableBak->isChecked());
    EXPECT_EQ(D().DelaiBak->value(), 5);
    EXPECT_FALSE(D().DelaiBak->isEnabled());
    EXPECT_FALSE(D().lblDelaiBak->isEnabled());
    EXPECT_TRUE(D().rbAffConsole->isChecked());
    EXPECT_EQ(Types(), QStringList{"Autres"});
    EXPECT_EQ(D().Tab[0]->text(), QStringLiteral("14"));
    D().EnableBak->setChecked(true);
    EXPECT_TRUE(D().DelaiBak->isEnabled());
    EXPECT_TRUE(D().lblDelaiBak->isEnabled());
    D().btnOk->click();
    EXPECT_NE(Ini().find("DelaiBak=5\r\n"), std::string::npos) << Ini();
    Reopen();
    D().EnableBak->setChecked(false);
    D().btnOk->click();
    EXPECT_EQ(Ini().find("DelaiBak"), std::string::npos);
}

TEST_F(CfgDlg, DeletingTypesSelectsTheNextAndTheCatchAllStays)
{
    Open(kTypes);
    SelectType("Texte");
    EXPECT_TRUE(D().btnSupprType->isEnabled());
    D().btnSupprType->click(); // the last: the new last is selected
    EXPECT_EQ(Types(), (QStringList{"Assembleur", "Autres", "Include"}));
    EXPECT_EQ(D().ListeTypesFich->currentText(), QStringLiteral("Include"));
    EXPECT_EQ(D().edExt->text(), QStringLiteral(".INC"));
    SelectType("Assembleur");
    D().btnSupprType->click(); // the first: the one now at its place
    EXPECT_EQ(D().ListeTypesFich->currentText(), QStringLiteral("Autres"));
    EXPECT_FALSE(D().btnSupprType->isEnabled());
    D().btnSupprType->click();
    EXPECT_EQ(Types(), (QStringList{"Autres", "Include"}));
    SelectType("Include");
    D().btnSupprType->click();
    EXPECT_EQ(Types(), QStringList{"Autres"});
    EXPECT_EQ(D().ListeTypesFich->currentText(), QStringLiteral("Autres"));
    D().btnOk->click();
    const std::string ini = Ini();
    EXPECT_NE(ini.find("FT0=Autres"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("FT1"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("[FT3]"), std::string::npos) << ini;
}

TEST_F(CfgDlg, TypesAreEditedThroughTheFileTypeDialog)
{
    Open(kTypes);
    // "Autres" keeps its name and extension.
    SelectType("Autres");
    Answers.push_back([](QDialog& d) {
        auto& p = dynamic_cast<TEcrParamFich&>(d);
        EXPECT_FALSE(p.edNom->isEnabled());
        EXPECT_FALSE(p.edExt->isEnabled());
        EXPECT_EQ(p.edNom->text(), QStringLiteral("Autres"));
        p.edNbrBak->setValue(4);
        return true;
    });
    D().btnModifType->click();
    EXPECT_EQ(D().ListeTypesFich->currentText(), QStringLiteral("Autres"));
    EXPECT_EQ(D().edNbrBak->text(), QStringLiteral("4"));

    // Renamed: sorted again and selected by its new name.
    SelectType("Include");
    Answers.push_back([](QDialog& d) {
        auto& p = dynamic_cast<TEcrParamFich&>(d);
        EXPECT_TRUE(p.edNom->isEnabled());
        p.edNom->setText(QStringLiteral("Assembleur inclus"));
        return true;
    });
    D().btnModifType->click();
    EXPECT_EQ(Types(), (QStringList{"Assembleur", "Assembleur inclus", "Autres", "Texte"}));
    EXPECT_EQ(D().ListeTypesFich->currentText(), QStringLiteral("Assembleur inclus"));
    EXPECT_EQ(D().edExt->text(), QStringLiteral(".INC"));

    // Added: starts empty; no name, then a taken extension, are refused and
    // the dialog comes back as it was left.
    int round = 0;
    auto add = [&round](QDialog& d) {
        auto& p = dynamic_cast<TEcrParamFich&>(d);
        ++round;
        if (round == 1) {
            EXPECT_TRUE(p.edNom->text().isEmpty());
            EXPECT_TRUE(p.edExt->text().isEmpty() || p.edExt->text() == QStringLiteral("."));
            p.edExt->setText(QStringLiteral("asm"));
        } else if (round == 2) {
            EXPECT_EQ(p.edExt->text(), QStringLiteral(".ASM"));
            p.edNom->setText(QStringLiteral("Source AVR"));
        } else {
            p.edExt->setText(QStringLiteral("s"));
        }
        return true;
    };
    for (int i = 0; i < 3; ++i)
        Answers.push_back(add);
    Errors.clear();
    D().btnAjoutType->click();
    ASSERT_EQ(Errors.size(), 2u);
    EXPECT_EQ(Errors[0], QStringLiteral("Le type de fichier doit avoir un nom."));
    EXPECT_EQ(Errors[1], QStringLiteral("L'extension .ASM est déjà celle du type « Assembleur »."));
    EXPECT_EQ(D().ListeTypesFich->currentText(), QStringLiteral("Source AVR"));
    EXPECT_EQ(D().edExt->text(), QStringLiteral(".S"));

    // Cancelled: nothing changes.
    Answers.push_back([](QDialog& d) {
        dynamic_cast<TEcrParamFich&>(d).edNom->setText(QStringLiteral("Perdu"));
        return false;
    });
    D().btnAjoutType->click();
    EXPECT_EQ(Types().size(), 5);

    D().btnOk->click();
    const std::string ini = Ini();
    EXPECT_NE(ini.find("FT4=Texte\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("FT3=Source AVR\r\n"), std::string::npos) << ini;
    EXPECT_EQ(FileTypeOf(cfg_->Data.TypesFich, "main.s").Nom, "Source AVR");
    EXPECT_EQ(FileTypeOf(cfg_->Data.TypesFich, "x.inc").Nom, "Assembleur inclus");
    EXPECT_EQ(FileTypeOf(cfg_->Data.TypesFich, "x.zz").Backup, 4);
}

TEST_F(CfgDlg, SamplesArePaintedInTheSelectedTypesStyles)
{
    // Style 0 of "Assembleur" on yellow, bold; "Autres" keeps the built-in table.
    Open();
    TInfosFich f;
    f.Nom = "Assembleur";
    f.Ext = ".ASM";
    f.Styles[0].Back = 0x00FFFF; // BGR: yellow
    f.Styles[0].Fore = 0x000000;
    f.Styles[0].Style = fsBold;
    cfg_->Data.TypesFich.push_back(f);
    ASSERT_TRUE(cfg_->SauveOptionsKEP());
    Reopen();
    ASSERT_EQ(D().DemoStyles->count(), 14);
    EXPECT_EQ(D().DemoStyles->item(4)->text(), QStringLiteral("Remarques surlignées (;**) "));
    EXPECT_EQ(D().DemoStyles->item(11)->text(), QStringLiteral("Definition de boucle"));
    D().resize(700, 520);
    D().Pages->setCurrentIndex(TEcrCfgDlg::pgStyles);
    D().show();
    QCoreApplication::processEvents();
    const QRect r0 = D().DemoStyles->visualItemRect(D().DemoStyles->item(0));
    EXPECT_EQ(r0.height(), 2 + QFontMetrics(D().DemoStyles->font()).height());
    auto pixel = [this, r0] {
        const QImage img = D().DemoStyles->viewport()->grab().toImage();
        EXPECT_GE(img.width(), r0.right()) << img.width();
        return img.pixelColor(1, r0.center().y());
    };
    SelectType("Assembleur");
    QCoreApplication::processEvents();
    EXPECT_EQ(pixel(), QColor(255, 255, 0));
    SelectType("Autres");
    QCoreApplication::processEvents();
    EXPECT_NE(pixel(), QColor(255, 255, 0));
    if (const char* png = std::getenv("KEP_CFG_PNG")) {
        SelectType("Assembleur");
        for (int i = 0; i < TEcrCfgDlg::NbPages; ++i) {
            D().Pages->setCurrentIndex(i);
            QCoreApplication::processEvents();
            D().grab().save(QString::fromLocal8Bit(png) + QString::number(i) + QStringLiteral(".png"));
        }
    }
    D().hide();
}

TEST_F(CfgDlg, ToolsAreAddedOrderedEditedAndDeleted)
{
    Open();
    EXPECT_TRUE(Tools().isEmpty());
    EXPECT_FALSE(D().btnModifOutil->isEnabled());
    EXPECT_FALSE(D().btnSupprOutil->isEnabled());
    EXPECT_FALSE(D().BtnHaut->isEnabled());
    auto tool = [](const char* name, const char* prog) {
        return [name, prog](QDialog& d) {
            auto& o = dynamic_cast<TEcrOutil&>(d);
            EXPECT_TRUE(o.EdNom->text().isEmpty());
            EXPECT_TRUE(o.UneInstance->isChecked());
            o.EdNom->setText(QString::fromUtf8(name));
            o.EdProg->setText(QString::fromUtf8(prog));
            o.EdParams->setText(QStringLiteral("%EditName.lst"));
            return true;
        };
    };
    Answers.push_back(tool("Calculette", "/bin/sh"));
    D().btnAjoutOutil->click();
    Answers.push_back(tool("Éditeur", "/bin/true"));
    D().btnAjoutOutil->click();
    Answers.push_back(tool("Liste", "/bin/ls"));
    D().btnAjoutOutil->click();
    EXPECT_EQ(Tools(), (QStringList{"Calculette", "Éditeur", "Liste"}));
    EXPECT_EQ(D().ListeOutils->currentRow(), 2);
    EXPECT_TRUE(D().BtnHaut->isEnabled());
    EXPECT_FALSE(D().BtnBas->isEnabled());

    D().BtnHaut->click();
    D().BtnHaut->click();
    EXPECT_EQ(Tools(), (QStringList{"Liste", "Calculette", "Éditeur"}));
    EXPECT_EQ(D().ListeOutils->currentRow(), 0);
    EXPECT_FALSE(D().BtnHaut->isEnabled());
    D().BtnBas->click();
    EXPECT_EQ(Tools(), (QStringList{"Calculette", "Liste", "Éditeur"}));
    EXPECT_EQ(D().ListeOutils->currentRow(), 1);

    // "&Modifier" shows the entry and may rename it.
    Answers.push_back([](QDialog& d) {
        auto& o = dynamic_cast<TEcrOutil&>(d);
        EXPECT_EQ(o.EdNom->text(), QStringLiteral("Liste"));
        EXPECT_EQ(o.EdProg->text(), QStringLiteral("/bin/ls"));
        o.EdNom->setText(QStringLiteral("Fichiers"));
        o.UneInstance->setChecked(false);
        return true;
    });
    D().btnModifOutil->click();
    EXPECT_EQ(Tools(), (QStringList{"Calculette", "Fichiers", "Éditeur"}));

    D().btnOk->click();
    std::string ini = Ini();
    EXPECT_NE(ini.find("Tool0=Calculette\r\nTool1=Fichiers\r\nTool2=\xC9" "diteur\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Tool1]\r\nCmde=/bin/ls\r\nParm=%EditName.lst\r\nUnique=0\r\n"), std::string::npos) << ini;

    Reopen();
    for (int i = 0; i < 3; ++i)
        D().btnSupprOutil->click();
    EXPECT_TRUE(Tools().isEmpty());
    EXPECT_FALSE(D().btnSupprOutil->isEnabled());
    D().btnOk->click();
    ini = Ini();
    EXPECT_EQ(ini.find("Tool"), std::string::npos) << ini;
    EXPECT_TRUE(cfg_->Data.Outils.empty());
}

TEST_F(CfgDlg, AideShowsThePagesTopic)
{
    Open();
    for (int i = 0; i < TEcrCfgDlg::NbPages; ++i) {
        D().Pages->setCurrentIndex(i);
        D().btnAide->click();
    }
    EXPECT_EQ(Helps, (std::vector<int>{11001, 11002, 11003, 11004, 11005, 11006}));
}

TEST_F(CfgDlg, TheProcessorFolderEndsWithASlash)
{
    Open();
    EXPECT_EQ(D().TabPath->text(), QString::fromStdString(dir_.Path("bin/lib/")));
    D().TabPath->setText(QStringLiteral("/opt/tables"));
    emit D().TabPath->editingFinished();
    EXPECT_EQ(D().TabPath->text(), QStringLiteral("/opt/tables/"));
    emit D().TabPath->editingFinished();
    EXPECT_EQ(D().TabPath->text(), QStringLiteral("/opt/tables/"));

    D().btnTabPath->click(); // cancelled
    EXPECT_EQ(D().TabPath->text(), QStringLiteral("/opt/tables/"));
    FolderAnswer = QStringLiteral("/srv/pic");
    D().btnTabPath->click();
    EXPECT_EQ(D().TabPath->text(), QStringLiteral("/srv/pic/"));
    EXPECT_EQ(Folders.value(0), QStringLiteral("Répertoire des fichiers processeurs ? @ ")
                                    + QString::fromStdString(dir_.Path("bin/")));

    // Typed without leaving the field, then Ok.
    D().TabPath->setText(QStringLiteral("/srv/avr"));
    D().btnOk->click();
    EXPECT_EQ(cfg_->Data.TabPath, "/srv/avr/");
}

TEST_F(CfgDlg, APresetFillsTheErrorLayoutAndKeepsTheErrorFile)
{
    Open();
    cfg_->Data.Err.FichErr = "prog.err";
    Reopen();
    EXPECT_EQ(D().FichErr->text(), QStringLiteral("prog.err"));
    EXPECT_EQ(D().MarqErr->text(), QStringLiteral("): as"));
    EXPECT_EQ(D().PresetCourant(), 0);
    EXPECT_EQ(D().cbAssembleur->currentText(), QStringLiteral("KEP (défaut)"));

    const TErrPreset* gpasm = FindErrPreset("gpasm");
    ASSERT_TRUE(gpasm);
    const int index = D().cbAssembleur->findText(QStringLiteral("gpasm"));
    ASSERT_GE(index, 0);
    emit D().cbAssembleur->activated(index);
    EXPECT_EQ(D().cbAssembleur->currentIndex(), index);
    EXPECT_EQ(D().lblAssembleur->text(), AnsiToQString(gpasm->Description));
    EXPECT_EQ(D().FichErr->text(), QStringLiteral("prog.err"));
    EXPECT_EQ(D().MarqErr->text(), QStringLiteral(":Error["));
    EXPECT_EQ(D().MarqErr2->text(), QStringLiteral(":Warning["));
    EXPECT_EQ(D().DebNomFich->text(), QStringLiteral("#1"));
    EXPECT_EQ(D().FinNomFich->text(), QStringLiteral(":"));
    EXPECT_EQ(D().DebNumLig->text(), QStringLiteral(":"));
    EXPECT_EQ(D().FinNumLig->text(), QStringLiteral("["));

    // Any field changed by hand: none of the presets.
    D().LigNumLig->setValue(1);
    EXPECT_EQ(D().cbAssembleur->currentText(), QStringLiteral("Personnalisé"));
    EXPECT_EQ(D().PresetCourant(), -1);
    D().LigNumLig->setValue(0);
    EXPECT_EQ(D().cbAssembleur->currentText(), QStringLiteral("gpasm"));
    // "Personnalisé" chosen over a known layout changes nothing.
    emit D().cbAssembleur->activated(D().cbAssembleur->count() - 1);
    EXPECT_EQ(D().cbAssembleur->currentText(), QStringLiteral("gpasm"));
    EXPECT_EQ(D().MarqErr->text(), QStringLiteral(":Error["));

    // The project gets the layout on Ok only.
    EXPECT_EQ(cfg_->Data.Err.MarqErr, "): as");
    D().btnOk->click();
    EXPECT_EQ(cfg_->Data.Err.MarqErr, ":Error[");
    EXPECT_EQ(cfg_->Data.Err.FichErr, "prog.err");
    EXPECT_EQ(IndexErrPreset(cfg_->Data.Err), index);
    // The option file holds no error layout until asked.
    EXPECT_EQ(Ini().find("MarqueErr"), std::string::npos);
}

TEST_F(CfgDlg, TheDefaultButtonsWriteAndReadTheOptionFileAtOnce)
{
    Open();
    D().FichErr->setText(QStringLiteral("sortie.err"));
    D().MarqErr->setText(QStringLiteral("erreur, grave"));
    D().LigMarqErr->setValue(2);
    D().MarqErr2->clear();
    D().NbrLigErr->setValue(3);
    D().DebNomFich->setText(QStringLiteral("#5"));
    D().LigNumLig->setValue(1);
    D().btnDefautErr->click();
    const std::string ini = Ini();
    EXPECT_NE(ini.find("FichErr=sortie.err\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("MarqueErr=\"erreur, grave\",2,\"\",0\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("NbrLigErr=3\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("MarqueNom=#5,(,0\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("MarqueLig=(,):,1\r\n"), std::string::npos) << ini;
    // The project's values are the dialog's business until Ok.
    EXPECT_EQ(cfg_->Data.Err.FichErr, "qdx.err");

    emit D().cbAssembleur->activated(D().cbAssembleur->findText(QStringLiteral("avra")));
    D().FichErr->setText(QStringLiteral("autre.err"));
    D().btnChargeErr->click();
    EXPECT_EQ(D().FichErr->text(), QStringLiteral("sortie.err"));
    EXPECT_EQ(D().MarqErr->text(), QStringLiteral("erreur, grave"));
    EXPECT_EQ(D().LigMarqErr->value(), 2);
    EXPECT_EQ(D().MarqErr2->text(), QString());
    EXPECT_EQ(D().NbrLigErr->value(), 3);
    EXPECT_EQ(D().DebNomFich->text(), QStringLiteral("#5"));
    EXPECT_EQ(D().LigNumLig->value(), 1);
    EXPECT_EQ(D().cbAssembleur->currentText(), QStringLiteral("Personnalisé"));
    EXPECT_EQ(cfg_->Data.Err.FichErr, "qdx.err");
}

TEST_F(CfgDlg, TheDesktopBoxesActAtOnceAndShowTheRealState)
{
    Open();
    const TXdgDirs xdg = D().Xdg;
    const std::string exe = dir_.Path("bin/kep");
    EXPECT_FALSE(D().chkAssoPja->isChecked());
    EXPECT_FALSE(D().chkRaccourci->isChecked());

    D().chkAssoPja->click();
    EXPECT_TRUE(D().chkAssoPja->isChecked());
    EXPECT_TRUE(ProjetsAssocies(xdg, exe));
    EXPECT_TRUE(FileExists(xdg.DataHome + "/applications/kep.desktop"));
    D().chkRaccourci->click();
    EXPECT_TRUE(RaccourciPresent(xdg, exe));
    EXPECT_TRUE(FileExists(xdg.Desktop + "/kep.desktop"));
    EXPECT_TRUE(Errors.empty()) << Errors.front().toStdString();

    // Cancelling the dialog does not undo them; the next one shows them.
    D().btnAnnuler->click();
    Reopen();
    EXPECT_TRUE(D().chkAssoPja->isChecked());
    EXPECT_TRUE(D().chkRaccourci->isChecked());

    D().chkAssoPja->click();
    D().chkRaccourci->click();
    EXPECT_FALSE(ProjetsAssocies(xdg, exe));
    EXPECT_FALSE(RaccourciPresent(xdg, exe));
    EXPECT_FALSE(FileExists(xdg.DataHome + "/applications/kep.desktop"));
    EXPECT_FALSE(FileExists(xdg.Desktop + "/kep.desktop"));
    Reopen();
    EXPECT_FALSE(D().chkAssoPja->isChecked());
    EXPECT_FALSE(D().chkRaccourci->isChecked());

    // A folder that cannot be made: the message, and the box stays clear.
    std::filesystem::remove_all(xdg.DataHome + "/applications");
    dir_.Write("home/.local/share/applications", "not a folder");
    D().chkAssoPja->click();
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_FALSE(D().chkAssoPja->isChecked());
    EXPECT_FALSE(ProjetsAssocies(xdg, exe));
}

TEST_F(CfgDlg, AHelperThatHangsNeitherHoldsTheDialogNorLivesOn)
{
    // A desktop helper stuck for good, first on the PATH; whatever happens,
    // it does not outlive the test.
    const std::string pidFile = dir_.Path("helper.pid");
    const std::string helper =
        dir_.Write("fake/update-desktop-database", "#!/bin/sh\necho $$ > '" + pidFile + "'\nexec sleep 600\n");
    ASSERT_EQ(chmod(helper.c_str(), 0755), 0);
    TAssistantsBureau& helpers = TAssistantsBureau::Instance();
    struct TRestore {
        std::string Path, PidFile;
        int Delai;
        ~TRestore()
        {
            setenv("PATH", Path.c_str(), 1);
            TAssistantsBureau::Instance().Delai = Delai;
            std::string pid;
            if (ReadWholeFile(PidFile, pid) && std::atoi(pid.c_str()) > 0)
                kill(std::atoi(pid.c_str()), SIGKILL);
        }
    } restore{std::getenv("PATH"), pidFile, helpers.Delai};
    setenv("PATH", (dir_.Path("fake") + ":" + restore.Path).c_str(), 1);
    helpers.Delai = 1000;

    Open();
    D().chkAssoPja->click();
    // The association is made and the dialog answers while the helper runs.
    EXPECT_TRUE(ProjetsAssocies(D().Xdg, dir_.Path("bin/kep")));
    EXPECT_TRUE(helpers.Occupe());
    EXPECT_TRUE(D().lblAssistants->isHidden());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dir_.Read("helper.pid").empty(); }, 10000));
    const int pid = std::atoi(dir_.Read("helper.pid").c_str());
    EXPECT_EQ(kill(pid, 0), 0);
    // Stopped after its time, and the dialog says so.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !helpers.Occupe(); }, 10000));
    EXPECT_FALSE(D().lblAssistants->isHidden());
    EXPECT_EQ(D().lblAssistants->text(),
              QStringLiteral("« update-desktop-database » n'a pas répondu à temps et a été arrêté : le bureau ne "
                             "verra peut-être le changement qu'après sa prochaine mise à jour."));
    EXPECT_NE(kill(pid, 0), 0);
    EXPECT_TRUE(Errors.empty());
}
