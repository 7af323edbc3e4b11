// "Paramètres de fichier" driven with real clicks and keys.
#include "support/TestDir.h"
#include "editor/SystemColours.h"
#include "editor/UF_CfgFich.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>

using namespace kep;

namespace {

// Grabs the window when KEP_GRAB_DIR names a folder.
void Grab(QWidget& w, const char* name)
{
    if (const char* dir = std::getenv("KEP_GRAB_DIR"))
        w.grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

QStringList Items(const QComboBox* c)
{
    QStringList items;
    for (int i = 0; i < c->count(); ++i)
        items << c->itemText(i);
    return items;
}

void Click(QAbstractButton* b)
{
    ASSERT_TRUE(b->isVisible()) << b->objectName().toStdString();
    ASSERT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    QTest::mouseClick(b, Qt::LeftButton);
}

void ClickStyle(TEcrParamFich& dlg, int row)
{
    QListWidget* list = dlg.ListeStyles;
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    ASSERT_EQ(list->currentRow(), row);
}

void Retype(QLineEdit* e, const QString& keys)
{
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClicks(e, keys);
}

// A monospaced bitmap font in the text form FreeType reads, one pixel size
// per file.
std::string BitmapFont(const std::string& family, int pixels)
{
    const int ascent = pixels - 2;
    std::string rows;
    for (int i = 0; i < pixels; ++i)
        rows += i % 2 ? "18\n" : "3C\n";
    const std::string px = std::to_string(pixels);
    std::string bdf = "STARTFONT 2.1\nFONT -Kep-" + family + "-Medium-R-Normal--" + px + "-" + std::to_string(pixels * 10) +
                      "-75-75-C-80-ISO10646-1\nSIZE " + px + " 75 75\nFONTBOUNDINGBOX 8 " + px + " 0 -2\n"
                      "STARTPROPERTIES 12\nFAMILY_NAME \"" + family + "\"\nFOUNDRY \"Kep\"\nWEIGHT_NAME \"Medium\"\n"
                      "SLANT \"R\"\nPIXEL_SIZE " + px + "\nPOINT_SIZE " + std::to_string(pixels * 10) +
                      "\nSPACING \"C\"\nAVERAGE_WIDTH 80\nFONT_ASCENT " + std::to_string(ascent) +
                      "\nFONT_DESCENT 2\nCHARSET_REGISTRY \"ISO10646\"\nCHARSET_ENCODING \"1\"\nENDPROPERTIES\nCHARS 2\n";
    for (const char* glyph : {"space 32", "A 65"}) {
        const std::string g = glyph;
        const auto blank = g.find(' ');
        bdf += "STARTCHAR " + g.substr(0, blank) + "\nENCODING " + g.substr(blank + 1) +
               "\nSWIDTH 600 0\nDWIDTH 8 0\nBBX 8 " + px + " 0 -2\nBITMAP\n" + rows + "ENDCHAR\n";
    }
    return bdf + "ENDFONT\n";
}

// A record with nothing left at its default.
TInfosFich Sample()
{
    TInfosFich f;
    f.Nom = "Sources du projet é";
    f.Ext = ".INC";
    f.Police = "Courier New";
    f.Taille = 12;
    f.Styles[stLab].Style = fsBold | fsStrikeOut;
    f.Styles[stLab].Fore = RGBColor(1, 2, 3);
    f.Styles[stLab].Back = clBtnFace;
    f.Styles[stMacro].FondCtx = true;
    f.Styles[stIf0].TxtSntx = false;
    f.Tabs = {4, 9, 30, 31, 60, 200};
    f.Opts = 0xE0 | optAutoLoad | optReadOnly | optClrEol;
    f.Backup = 7;
    return f;
}

class TCfgFich : public ::testing::Test {
protected:
    void SetUp() override
    {
        dlg_ = std::make_unique<TEcrParamFich>();
        dlg_->Aide = [this] { ++aides_; };
        dlg_->AskColor = [this](const QColor& start) {
            starts_.push_back(start);
            return answer_;
        };
    }
    void Show()
    {
        dlg_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg_.get()));
    }
    TEcrParamFich& d() { return *dlg_; }

    std::unique_ptr<TEcrParamFich> dlg_;
    int aides_ = 0;
    std::vector<QColor> starts_;
    std::optional<QColor> answer_;
};

} // namespace

