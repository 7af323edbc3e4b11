#include "config/UF_Cfg.h"

#include "Version.h"
#include "config/U_KepFile.h"
#include "platform/QtText.h"
#include "platform/FileIo.h"
#include "platform/Help.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include <filesystem>

namespace kep {

std::string ProgramFileVersion()
{
    // The version resource has four components; the build number is 0.
    std::string v = KEP_VERSION;
    int dots = 0;
    for (char c : v)
        dots += c == '.';
    for (; dots < 3; ++dots)
        v += ".0";
    return v;
}

TCfgStart TCfgStart::FromApplication(QWidget* parent)
{
    TCfgStart s;
    s.ExePath = QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i)
        s.Args.push_back(QFile::encodeName(args[i]).toStdString());
    s.FileVersion = ProgramFileVersion();
    s.HelpContext = [parent](int context) { return ShowHelpContext(QStringLiteral("Kep.hlp"), context, parent); };
    s.HelpKeyword = [parent](const QString& keyword) {
        return ShowHelpKeyword(QStringLiteral("Kep.hlp"), keyword, parent);
    };
    s.ReportError = [parent](const QString& text) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Erreur"), text, QMessageBox::Ok, parent);
        box.exec();
    };
    return s;
}

TEcrCfg::TEcrCfg(TCfgStart start) : Start_(std::move(start))
{
    const auto slash = Start_.ExePath.rfind('/');
    Prog_.Folder = slash == std::string::npos ? std::string("./") : Start_.ExePath.substr(0, slash + 1);

    FirstRun_ = false;
    const TOptionFileLocation where = LocateOptionFile(Start_.ExePath);
    NomFichOptions = where.Path;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(where.Path).parent_path(), ec);
    if (where.FirstRun && Start_.HelpContext)
        FirstRun_ = Start_.HelpContext(1000001);

    NomProjet.clear();
    if (!Start_.Args.empty() && !Start_.Args[0].empty()) {
        const QFileInfo arg(QFile::decodeName(QByteArray::fromStdString(Start_.Args[0])));
        const std::string full = QFile::encodeName(arg.absoluteFilePath()).toStdString();
        if (FileExists(full))
            NomProjet = full;
    }
    ChargeOptionsKEP();
}

void TEcrCfg::Report(const QString& text) const
{
    if (Start_.ReportError)
        Start_.ReportError(text);
}

void TEcrCfg::ChargeOptionsKEP()
{
    TKepFile ini;
    if (!FirstRun_) {
        const std::string version = Version();
        if (!version.empty() && ini.ReadString("Global", "KepVer", "0.0.0") != version) {
            if (Start_.HelpKeyword)
                Start_.HelpKeyword(QStringLiteral("Historique, version ") + QString::fromStdString(version));
            ini.WriteString("Global", "KepVer", version);
        }
    }
    std::vector<std::string> errors;
    ChargeOptions(ini, Data, Prog_, NomProjet, errors);
    if (!errors.empty()) {
        QString text = QStringLiteral("Valeurs incorrectes dans le fichier d'options %1 (valeurs par défaut utilisées) :")
                           .arg(QFile::decodeName(QByteArray::fromStdString(NomFichOptions)));
        for (const std::string& e : errors)
            text += QStringLiteral("\n") + AnsiToQString(e);
        Report(text);
    }
}

bool TEcrCfg::SauveOptionsKEP()
{
    bool ok;
    {
        TKepFile ini;
        ok = SauveOptions(ini, Data);
        if (!ok)
            Report(QStringLiteral("Impossible d'enregistrer les options :\n") + QString::fromStdString(ini.LastError()));
    }
    if (MajMenuOutils)
        MajMenuOutils();
    return ok;
}

bool TEcrCfg::SetTabPath(const std::string& path)
{
    Data.TabPath = path;
    TKepFile ini;
    if (ini.WriteString("Global", "TabPath", path))
        return true;
    Report(QStringLiteral("Impossible d'enregistrer le chemin des fichiers processeurs :\n")
           + QString::fromStdString(ini.LastError()));
    return false;
}

bool TEcrCfg::SauveErrDefaults(const TErrDefaults& err)
{
    TKepFile ini;
    if (WriteErrDefaults(ini, err))
        return true;
    Report(QStringLiteral("Impossible d'enregistrer les paramètres par défaut :\n") + QString::fromStdString(ini.LastError()));
    return false;
}

void TEcrCfg::ChargeErrDefaults(TErrDefaults& err)
{
    TKepFile ini;
    ReadErrDefaults(ini, err);
}

} // namespace kep
