#include "platform/AppSetup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

namespace kep {

bool SetUpApplication(QCoreApplication& app)
{
    // The name only: a display name would make some window systems append
    // " — KEP" to every caption, and the captions are the program's own.
    QCoreApplication::setApplicationName(QStringLiteral("KEP"));

    // Without a locale of the user's (C or POSIX), dates and sizes in the
    // dialogs are written the French way too.
    if (QLocale::system().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));

    auto* translator = new QTranslator(&app);
    const QStringList folders{QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                              QStringLiteral("/usr/share/qt6/translations")};
    for (const QString& folder : folders) {
        if (translator->load(QStringLiteral("qtbase_fr"), folder)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
    }
    delete translator;
    return false;
}

} // namespace kep
