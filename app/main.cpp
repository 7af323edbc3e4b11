// kep: the assembler projects environment.
#include "app/UE_Prin.h"
#include "platform/AppSetup.h"
#include "platform/HelpWindow.h"
#include "platform/InstanceBus.h"
#include "platform/InstanceCount.h"
#include "platform/KepPipesFile.h"
#include "project/UF_ProjVers.h"

#include <QApplication>
#include <QFile>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    kep::SetUpApplication(app);

    // Counted before the launcher is looked for: an instance that ends now
    // then either sees this one or has removed the launcher already.
    kep::TInstanceCount instances(QFile::encodeName(kep::KepRuntimeFolder()).toStdString());
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
