// The Chercher menu: the find and replace window and its engine's access to
// the documents, the toolkit's find and replace dialogs with F3, the
// references window, and going to a line.
#include "app/UE_Prin.h"

#include "config/UF_Cfg.h"
#include "config/U_KepFile.h"
#include "editor/UC_Sources.h"
#include "editor/UF_ChRemp.h"
#include "editor/UF_CRef.h"
#include "editor/UF_NumLig.h"
#include "editor/U_Edit.h"
#include "editor/U_Recherche.h"
#include "platform/FileIo.h"
#include "platform/FindDialog.h"
#include "platform/QtText.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QCursor>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using kep::NomProjet;

namespace {

const TTextBuffer::TCharSet& MotSet()
{
    static const TTextBuffer::TCharSet set = [] {
        TTextBuffer::TCharSet s;
        for (int c = 0; c < 256; ++c)
            s.set(std::size_t(c), TTextBuffer::IsSearchWordChar(static_cast<unsigned char>(c)));
        return s;
    }();
    return set;
}

kep::TConfirmAnswer AskReplaceBox(QWidget* parent, bool tous)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"), QStringLiteral("Remplacer ?"),
                    QMessageBox::NoButton, parent);
    QPushButton* oui = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    QPushButton* non = box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    QPushButton* abandon = box.addButton(QStringLiteral("&Abandonner"), QMessageBox::RejectRole);
    QPushButton* tout = tous ? box.addButton(QStringLiteral("&Tous"), QMessageBox::AcceptRole) : nullptr;
    box.setDefaultButton(oui);
    box.setEscapeButton(tous ? static_cast<QAbstractButton*>(abandon) : non);
    box.exec();
    QAbstractButton* c = box.clickedButton();
    if (c == oui)
        return kep::TConfirmAnswer::Oui;
    if (c == tout && tout)
        return kep::TConfirmAnswer::Tous;
    if (c == abandon)
        return kep::TConfirmAnswer::Abandonner;
    return kep::TConfirmAnswer::Non;
}

} // namespace

// The engine's view of the main window.
class TPrinSearchHost : public kep::TSearchHost {
public:
    explicit TPrinSearchHost(TEcrPrin& w) : W(w) {}

    TTextBuffer* Current() override
    {
        TEditeur* ed = W.EditeurCourant();
        return ed ? &ed->Buffer() : nullptr;
    }
    bool IsOpen(const std::string& name) override
    {
        int first = -1, last = -1;
        return W.Sources_->FindFile(name, first, last);
    }
    void OpenFile(const std::string& name) override { W.OuvreFichier(name); }
    void CloseCurrent() override
    {
        const int i = W.Sources_->CurrentPage();
        const TInfPage* pg = W.Sources_->Entry(i);
        if (!pg)
            return;
        // The save question offers "&Tous" for the rest of the search; a
        // cancelled question keeps the file open with its changes.
        if (pg->Editor->Buffer().ViewCount() == 1 && pg->Editor->Buffer().Modified()) {
            if (W.SauveTousRech_) {
                if (!W.SauvePage(i))
                    return;
            } else {
                bool tous = false;
                if (!W.DemandeSauve(i, tous))
                    return;
                W.SauveTousRech_ = tous;
            }
        }
        W.FermePage(i, false);
    }
    bool OemOnDisk(const std::string& name) override { return W.Cfg_->FileTypeOf(name).Opts & kep::optConvDos; }
    kep::TConfirmAnswer Confirm(bool tous) override { return W.AskReplace(tous); }
    void Message(kep::TSearchMessage m) override
    {
        switch (m) {
        case kep::TSearchMessage::FinMultiFichier:
            W.ShowMessage(QStringLiteral("Recherche multifichier terminée"));
            break;
        case kep::TSearchMessage::PlusDOccurences:
            W.ShowMessage(QStringLiteral("Plus d'occurences"));
            break;
        case kep::TSearchMessage::LectureSeule:
            W.ShowMessage(QStringLiteral("Ce texte est en lecture seule : ses occurences ne sont pas remplacées."));
            break;
        }
    }

private:
    TEcrPrin& W;
};

