#pragma once
// "Paramètres de fichier": the settings of a file type, or of one open file.
// The caller fills the dialog, shows it modally and applies the result.
#include "config/U_InfosFich.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace kep {

class TEcrParamFich : public QDialog {
    Q_OBJECT
public:
    explicit TEcrParamFich(QWidget* parent = nullptr);

    // Every control from the record.
    void Remplit(const TInfosFich& f);
    // A record built from the controls: tab columns read back from their
    // text, options from the boxes (with the bits no box shows as filled),
    // backups from the spin field.
    TInfosFich Resultat() const;
    // One open file rather than a file type: the extension field is hidden
    // (but still holds the extension given by Remplit), the name is shown
    // read-only on the button-face colour and the read-only box speaks of
    // this file.
    void ModeFichier();

    // The dialog's own copy of the styles, as edited so far.
    const TStyleTable& Styles() const { return Styles_; }

    // When set before the dialog is shown, btnApplStyles is shown; its click
    // passes the extension (normalised) and the current styles.
    std::function<void(const std::string& ext, const TStyleTable& styles)> OnApplStyles;
    // Asks for a colour starting from `start`; nothing when cancelled. The
    // colour dialog by default, replaceable so that tests can answer.
    std::function<std::optional<QColor>(const QColor& start)> AskColor;
    // "Aide": the help topic of the dialog by default.
    std::function<void()> Aide;

    QLabel* lblNom;
    QLineEdit* edNom;
    QLabel* lblExt;
    QLineEdit* edExt;
    QComboBox* Police;
    QComboBox* cbTaillePolice;
    QLineEdit* edTabs;
    QRadioButton* rbTabsAbs;
    QRadioButton* rbTabsRel;
    QPushButton* BtnDefAsm;
    QPushButton* btnDefTxt;
    QCheckBox* ConvDos;
    QCheckBox* Autosave;
    QCheckBox* Autoload;
    QCheckBox* ReadOnly;
    QCheckBox* ClrEol;
    QSpinBox* edNbrBak;
    QGroupBox* gbCouleurs;
    QListWidget* ListeStyles;
    QGroupBox* gbAttributs;
    QCheckBox* cbTxtSntx;
    QPushButton* btnTextPerso;
    QCheckBox* cbGras;
    QCheckBox* cbBarre;
    QCheckBox* cbItal;
    QCheckBox* cbSouligne;
    QGroupBox* gbFond;
    QCheckBox* cbFondCtx;
    QPushButton* btnFondPerso;
    QPushButton* btnClair;
    QPushButton* btnFonce;
    QPushButton* btnCoulsStd;
    QPushButton* btnApplStyles;
    QPushButton* btnAide;
    QPushButton* btnCeFich;
    QPushButton* BtnAnuler;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void RemplitPolices();
    void ChoisitPolice(const QString& nom);
    void RemplitTailles();
    void MontreTabs(const TTabStops& tabs);
    void ExtChange(const QString& text);
    void MontreStyle();
    void MontreOuCache();
    void StockeAttributs();
    void ChoisitCouleur(bool fond);
    void Nuance(int pourCent);
    void StylesChanges();
    int StyleCourant() const;

    TStyleTable Styles_;
    // Option bits that no box shows, given back as they came.
    std::uint8_t OptsGardes_ = 0;
    // The size the record or the user asked for; each font shows the one
    // of its sizes closest to it.
    int Taille_ = 10;
    bool Remplissage_ = false;
};

} // namespace kep
