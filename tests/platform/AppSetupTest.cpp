// What the program sets up before its first window: French standard dialogs
// and captions left exactly as the program gives them.
#include "platform/AppSetup.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(AppSetup, StandardButtonsSpeakFrenchAndCaptionsStayAsGiven)
{
    const bool noUserLocale = QLocale::system().language() == QLocale::C;
    ASSERT_TRUE(kep::SetUpApplication(*QCoreApplication::instance()));
    if (noUserLocale) {
        EXPECT_EQ(QLocale().language(), QLocale::French);
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Oui"));
    EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("&Non"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Annuler"));
    QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Close);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Open)->text(), QStringLiteral("Ouvrir"));

    // No display name is set: window systems append a set one to every
    // caption ("KEP - x.asm — KEP"). Unset, it follows the application name.
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("KEP"));
    QCoreApplication::setApplicationName(QStringLiteral("autre"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("autre"));
    QCoreApplication::setApplicationName(QStringLiteral("KEP"));
}
