#include "platform/Printers.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

namespace kep {

QString NomImprimantePdf()
{
    return QStringLiteral("PDF");
}

std::vector<TPrinterDesc> ImprimantesInstallees()
{
    std::vector<TPrinterDesc> r;
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
        TPrinterDesc d;
        d.Nom = info.printerName();
        d.Pilote = info.makeAndModel();
        d.Port = info.location().isEmpty() ? (info.isRemote() ? QStringLiteral("Réseau") : QStringLiteral("CUPS"))
                                           : info.location();
        r.push_back(d);
    }
    TPrinterDesc pdf;
    pdf.Nom = NomImprimantePdf();
    pdf.Pilote = QStringLiteral("Qt PDF");
    pdf.Port = QStringLiteral("Fichier PDF");
    pdf.Pdf = true;
    r.push_back(pdf);
    return r;
}

QString ImprimanteParDefaut()
{
    return QPrinterInfo::defaultPrinterName();
}

TImprimante::TImprimante(const TPrinterDesc& desc) : Desc_(desc)
{
    if (desc.Pdf) {
        Printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        Printer_->setOutputFormat(QPrinter::PdfFormat);
        const QMarginsF blank(MargePdfMm, MargePdfMm, MargePdfMm, MargePdfMm);
        Printer_->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, blank,
                                            QPageLayout::Millimeter, blank));
    } else {
        Printer_ = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(desc.Nom), QPrinter::HighResolution);
    }
}

TImprimante::~TImprimante() = default;

std::uint32_t TImprimante::Etat() const
{
    if (Desc_.Pdf)
        return 0;
    switch (QPrinterInfo::printerInfo(Desc_.Nom).state()) {
    case QPrinter::Idle: return 0;
    case QPrinter::Active: return 0x400;
    case QPrinter::Aborted: return 0x4;
    case QPrinter::Error: return 0x2;
    }
    return 0;
}

TMetriquesImpr TImprimante::Metriques() const
{
    TMetriquesImpr m;
    const int dpi = Printer_->resolution();
    if (dpi <= 0)
        return m;
    QPageLayout layout = Printer_->pageLayout();
    const QRect full = layout.fullRectPixels(dpi);
    m.LogPixelsX = m.LogPixelsY = dpi;
    m.PhysWidth = full.width();
    m.PhysHeight = full.height();
    if (Desc_.Pdf) {
        // Our own blank border, exact in pixels.
        const int blank = MmEnPixels(MargePdfMm, dpi);
        m.OffsetX = m.OffsetY = blank;
        m.HorzRes = m.PhysWidth - 2 * blank;
        m.VertRes = m.PhysHeight - 2 * blank;
        return m;
    }
    const QMarginsF minimum = layout.minimumMargins();
    layout.setMinimumMargins(QMarginsF());
    layout.setMargins(minimum);
    const QRect paint = layout.paintRectPixels(dpi);
    m.HorzRes = paint.width();
    m.VertRes = paint.height();
    m.OffsetX = paint.x();
    m.OffsetY = paint.y();
    return m;
}

bool TImprimante::CopiesPossibles() const
{
    return !Desc_.Pdf && Printer_->supportsMultipleCopies();
}

bool TImprimante::Paysage() const
{
    return Printer_->pageLayout().orientation() == QPageLayout::Landscape;
}

void TImprimante::SetPaysage(bool paysage)
{
    Printer_->setPageOrientation(paysage ? QPageLayout::Landscape : QPageLayout::Portrait);
}

int TImprimante::Copies() const
{
    return Printer_->copyCount();
}

void TImprimante::SetCopies(int n)
{
    Printer_->setCopyCount(n);
}

bool TImprimante::Tri() const
{
    return Printer_->collateCopies();
}

void TImprimante::SetTri(bool tri)
{
    Printer_->setCollateCopies(tri);
}

} // namespace kep
