// Going from one build error to the next: the error file is read as a
// document, each block names a source line, the editor goes there.
#include "app/UE_Prin.h"

#include "build/UF_Make.h"
#include "build/U_ErrAssembleur.h"
#include "build/U_ErrNav.h"
#include "editor/UC_Sources.h"
#include "editor/U_Edit.h"
#include "platform/FileIo.h"
#include "platform/QtText.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The folder builds run in: the names in the messages, and the error
// file's own, are relative to it.
std::string DossierProjet()
{
    return kep::QStringToPath(QDir::currentPath());
}

} // namespace

std::string TEcrPrin::CheminFichErr() const
{
    const std::string& name = Cfg_->Data.Err.FichErr;
    if (name.empty())
        return {};
    return kep::ExpandName(kep::QStringToPath(QDir::currentPath()) + "/", name);
}

bool TEcrPrin::OuvreFichErr()
{
    const std::string path = CheminFichErr();
    const QFileInfo fi(kep::PathToQString(path));
    if (path.empty() || !fi.isFile() || fi.size() == 0)
        return false;
    const int avant = Sources_->ItemIndex();
    OuvreFichier(path);
    if (TEditeur* ed = EditeurCourant(); ed && kep::SameFile(ed->FileName, path))
        ed->AutoSave = false; // the error file is never saved before a build
    if (avant >= 0)
        ChoisitPage(avant);
    return true;
}

void TEcrPrin::MC_ErrSuivClick()
{
    const std::string path = CheminFichErr();
    int first = -1, last = -1;
    if (path.empty())
        return;
    if (!Sources_->FindFile(path, first, last)) {
        // A file holding no error (or none at all) is not worth a page.
        const kep::TErrCompte compte = CompteErreursFichErr();
        if (compte.Erreurs + compte.Avertissements == 0) {
            SetPanel(3, QStringLiteral("Aucune erreur dans ") + kep::PathToQString(kep::FileNameOf(path)) +
                            QLatin1Char('.'));
            return;
        }
        if (!OuvreFichErr() || !Sources_->FindFile(path, first, last))
            return;
    }
    TEditeur* errEd = Sources_->Entry(first)->Editor;
    TTextBuffer& b = errEd->Buffer();

    // The caret cannot go past the last line: when the last block ended
    // there, the search goes on past it unless the caret was moved since.
    std::int32_t from = b.CaretLine();
    if (ErrEditeur_ == errEd && from == ErrCaret_)
        from = ErrSuite_;
    const kep::TLineAt at = [&b](std::int32_t i) -> const std::string& { return b.GetLine(i); };
    // An assembler's own layout is read by what its messages say.
    const kep::TErrLecteur lecteur = kep::ErrLecteurOf(Cfg_->Data.Err);
    const auto block = lecteur != kep::TErrLecteur::Aucun
                           ? kep::NextAsmBlock(at, b.LineCount(), from, lecteur, DossierProjet())
                           : kep::NextErrorBlock(at, b.LineCount(), from, kep::ErrLayoutOf(Cfg_->Data.Err));
    if (!block)
        return;
    const std::int32_t suite = block->HasLine ? block->NextSearch : block->BlockStart;
    b.SetCaretLine(suite);
    ErrEditeur_ = errEd;
    ErrCaret_ = b.CaretLine();
    ErrSuite_ = suite;
    if (block->HasLine)
        MontreErreur(*block);
}

void TEcrPrin::MontreErreur(const kep::TErrBlock& block)
{
    if (block.IsMake) {
        SetPanel(3, QString());
        return;
    }
    const QString status = kep::AnsiToQString(block.Status);
    if (block.StatusOnly) {
        SetPanel(3, status);
        return;
    }
    const std::string name =
        block.FileName.empty() ? std::string() : kep::ExpandName(DossierProjet() + "/", block.FileName);
    std::int32_t id = block.LineNumber - 1;
    int first = -1, last = -1;
    if (!block.FindWord.empty()) {
        // A linker message names a symbol, not a line: its first use in the
        // source as the editor holds it now. The message stays readable
        // when the source or the use has gone.
        if (!name.empty() && !Sources_->FindFile(name, first, last) && QFileInfo(kep::PathToQString(name)).isFile())
            OuvreFichier(name);
        if (name.empty() || !Sources_->FindFile(name, first, last)) {
            SetPanel(3, status);
            return;
        }
        const TTextBuffer& src = Sources_->Entry(first)->Editor->Buffer();
        const std::int32_t use = kep::LigneUtilisant(
            [&src](std::int32_t i) -> const std::string& { return src.GetLine(i); }, src.LineCount(), block.FindWord);
        if (use < 0) {
            SetPanel(3, status);
            return;
        }
        id = src.GetLineId(use);
    }
    if (!name.empty() && Sources_->FindFile(name, first, last)) {
        MontreLigne(name, id);
    } else if (!name.empty() && QFileInfo(kep::PathToQString(name)).isFile()) {
        OuvreFichier(name);
    } else {
        SetPanel(3, QStringLiteral("Cible introuvable."));
        return;
    }
    TEditeur* ed = EditeurCourant();
    if (!ed)
        return;
    TTextBuffer& b = ed->Buffer();
    const std::int32_t line = b.GoToLineId(id);
    if (line >= 0 && block.HasWord) {
        const kep::TErrSelection sel = kep::SelectionFor(b.GetLine(line), line, line == b.LineCount() - 1, block.Word);
        b.SetSelection(sel.StartLine, sel.StartCol, sel.EndCol, sel.EndLine);
        if (sel.MoveCaretCol)
            b.SetCaretCol(sel.CaretCol);
    }
    SetPanel(3, status);
}

bool TEcrPrin::MontreErreurConsole(std::size_t index)
{
    if (!EcrMake_)
        return false;
    const kep::TConsoleStore& lines = EcrMake_->Lignes();
    if (index >= lines.Count())
        return false;
    // An assembler's message is a block of one line.
    if (const kep::TErrLecteur lecteur = kep::ErrLecteurOf(Cfg_->Data.Err); lecteur != kep::TErrLecteur::Aucun) {
        const auto block = kep::AsmBlockOf(lines.Line(index), lecteur, DossierProjet());
        if (!block)
            return false;
        GardeEcrMake_ = true;
        MontreErreur(*block);
        GardeEcrMake_ = false;
        return true;
    }
    const kep::TErrLayout layout = kep::ErrLayoutOf(Cfg_->Data.Err);
    // The block holding the line starts at most 20 lines above it.
    std::int32_t from = std::int32_t(index > 20 ? index - 20 : 0);
    const auto count = std::int32_t(lines.Count());
    const auto at = [&lines](std::int32_t i) -> const std::string& { return lines.Line(std::size_t(i)); };
    while (from <= std::int32_t(index)) {
        const auto block = kep::NextErrorBlock(at, count, from, layout);
        if (!block || block->BlockStart > std::int32_t(index))
            return false;
        const std::int32_t end = block->BlockStart + std::max(layout.NbrLigErr, 1);
        if (std::int32_t(index) < end) {
            if (!block->HasLine)
                return false;
            GardeEcrMake_ = true;
            MontreErreur(*block);
            GardeEcrMake_ = false;
            return true;
        }
        from = std::max(block->NextSearch, block->BlockStart + 1);
    }
    return false;
}
