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
    const auto expand = [&mots](const std::string& text) {
        const std::string utf8 = ExpandeMotsOutil(AnsiToUtf8(text), mots);
        return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    };
    qint64 pid = 0;
    const int code = ShellOpen(prog, expand(outil.Parm), expand(outil.Rep), &pid);
    if (code > 32) {
        outil.Instance = pid;
    } else if (const QString text = ShellErrorText(code); !text.isEmpty()) {
        Report(text);
    }
    return code;
}

} // namespace kep
