// The terminal's behaviour: connecting, the line settings, receiving and
// sending, the lamps, and the settings kept in the project.
#include "serial/UF_Comms.h"

#include "config/U_IniFilePlus.h"
#include "config/U_WinBounds.h"
#include "platform/QtText.h"
#include "platform/SerialNames.h"
#include "config/U_KepFile.h"
#include "serial/BlocBtn.h"
#include "serial/ComPort.h"
#include "serial/LED.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

namespace kep {

namespace {

const QRect DesignBounds(120, 120, 760, 480);
const QColor kCouleurs[] = {Qt::white, Qt::yellow, QColor(0, 255, 0)}; // csEmis, csRecu, csEtat

} // namespace

void TEcrComms::Relie()
{
    connect(btnOnLine, &QToolButton::clicked, this, [this](bool on) { Connecte(on); });
    connect(btnCars, &QToolButton::toggled, PanelCars, &QWidget::setVisible);
    connect(btnCtrl, &QToolButton::toggled, PanelCtrl, &QWidget::setVisible);
    lstPorts->OnDropDown = [this] { SondePorts(); };
    for (QComboBox* l : {static_cast<QComboBox*>(lstPorts), lstVitesses, lstParites, lstDataBits, lstStopBits})
        connect(l, &QComboBox::activated, this, [this] { AppliqueLigne(); });

    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             RtsInactif, RtsActif, RtsHandS, RtsTogg, DtrInactif, DtrActif, DtrHandS, RxOnOff, CtsActif, DsrActif,
             TxOnOff, optAscii, optHexa, optLocal, optDistant, ByCR, ByLF, ByTO, ByCol, cbDateCR, rbTick, rbHeure})
        connect(b, &QAbstractButton::toggled, this, [this] { ControleAJour(); });
    connect(edColMax, &QLineEdit::textChanged, this, [this] { ReglagesSuiviAJour(); });
    connect(edTimeOut, &QSpinBox::valueChanged, this, [this] { ReglagesSuiviAJour(); });

    connect(btnRTS, &QToolButton::clicked, this, [this](bool down) {
        try {
            Com->SetRTS(down);
        } catch (const EComPort& e) {
            btnRTS->setChecked(!down); // the line did not move
            Etat(QString::fromStdString(e.what()));
        }
        Suivi->setFocus();
    });
    connect(btnDTR, &QToolButton::clicked, this, [this](bool down) {
        try {
            Com->SetDTR(down);
        } catch (const EComPort& e) {
            btnDTR->setChecked(!down);
            Etat(QString::fromStdString(e.what()));
        }
        Suivi->setFocus();
    });

    for (TBlocBtn* b : {BlocCars0, BlocCars1})
        b->OnClick = [this](TBlocBtn&, int, int tag) {
            Envoie(static_cast<unsigned char>(tag));
            Suivi->setFocus();
        };
    Suivi->OnTouche = [this](unsigned char key) { Envoie(key); };
    Suivi->OnMenu = [this](const QPoint& at) { MenuSuivi->popup(at); };
    connect(btnEffacer, &QPushButton::clicked, this, &TEcrComms::Efface);
    connect(btnCopier, &QPushButton::clicked, this, &TEcrComms::Copie);
    connect(Timer, &QTimer::timeout, this, [this] {
        TMorceaux m;
        Terminal.FinRafale(m);
        Affiche(m, true);
    });

    Com->OnRxChar = [this](TComPort&, int count) { Recoit(count); };
    auto lampe = [this](TLEDLabel* led, bool (TComPort::*ligne)() const) {
        try {
            led->SetLit((Com->*ligne)());
        } catch (const EComPort& e) {
            Etat(QString::fromStdString(e.what()));
        }
    };
    Com->OnCTS = [this, lampe](TComPort&) { lampe(ledCTS, &TComPort::CTS); };
    Com->OnDSR = [this, lampe](TComPort&) { lampe(ledDSR, &TComPort::DSR); };
    Com->OnRLSD = [this, lampe](TComPort&) { lampe(ledDCD, &TComPort::RLSD); };
    Com->OnRing = [this](TComPort&) { ledRI->SetLit(true); };
    Com->OnBreak = [this](TComPort&) {
        TMorceaux m;
        Terminal.Signal("<Break>", m);
        Affiche(m, true);
    };
    Com->OnFault = [this](TComPort&, const std::string& message) { Faute(message); };
}

QString TEcrComms::NomPort() const
{
    return QString::number(Com->Port());
}

bool TEcrComms::Connecte() const
{
    return Com->Connected();
}

