// kep: until the main window arrives, a plain window showing the project's
// first source.
#include "app/ProjectPeek.h"
#include "platform/CodePage.h"
#include "platform/FileIo.h"
#include "platform/KepPipesFile.h"

#include <QApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>

namespace {

QString FromAnsi(const std::string& ansi)
{
    const std::u16string wide = kep::AnsiToUtf16(ansi);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

// CR LF and lone CR become line feeds for the text control.
std::string UnixLines(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KEP"));

    const QStringList args = QApplication::arguments();
    if (args.size() > 1 && QFileInfo(args[1]).suffix().compare(QStringLiteral("pja"), Qt::CaseInsensitive) != 0) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("KEP"),
                        QStringLiteral("KEP ne peut ouvrir que les fichiers projets assembleur (.pja)"), QMessageBox::Ok);
        box.exec();
        return 1;
    }

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("KEP"));
    window.resize(712, 609);
    auto* edit = new QPlainTextEdit(&window);
    edit->setReadOnly(true);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setFont(QFont(QStringLiteral("Courier New"), 10));
    window.setCentralWidget(edit);

    QString error;
    if (kep::EnsureKepPipes(&error).isEmpty())
        window.statusBar()->showMessage(error.section(QLatin1Char('\n'), 0, 0));

    if (args.size() > 1) {
        const QFileInfo project(args[1]);
        const std::string projectPath = QFile::encodeName(project.absoluteFilePath()).toStdString();
        std::string ini;
        if (!kep::ReadWholeFile(projectPath, ini)) {
            window.statusBar()->showMessage(QStringLiteral("Projet illisible : ") + project.absoluteFilePath());
        } else {
            const std::string name = kep::IniValue(ini, "Edit0", "Nom");
            const std::string folder = QFile::encodeName(project.absolutePath()).toStdString();
            const std::string source = name.empty() ? std::string() : kep::ResolveProjectName(folder, name);
            std::string text;
            if (source.empty()) {
                window.statusBar()->showMessage(QStringLiteral("Aucun fichier dans ce projet."));
            } else if (!kep::ReadWholeFile(source, text)) {
                window.statusBar()->showMessage(QStringLiteral("Le fichier ") + QFile::decodeName(source.c_str()) +
                                                QStringLiteral(" n'est plus accessible."));
            } else {
                if (kep::IniValue(ini, "Edit0", "OemFile") == "1")
                    text = kep::OemToAnsi(text);
                edit->setPlainText(FromAnsi(UnixLines(text)));
                window.statusBar()->showMessage(QFile::decodeName(source.c_str()));
            }
        }
    }

    window.show();
    return app.exec();
}
