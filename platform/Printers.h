#pragma once
// The printers KEP can print on: those of the printing system (CUPS through
// Qt), then "PDF", always present, which writes a PDF file. Each reports
// its page as the print dialog measures it: sheet, printable area and dpi.
#include "print/U_Impression.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QPrinter;

namespace kep {

struct TPrinterDesc {
    QString Nom;
    QString Pilote;
    QString Port;
    bool Pdf = false;
};

// The printer that writes PDF files.
QString NomImprimantePdf();
// The installed printers, then the PDF printer.
std::vector<TPrinterDesc> ImprimantesInstallees();
// The system's default printer; empty when it has none.
QString ImprimanteParDefaut();

class TImprimante {
public:
    explicit TImprimante(const TPrinterDesc& desc);
    ~TImprimante();
    TImprimante(const TImprimante&) = delete;
    TImprimante& operator=(const TImprimante&) = delete;

    const TPrinterDesc& Desc() const { return Desc_; }
    QPrinter& Printer() { return *Printer_; }
    // The status word: 0 ready, else the bits of the state the system reports.
    std::uint32_t Etat() const;
    TMetriquesImpr Metriques() const;

    bool OrientationPossible() const { return true; }
    bool CopiesPossibles() const;
    bool TriPossible() const { return CopiesPossibles(); }
    bool Paysage() const;
    void SetPaysage(bool paysage);
    int Copies() const;
    void SetCopies(int n);
    bool Tri() const;
    void SetTri(bool tri);

    // The PDF printer's margins that stay blank, as a printer's would.
    static constexpr double MargePdfMm = 5.0;

private:
    TPrinterDesc Desc_;
    std::unique_ptr<QPrinter> Printer_;
};

} // namespace kep
