// The terminal window against a pseudo-terminal pair playing the board.
#include "serial/UF_Comms.h"

#include "config/U_IniFilePlus.h"
#include "config/U_KepFile.h"
#include "serial/BlocBtn.h"
#include "serial/ComPort.h"
#include "serial/DeviceHolder.h"
#include "serial/LED.h"
#include "serial/PtyPair.h"
#include "support/TestDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <random>
#include <termios.h>
#include <thread>

using namespace kep;

namespace {

class CommsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Pty.Ok()) << "socat";
        // Every name mapped, so that no device of this machine is touched.
        std::string ports = "[Ports]\r\nCOM1=" + Pty.Ours() + "\r\n";
        for (int n = 2; n <= 8; ++n)
            ports += "COM" + std::to_string(n) + "=" + Dir.Path("absent" + std::to_string(n)) + "\r\n";
        NomFichOptions = Dir.Write("kep.ini", ports);
        NomProjet = Dir.Write("p.pja", "[Global]\r\n");
    }
    void TearDown() override
    {
        if (W)
            W->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        NomFichOptions.clear();
        NomProjet.clear();
    }

    // A window as the main window makes it: shown, then its settings read.
    TEcrComms* Ouvre()
    {
        W = new TEcrComms(nullptr);
        W->Terminal.HeureTexte = [] { return std::string("12:34:56"); };
        W->show();
        TIniFilePlus ini(NomProjet);
        W->LitReglages(ini);
        return W;
    }

    // Runs events until `done` holds (10 s at most).
    template <class F> bool Attend(F done, int ms = 10000)
    {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > ms)
                return false;
            QTest::qWait(5);
        }
        return true;
    }

    // The lines of the pane.
    QStringList Lignes() const { return W->TexteSuivi().split(QLatin1Char('\n')); }

    TTestDir Dir;
    TPtyPair Pty;
    QPointer<TEcrComms> W;
};

int VitesseDe(const std::string& device)
{
    const int fd = ::open(device.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    termios t{};
    ::tcgetattr(fd, &t);
    ::close(fd);
    const speed_t s = ::cfgetospeed(&t);
    return s == B115200 ? 115200 : s == B19200 ? 19200 : s == B9600 ? 9600 : int(s);
}

} // namespace

TEST_F(CommsWindow, ConnectsOnOpeningAndShowsWhatTheBoardSends)
{
    Ouvre();
    EXPECT_EQ(W->windowTitle(), QStringLiteral("KEP - Communication série asynchrone"));
    ASSERT_TRUE(W->Connecte());
    EXPECT_EQ(Lignes().first(), QStringLiteral("Port 1 ouvert")) << W->TexteSuivi().toStdString();
    // A pseudo-terminal has no handshake lines: said, not fatal.
    EXPECT_TRUE(W->TexteSuivi().contains(QStringLiteral("Err 25")));
    EXPECT_TRUE(W->btnOnLine->isChecked());
    EXPECT_TRUE(W->Suivi->isEnabled() && W->PanelCtrl->isEnabled() && W->tbSignaux->isEnabled());
    EXPECT_EQ(VitesseDe(Pty.Ours()), 19200);

    W->Efface();
    W->cbDateCR->setChecked(true);
    Pty.BoardWrite("AB\r");
    ASSERT_TRUE(Attend([&] { return W->TexteSuivi().contains(QLatin1Char('>')) && W->TexteSuivi().endsWith('\n'); }));
    EXPECT_EQ(W->TexteSuivi(), QStringLiteral("AB<0D><12:34:56>\n"));

    W->optHexa->setChecked(true);
    Pty.BoardWrite("Z\xE9");
    ASSERT_TRUE(Attend([&] { return W->TexteSuivi().endsWith(QStringLiteral("<E9>")); }));
    EXPECT_EQ(Lignes().last(), QStringLiteral("<5A><E9>"));

    // By column, and the burst delay ending a line.
    W->Efface();
    W->optAscii->setChecked(true);
    W->ByCol->setChecked(true);
    W->edColMax->setText(QStringLiteral("4"));
    W->ByTO->setChecked(true);
    W->edTimeOut->setValue(30);
    Pty.BoardWrite("abcdef");
    ASSERT_TRUE(Attend([&] { return W->TexteSuivi() == QStringLiteral("abcd\nef\n"); }))
        << W->TexteSuivi().toStdString();

    // By LF instead of CR.
    W->Efface();
    W->ByCol->setChecked(false);
    W->ByTO->setChecked(false);
    W->ByCR->setChecked(false);
    W->ByLF->setChecked(true);
    W->cbDateCR->setChecked(false);
    Pty.BoardWrite("a\r\nb");
    ASSERT_TRUE(Attend([&] { return W->TexteSuivi().endsWith(QLatin1Char('b')); }));
    EXPECT_EQ(W->TexteSuivi(), QStringLiteral("a<0D><0A>\nb"));
}

