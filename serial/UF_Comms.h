#pragma once
// "KEP - Communication série asynchrone": the terminal to the target board.
// It shows what the board sends, sends what is typed and the control
// characters of its buttons, sets the line and the handshake lines, lights
// the modem lines, and keeps its settings in the project (section "Comms").
// Beyond that, its popup menu logs what is received to a file and sends a
// file to the board at the line's pace.
#include "serial/U_CommsReglages.h"
#include "serial/U_Terminal.h"

#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;
class QToolButton;

namespace kep {

class TBlocBtn;
class TComPort;
class TIniFile;
class TIniFilePlus;
class TLEDLabel;

// The port list rebuilds itself, by probing the ports, as it drops down.
class TListePorts : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    std::function<void()> OnDropDown;
    void showPopup() override;
};

// The text pane: a character typed goes to the port instead of the text.
class TSuivi : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TSuivi(QWidget* parent = nullptr);
    // The byte a key gives (Ctrl+letter its control code, Return 0x0D...),
    // -1 for a key that only moves or selects.
    static int OctetTouche(const QKeyEvent& e);
    std::function<void(unsigned char)> OnTouche;
    std::function<void(const QPoint&)> OnMenu;

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
};

class TEcrComms : public QWidget {
    Q_OBJECT
public:
    // A window of its own over `owner`, deleted when closed.
    explicit TEcrComms(QWidget* owner);
    ~TEcrComms() override;

    static constexpr const char* Section = TCommsReglages::Section;

    // Restores the window and the settings from the project, then connects
    // when a port is selected.
    void LitReglages(const TIniFilePlus& ini);
    // False when the project could not be written.
    bool EcritReglages(TIniFilePlus& ini) const;
    // The settings as the controls show them, and the reverse.
    TCommsReglages Reglages() const;
    void Applique(const TCommsReglages& r);

    void Connecte(bool on);
    bool Connecte() const;
    // Applies the five lists to the port, reconnecting if connected.
    void AppliqueLigne();
    // Rebuilds the port list from the ports that open now.
    void SondePorts();
    // Sends one byte as a key typed in the pane would.
    void Envoie(unsigned char key);
    void Efface();
    void Copie();

    // The session log: every byte received as the pane shows it.
    bool DebuteJournal(const QString& path);
    void ArreteJournal();
    bool JournalActif() const { return Journal_ != nullptr; }
    // Sends a file at the line's pace; the bar under the pane follows it
    // and "Annuler" stops it.
    bool EnvoieFichier(const QString& path);
    void AnnuleEnvoi();
    bool EnvoiEnCours() const { return Envoi_ != nullptr; }

    // The pane's text as shown.
    QString TexteSuivi() const;
    // Bytes received since the window opened.
    std::uint64_t OctetsRecus() const { return OctetsRecus_; }

    TComPort* Com;
    QTimer* Timer;
    TTerminal Terminal;

    // Asked for a file name (save for the log, open for a file to send);
    // empty cancels. The defaults show the file dialogs.
    std::function<QString()> AskLogName;
    std::function<QString()> AskSendName;
    // Just before the window is deleted (the main window saves its settings).
    std::function<void(TEcrComms&)> OnClosing;

    // Controls, by their names.
    QFrame* PanelCom;
    QToolButton* btnOnLine;
    QToolButton* btnCars;
    QToolButton* btnCtrl;
    TListePorts* lstPorts;
    QComboBox* lstVitesses;
    QComboBox* lstParites;
    QComboBox* lstDataBits;
    QComboBox* lstStopBits;
    QFrame* tbSignaux;
    QToolButton* btnRTS;
    QToolButton* btnDTR;
    TLEDLabel* ledDSR;
    TLEDLabel* ledCTS;
    TLEDLabel* ledDCD;
    TLEDLabel* ledRI;
    QFrame* PanelCtrl;
    QGroupBox* grpModeAff;
    QRadioButton* optAscii;
    QRadioButton* optHexa;
    QGroupBox* grpModeEcho;
    QRadioButton* optLocal;
    QRadioButton* optDistant;
    QCheckBox* ByCR;
    QCheckBox* ByLF;
    QCheckBox* ByTO;
    QCheckBox* ByCol;
    QSpinBox* edTimeOut;
    QLineEdit* edColMax;
    QCheckBox* RxOnOff;
    QRadioButton* RtsInactif;
    QRadioButton* RtsActif;
    QRadioButton* RtsHandS;
    QRadioButton* RtsTogg;
    QRadioButton* DtrInactif;
    QRadioButton* DtrActif;
    QRadioButton* DtrHandS;
    QCheckBox* CtsActif;
    QCheckBox* DsrActif;
    QCheckBox* TxOnOff;
    QCheckBox* cbDateCR;
    QRadioButton* rbTick;
    QRadioButton* rbHeure;
    QFrame* PanelCars;
    TBlocBtn* BlocCars0;
    TBlocBtn* BlocCars1;
    QFrame* PanelDonnees;
    TSuivi* Suivi;
    QPushButton* btnEffacer;
    QPushButton* btnCopier;
    QProgressBar* BarreEnvoi;
    QPushButton* btnAnnulerEnvoi;
    QMenu* MenuSuivi;
    QAction* PM_Journal;
    QAction* PM_EnvoiFichier;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreeControles();
    void Relie();
    void RelieFichiers();
    void Affiche(const TMorceaux& m, bool journal);
    void Etat(const QString& texte);
    void EtatConnexion();
    void ReglagesSuiviAJour();
    void ControleAJour();
    void Recoit(int count);
    void ReprendEnvoi();
    void FinEnvoi(const QString& etat);
    void Faute(const std::string& message);
    QString NomPort() const;

    TCommsReglages Stockes_; // as read from the project
    std::unique_ptr<QFile> Journal_;
    std::unique_ptr<QFile> Envoi_;
    QTimer* EnvoiTimer_ = nullptr;
    std::int64_t EnvoiTaille_ = 0;
    std::int64_t EnvoiFait_ = 0;
    bool Applique_ = false; // controls being set from settings
    std::uint64_t OctetsRecus_ = 0;
    std::optional<std::vector<std::string>> Differes_; // faults told while opening
};

} // namespace kep
