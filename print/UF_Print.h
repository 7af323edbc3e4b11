#pragma once
// "KEP - Impression": prints the current file, a range of its lines, its
// selected lines or the lines of its view, or a group of the open files, on
// a chosen printer with margins, a font size (or one fitted to the page),
// line and page numbers. Made once and kept: its settings last the session.
#include "platform/Printers.h"
#include "print/U_Impression.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QProgressDialog;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;
class TEditeur;

namespace kep {

class TEcrImprim : public QDialog {
    Q_OBJECT
public:
    explicit TEcrImprim(QWidget* parent = nullptr);
    ~TEcrImprim() override;

    // The printers a new dialog lists; tests replace it.
    static std::function<std::vector<TPrinterDesc>()> Enumeration;

    // False when no printer was found ("Aucune imprimante installée").
    bool Utilisable() const { return !Printers_.empty(); }
    // The file printed and the open files offered for a group.
    void SetEditeur(TEditeur* ed) { Editeur_ = ed; }
    TEditeur* Editeur() const { return Editeur_; }
    void VideFichiers();
    void AjouteFichier(TEditeur* ed, bool checked);
    std::vector<TEditeur*> FichiersCoches() const;
    // Before each showing: the range choices the file allows, the line
    // range, the fitted font and the page count.
    void Prepare();

    // Printer selection: its description, state, page and settings, the
    // margins back to its minimums.
    void ChoisitImprimante();
    void MajNumLignes();
    void AjusteTaillePolice();
    void MajNombrePages();
    void MargeQuittee();
    // "Imprimer": every document, page by page. The number of documents
    // printed; the dialog closes unless nothing was attempted.
    int Imprime();

    TImprimante* Imprimante() const { return Imprimante_.get(); }
    const TMetriquesImpr& Metriques() const { return Metriques_; }
    TMargesMm Marges() const;
    TPlageLignes Plage() const;
    // Lines per page with the current settings; 0 when none fits.
    int LignesParPage() const { return LignesParPage_; }
    // The expected pages as shown; -1 when hidden.
    std::int64_t PagesPrevues() const { return PagesPrevues_; }
    QProgressDialog* Progres() const { return Progres_; }

    // Ways to ask and tell the user; tests replace them.
    std::function<void(const QString& text)> ShowMessage;
    std::function<void(int context)> ShowHelp;
    std::function<bool(QDialog& dialog)> ExecDialog;
    // The PDF file a document goes to, from a suggested path; empty = skip it.
    std::function<QString(const QString& suggested)> AskPdfName;
    // After each printed page (document file, page number from 1).
    std::function<void(const QString& file, int page)> OnPage;

    // Controls, under their form names.
    QComboBox* PrnList;
    QLabel *lblEtat, *lblPort, *lblPilote, *lblPapier;
    QPushButton* btnProprietes;
    QRadioButton *rbPortrait, *rbPaysage;
    QRadioButton *rbTout, *rbSelection, *rbLignes, *rbVue, *rbGroupe;
    QSpinBox *LigDeb, *LigFin;
    QSpinBox *Copies, *TaillePolice;
    QCheckBox *cbAjustePolice, *cbTriPages, *cbNumLignes, *cbNumPages;
    QDoubleSpinBox *MargeG, *MargeD, *MargeB, *MargeH;
    QLabel *lblPrevu, *lblPages;
    QPushButton *btnImprime, *btnAnnuler, *btnAide;
    QWidget* PanneauFichiers;
    QListWidget* ListeFichiers;
    QPushButton *btnTous, *btnAucun, *btnInverse;

private:
    void CreeControles();
    void Connecte();
    void MontreMarges(const TMargesMm& m);
    void Proprietes();
    void ChangeOrientation();
    void CocheTout(int how); // 0 none, 1 all, 2 inverse
    // The printing font at `size` points on the printer.
    QFont PolicePour(int size) const;
    // Prints one document; false when the user cancelled.
    bool ImprimeDocument(TEditeur* ed, std::int64_t premier, std::int64_t compte, bool& imprime);

    std::vector<TPrinterDesc> Printers_;
    std::unique_ptr<TImprimante> Imprimante_;
    TMetriquesImpr Metriques_;
    TMargesMm MargesMin_;
    TEditeur* Editeur_ = nullptr;
    int LignesParPage_ = 0;
    std::int64_t PagesPrevues_ = -1;
    bool Ajustement_ = false; // the program itself is setting TaillePolice
    QProgressDialog* Progres_ = nullptr;
};

} // namespace kep
