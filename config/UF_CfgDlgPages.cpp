// What the pages of the configuration dialog do.
#include "config/UF_CfgDlg.h"

#include "app/UF_CfgOutil.h"
#include "build/U_ErrPresets.h"
#include "editor/UF_CfgFich.h"
#include "platform/DesktopHelpers.h"
#include "platform/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace kep {

namespace {

bool EstAutres(const TInfosFich& f)
{
    return f.Ext == ExtAutres;
}

} // namespace

// ---- Styles ---------------------------------------------------------------------

int TEcrCfgDlg::TypeCourant() const
{
    const int i = ListeTypesFich->currentIndex();
    return i >= 0 && i < int(Types_.size()) ? i : -1;
}

void TEcrCfgDlg::RemplitTypes(const std::string& selection)
{
    SortTypesFich(Types_);
    const bool etait = Remplissage_;
    Remplissage_ = true;
    ListeTypesFich->clear();
    int choisi = -1;
    for (std::size_t i = 0; i < Types_.size(); ++i) {
        ListeTypesFich->addItem(AnsiToQString(Types_[i].Nom));
        if (choisi < 0 && Types_[i].Nom == selection)
            choisi = int(i);
    }
    if (choisi < 0 && !Types_.empty())
        choisi = 0;
    ListeTypesFich->setCurrentIndex(choisi);
    Remplissage_ = etait;
    if (!Remplissage_)
        MontreType();
}

void TEcrCfgDlg::MontreType()
{
    const int t = TypeCourant();
    const TInfosFich f = t >= 0 ? Types_[std::size_t(t)] : TInfosFich{};
    edExt->setText(AnsiToQString(f.Ext));
    edNbrBak->setText(QString::number(f.Backup));
    edPolice->setText(PathToQString(f.Police));
    edTaillePolice->setText(QString::number(f.Taille));
    for (std::size_t i = 0; i < f.Tabs.size(); ++i)
        Tab[i]->setText(QString::number(f.Tabs[i]));
    ConvDos->setChecked(f.Opts & optConvDos);
    Autosave->setChecked(f.Opts & optAutoSave);
    Autoload->setChecked(f.Opts & optAutoLoad);
    ReadOnly->setChecked(f.Opts & optReadOnly);
    ClrEol->setChecked(f.Opts & optClrEol);
    StylesDemo_ = f.Styles;
    DemoStyles->viewport()->update();
    btnModifType->setEnabled(t >= 0);
    btnSupprType->setEnabled(t >= 0 && !EstAutres(f));
}

void TEcrCfgDlg::EditeType(bool ajout)
{
    const int t = TypeCourant();
    if (!ajout && t < 0)
        return;
    TInfosFich f = t >= 0 ? Types_[std::size_t(t)] : TInfosFich{};
    if (ajout) {
        f.Nom.clear();
        f.Ext.clear();
    }
    TEcrParamFich dlg(this);
    dlg.Remplit(f);
    if (!ajout && f.Nom == NomTypeAutres && EstAutres(f)) {
        dlg.edNom->setEnabled(false);
        dlg.edExt->setEnabled(false);
    }
    dlg.OnApplStyles = OnApplStyles;
    dlg.Aide = [this] {
        if (ShowHelp)
            ShowHelp(11100);
    };
    // A refused result opens the dialog again as the user left it.
    for (;;) {
        if (!Exec(dlg))
            return;
        TInfosFich r = dlg.Resultat();
        QString faute;
        if (r.Nom.empty())
            faute = QStringLiteral("Le type de fichier doit avoir un nom.");
        for (std::size_t i = 0; i < Types_.size() && faute.isEmpty(); ++i) {
            if (!ajout && int(i) == t)
                continue;
            if (Types_[i].Nom == r.Nom)
                faute = QStringLiteral("Le type « %1 » existe déjà.").arg(AnsiToQString(r.Nom));
            else if (Types_[i].Ext == r.Ext)
                faute = QStringLiteral("L'extension %1 est déjà celle du type « %2 ».")
                            .arg(AnsiToQString(r.Ext), AnsiToQString(Types_[i].Nom));
        }
        if (faute.isEmpty()) {
            const std::string nom = r.Nom;
            if (ajout)
                Types_.push_back(std::move(r));
            else
                Types_[std::size_t(t)] = std::move(r);
            RemplitTypes(nom);
            return;
        }
        Erreur(faute);
    }
}