void TEcrComms::Connecte(bool on)
{
    if (on) {
        try {
            // What the device refuses while opening is told after the
            // opening itself.
            Differes_.emplace();
            Com->Open();
            const std::vector<std::string> refus = std::move(*Differes_);
            Differes_.reset();
            Etat(QStringLiteral("Port ") + NomPort() + QStringLiteral(" ouvert"));
            for (const std::string& r : refus)
                Faute(r);
        } catch (const EComPort& e) {
            Differes_.reset();
            // The reason follows, for the user to act on.
            Etat(QStringLiteral("Ouverture du port impossible (") + QString::fromStdString(e.what()) +
                 QLatin1Char(')'));
        }
    } else if (Com->Connected()) {
        AnnuleEnvoi();
        Com->Close();
        Etat(QStringLiteral("Port ") + NomPort() + QStringLiteral(" fermé"));
    }
    EtatConnexion();
    Suivi->setFocus();
}

void TEcrComms::EtatConnexion()
{
    const bool on = Com->Connected();
    btnOnLine->setChecked(on);
    tbSignaux->setEnabled(on);
    PanelCars->setEnabled(on);
    PanelCtrl->setEnabled(on);
    Suivi->setEnabled(on);
    PM_EnvoiFichier->setEnabled(on && !Envoi_);
    if (!on)
        Timer->stop();
}

void TEcrComms::Faute(const std::string& message)
{
    if (Differes_) {
        Differes_->push_back(message);
        return;
    }
    const QString texte = QString::fromStdString(message);
    if (Com->Connected()) {
        Etat(texte);
        return;
    }
    // The device went away under the open port.
    AnnuleEnvoi();
    Etat(QStringLiteral("Liaison perdue avec le port ") + NomPort() + QStringLiteral(" : ") + texte);
    Etat(QStringLiteral("Port ") + NomPort() + QStringLiteral(" fermé"));
    EtatConnexion();
}

void TEcrComms::AppliqueLigne()
{
    const bool etait = Com->Connected();
    if (etait)
        Connecte(false);
    const QString port = lstPorts->currentText();
    if (port.size() == 4 && port.startsWith(QLatin1String("COM")) && port[3] >= QLatin1Char('1') &&
        port[3] <= QLatin1Char('8'))
        Com->SetPort(port[3].unicode() - '0');
    const int v = lstVitesses->currentIndex();
    if (v >= 0 && v <= br256000) // the empty entry keeps the speed
        Com->SetBaudRate(TBaudRate(v));
    if (lstDataBits->currentIndex() >= 0)
        Com->SetDataBits(TDataBits(lstDataBits->currentIndex()));
    if (lstStopBits->currentIndex() >= 0)
        Com->SetStopBits(TStopBits(lstStopBits->currentIndex()));
    if (lstParites->currentIndex() >= 0) {
        TParity p = Com->Parity();
        p.Bits = TParityBits(lstParites->currentIndex());
        Com->SetParity(p);
    }
    if (etait)
        Connecte(true);
    else
        Suivi->setFocus();
}

void TEcrComms::SondePorts()
{
    const QString choisi = lstPorts->currentText();
    QSignalBlocker bloque(lstPorts);
    lstPorts->clear();
    for (int n = 1; n <= 8; ++n) {
        const QString nom = QStringLiteral("COM") + QString::number(n);
        if (Com->Connected() && n == Com->Port()) {
            lstPorts->addItem(nom); // open here, so the probe cannot open it
            continue;
        }
        // Asked without setting the line: a port another program holds
        // is not listed, and its line stays as that program left it.
        if (TComPort::CanOpen(ComDevice(n, NomFichOptions)))
            lstPorts->addItem(nom);
    }
    const QString voulu = Com->Connected() ? QStringLiteral("COM") + NomPort() : choisi;
    lstPorts->setCurrentIndex(lstPorts->findText(voulu));
}

void TEcrComms::ControleAJour()
{
    if (Applique_)
        return;
    TFlowControl f = Com->FlowControl();
    f.ControlRts = RtsActif->isChecked() ? rtsEnable
                   : RtsHandS->isChecked() ? rtsHandshake
                   : RtsTogg->isChecked()  ? rtsToggle
                                           : rtsDisable;
    f.ControlDtr = DtrActif->isChecked() ? dtrEnable : DtrHandS->isChecked() ? dtrHandshake : dtrDisable;
    f.OutCtsFlow = CtsActif->isChecked();
    f.OutDsrFlow = DsrActif->isChecked();
    f.XonXoffIn = RxOnOff->isChecked();
    f.XonXoffOut = TxOnOff->isChecked();
    if (!(f == Com->FlowControl())) {
        try {
            Com->SetFlowControl(f);
        } catch (const EComPort& e) {
            Etat(QString::fromStdString(e.what()));
        }
    }
    btnRTS->setEnabled(!RtsHandS->isChecked());
    btnDTR->setEnabled(!DtrHandS->isChecked());
    ReglagesSuiviAJour();
    if (isVisible())
        Suivi->setFocus();
}

