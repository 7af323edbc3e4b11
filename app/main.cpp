// kep: the assembler projects environment.
#include "app/UE_Prin.h"
#include "platform/AppSetup.h"
#include "platform/HelpWindow.h"
#include "platform/KepPipesFile.h"
#include "project/UF_ProjVers.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    kep::SetUpApplication(app);

    // The build runner starts the launcher; a missing one is reported there.
    kep::EnsureKepPipes();

    TEcrPrin prin(kep::TCfgStart::FromApplication());
    QObject::connect(&prin, &TEcrPrin::Ferme, &app, &QApplication::quit, Qt::QueuedConnection);
    if (!prin.FormCreate())
        return 0;
    kep::TEcrProjVers::Instance(&prin).hide();
    THelpWindow::RaiseIfShown();
    return app.exec();
}
