// Running the tools of the menu Outils.
#include "config/UF_Cfg.h"

#include "config/U_KepFile.h"
#include "config/U_MotsOutils.h"
#include "platform/CodePage.h"
#include "platform/ProcessList.h"
#include "platform/QtText.h"
#include "platform/ShellLaunch.h"

#include <QDate>
#include <QFile>
#include <QStringList>

namespace kep {

int TEcrCfg::ExeOutil(int index)
{
    if (index < 0 || index >= int(Data.Outils.size()))
        return OutilAbsent;
    TInfoOutils& outil = Data.Outils[std::size_t(index)];
    // Tool texts are the option file's bytes; names on disk are the file
    // system's, so the expansion works on UTF-8 throughout.
    const QString prog = AnsiToQString(outil.Cmde);
    if (outil.Unique && ProgrammeEnCours(QFile::encodeName(prog).toStdString()))
        return OutilDejaLance;
    const QDate today = QDate::currentDate();
    const TMotsOutil mots = MotsOutil(NomProjet, FichierEdite, today.day(), today.month(), today.year());
    const auto fromUtf8 = [](const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); };
    QStringList args;
    for (const std::string& word : ParametresOutil(AnsiToUtf8(outil.Parm), mots))
        args << fromUtf8(word);
    qint64 pid = 0;
    const int code = ShellOpen(prog, args, fromUtf8(ExpandeMotsOutil(AnsiToUtf8(outil.Rep), mots)), &pid);
    if (code > 32) {
        outil.Instance = pid;
    } else if (const QString text = ShellErrorText(code); !text.isEmpty()) {
        Report(text);
    }
    return code;
}

} // namespace kep