void TEcrComms::ReglagesSuiviAJour()
{
    TReglagesSuivi& r = Terminal.Reglages;
    r.Hexa = optHexa->isChecked();
    r.ByCR = ByCR->isChecked();
    r.ByLF = ByLF->isChecked();
    r.ByCol = ByCol->isChecked();
    r.ColMax = TCommsReglages::ColonneMax(QStringToAnsi(edColMax->text()));
    r.DateCR = cbDateCR->isChecked();
    r.Heure = rbHeure->isChecked();
    edColMax->setEnabled(ByCol->isChecked());
    edTimeOut->setEnabled(ByTO->isChecked());
    rbTick->setEnabled(cbDateCR->isChecked());
    rbHeure->setEnabled(cbDateCR->isChecked());
    Timer->setInterval(edTimeOut->value());
    if (!ByTO->isChecked())
        Timer->stop();
}

// ---- Receiving and sending -------------------------------------------------------

void TEcrComms::Recoit(int count)
{
    char buffer[4096];
    TMorceaux m;
    while (count > 0) {
        const int n = Com->Read(buffer, std::min<int>(count, int(sizeof buffer)));
        if (n <= 0)
            break;
        Terminal.Recoit(std::string_view(buffer, std::size_t(n)), m);
        OctetsRecus_ += std::uint64_t(n);
        count -= n;
    }
    Affiche(m, true);
    if (ByTO->isChecked())
        Timer->start(edTimeOut->value());
}

void TEcrComms::Envoie(unsigned char key)
{
    if (!Com->Connected())
        return;
    try {
        Com->Write(&key, 1);
    } catch (const EComPort& e) {
        Etat(QString::fromStdString(e.what()));
        return;
    }
    if (optDistant->isChecked())
        return;
    TMorceaux m;
    Terminal.Emet(key, m);
    Affiche(m, false);
}

void TEcrComms::Affiche(const TMorceaux& m, bool journal)
{
    if (m.empty())
        return;
    QScrollBar* sb = Suivi->verticalScrollBar();
    const bool enBas = sb->value() >= sb->maximum() - 2;
    QTextCursor c(Suivi->document());
    c.movePosition(QTextCursor::End);
    c.beginEditBlock();
    QByteArray log;
    for (const TMorceau& p : m) {
        QTextCharFormat f;
        f.setForeground(kCouleurs[p.Couleur]);
        if (!p.Texte.empty())
            c.insertText(AnsiToQString(p.Texte), f);
        if (p.Saut)
            c.insertBlock();
        if (journal && Journal_) {
            log.append(p.Texte.data(), qsizetype(p.Texte.size()));
            if (p.Saut)
                log.append("\r\n");
        }
    }
    c.endEditBlock();
    if (enBas)
        sb->setValue(sb->maximum());
    if (journal && Journal_ && !log.isEmpty()) {
        if (Journal_->write(log) != log.size() || !Journal_->flush()) {
            const QString err = Journal_->errorString();
            Journal_.reset();
            Etat(QStringLiteral("Enregistrement arrêté : ") + err);
        }
    }
}

void TEcrComms::Etat(const QString& texte)
{
    TMorceaux m;
    Terminal.Etat(QStringToAnsi(texte), m);
    Affiche(m, false);
}

void TEcrComms::Efface()
{
    Suivi->clear();
    Terminal.Efface();
    Suivi->setFocus();
}

void TEcrComms::Copie()
{
    // The whole text, the selection left as it was.
    Suivi->setUpdatesEnabled(false);
    const QTextCursor garde = Suivi->textCursor();
    QApplication::clipboard()->setText(Suivi->toPlainText());
    Suivi->setTextCursor(garde);
    Suivi->setUpdatesEnabled(true);
    Suivi->setFocus();
}

QString TEcrComms::TexteSuivi() const
{
    return Suivi->toPlainText();
}

// ---- Settings ----------------------------------------------------------------------