void TEcrPrin::CreeRecherche()
{
    AskReplace = [this](bool tous) { return AskReplaceBox(this, tous); };
    MousePos = [] { return QCursor::pos(); };
    const std::pair<const char*, void (TEcrPrin::*)()> items[] = {
        {"MC_ChRemp", &TEcrPrin::MC_ChRempClick},         {"MC_Cherche", &TEcrPrin::MC_ChercheClick},
        {"MC_Remplace", &TEcrPrin::MC_RemplaceClick},     {"MC_Repete", &TEcrPrin::MC_RepeteClick},
        {"MC_References", &TEcrPrin::MC_ReferencesClick}, {"MC_VaLigne", &TEcrPrin::MC_VaLigneClick},
    };
    for (const auto& [name, slot] : items) {
        QAction* a = Action(name);
        connect(a, &QAction::triggered, this, slot);
        // "Répète" waits for a first search.
        a->setEnabled(std::string_view(name) != "MC_Repete");
    }
    CRefTimer_ = new QTimer(this);
    CRefTimer_->setSingleShot(true);
    CRefTimer_->setInterval(250);
    connect(CRefTimer_, &QTimer::timeout, this, [this] {
        if (CRef_)
            CRef_->Refresh();
    });
    // Entries opened, closed, renamed or moved change what the references list.
    auto changed = [this] { ReferencesAJour(); };
    connect(Sources_->model(), &QAbstractItemModel::rowsInserted, this, changed);
    connect(Sources_->model(), &QAbstractItemModel::rowsRemoved, this, changed);
    connect(Sources_->model(), &QAbstractItemModel::dataChanged, this, changed);
    Sources_->OnMoved = [this] {
        if (CRef_)
            CRef_->Refresh();
    };
}

kep::TChRempDlg* TEcrPrin::ChRempDlg() const
{
    return ChRemp_;
}

kep::TEcrCRef* TEcrPrin::CRef() const
{
    return CRef_;
}

std::string TEcrPrin::MotSousSouris() const
{
    const TEditeur* ed = EditeurCourant();
    if (!ed)
        return {};
    return ed->WordAtPoint(ed->viewport()->mapFromGlobal(MousePos()), MotSet());
}

// ---- Chercher / Remplacer ----------------------------------------------------------

void TEcrPrin::MC_ChRempClick()
{
    if (!ChRemp_) {
        auto* dlg = new kep::TChRempDlg(this, !ProjetProtege);
        ChRemp_ = dlg;
        if (!NomProjet.empty()) {
            kep::TProjFile ini;
            dlg->ReadSettings(ini);
        }
        dlg->OnListOpen = [this](std::vector<std::string>& list) {
            for (int i = 0; i < Sources_->Count(); ++i)
                if (Sources_->Entry(i)->View == 0)
                    list.push_back(Sources_->Entry(i)->Editor->FileName);
        };
        dlg->OnListProject = [this](std::vector<std::string>& list) {
            if (NomMakeFile.empty() && !ChoisitMakeFile())
                return;
            std::string text;
            if (!kep::ReadWholeFile(NomMakeFile, text)) {
                ShowError(kep::PathToQString(NomMakeFile) + QStringLiteral(" n'a pu être lu."));
                return;
            }
            kep::AddProjectFiles(text, kep::FolderOf(NomProjet), list);
        };
        dlg->OnRun = [this, dlg] {
            kep::TChRempState& s = dlg->State();
            if (!s.Started && s.FileIndex == 0)
                SauveTousRech_ = false;
            TPrinSearchHost host(*this);
            kep::RunSearch(s, host);
        };
        dlg->OnClosing = [](kep::TChRempDlg& d) {
            if (!ProjetProtege && !NomProjet.empty()) {
                kep::TProjFile ini;
                d.WriteSettings(ini);
            }
        };
    }
    std::string proposal;
    if (const TEditeur* ed = EditeurCourant()) {
        const std::string sel = ed->Buffer().GetSelText();
        proposal = !sel.empty() && sel.find_first_of("\r\n") == std::string::npos ? sel : MotSousSouris();
    }
    ChRemp_->SetSearchText(proposal);
    ChRemp_->show();
    ChRemp_->raise();
    ChRemp_->activateWindow();
    ChRemp_->Cherche->setFocus();
    ChRemp_->Cherche->lineEdit()->selectAll();
}