TEST_F(TCfgFich, ControlsCarryTheirNamesAndCaptions)
{
    const std::map<QString, QString> captions{
        {"rbTabsAbs", "Abs."},
        {"rbTabsRel", "Rel."},
        {"ConvDos", "Convertir caractères accentués DOS"},
        {"Autosave", "AutoSave (sauvegarde automatique avant assemblage si modifié)"},
        {"Autoload", "Autoload (rechargement automatique si modifié par assemblage)"},
        {"ReadOnly", "Toujours ouvert en 'lecture seule'"},
        {"ClrEol", "Ote espaces et tabs en fin de lignes"},
        {"cbTxtSntx", "Fournis par syntaxe"},
        {"btnTextPerso", "Autre couleur de texte"},
        {"cbGras", "Gras"},
        {"cbBarre", "Barré"},
        {"cbItal", "Italique"},
        {"cbSouligne", "Souligné"},
        {"cbFondCtx", "Fournie par contexte"},
        {"btnFondPerso", "Autre couleur de fond "},
        {"btnClair", "Plus clair"},
        {"btnFonce", "Plus foncé"},
        {"btnCoulsStd", "Couleurs usine"},
        {"BtnDefAsm", "Tabs asm usine"},
        {"btnDefTxt", "Tabs texte usine"},
        {"btnApplStyles", "Appliquer\nces couleurs\nà tous\nles fichiers\nde ce style\ndéjà ouverts"},
        {"btnAide", "Aide"},
        {"btnCeFich", "Ok"},
        {"BtnAnuler", "&Annuler"},
    };
    for (const auto& [name, caption] : captions) {
        auto* b = d().findChild<QAbstractButton*>(name);
        ASSERT_TRUE(b) << name.toStdString();
        EXPECT_EQ(b->text(), caption) << name.toStdString();
    }
    for (const char* name : {"edNom", "edExt", "edTabs"})
        EXPECT_TRUE(d().findChild<QLineEdit*>(name)) << name;
    for (const char* name : {"Police", "cbTaillePolice"})
        EXPECT_TRUE(d().findChild<QComboBox*>(name)) << name;
    EXPECT_TRUE(d().findChild<QSpinBox*>("edNbrBak"));
    EXPECT_EQ(d().edNbrBak->minimum(), 0);
    EXPECT_EQ(d().edNbrBak->maximum(), 9);
    EXPECT_EQ(d().findChild<QListWidget*>("ListeStyles"), d().ListeStyles);
    QStringList groups;
    for (const QGroupBox* g : d().findChildren<QGroupBox*>())
        groups << g->title();
    EXPECT_TRUE(groups.contains(" Couleurs d'affichage "));
    EXPECT_TRUE(groups.contains(" Attributs du texte "));
    EXPECT_TRUE(groups.contains(" Couleur du fond "));
    QStringList labels;
    for (const QLabel* l : d().findChildren<QLabel*>())
        labels << l->text();
    EXPECT_TRUE(labels.contains("Nombre de"));
    EXPECT_TRUE(labels.contains("sauvegardes :"));
    EXPECT_EQ(d().windowTitle(), "Paramètres de fichier");
    ASSERT_EQ(d().ListeStyles->count(), StyleCount);
    for (int i = 0; i < StyleCount; ++i)
        EXPECT_EQ(d().ListeStyles->item(i)->text().toStdString(), StyleLabel(TStyleType(i)));
    EXPECT_TRUE(d().rbTabsAbs->isChecked());
}

