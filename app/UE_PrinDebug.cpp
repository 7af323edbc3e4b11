// The code look-ups: the code generated for a line ("&Montre code généré",
// Ctrl+N, and a click in an editor's margin), the line a number had when
// the file was loaded or saved ("&Trouve la ligne originale...", Ctrl+L),
// the program image viewer and the number converter.
#include "app/UE_Prin.h"

#include "build/UF_ViewCod.h"
#include "build/U_ImageHex.h"
#include "build/U_ScanObj.h"
#include "editor/UC_Conv.h"
#include "editor/UC_Sources.h"
#include "editor/UF_NumLig.h"
#include "editor/U_Edit.h"
#include "config/U_KepFile.h"
#include "serial/UF_Comms.h"
#include "platform/Paths.h"
#include "platform/QtText.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QSplitter>

void TEcrPrin::CreeDebug()
{
    const auto wire = [this](const char* name, void (TEcrPrin::*slot)()) {
        QAction* a = Action(name);
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, slot);
    };
    wire("MD_FindCode", &TEcrPrin::MD_FindCodeClick);
    wire("MC_TrouveLigOrg", &TEcrPrin::MC_TrouveLigOrgClick);
    wire("MD_CodView", &TEcrPrin::MD_CodViewClick);
    wire("MD_Comms", &TEcrPrin::MD_CommsClick);
    wire("MD_Convertisseur", &TEcrPrin::MD_ConvertisseurClick);
}

void TEcrPrin::MontreCode(TEditeur* ed)
{
    const TTextBuffer& b = ed->Buffer();
    const std::int32_t lineId = b.GetLineId(b.CaretLine());
    // Names are relative to the current folder, the project's.
    const kep::TFichiersScan files = kep::FichiersDisque(kep::QStringToPath(QDir::currentPath()));
    const std::string text = kep::TrouveCode(files, kep::FileNameOf(NomMakeFile), kep::FileNameOf(ed->FileName), lineId);
    SetPanel(3, QString::fromUtf8(text.data(), qsizetype(text.size())));
}

void TEcrPrin::MD_FindCodeClick()
{
    if (PageCourante && PageCourante->Editor)
        MontreCode(PageCourante->Editor);
}

void TEcrPrin::MC_TrouveLigOrgClick()
{
    if (!PageCourante || !PageCourante->Editor)
        return;
    kep::TEcrNumLig dlg(this);
    dlg.setWindowTitle(QStringLiteral("Trouve la ligne originale"));
    if (!ExecDialog(dlg))
        return;
    const std::optional<int> n = dlg.Numero();
    if (!n)
        return;
    // The numbers of a listing or an error message are those of the file as
    // it was loaded or saved: its line identities.
    if (!MontreLigne(PageCourante->Editor->FileName, *n - 1))
        ShowMessage(QStringLiteral("La ligne ") + dlg.NumLigne->text() + QStringLiteral(" a été supprimée"));
}

void TEcrPrin::MD_CodViewClick()
{
    // A window of its own each time; closing it frees it.
    auto* w = new TEcrViewCod(this);
    w->show();
    // It opens on what the last build made: the project's image, or for a
    // gputils project its Intel HEX file.
    const kep::TFichiersScan files = kep::FichiersDisque(kep::QStringToPath(QDir::currentPath()));
    const std::string image = kep::ImageDuProjet(files, NomMakeFile);
    if (!image.empty())
        w->Charge(kep::PathToQString(image));
}

// ---- The serial terminal ------------------------------------------------------------

kep::TEcrComms* TEcrPrin::Comms() const
{
    return Comms_;
}

void TEcrPrin::MD_CommsClick()
{
    if (!Comms_) {
        auto* w = new kep::TEcrComms(this);
        Comms_ = w;
        w->OnClosing = [this](kep::TEcrComms& c) {
            if (ProjetProtege || kep::NomProjet.empty())
                return;
            kep::TProjFile ini;
            if (!c.EcritReglages(ini))
                ProjetNonSauve(ini);
        };
        w->show();
        // Reading connects, and the messages of that go into the window.
        kep::TProjFile ini;
        w->LitReglages(ini);
    }
    Comms_->show();
    Comms_->setWindowState(Comms_->windowState() & ~Qt::WindowMinimized);
    Comms_->raise();
    Comms_->activateWindow();
    Comms_->Suivi->setFocus();
}

void TEcrPrin::FermeComms()
{
    // Closing writes the settings to the project the window belongs to.
    if (Comms_)
        Comms_->close();
}

// ---- The number converter -----------------------------------------------------------

kep::TEcrConv* TEcrPrin::Conv() const
{
    return Conv_;
}

void TEcrPrin::MD_ConvertisseurClick()
{
    if (Conv_)
        FermeConv();
    else
        OuvreConv();
}

void TEcrPrin::OuvreConv()
{
    if (Conv_)
        return;
    auto* w = new kep::TEcrConv(Splitter2);
    Conv_ = w;
    if (!kep::NomProjet.empty()) {
        kep::TProjFile ini;
        w->ReadSettings(ini);
    }
    w->CurrentEditor = [this] { return EditeurCourant(); };
    w->SetAssembleur(Assembleur_.Valeur());
    Splitter2->addWidget(w);
    Splitter2->setStretchFactor(1, 0);
    // The sources list keeps what the converter does not take, and at
    // least the splitter's minimum.
    const int total = Splitter2->height() - Splitter2->handleWidth();
    const int h = std::max(10, std::min(w->WantedHeight(), total - 10));
    Splitter2->setSizes({std::max(10, total - h), h});
    if (QWidget* handle = Splitter2->handle(1)) {
        handle->setAutoFillBackground(true);
        QPalette pal = handle->palette();
        pal.setColor(QPalette::Window, pal.color(QPalette::Dark));
        handle->setPalette(pal);
    }
    w->show();
}

void TEcrPrin::FermeConv()
{
    if (!Conv_)
        return;
    kep::TEcrConv* w = Conv_;
    if (!ProjetProtege && !kep::NomProjet.empty()) {
        kep::TProjFile ini;
        if (!w->WriteSettings(ini))
            ProjetNonSauve(ini);
    }
    Conv_ = nullptr;
    delete w;
}