void TEcrCfgDlg::SupprimeType()
{
    const int t = TypeCourant();
    if (t < 0 || EstAutres(Types_[std::size_t(t)]))
        return;
    Types_.erase(Types_.begin() + t);
    const int suivant = t < int(Types_.size()) ? t : int(Types_.size()) - 1;
    Remplissage_ = true;
    ListeTypesFich->removeItem(t);
    ListeTypesFich->setCurrentIndex(suivant);
    Remplissage_ = false;
    MontreType();
}

// ---- Construction --------------------------------------------------------------

void TEcrCfgDlg::FinTabPath()
{
    const QString t = TabPath->text();
    if (!t.isEmpty() && !t.endsWith(QLatin1Char('/')))
        TabPath->setText(t + QLatin1Char('/'));
}

void TEcrCfgDlg::ChoisitTabPath()
{
    if (!AskFolder)
        return;
    const QString choisi =
        AskFolder(QStringLiteral("Répertoire des fichiers processeurs ?"), PathToQString(Cfg_.Program().Folder));
    if (choisi.isEmpty())
        return;
    TabPath->setText(choisi);
    FinTabPath();
}

void TEcrCfgDlg::MajConsole()
{
    const bool console = rbAffConsole->isChecked();
    cbAfficheInfos->setEnabled(console);
    cbFermeConsole->setEnabled(console);
}

// ---- Erreurs ----------------------------------------------------------------------

TErrDefaults TEcrCfgDlg::LitErr() const
{
    TErrDefaults e;
    e.FichErr = QStringToAnsi(FichErr->text());
    e.NbrLigErr = std::to_string(NbrLigErr->value());
    e.MarqErr = QStringToAnsi(MarqErr->text());
    e.LigMarqErr = LigMarqErr->value();
    e.MarqErr2 = QStringToAnsi(MarqErr2->text());
    e.LigMarqErr2 = LigMarqErr2->value();
    e.DebNomFich = QStringToAnsi(DebNomFich->text());
    e.FinNomFich = QStringToAnsi(FinNomFich->text());
    e.LigNomFich = LigNomFich->value();
    e.DebNumLig = QStringToAnsi(DebNumLig->text());
    e.FinNumLig = QStringToAnsi(FinNumLig->text());
    e.LigNumLig = LigNumLig->value();
    return e;
}

void TEcrCfgDlg::MontreErr(const TErrDefaults& e)
{
    const bool etait = Remplissage_;
    Remplissage_ = true;
    FichErr->setText(AnsiToQString(e.FichErr));
    NbrLigErr->setValue(std::atoi(e.NbrLigErr.c_str()));
    MarqErr->setText(AnsiToQString(e.MarqErr));
    LigMarqErr->setValue(e.LigMarqErr);
    MarqErr2->setText(AnsiToQString(e.MarqErr2));
    LigMarqErr2->setValue(e.LigMarqErr2);
    DebNomFich->setText(AnsiToQString(e.DebNomFich));
    FinNomFich->setText(AnsiToQString(e.FinNomFich));
    LigNomFich->setValue(e.LigNomFich);
    DebNumLig->setText(AnsiToQString(e.DebNumLig));
    FinNumLig->setText(AnsiToQString(e.FinNumLig));
    LigNumLig->setValue(e.LigNumLig);
    Remplissage_ = etait;
    MajPreset();
}

int TEcrCfgDlg::PresetCourant() const
{
    return IndexErrPreset(LitErr());
}

void TEcrCfgDlg::ChoisitPreset(int index)
{
    const auto& presets = ErrPresets();
    if (index >= 0 && index < int(presets.size()))
        MontreErr(ApplyErrPreset(presets[std::size_t(index)], LitErr()));
    else
        MajPreset();
}

void TEcrCfgDlg::MajPreset()
{
    if (Remplissage_)
        return;
    const int i = PresetCourant();
    const QSignalBlocker bloque(cbAssembleur);
    cbAssembleur->setCurrentIndex(i >= 0 ? i : cbAssembleur->count() - 1);
    lblAssembleur->setText(i >= 0 ? AnsiToQString(ErrPresets()[std::size_t(i)].Description)
                                  : QStringLiteral("Disposition propre à ce projet : aucun assembleur connu ne "
                                                   "l'utilise."));
}

// ---- Outils -----------------------------------------------------------------------