TEST_F(TCfgFich, FillThenResultKeepsEveryField)
{
    const TInfosFich f = Sample();
    d().Remplit(f);
    Show();
    EXPECT_EQ(d().edNom->text(), QString::fromUtf8("Sources du projet é"));
    EXPECT_EQ(d().edExt->text(), ".INC");
    // The alias is not among the screen's families, yet it stays chosen.
    EXPECT_EQ(d().Police->currentText(), "Courier New");
    EXPECT_EQ(Items(d().Police).count("Courier New"), 1);
    EXPECT_EQ(d().cbTaillePolice->currentText(), "12");
    EXPECT_EQ(d().edTabs->text(), "4,9,30,31,60,200");
    EXPECT_FALSE(d().ConvDos->isChecked());
    EXPECT_FALSE(d().Autosave->isChecked());
    EXPECT_TRUE(d().Autoload->isChecked());
    EXPECT_TRUE(d().ReadOnly->isChecked());
    EXPECT_TRUE(d().ClrEol->isChecked());
    EXPECT_EQ(d().edNbrBak->value(), 7);
    EXPECT_EQ(d().Styles(), f.Styles);
    EXPECT_EQ(d().Resultat(), f);

    // A second filling leaves nothing of the first.
    TInfosFich g;
    g.Nom = "Autres";
    g.Police = "Liberation Mono";
    g.Opts = optConvDos | optAutoSave;
    d().Remplit(g);
    EXPECT_EQ(d().Resultat(), g);
    EXPECT_EQ(d().Police->currentText(), "Liberation Mono");
    // A family the screen lacks survives the list being rebuilt.
    d().Remplit(f);
    emit qGuiApp->fontDatabaseChanged();
    EXPECT_EQ(d().Police->currentText(), "Courier New");
    EXPECT_EQ(d().Resultat(), f);
}

TEST_F(TCfgFich, FixedPitchFamiliesAndScalableSizes)
{
    QStringList families = Items(d().Police);
    EXPECT_TRUE(families.contains("Liberation Mono"));
    EXPECT_TRUE(families.contains("DejaVu Sans Mono"));
    EXPECT_FALSE(families.contains("Liberation Sans"));
    EXPECT_FALSE(families.contains("DejaVu Serif"));
    EXPECT_EQ(families.removeDuplicates(), 0);

    TInfosFich f;
    f.Police = "DejaVu Sans Mono";
    f.Taille = 10;
    d().Remplit(f);
    const QStringList sizes{" 8", " 9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36", "48", "72"};
    EXPECT_EQ(Items(d().cbTaillePolice), sizes);
    EXPECT_EQ(d().cbTaillePolice->currentText(), "10");
    // A size the list lacks is offered too, so that looking at a file's
    // settings never changes its size.
    f.Taille = 30;
    d().Remplit(f);
    QStringList with30 = sizes;
    with30.insert(13, "30");
    EXPECT_EQ(Items(d().cbTaillePolice), with30);
    EXPECT_EQ(d().cbTaillePolice->currentText(), "30");
    EXPECT_EQ(d().Resultat().Taille, 30);
    f.Taille = 1;
    d().Remplit(f);
    EXPECT_EQ(d().cbTaillePolice->currentText(), " 1");
    EXPECT_EQ(d().Resultat().Taille, 1);
    // Beyond what the editor takes: the nearest listed size.
    f.Taille = 500;
    d().Remplit(f);
    EXPECT_EQ(Items(d().cbTaillePolice), sizes);
    EXPECT_EQ(d().Resultat().Taille, 72);
    f.Taille = 10;
    d().Remplit(f);

    // The size the user picks follows him to the next family.
    d().cbTaillePolice->setCurrentIndex(d().cbTaillePolice->findText("18"));
    d().Police->setCurrentIndex(d().Police->findText("Liberation Mono"));
    EXPECT_EQ(Items(d().cbTaillePolice), sizes);
    EXPECT_EQ(d().cbTaillePolice->currentText(), "18");
    EXPECT_EQ(d().Resultat().Police, "Liberation Mono");
    EXPECT_EQ(d().Resultat().Taille, 18);
}