TEST_F(CommsWindow, TypedKeysAndButtonsGoToTheBoardWithTheirEcho)
{
    Ouvre();
    ASSERT_TRUE(W->Connecte());
    W->Efface();
    QTest::keyClicks(W->Suivi, QStringLiteral("hi"));
    QTest::keyClick(W->Suivi, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(W->Suivi, Qt::Key_Return);
    QTest::keyClick(W->Suivi, Qt::Key_Left); // moves, sends nothing
    EXPECT_EQ(Pty.BoardRead(4), std::string("hi\x03\r"));
    EXPECT_EQ(W->TexteSuivi(), QStringLiteral("hi<03><0D>\n"));

    // The control-character buttons.
    W->btnCars->setChecked(true);
    EXPECT_TRUE(W->PanelCars->isVisible());
    QTest::mouseClick(W->BlocCars1->Button(0x0B), Qt::LeftButton);
    EXPECT_EQ(Pty.BoardRead(1), std::string("\x1B"));
    EXPECT_EQ(W->BlocCars0->Button(10)->text(), QStringLiteral("0A"));

    // The remote echo shows nothing.
    W->Efface();
    W->optDistant->setChecked(true);
    QKeyEvent e(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("\u00e9"));
    QApplication::sendEvent(W->Suivi, &e);
    QTest::keyClick(W->Suivi, Qt::Key_T);
    EXPECT_EQ(Pty.BoardRead(2), std::string("\xE9t"));
    EXPECT_EQ(W->TexteSuivi(), QString());

    // A double click hides a panel and releases its button.
    QTest::mouseDClick(W->PanelCars, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(W->PanelCars->isVisible());
    EXPECT_FALSE(W->btnCars->isChecked());
}

TEST_F(CommsWindow, LineChangesReopenThePortAndBadPortsAreSaid)
{
    Ouvre();
    ASSERT_TRUE(W->Connecte());
    W->Efface();
    W->lstVitesses->setCurrentIndex(W->lstVitesses->findText(QStringLiteral("115200")));
    emit W->lstVitesses->activated(W->lstVitesses->currentIndex());
    EXPECT_TRUE(W->Connecte());
    const QStringList l = Lignes();
    const int ferme = int(l.indexOf(QStringLiteral("Port 1 fermé")));
    ASSERT_GE(ferme, 0) << W->TexteSuivi().toStdString();
    EXPECT_GT(l.indexOf(QStringLiteral("Port 1 ouvert")), ferme);
    EXPECT_EQ(VitesseDe(Pty.Ours()), 115200);
    Pty.BoardWrite("ok");
    ASSERT_TRUE(Attend([&] { return W->TexteSuivi().endsWith(QStringLiteral("ok")); }));

    // A port without a device: the window stays disconnected and says why.
    W->lstPorts->setCurrentIndex(1);
    emit W->lstPorts->activated(1);
    EXPECT_FALSE(W->Connecte());
    EXPECT_TRUE(Lignes().filter(QStringLiteral("Ouverture du port impossible")).size() == 1);
    EXPECT_FALSE(W->Suivi->isEnabled());
    EXPECT_FALSE(W->PanelCtrl->isEnabled());
    EXPECT_FALSE(W->btnOnLine->isChecked());

    // The probe lists only the ports that open (COM1 is free again).
    W->SondePorts();
    ASSERT_EQ(W->lstPorts->count(), 1);
    EXPECT_EQ(W->lstPorts->itemText(0), QStringLiteral("COM1"));
}

TEST_F(CommsWindow, HandshakeChoicesDriveTheButtonsAndRefusalsAreShown)
{
    Ouvre();
    ASSERT_TRUE(W->Connecte());
    EXPECT_TRUE(W->btnRTS->isEnabled());
    W->RtsHandS->setChecked(true);
    EXPECT_FALSE(W->btnRTS->isEnabled());
    EXPECT_EQ(W->Com->FlowControl().ControlRts, rtsHandshake);
    W->RtsInactif->setChecked(true);
    EXPECT_TRUE(W->btnRTS->isEnabled());
    W->DtrHandS->setChecked(true);
    EXPECT_FALSE(W->btnDTR->isEnabled());
    W->CtsActif->setChecked(true);
    W->TxOnOff->setChecked(true);
    EXPECT_TRUE(W->Com->FlowControl().OutCtsFlow);
    EXPECT_TRUE(W->Com->FlowControl().XonXoffOut);
    W->CtsActif->setChecked(false);
    W->TxOnOff->setChecked(false);

    // The pseudo-terminal refuses RTS: the button does not stay down.
    W->Efface();
    W->btnRTS->click();
    EXPECT_FALSE(W->btnRTS->isChecked());
    EXPECT_TRUE(W->TexteSuivi().contains(QStringLiteral("Unable to set signal. Err 25")));
    EXPECT_TRUE(W->Connecte());
    EXPECT_TRUE(W->cbDateCR->isEnabled() && !W->rbTick->isEnabled());
}

TEST_F(CommsWindow, APortAnotherProgramHoldsIsNeitherOpenedNorListed)
{
    {
        TDeviceHolder picocom(Pty.Ours());
        ASSERT_TRUE(picocom.Ok());
        Ouvre();
        EXPECT_FALSE(W->Connecte());
        EXPECT_TRUE(Lignes().contains(QStringLiteral("Ouverture du port impossible (Unable to open com port. Err 16)")))
            << W->TexteSuivi().toStdString();
        W->SondePorts();
        EXPECT_EQ(W->lstPorts->count(), 0);
    }
    W->SondePorts();
    ASSERT_EQ(W->lstPorts->count(), 1);
    W->lstPorts->setCurrentIndex(0);
    W->btnOnLine->click();
    EXPECT_TRUE(W->Connecte());
    EXPECT_TRUE(Lignes().contains(QStringLiteral("Port 1 ouvert")));
}

// The board holds the line back (XOFF), or reads slower than the line and
// its buffers: what is typed and sent waits for it, the port stays open.
TEST_F(CommsWindow, APausedOrSlowBoardIsWaitedFor)
{
    Ouvre();
    W->lstVitesses->setCurrentIndex(W->lstVitesses->findText(QStringLiteral("115200")));
    emit W->lstVitesses->activated(W->lstVitesses->currentIndex());
    ASSERT_TRUE(W->Connecte());
    W->TxOnOff->setChecked(true);
    W->Efface();
    Pty.BoardWrite("\x13M"); // XOFF, then a byte that says it came
    ASSERT_TRUE(Attend([&] { return W->TexteSuivi().endsWith(QLatin1Char('M')); }));
    QTest::keyClicks(W->Suivi, QStringLiteral("abc"));
    QTest::qWait(300);
    EXPECT_TRUE(W->Connecte());
    EXPECT_EQ(Pty.BoardRead(1, 100), "");
    Pty.BoardWrite("\x11");
    std::string recu;
    EXPECT_TRUE(Attend([&] {
        recu += Pty.BoardRead(3 - recu.size(), 0);
        return recu.size() >= 3 || !W->Connecte();
    }));
    EXPECT_EQ(recu, "abc");

    // A file of several times what the line holds, to a board that reads
    // nothing until the port has to wait, then half as fast as it sends.
    std::mt19937 rng(11);
    std::string versCarte(96 * 1024, '\0');
    for (char& c : versCarte)
        c = char(rng());
    const std::string fichier = Dir.Write("lent.bin", versCarte);
    std::atomic<bool> plein{false}, fini{false};
    std::string carte;
    int barre = -1;
    ASSERT_TRUE(W->EnvoieFichier(QString::fromStdString(fichier)));
    std::thread lecteur([&] {
        while (!plein && !fini)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        while (carte.size() < versCarte.size()) {
            const std::string morceau = Pty.BoardRead(std::min<std::size_t>(512, versCarte.size() - carte.size()), 3000);
            if (morceau.empty())
                break;
            carte += morceau;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    const bool fin = Attend(
        [&] {
            if (!plein && W->Com->OutputCount() > 0) {
                barre = W->BarreEnvoi->value();
                plein = true;
            }
            return !W->EnvoiEnCours();
        },
        60000);
    fini = true;
    lecteur.join();
    EXPECT_TRUE(fin);
    EXPECT_GT(barre, 0);
    EXPECT_LT(barre, 1000);
    EXPECT_TRUE(carte == versCarte) << carte.size();
    EXPECT_TRUE(W->TexteSuivi().contains(QStringLiteral("Fichier lent.bin envoyé (98304 octets)")))
        << W->TexteSuivi().toStdString();
    EXPECT_FALSE(W->TexteSuivi().contains(QStringLiteral("Liaison perdue")));
    EXPECT_TRUE(W->Connecte());
}

TEST_F(CommsWindow, SettingsGoToTheProjectOnClosingAndComeBack)
{
    Ouvre();
    W->optHexa->setChecked(true);
    W->ByLF->setChecked(true);
    W->ByCR->setChecked(false);
    W->DtrActif->setChecked(true);
    W->RxOnOff->setChecked(true);
    W->cbDateCR->setChecked(true);
    W->rbTick->setChecked(true);
    W->edColMax->setText(QStringLiteral("33"));
    W->edTimeOut->setValue(750);
    W->lstParites->setCurrentIndex(2);
    emit W->lstParites->activated(2);
    {
        TIniFilePlus ini(NomProjet);
        ASSERT_TRUE(W->EcritReglages(ini));
    }
    W->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    TIniFilePlus ini(NomProjet);
    EXPECT_EQ(ini.ReadString("Comms", "Com", ""), "COM1,19200,Paire,8,1");
    EXPECT_EQ(ini.ReadString("Comms", "RxCtrl", ""), "RtsInactif,DtrActif,RxOnOff");
    EXPECT_EQ(ini.ReadString("Comms", "NewLine", ""), "ByLf");
    EXPECT_EQ(ini.ReadString("Comms", "Datation", ""), "ByCr,Tick");
    EXPECT_EQ(ini.ReadString("Comms", "AffHex", ""), "1");
    EXPECT_EQ(ini.ReadString("Comms", "ColNbr", ""), "33");
    EXPECT_EQ(ini.ReadString("Comms", "msNbr", ""), "750");
    EXPECT_FALSE(ini.ReadString("Comms", "Bounds", "").empty());

    Ouvre();
    EXPECT_TRUE(W->optHexa->isChecked());
    EXPECT_TRUE(W->ByLF->isChecked());
    EXPECT_FALSE(W->ByCR->isChecked());
    EXPECT_TRUE(W->DtrActif->isChecked());
    EXPECT_TRUE(W->RxOnOff->isChecked());
    EXPECT_TRUE(W->rbTick->isChecked());
    EXPECT_EQ(W->edColMax->text(), QStringLiteral("33"));
    EXPECT_EQ(W->edTimeOut->value(), 750);
    EXPECT_EQ(W->lstParites->currentText(), QStringLiteral("Paire"));
    EXPECT_EQ(W->Com->Parity().Bits, prEven);
    EXPECT_EQ(W->Com->FlowControl().ControlDtr, dtrEnable);
    // A pseudo-terminal has no parity: refused, and said so.
    EXPECT_FALSE(W->Connecte());
    EXPECT_TRUE(Lignes().contains(QStringLiteral("Ouverture du port impossible (Unable to set com state. Err 22)")))
        << W->TexteSuivi().toStdString();
}

TEST_F(CommsWindow, ThePeerVanishingLeavesAWindowThatReconnects)
{
    Ouvre();
    ASSERT_TRUE(W->Connecte());
    W->Efface();
    Pty.Kill();
    ASSERT_TRUE(Attend([&] { return !W->Connecte(); }));
    EXPECT_EQ(Lignes().filter(QStringLiteral("Liaison perdue avec le port 1")).size(), 1);
    EXPECT_TRUE(Lignes().contains(QStringLiteral("Port 1 fermé")));
    EXPECT_FALSE(W->btnOnLine->isChecked());
    ASSERT_TRUE(Pty.Restart());
    W->btnOnLine->click();
    ASSERT_TRUE(W->Connecte());
    Pty.BoardWrite("encore");
    ASSERT_TRUE(Attend([&] { return W->TexteSuivi().endsWith(QStringLiteral("encore")); }));
    QTest::keyClicks(W->Suivi, QStringLiteral("x"));
    EXPECT_EQ(Pty.BoardRead(1), "x");
}

TEST_F(CommsWindow, LogAndFileSendingCarryAMegabyteEachWayIntact)
{
    Ouvre();
    ASSERT_TRUE(W->Connecte());
    W->optHexa->setChecked(true);
    W->lstVitesses->setCurrentIndex(W->lstVitesses->findText(QStringLiteral("115200")));
    emit W->lstVitesses->activated(W->lstVitesses->currentIndex());
    ASSERT_TRUE(W->Connecte());

    std::mt19937 rng(7);
    std::string versCarte(1 << 20, '\0'), versKep(1 << 20, '\0');
    for (char& c : versCarte)
        c = char(rng());
    for (char& c : versKep)
        c = char(rng());
    const std::string fichier = Dir.Write("envoi.bin", versCarte);
    const QString journal = QString::fromStdString(Dir.Path("recu.log"));
    W->AskLogName = [&] { return journal; };
    W->PM_Journal->trigger();
    ASSERT_TRUE(W->JournalActif());

    std::string recu;
    std::thread carte([&] {
        std::thread lit([&] { recu = Pty.BoardRead(versCarte.size(), 10000); });
        Pty.BoardWrite(versKep);
        lit.join();
    });
    W->AskSendName = [&] { return QString::fromStdString(fichier); };
    W->PM_EnvoiFichier->trigger();
    EXPECT_TRUE(W->EnvoiEnCours());
    EXPECT_TRUE(W->BarreEnvoi->isVisible());
    ASSERT_TRUE(Attend([&] { return !W->EnvoiEnCours(); }, 60000));
    carte.join();
    EXPECT_TRUE(recu == versCarte) << recu.size();
    EXPECT_TRUE(W->TexteSuivi().contains(QStringLiteral("Fichier envoi.bin envoyé (1048576 octets)")));
    EXPECT_FALSE(W->BarreEnvoi->isVisible());

    // Everything received, as shown: <xx> per byte, CR LF after each 0x0D.
    const QString fin = TTerminal::Hex(static_cast<unsigned char>(versKep.back())).c_str();
    ASSERT_TRUE(Attend([&] { return W->TexteSuivi().count(QLatin1Char('<')) >= int(versKep.size()); }, 60000));
    W->PM_Journal->trigger();
    EXPECT_FALSE(W->JournalActif());
    QFile f(journal);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray log = f.readAll();
    std::string octets;
    int sauts = 0;
    for (qsizetype i = 0; i < log.size();) {
        if (log[i] == '\r' && i + 1 < log.size() && log[i + 1] == '\n') {
            ++sauts;
            i += 2;
            continue;
        }
        ASSERT_EQ(log[i], '<') << i;
        octets += char(QByteArray(log.constData() + i + 1, 2).toInt(nullptr, 16));
        i += 4;
    }
    EXPECT_TRUE(octets == versKep) << octets.size();
    EXPECT_EQ(sauts, std::count(versKep.begin(), versKep.end(), '\r'));
}

TEST_F(CommsWindow, CancellingASendStopsTheFlowAndFilesThatFailAreSaid)
{
    Ouvre();
    ASSERT_TRUE(W->Connecte());
    const std::string fichier = Dir.Write("gros.bin", std::string(4 << 20, 'k'));
    ASSERT_TRUE(W->EnvoieFichier(QString::fromStdString(fichier)));
    EXPECT_FALSE(W->PM_EnvoiFichier->isEnabled());
    W->btnAnnulerEnvoi->click();
    EXPECT_FALSE(W->EnvoiEnCours());
    const QStringList fin = Lignes().filter(QStringLiteral("Envoi interrompu après "));
    ASSERT_EQ(fin.size(), 1);
    const int envoyes = fin[0].section(QLatin1Char(' '), 3, 3).toInt();
    EXPECT_GT(envoyes, 0);
    EXPECT_LT(envoyes, 4 << 20);
    EXPECT_EQ(int(Pty.BoardRead(std::size_t(envoyes) + 1, 500).size()), envoyes);
    EXPECT_TRUE(W->PM_EnvoiFichier->isEnabled());

    EXPECT_FALSE(W->EnvoieFichier(QString::fromStdString(Dir.Path("absent.bin"))));
    EXPECT_EQ(Lignes().filter(QStringLiteral("Lecture impossible de ")).size(), 1);
    EXPECT_FALSE(W->DebuteJournal(QString::fromStdString(Dir.Path("pas/de/dossier.log"))));
    EXPECT_EQ(Lignes().filter(QStringLiteral("Enregistrement impossible dans ")).size(), 1);
}

// KEP_COMMS_PNG=<path> keeps a picture of the window in use.
TEST_F(CommsWindow, ShowsEveryPanelWhenAsked)
{
    Ouvre();
    ASSERT_TRUE(W->Connecte());
    W->btnCars->setChecked(true);
    W->cbDateCR->setChecked(true);
    Pty.BoardWrite("Bonjour de la carte\r\nADC=0x3FF T=23.5C\r\n");
    QTest::keyClicks(W->Suivi, QStringLiteral("AT"));
    QTest::keyClick(W->Suivi, Qt::Key_Return);
    ASSERT_TRUE(Attend([&] { return W->OctetsRecus() >= 39; }));
    EXPECT_TRUE(W->PanelCars->isVisible() && W->PanelCtrl->isVisible());
    EXPECT_GT(W->Suivi->width(), 200);
    if (const QByteArray png = qgetenv("KEP_COMMS_PNG"); !png.isEmpty())
        W->grab().save(QString::fromLocal8Bit(png));
}