TCommsReglages TEcrComms::Reglages() const
{
    TCommsReglages r;
    r.Port = IndexListe(kPortsComms, QStringToAnsi(lstPorts->currentText()));
    r.Vitesse = lstVitesses->currentIndex();
    r.Parite = lstParites->currentIndex();
    r.DataBits = lstDataBits->currentIndex();
    r.StopBits = lstStopBits->currentIndex();
    r.Rts = RtsActif->isChecked() ? kep::RtsActif
            : RtsHandS->isChecked() ? kep::RtsHandS
            : RtsTogg->isChecked()  ? kep::RtsTogg
                                    : kep::RtsInactif;
    r.Dtr = DtrActif->isChecked() ? kep::DtrActif : DtrHandS->isChecked() ? kep::DtrHandS : kep::DtrInactif;
    r.RxOnOff = RxOnOff->isChecked();
    r.CtsActif = CtsActif->isChecked();
    r.DsrActif = DsrActif->isChecked();
    r.TxOnOff = TxOnOff->isChecked();
    r.AffHex = optHexa->isChecked() ? 1 : 0;
    r.DistEcho = optDistant->isChecked() ? 1 : 0;
    r.ByCR = ByCR->isChecked();
    r.ByLF = ByLF->isChecked();
    r.ByTO = ByTO->isChecked();
    r.ByCol = ByCol->isChecked();
    r.ColNbr = QStringToAnsi(edColMax->text());
    r.msNbr = std::to_string(edTimeOut->value());
    r.DateCR = cbDateCR->isChecked();
    r.Heure = rbHeure->isChecked();
    return r;
}

void TEcrComms::Applique(const TCommsReglages& r)
{
    Applique_ = true;
    auto choisit = [](QComboBox* l, int i) { l->setCurrentIndex(i < l->count() ? i : -1); };
    // The port list may hold fewer entries after a probe: select by name.
    lstPorts->setCurrentIndex(
        r.Port >= 0 ? lstPorts->findText(AnsiToQString(kPortsComms[std::size_t(r.Port)])) : -1);
    choisit(lstVitesses, r.Vitesse);
    choisit(lstParites, r.Parite);
    choisit(lstDataBits, r.DataBits);
    choisit(lstStopBits, r.StopBits);
    QRadioButton* const rts[] = {RtsInactif, RtsActif, RtsHandS, RtsTogg};
    QRadioButton* const dtr[] = {DtrInactif, DtrActif, DtrHandS};
    rts[r.Rts]->setChecked(true);
    dtr[r.Dtr]->setChecked(true);
    RxOnOff->setChecked(r.RxOnOff);
    CtsActif->setChecked(r.CtsActif);
    DsrActif->setChecked(r.DsrActif);
    TxOnOff->setChecked(r.TxOnOff);
    (r.AffHex ? optHexa : optAscii)->setChecked(true);
    (r.DistEcho ? optDistant : optLocal)->setChecked(true);
    ByCR->setChecked(r.ByCR);
    ByLF->setChecked(r.ByLF);
    ByTO->setChecked(r.ByTO);
    ByCol->setChecked(r.ByCol);
    edColMax->setText(AnsiToQString(r.ColNbr));
    edTimeOut->setValue(r.DelaiMs());
    cbDateCR->setChecked(r.DateCR);
    (r.Heure ? rbHeure : rbTick)->setChecked(true);
    Applique_ = false;
    ControleAJour();
}

void TEcrComms::LitReglages(const TIniFilePlus& ini)
{
    try {
        // RestoreBounds may drop older keys, which the caller's store cannot.
        TIniFilePlus store(ini.FileName());
        RestoreBounds(store, Section, this, DesignBounds);
    } catch (const EConvertError&) {
        // A damaged position is not worth a message: the window stays put.
    }
    Stockes_ = TCommsReglages{};
    Stockes_.Lit(ini);
    Applique(Stockes_);
    AppliqueLigne();
    if (lstPorts->currentIndex() >= 0)
        Connecte(true);
}

bool TEcrComms::EcritReglages(TIniFilePlus& ini) const
{
    if (!SaveBounds(ini, Section, this))
        return false;
    return Reglages().Ecrit(ini);
}

// ---- Window ------------------------------------------------------------------------

void TEcrComms::closeEvent(QCloseEvent* e)
{
    if (OnClosing)
        OnClosing(*this);
    AnnuleEnvoi();
    ArreteJournal();
    Com->Close();
    e->accept();
}

bool TEcrComms::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == PanelCtrl) {
            btnCtrl->setChecked(false);
            return true;
        }
        if (watched == PanelCars) {
            btnCars->setChecked(false);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kep