TEST_F(TCfgFich, BitmapFontOffersOnlyItsRealSizes)
{
    TTestDir dir;
    std::vector<int> ids;
    // 13 and 20 pixels are 10 and 15 points on the 96 dpi screen tests run on.
    for (int px : {13, 20}) {
        const std::string path = dir.Write("kep" + std::to_string(px) + ".bdf", BitmapFont("KepBitmap", px));
        ids.push_back(QFontDatabase::addApplicationFont(QString::fromStdString(path)));
    }
    if (ids[0] < 0 || ids[1] < 0 || QFontDatabase::isScalable("KepBitmap"))
        GTEST_SKIP() << "bitmap fonts cannot be added here";

    // The open dialog learnt of the new family.
    EXPECT_TRUE(Items(d().Police).contains("KepBitmap"));
    TInfosFich f;
    f.Police = "KepBitmap";
    f.Taille = 14;
    d().Remplit(f);
    const int dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    const QStringList sizes{QStringLiteral("%1").arg(qRound(13 * 72.0 / dpi), 2),
                            QStringLiteral("%1").arg(qRound(20 * 72.0 / dpi), 2)};
    EXPECT_EQ(Items(d().cbTaillePolice), sizes);
    if (dpi == 96) {
        EXPECT_EQ(d().cbTaillePolice->currentText(), "15");
        EXPECT_EQ(d().Resultat().Taille, 15);
    }
    for (int id : ids)
        QFontDatabase::removeApplicationFont(id);
    // Gone from the screen but still chosen: kept, with the usual sizes.
    EXPECT_EQ(d().Police->currentText(), "KepBitmap");
    EXPECT_EQ(d().cbTaillePolice->count(), 16);
}

TEST_F(TCfgFich, TabsSwitchBetweenAbsoluteAndRelative)
{
    Show();
    EXPECT_EQ(d().edTabs->text(), "14,23,41,48,55,70");
    Click(d().rbTabsRel);
    EXPECT_EQ(d().edTabs->text(), "14,+9,+18,+7,+7,+15");
    EXPECT_EQ(d().Resultat().Tabs, TabsAsmUsine);
    Click(d().btnDefTxt);
    EXPECT_EQ(d().edTabs->text(), "8,+8,+8,+8,+8,+8");
    Click(d().rbTabsAbs);
    EXPECT_EQ(d().edTabs->text(), "8,16,24,32,40,48");
    Click(d().BtnDefAsm);
    EXPECT_EQ(d().edTabs->text(), "14,23,41,48,55,70");

    // What is typed is read when switching, then shown the other way.
    Retype(d().edTabs, "14,,41");
    EXPECT_EQ(d().Resultat().Tabs, (TTabStops{14, 22, 41, 49, 57, 65}));
    Click(d().rbTabsRel);
    EXPECT_EQ(d().edTabs->text(), "14,+8,+19,+8,+8,+8");
    Retype(d().edTabs, "8,+8,+8");
    Click(d().rbTabsAbs);
    EXPECT_EQ(d().edTabs->text(), "8,16,24,32,40,48");

    // Filling shows the columns the way chosen.
    Click(d().rbTabsRel);
    d().Remplit(Sample());
    EXPECT_EQ(d().edTabs->text(), "4,+5,+21,+1,+29,+140");
    EXPECT_EQ(d().Resultat().Tabs, Sample().Tabs);
}

TEST_F(TCfgFich, TabsFieldRefusesOtherCharacters)
{
    Show();
    Retype(d().edTabs, "1a4, +b9;x-");
    EXPECT_EQ(d().edTabs->text(), "14,+9");
    QTest::keyClick(d().edTabs, Qt::Key_Backspace);
    EXPECT_EQ(d().edTabs->text(), "14,+");
    QTest::keyClicks(d().edTabs, "? 7.");
    EXPECT_EQ(d().edTabs->text(), "14,+7");
    EXPECT_EQ(d().Resultat().Tabs, (TTabStops{14, 21, 29, 37, 45, 53}));
}

TEST_F(TCfgFich, ExtensionGetsItsDotAndCapitals)
{
    Show();
    EXPECT_EQ(d().edExt->text(), ".???");
    Retype(d().edExt, "asm");
    EXPECT_EQ(d().edExt->text(), ".ASM");
    EXPECT_EQ(d().edExt->cursorPosition(), 4);
    EXPECT_EQ(d().Resultat().Ext, ".ASM");
    // Typing in the middle keeps the caret where it was.
    d().edExt->setCursorPosition(2);
    QTest::keyClick(d().edExt, Qt::Key_X);
    EXPECT_EQ(d().edExt->text(), ".AXSM");
    EXPECT_EQ(d().edExt->cursorPosition(), 3);
    // A record's own spelling is put right too.
    TInfosFich f;
    f.Ext = "inc";
    d().Remplit(f);
    EXPECT_EQ(d().edExt->text(), ".INC");
    EXPECT_EQ(d().Resultat().Ext, ".INC");
}