// ---- The toolkit's find and replace dialogs -----------------------------------------

void TEcrPrin::MC_ChercheClick()
{
    if (!FindDlg_) {
        FindDlg_ = new kep::TFindDialog(kep::TFindDialog::Find, this);
        connect(FindDlg_, &kep::TFindDialog::FindNext, this, [this] { ChercheSuivant(FindDlg_); });
    }
    const std::string mot = MotSousSouris();
    if (!mot.empty())
        FindDlg_->SetFindText(kep::AnsiToQString(mot));
    FindDlg_->show();
    FindDlg_->raise();
    FindDlg_->activateWindow();
    FindDlg_->ChampCherche->setFocus();
    FindDlg_->ChampCherche->selectAll();
}

void TEcrPrin::MC_RemplaceClick()
{
    if (!ReplaceDlg_) {
        ReplaceDlg_ = new kep::TFindDialog(kep::TFindDialog::Replace, this);
        connect(ReplaceDlg_, &kep::TFindDialog::FindNext, this, [this] { ChercheSuivant(ReplaceDlg_); });
        connect(ReplaceDlg_, &kep::TFindDialog::ReplaceRequested, this,
                [this](bool all) { RemplaceDlg(ReplaceDlg_, all); });
    }
    const std::string mot = MotSousSouris();
    if (!mot.empty())
        ReplaceDlg_->SetFindText(kep::AnsiToQString(mot));
    ReplaceDlg_->show();
    ReplaceDlg_->raise();
    ReplaceDlg_->activateWindow();
    ReplaceDlg_->ChampCherche->setFocus();
    ReplaceDlg_->ChampCherche->selectAll();
}

namespace {

unsigned FindOptions(const kep::TFindDialog& d)
{
    return soFromCaret | (d.MatchCase() ? soMatchCase : 0u) | (d.WholeWord() ? soWholeWord : 0u);
}

} // namespace

void TEcrPrin::ChercheSuivant(kep::TFindDialog* dlg)
{
    Repete_ = dlg;
    RepeteRemplace_ = false;
    Action("MC_Repete")->setEnabled(true);
    TEditeur* ed = EditeurCourant();
    if (!ed)
        return;
    std::size_t refused = 0;
    const std::string pattern = kep::QStringToText(dlg->FindText(), ed->Buffer().OemFile, &refused);
    // A character the text's code page lacks cannot occur in it.
    if (refused || !ed->Buffer().SearchText(pattern, FindOptions(*dlg)))
        ShowMessage(QStringLiteral("Aucune occurence après le curseur !"));
}

void TEcrPrin::RemplaceDlg(kep::TFindDialog* dlg, bool all)
{
    Repete_ = dlg;
    RepeteRemplace_ = true;
    Action("MC_Repete")->setEnabled(true);
    TEditeur* ed = EditeurCourant();
    if (!ed)
        return;
    TTextBuffer& b = ed->Buffer();
    std::size_t refused = 0;
    const std::string pattern = kep::QStringToText(dlg->FindText(), b.OemFile, &refused);
    const std::string repl = kep::QStringToText(dlg->ReplaceText(), b.OemFile, &refused);
    if (refused)
        return; // neither can be written in this text
    if (all) {
        // The search goes on after each replacement, so a replacement that
        // holds the pattern is not found again.
        while (b.SearchText(pattern, FindOptions(*dlg)))
            b.ReplaceSelectionBy(repl);
        return;
    }
    if (b.HasSelection() && b.GetSelText() == pattern)
        b.ReplaceSelectionBy(repl);
    else
        ChercheSuivant(dlg);
    RepeteRemplace_ = true; // F3 goes on replacing, even after a find
}

void TEcrPrin::MC_RepeteClick()
{
    if (!Repete_)
        return;
    if (RepeteRemplace_)
        RemplaceDlg(Repete_, false);
    else
        ChercheSuivant(Repete_);
}

// ---- References --------------------------------------------------------------------

