// The terminal from the main window: F9 opens it once, its Ctrl keys go to
// the board and not to the main window, and the project keeps its settings.
#include "app/PrinFixture.h"

#include "platform/IniFile.h"
#include "serial/ComPort.h"
#include "serial/PtyPair.h"
#include "serial/UF_Comms.h"

#include <QPointer>
#include <QRadioButton>
#include <QToolButton>

#include <sys/stat.h>

namespace {

class TPrinComms : public TPrinFixture {
protected:
    bool StartMapped()
    {
        if (!StartWith({"a.asm"}))
            return false;
        kep::TIniFile opts(kep::NomFichOptions);
        opts.WriteString("Ports", "COM1", Pty.Ours());
        for (int n = 2; n <= 8; ++n)
            opts.WriteString("Ports", "COM" + std::to_string(n), Dir.Path("absent"));
        return true;
    }
    TPtyPair Pty;
};

} // namespace

TEST_F(TPrinComms, F9OpensOneTerminalWhoseCtrlKeysReachTheBoard)
{
    ASSERT_TRUE(Pty.Ok());
    ASSERT_TRUE(StartMapped());
    QAction* comms = W->Action("MD_Comms");
    ASSERT_TRUE(comms->isEnabled());
    EXPECT_EQ(comms->shortcut(), QKeySequence(QStringLiteral("F9")));
    comms->trigger();
    QPointer<kep::TEcrComms> t = W->Comms();
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->isVisible());
    EXPECT_TRUE(t->Connecte());
    comms->trigger();
    EXPECT_EQ(W->Comms(), t.data());

    int copies = 0;
    QObject::connect(W->Action("ME_Copier"), &QAction::triggered, [&] { ++copies; });
    QTest::keyClick(t->Suivi, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(t->Suivi, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(t->Suivi, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Pty.BoardRead(3), std::string("\x03\x0E\x1A"));
    EXPECT_EQ(copies, 0);

    // Closing frees it and the main window forgets it.
    t->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(t);
    EXPECT_EQ(W->Comms(), nullptr);
    kep::TIniFile ini(ProjectPath);
    EXPECT_EQ(ini.ReadString("Comms", "Com", ""), "COM1,19200,Aucune,8,1");
    EXPECT_EQ(ini.ReadString("Comms", "NewLine", ""), "ByCr");
}

TEST_F(TPrinComms, ClosingTheProjectWritesTheTerminalUnlessProtected)
{
    ASSERT_TRUE(Pty.Ok());
    ASSERT_TRUE(StartMapped());
    W->Action("MD_Comms")->trigger();
    QPointer<kep::TEcrComms> t = W->Comms();
    ASSERT_TRUE(t);
    t->optHexa->setChecked(true);
    ASSERT_TRUE(W->FermeProjet());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(t);
    EXPECT_EQ(kep::TIniFile(ProjectPath).ReadString("Comms", "AffHex", ""), "1");

    // A protected project is left as it is.
    W.reset();
    ::chmod(ProjectPath.c_str(), 0444);
    ASSERT_TRUE(Start({ProjectPath}));
    W->Action("MD_Comms")->trigger();
    t = W->Comms();
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->optHexa->isChecked());
    t->optHexa->setChecked(false);
    t->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ::chmod(ProjectPath.c_str(), 0644);
    EXPECT_EQ(kep::TIniFile(ProjectPath).ReadString("Comms", "AffHex", ""), "1");
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('|').toStdString();
}