TEST_F(TCfgFich, AttributeBoxesStoreIntoTheSelectedStyle)
{
    TInfosFich f = Sample();
    d().Remplit(f);
    Show();
    EXPECT_EQ(d().ListeStyles->currentRow(), 0);

    ClickStyle(d(), stLab);
    EXPECT_TRUE(d().cbGras->isChecked());
    EXPECT_TRUE(d().cbBarre->isChecked());
    EXPECT_FALSE(d().cbItal->isChecked());
    EXPECT_FALSE(d().cbSouligne->isChecked());
    EXPECT_FALSE(d().cbTxtSntx->isEnabled());
    EXPECT_FALSE(d().cbTxtSntx->isChecked());
    EXPECT_TRUE(d().cbFondCtx->isEnabled());
    EXPECT_TRUE(d().cbFondCtx->isChecked());
    EXPECT_FALSE(d().btnFondPerso->isVisible());
    EXPECT_TRUE(d().btnTextPerso->isVisible());

    Click(d().cbGras);
    Click(d().cbItal);
    Click(d().cbSouligne);
    EXPECT_EQ(d().Styles()[stLab].Style, fsItalic | fsUnderline | fsStrikeOut);
    Click(d().cbBarre);
    EXPECT_EQ(d().Styles()[stLab].Style, fsItalic | fsUnderline);
    Click(d().cbFondCtx);
    EXPECT_FALSE(d().Styles()[stLab].FondCtx);
    EXPECT_TRUE(d().btnFondPerso->isVisible());
    // Nothing else moved.
    TStyleTable expected = f.Styles;
    expected[stLab].Style = fsItalic | fsUnderline;
    expected[stLab].FondCtx = false;
    EXPECT_EQ(d().Styles(), expected);

    // Another style shows its own attributes, and back again.
    ClickStyle(d(), stSur);
    EXPECT_TRUE(d().cbGras->isChecked());
    EXPECT_FALSE(d().cbItal->isChecked());
    ClickStyle(d(), stLab);
    EXPECT_FALSE(d().cbGras->isChecked());
    EXPECT_TRUE(d().cbItal->isChecked());
    EXPECT_FALSE(d().cbFondCtx->isChecked());

    // A context style: its text may come from the token, its background is
    // its own (the flag the record holds for it is kept, not shown).
    ClickStyle(d(), stMacro);
    EXPECT_TRUE(d().cbTxtSntx->isEnabled());
    EXPECT_TRUE(d().cbTxtSntx->isChecked());
    EXPECT_FALSE(d().cbFondCtx->isEnabled());
    EXPECT_FALSE(d().cbFondCtx->isChecked());
    EXPECT_TRUE(d().btnFondPerso->isVisible());
    for (QWidget* w : std::initializer_list<QWidget*>{d().cbGras, d().cbBarre, d().cbItal, d().cbSouligne, d().btnTextPerso})
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    Click(d().cbTxtSntx);
    EXPECT_FALSE(d().Styles()[stMacro].TxtSntx);
    EXPECT_TRUE(d().Styles()[stMacro].FondCtx);
    for (QWidget* w : std::initializer_list<QWidget*>{d().cbGras, d().cbBarre, d().cbItal, d().cbSouligne, d().btnTextPerso})
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
    Click(d().cbGras);
    EXPECT_EQ(d().Styles()[stMacro].Style, fsBold);
    // The record gave stIf0 no syntax attributes.
    ClickStyle(d(), stIf0);
    EXPECT_FALSE(d().cbTxtSntx->isChecked());
    EXPECT_TRUE(d().cbGras->isVisible());

    // The keyboard moves through the list too.
    QTest::keyClick(d().ListeStyles, Qt::Key_Up);
    EXPECT_EQ(d().ListeStyles->currentRow(), stIf1);
    EXPECT_TRUE(d().cbTxtSntx->isChecked());
    EXPECT_EQ(d().Resultat().Styles, d().Styles());
}

