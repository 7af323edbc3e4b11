#pragma once
// The configuration object: created once at start-up, it finds the option
// file, shows the first-run and version help, and holds the options in a
// record that the configuration dialog edits. Only SauveOptionsKEP (the
// dialog's OK) writes them back.
#include "config/U_Options.h"

#include <QString>

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace kep {

struct TCfgStart {
    std::string ExePath;           // the running program
    std::vector<std::string> Args; // command line, program excluded
    std::string FileVersion;       // four components, "0.1.0.0"
    // Help viewer: context number / keyword of "Kep.hlp"; true when shown.
    std::function<bool(int)> HelpContext;
    std::function<bool(const QString&)> HelpKeyword;
    // Shows a French error message (a message box unless replaced).
    std::function<void(const QString&)> ReportError;

    // The running program, its arguments, the help window and message boxes.
    static TCfgStart FromApplication(QWidget* parent = nullptr);
};

class TEcrCfg {
public:
    explicit TEcrCfg(TCfgStart start);

    // Reloads every option from the file (dialog creation, showing, Cancel).
    void ChargeOptionsKEP();
    // Writes every option (dialog OK); false, after reporting, when the file
    // could not be written.
    bool SauveOptionsKEP();
    // Stores a new processor folder at once.
    bool SetTabPath(const std::string& path);

    // "Définir comme paramètres par défaut" / "Charger paramètres par défaut".
    // Both work on the layout given, which the dialog shows.
    bool SauveErrDefaults(const TErrDefaults& err);
    void ChargeErrDefaults(TErrDefaults& err);

    const TInfosFich& FileTypeOf(std::string_view fileName) const { return kep::FileTypeOf(Data.TypesFich, fileName); }

    bool FirstRun() const { return FirstRun_; }
    // The version compared with KepVer ("0.1.0").
    std::string Version() const { return VersionPrefix(Start_.FileVersion); }
    const TProgramPaths& Program() const { return Prog_; }
    // The running program's full path.
    const std::string& ExePath() const { return Start_.ExePath; }

    // Rebuilds the Tools menu; set by the main window, run after each save.
    std::function<void()> MajMenuOutils;

    // Starts the tool at `index` of Data.Outils with its keywords expanded;
    // the launch code (above 32 when started). A failure is reported; a tool
    // marked "Une seule instance" that is running already is silently left.
    enum { OutilAbsent = -1, OutilDejaLance = -2 };
    int ExeOutil(int index);
    // The file in the editor, for the tools' keywords: set each time the
    // menu Outils opens on a file.
    std::string FichierEdite;

    TOptionsKep Data;

private:
    void Report(const QString& text) const;

    TCfgStart Start_;
    TProgramPaths Prog_;
    bool FirstRun_ = false;
};

// The program's version as the version resource would give it.
std::string ProgramFileVersion();

} // namespace kep