kep::TEcrCRef* TEcrPrin::OuvreCRef()
{
    if (!CRef_) {
        auto* w = new kep::TEcrCRef(this);
        CRef_ = w;
        if (!NomProjet.empty()) {
            kep::TProjFile ini;
            w->ReadSettings(ini);
        }
        w->OnRefresh = [this](const std::string& word) { ListeReferences(word); };
        w->OnGoTo = [this](int entry, std::int32_t lineId) { VaReference(entry, lineId); };
        w->OnClosing = [](kep::TEcrCRef& c) {
            if (!ProjetProtege && !NomProjet.empty()) {
                kep::TProjFile ini;
                c.WriteSettings(ini);
            }
        };
    }
    CRef_->show();
    CRef_->setWindowState(CRef_->windowState() & ~Qt::WindowMinimized);
    return CRef_;
}

void TEcrPrin::MC_ReferencesClick()
{
    kep::TEcrCRef* w = OuvreCRef();
    w->raise();
    w->activateWindow();
    w->RefEdit->setFocus();
}

void TEcrPrin::ListeReferences(const std::string& word)
{
    kep::TEcrCRef* w = OuvreCRef();
    if (!word.empty() && word != w->Word())
        w->SetWord(word);
    w->SetCurrentEntry(Sources_->CurrentPage() + 1);
    w->BeginList();
    for (int i = 0; i < Sources_->Count(); ++i) {
        const TInfPage* pg = Sources_->Entry(i);
        if (!pg->NoRefs)
            w->AddDocument(Sources_->Text(i), pg->Editor, i, pg->View);
    }
    w->EndList();
}

void TEcrPrin::ReferencesAJour()
{
    if (CRef_ && CRefTimer_)
        CRefTimer_->start();
}

void TEcrPrin::VaReference(int entry, std::int32_t lineId)
{
    if (entry < 0 || entry >= Sources_->Count())
        return;
    ChoisitPage(entry);
    if (lineId < 0)
        return;
    TTextBuffer& b = Sources_->Entry(entry)->Editor->Buffer();
    const std::int32_t line = b.GoToLineId(lineId);
    if (line < 0) {
        ShowMessage(QStringLiteral("Cette ligne a été supprimée"));
        return;
    }
    // Just after the word, as the list found it; the line's start when the
    // word has gone from it since.
    std::string word = CRef_ ? CRef_->Word() : std::string();
    const unsigned o = CRef_ ? CRef_->Options() : 0;
    const bool blind = o & kep::roMinMaj;
    if (blind)
        word = kep::PreparePattern(word, 0);
    const kep::TMatcher m = kep::ChooseMatcher((blind ? 0u : kep::coMemeCasse) | ((o & kep::roMotSeul) ? kep::coMotEntier : 0u));
    const std::size_t at = word.empty() ? 0 : m(word, b.GetLine(line));
    b.SetCaret(TTextPos{line, at ? std::int32_t(at + word.size()) : 1});
    b.PlaceCaret();
}

// ---- The windows' settings ---------------------------------------------------------

void TEcrPrin::SauveFenetresRecherche()
{
    if (ProjetProtege || NomProjet.empty())
        return;
    kep::TProjFile ini;
    if (ChRemp_)
        ChRemp_->WriteSettings(ini);
    if (CRef_)
        CRef_->WriteSettings(ini);
}

void TEcrPrin::FermeFenetresRecherche()
{
    // Closing writes their settings to the project they belong to.
    if (ChRemp_)
        ChRemp_->close();
    if (CRef_)
        CRef_->close();
}

// ---- Go to line --------------------------------------------------------------------

void TEcrPrin::MC_VaLigneClick()
{
    TEditeur* ed = EditeurCourant();
    if (!ed)
        return;
    kep::TEcrNumLig dlg(this);
    dlg.setWindowTitle(QStringLiteral("Va à la ligne"));
    dlg.move(frameGeometry().left(), frameGeometry().top() + 40);
    if (!ExecDialog(dlg))
        return;
    if (const std::optional<int> n = dlg.Numero())
        ed->Buffer().GoToLine(std::max(*n - 1, 0));
}