TEST_F(TCfgFich, ColourButtonsAskFromTheEntrysColour)
{
    Show();
    ClickStyle(d(), stSel);
    answer_ = QColor(1, 2, 3);
    Click(d().btnTextPerso);
    ASSERT_EQ(starts_.size(), 1u);
    EXPECT_EQ(starts_[0], QColor(0, 0, 0x80));
    EXPECT_EQ(d().Styles()[stSel].Fore, RGBColor(1, 2, 3));
    // Its own background only once the context no longer gives it.
    EXPECT_FALSE(d().btnFondPerso->isVisible());
    Click(d().cbFondCtx);
    answer_ = QColor(0xAA, 0xBB, 0xCC);
    Click(d().btnFondPerso);
    ASSERT_EQ(starts_.size(), 2u);
    EXPECT_EQ(starts_[1], QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(d().Styles()[stSel].Back, RGBColor(0xAA, 0xBB, 0xCC));
    EXPECT_EQ(d().Styles()[stSel].Fore, RGBColor(1, 2, 3));
    // Cancelled: nothing changes.
    answer_.reset();
    Click(d().btnFondPerso);
    EXPECT_EQ(d().Styles()[stSel].Back, RGBColor(0xAA, 0xBB, 0xCC));
    // A system colour starts the dialog on what it stands for.
    ClickStyle(d(), stRem);
    answer_ = QColor(9, 8, 7);
    Click(d().btnTextPerso);
    EXPECT_EQ(starts_.back(), SystemColour(16));
    EXPECT_EQ(d().Styles()[stRem].Fore, RGBColor(9, 8, 7));
    TStyleTable expected = DefaultStyles();
    expected[stSel].Fore = RGBColor(1, 2, 3);
    expected[stSel].Back = RGBColor(0xAA, 0xBB, 0xCC);
    expected[stSel].FondCtx = false;
    expected[stRem].Fore = RGBColor(9, 8, 7);
    EXPECT_EQ(d().Styles(), expected);
}

TEST(CfgFichColourDialog, OffersTheFirstStylesAsCustomColours)
{
    TEcrParamFich dlg;
    TInfosFich f;
    f.Styles[stLab].Fore = RGBColor(0x12, 0x34, 0x56);
    dlg.Remplit(f);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    ClickStyle(dlg, stOp);
    std::vector<QColor> custom;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        if (auto* cd = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
            seen = true;
            EXPECT_EQ(cd->currentColor(), QColor(0xC0, 0xE0, 0xC0));
            for (int i = 0; i < 4; ++i)
                custom.push_back(QColorDialog::customColor(i));
            cd->reject();
        }
    });
    QTest::mouseClick(dlg.btnTextPerso, Qt::LeftButton);
    ASSERT_TRUE(seen);
    EXPECT_EQ(custom, (std::vector<QColor>{QColor(0xC0, 0xC0, 0xE0), QColor(0xC0, 0xE0, 0xC0), QColor(0x12, 0x34, 0x56),
                                           SystemColour(16)}));
    EXPECT_EQ(dlg.Styles(), f.Styles);
}

TEST_F(TCfgFich, LighterDarkerAndFactoryColours)
{
    Show();
    ClickStyle(d(), stSur);
    Click(d().btnClair);
    EXPECT_EQ(d().Styles()[stMacro].Back, RGBColor(0, 0x8D, 0));
    EXPECT_EQ(d().Styles()[stMacro].Fore, clWhite);
    // The button-shadow grey of the remarks became a plain colour.
    EXPECT_EQ(d().Styles()[stRem].Fore, RGBColor(0xB0, 0xB0, 0xB0));
    EXPECT_EQ(d().Styles()[stRien].Fore, clWhite);
    EXPECT_EQ(d().Styles()[stSur].Style, fsBold);
    Click(d().btnFonce);
    Click(d().btnFonce);
    EXPECT_EQ(d().Styles()[stMacro].Back, RGBColor(0, 0x72, 0));
    EXPECT_EQ(d().Styles()[stSel].Back, RGBColor(0xAB, 0xAB, 0xAB));
    EXPECT_EQ(d().Resultat().Styles, d().Styles());

    Click(d().cbGras);
    EXPECT_EQ(d().Styles()[stSur].Style, 0);
    Click(d().btnCoulsStd);
    EXPECT_EQ(d().Styles(), DefaultStyles());
    // The boxes show the restored entry.
    EXPECT_TRUE(d().cbGras->isChecked());
}