void TEcrCfgDlg::MontreOutils(int selection)
{
    const QSignalBlocker bloque(ListeOutils);
    ListeOutils->clear();
    for (const TInfoOutils& o : Outils_)
        ListeOutils->addItem(AnsiToQString(o.Nom));
    ListeOutils->setCurrentRow(selection);
    MajBoutonsOutils();
}

void TEcrCfgDlg::MajBoutonsOutils()
{
    const int n = ListeOutils->count();
    const int i = ListeOutils->currentRow();
    const bool choisi = n > 0 && i >= 0;
    btnModifOutil->setEnabled(choisi);
    btnSupprOutil->setEnabled(choisi);
    BtnHaut->setEnabled(choisi && i > 0);
    BtnBas->setEnabled(choisi && i < n - 1);
}

void TEcrCfgDlg::EditeOutil(bool ajout)
{
    const int i = ListeOutils->currentRow();
    if (!ajout && (i < 0 || i >= int(Outils_.size())))
        return;
    TEcrOutil dlg(this);
    dlg.SetListe(&Outils_, ajout ? -1 : i);
    dlg.Remplit(ajout ? TInfoOutils{} : Outils_[std::size_t(i)]);
    dlg.ShowHelp = [this](int context) {
        if (ShowHelp)
            ShowHelp(context);
    };
    if (!Exec(dlg))
        return;
    if (ajout) {
        TInfoOutils o;
        dlg.Lit(o);
        Outils_.push_back(std::move(o));
        MontreOutils(int(Outils_.size()) - 1);
    } else {
        dlg.Lit(Outils_[std::size_t(i)]);
        MontreOutils(i);
    }
}

void TEcrCfgDlg::SupprimeOutil()
{
    const int i = ListeOutils->currentRow();
    if (i < 0 || i >= int(Outils_.size()))
        return;
    Outils_.erase(Outils_.begin() + i);
    MontreOutils(Outils_.empty() ? -1 : std::min(i, int(Outils_.size()) - 1));
}

void TEcrCfgDlg::DeplaceOutil(int sens)
{
    const int i = ListeOutils->currentRow();
    const int j = i + sens;
    if (i < 0 || j < 0 || j >= int(Outils_.size()))
        return;
    std::swap(Outils_[std::size_t(i)], Outils_[std::size_t(j)]);
    MontreOutils(j);
}

// ---- Facilités ------------------------------------------------------------------

void TEcrCfgDlg::MajDelaiBak()
{
    const bool actif = EnableBak->isChecked();
    lblDelaiBak->setEnabled(actif);
    DelaiBak->setEnabled(actif);
}

void TEcrCfgDlg::MontreEtatBureau()
{
    const std::string& exe = Cfg_.ExePath();
    const QSignalBlocker b1(chkAssoPja);
    const QSignalBlocker b2(chkRaccourci);
    chkAssoPja->setChecked(ProjetsAssocies(Xdg, exe));
    chkRaccourci->setChecked(RaccourciPresent(Xdg, exe));
}

void TEcrCfgDlg::LanceAssistants(TAssistants assistants)
{
    // The message is about the last action only.
    lblAssistants->clear();
    lblAssistants->hide();
    TAssistantsBureau::Instance().Lance(std::move(assistants));
}

void TEcrCfgDlg::AssocieClick()
{
    const std::string& exe = Cfg_.ExePath();
    TAssistants assistants;
    const std::string faute =
        chkAssoPja->isChecked() ? AssocieProjets(Xdg, exe, assistants) : DissocieProjets(Xdg, exe, assistants);
    LanceAssistants(std::move(assistants));
    if (!faute.empty())
        Erreur(QString::fromUtf8(faute.data(), qsizetype(faute.size())));
    // The box tells what the desktop now holds, also after a failure.
    MontreEtatBureau();
}

void TEcrCfgDlg::RaccourciClick()
{
    const std::string& exe = Cfg_.ExePath();
    TAssistants assistants;
    const std::string faute =
        chkRaccourci->isChecked() ? CreeRaccourci(Xdg, exe, assistants) : SupprimeRaccourci(Xdg, exe);
    LanceAssistants(std::move(assistants));
    if (!faute.empty())
        Erreur(QString::fromUtf8(faute.data(), qsizetype(faute.size())));
    MontreEtatBureau();
}

} // namespace kep
