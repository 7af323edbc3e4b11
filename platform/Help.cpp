#include "platform/Help.h"

#include "platform/HelpWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kep {

namespace {

// "Kep.hlp" -> "kep": the folder holding that help file's topics.
QString HelpBase(const QString& helpFile)
{
    return QFileInfo(helpFile).completeBaseName().toLower();
}

QString& ChosenHelpFolder()
{
    static QString folder;
    return folder;
}

} // namespace

QStringList HelpTopicFolders(const QString& helpFile)
{
    const QString base = HelpBase(helpFile);
    QStringList dirs;
    dirs << QStringLiteral(":/help/") + base;
    const QString folder = HelpFolder();
    if (!folder.isEmpty())
        dirs << folder + QLatin1Char('/') + base;
    return dirs;
}

namespace {

QString ReadText(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

// The index maps keywords to topic files, one "keyword=file" a line. An exact
// keyword wins; otherwise the longest keyword the request starts with, as a
// keyword search lands on the nearest entry.
QString TopicForKeyword(const QString& dir, const QString& keyword)
{
    const QString index = ReadText(dir + QStringLiteral("/index.txt"));
    QString best;
    qsizetype bestLen = -1;
    for (const QString& line : index.split(QLatin1Char('\n'))) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString file = line.mid(eq + 1).trimmed();
        if (key.compare(keyword.trimmed(), Qt::CaseInsensitive) == 0)
            return file;
        if (keyword.startsWith(key, Qt::CaseInsensitive) && key.size() > bestLen) {
            best = file;
            bestLen = key.size();
        }
    }
    return best;
}

QString MissingTopicPage(const QString& helpFile, int context, const QString& keyword)
{
    QString what = !keyword.isEmpty() ? QStringLiteral("mot-clé « %1 »").arg(keyword.toHtmlEscaped())
                   : context < 0      ? QStringLiteral("sommaire")
                                      : QStringLiteral("rubrique n° %1").arg(context);
    return QStringLiteral("<h2>Aide non disponible</h2>"
                          "<p>Le fichier d'aide <b>%1</b> n'a pas de %2.</p>"
                          "<p>Les rubriques des autres fichiers d'aide se placent dans le dossier "
                          "<tt>help/%3</tt> à côté du programme.</p>")
        .arg(helpFile.toHtmlEscaped(), what, HelpBase(helpFile));
}

} // namespace

QString HelpFolder()
{
    if (!ChosenHelpFolder().isEmpty())
        return ChosenHelpFolder();
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() + QStringLiteral("/help") : QString();
}

void SetHelpFolder(const QString& folder)
{
    ChosenHelpFolder() = folder;
}

namespace {

constexpr int ContentsContext = -1;

} // namespace

QString HelpTopicHtml(const QString& helpFile, int context, const QString& keyword, bool* found)
{
    for (const QString& dir : HelpTopicFolders(helpFile)) {
        QString file = !keyword.isEmpty()           ? TopicForKeyword(dir, keyword)
                       : context == ContentsContext ? QStringLiteral("sommaire.html")
                                                    : QString::number(context) + QStringLiteral(".html");
        if (file.isEmpty() || file.contains(QStringLiteral("..")))
            continue;
        const QString html = ReadText(dir + QLatin1Char('/') + file);
        if (!html.isEmpty()) {
            if (found)
                *found = true;
            return html;
        }
    }
    if (found)
        *found = false;
    return MissingTopicPage(helpFile, context, keyword);
}

bool ShowHelpContext(const QString& helpFile, int context, QWidget* parent)
{
    THelpWindow::Instance(parent)->ShowTopic(helpFile, HelpTopicHtml(helpFile, context, {}),
                                             HelpTopicFolders(helpFile));
    return true;
}

bool ShowHelpKeyword(const QString& helpFile, const QString& keyword, QWidget* parent)
{
    THelpWindow::Instance(parent)->ShowTopic(helpFile + QStringLiteral(" — ") + keyword,
                                             HelpTopicHtml(helpFile, 0, keyword), HelpTopicFolders(helpFile));
    return true;
}

bool ShowHelpContents(const QString& helpFile, QWidget* parent)
{
    THelpWindow::Instance(parent)->ShowTopic(helpFile, HelpTopicHtml(helpFile, ContentsContext, {}),
                                             HelpTopicFolders(helpFile));
    return true;
}

} // namespace kep