TEST_F(TCfgFich, StyleListPaintsEachStyleInItsColours)
{
    d().resize(640, 520);
    Show();
    ClickStyle(d(), stSel);
    QApplication::processEvents();
    QListWidget* list = d().ListeStyles;
    const QImage img = list->viewport()->grab().toImage();
    const qreal ratio = img.devicePixelRatio();
    auto at = [&](int x, int y) { return img.pixelColor(QPoint(int(x * ratio), int(y * ratio))); };
    for (int row : {int(stDir), int(stSel), int(stMacro), int(stIf1)}) {
        const QRect r = list->visualItemRect(list->item(row));
        const QColor back = ResolveColour(DefaultStyles()[std::size_t(row)].Back);
        EXPECT_EQ(at(r.right() - 2, r.center().y()), back) << row;
        // The selected item alone has the bar, in the inverted background.
        const QColor bar = at(r.left() + 4, r.center().y());
        if (row == stSel)
            EXPECT_EQ(bar, QColor(0x3F, 0x3F, 0x3F));
        else
            EXPECT_EQ(bar, back) << row;
        // The label is written in the text colour.
        const QColor fore = ResolveColour(DefaultStyles()[std::size_t(row)].Fore);
        bool written = false;
        for (int x = r.left() + 8; x < r.left() + 80 && !written; ++x)
            for (int y = r.top(); y <= r.bottom() && !written; ++y)
                written = at(x, y) == fore;
        EXPECT_TRUE(written) << row;
    }
    // Every style is in sight without scrolling.
    EXPECT_LE(list->visualItemRect(list->item(StyleCount - 1)).bottom(), list->viewport()->height());
}

TEST_F(TCfgFich, ApplyStylesPassesTheExtensionAndTheStyles)
{
    Show();
    EXPECT_FALSE(d().btnApplStyles->isVisible());
    d().hide();

    std::vector<std::pair<std::string, TStyleTable>> calls;
    d().OnApplStyles = [&](const std::string& ext, const TStyleTable& styles) { calls.emplace_back(ext, styles); };
    Show();
    Retype(d().edNom, "Assembleur");
    Retype(d().edExt, "asm");
    Click(d().btnClair);
    Click(d().btnApplStyles);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, ".ASM");
    EXPECT_EQ(calls[0].second, d().Styles());
    EXPECT_NE(calls[0].second, DefaultStyles());
    // Applying neither closes the dialog nor resets it.
    EXPECT_TRUE(d().isVisible());
    Grab(d(), "cfgfich_type");
}

TEST_F(TCfgFich, OneFileShowsItsNameReadOnly)
{
    std::vector<std::string> exts;
    d().OnApplStyles = [&](const std::string& ext, const TStyleTable&) { exts.push_back(ext); };
    TInfosFich f = Sample();
    f.Nom = "main.asm";
    f.Ext = ".ASM";
    d().Remplit(f);
    d().ModeFichier();
    Show();
    EXPECT_FALSE(d().edExt->isVisible());
    EXPECT_FALSE(d().lblExt->isVisible());
    EXPECT_TRUE(d().edNom->isVisible());
    EXPECT_TRUE(d().edNom->isReadOnly());
    EXPECT_EQ(d().edNom->palette().color(QPalette::Base), d().palette().color(QPalette::Button));
    EXPECT_EQ(d().ReadOnly->text(), "Lecture seule");
    QTest::keyClicks(d().edNom, "xyz");
    EXPECT_EQ(d().edNom->text(), "main.asm");
    EXPECT_EQ(d().Resultat(), f);
    Click(d().btnApplStyles);
    EXPECT_EQ(exts, std::vector<std::string>{".ASM"});
    Grab(d(), "cfgfich_file");
}

TEST_F(TCfgFich, OkCancelAndHelp)
{
    Show();
    Grab(d(), "cfgfich_plain");
    Click(d().btnAide);
    EXPECT_EQ(aides_, 1);
    EXPECT_TRUE(d().isVisible());
    Click(d().btnCeFich);
    EXPECT_EQ(d().result(), QDialog::Accepted);
    EXPECT_FALSE(d().isVisible());
    Show();
    Click(d().BtnAnuler);
    EXPECT_EQ(d().result(), QDialog::Rejected);
    // Return in a field is Ok.
    Show();
    d().edNom->setFocus();
    QTest::keyClick(d().edNom, Qt::Key_Return);
    EXPECT_EQ(d().result(), QDialog::Accepted);
}
