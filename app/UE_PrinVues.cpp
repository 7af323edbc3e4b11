// The main window's views: the tab ruler and its drag, showing a line in the
// view that shows it best, the views that cover what no view does, and the
// settings dialogs of a file and of a view.
#include "app/UE_Prin.h"

#include "controls/UC_HeaderCtrlG.h"
#include "editor/UC_Sources.h"
#include "editor/UF_CfgFich.h"
#include "editor/UF_CfgVue.h"
#include "editor/U_Edit.h"
#include "platform/FileIo.h"
#include "platform/QtText.h"

#include <QLabel>
#include <QLayout>
#include <QPixmap>

#include <algorithm>
#include <cmath>

QFont PoliceDe(const kep::TInfosFich& f)
{
    QFont font(kep::PathToQString(f.Police));
    // A wild stored size would make the editor unusable.
    font.setPointSize(f.Taille > 0 && f.Taille <= 200 ? f.Taille : 10);
    return font;
}

// ---- Tab ruler ------------------------------------------------------------------

void TEcrPrin::MajReglette()
{
    TEditeur* ed = EditeurCourant();
    if (!ed || TabBar->Tracking())
        return;
    // Column 0 of the ruler lies over the text's left edge, wherever the
    // editor's frame and margin put it.
    const int textLeft = ed->viewport()->mapTo(pSource, QPoint(ed->TextLeft(), 0)).x();
    if (textLeft != RegletteMarge_->contentsMargins().left())
        RegletteMarge_->setContentsMargins(textLeft, 0, 0, 0);
    int left = 0;
    for (int i = 0; i < 6; ++i) {
        const int stop = ed->TabStop(i);
        TabBar->SetSectionWidth(i, std::max(0, stop - left));
        left = std::max(left, stop);
    }
}

void TEcrPrin::TraceGuide(int x)
{
    if (x < 0) {
        Guide_->hide();
        return;
    }
    // The line inverts what lies under it, as a pen in XOR mode would: what
    // the editor shows there stays readable through it.
    Guide_->hide();
    const int h = pSource->height();
    QImage under = pSource->grab(QRect(x, 0, 1, h)).toImage();
    under.invertPixels();
    Guide_->setPixmap(QPixmap::fromImage(under));
    Guide_->setGeometry(x, 0, 1, h);
    Guide_->show();
    Guide_->raise();
}

void TEcrPrin::RegletteDebut(int section, int width)
{
    GuideRight_ = TabBar->SectionRight(section);
    TraceGuide(TabBar->mapTo(pSource, QPoint(GuideRight_, 0)).x());
    SetPanel(1, QStringLiteral("%1:%2").arg(GuideRight_).arg(width));
}

void TEcrPrin::RegletteSuit(int section, int width)
{
    const int right = TabBar->SectionLeft(section) + width;
    TraceGuide(TabBar->mapTo(pSource, QPoint(right, 0)).x());
    SetPanel(1, QStringLiteral("%1/%2").arg(GuideRight_).arg(right));
}

void TEcrPrin::RegletteFin(int section, int width)
{
    TraceGuide(-1);
    // The panel shows the file's state again.
    SetPanel(1, QString());
    ModifiedToggled();
    TEditeur* ed = EditeurCourant();
    const int old = TabBar->SectionWidth(section);
    if (!ed || width == old)
        return;
    // The following stops stay where they were.
    if (section < 5)
        TabBar->SetSectionWidth(section + 1, TabBar->SectionWidth(section + 1) + old - width);
    TabBar->SetSectionWidth(section, width);
    ed->SetTabStop(section, TabBar->SectionRight(section));
    MajReglette();
}

// ---- Views ----------------------------------------------------------------------

bool TEcrPrin::MontreLigne(const std::string& name, std::int32_t lineId)
{
    int first = -1, last = -1;
    if (!Sources_->FindFile(name, first, last)) {
        OuvreFichier(name);
        if (!PageCourante || !kep::SameFile(PageCourante->Editor->FileName, name))
            return false;
        return PageCourante->Editor->Buffer().GoToLineId(lineId) >= 0;
    }
    TEditeur* ed = Sources_->Entry(first)->Editor;
    TTextBuffer& b = ed->Buffer();
    // The active view's position lives in the buffer; the others are stored.
    const std::int32_t idx = b.FindLineById(lineId);
    if (idx < 0)
        return false;
    const int view = b.BestViewForLine(idx);
    for (int e = first; e <= last; ++e)
        if (Sources_->Entry(e)->Editor == ed && Sources_->Entry(e)->View == view) {
            ChoisitPage(e);
            break;
        }
    ed->Buffer().GoToLine(idx);
    CaretMoved();
    return true;
}

void TEcrPrin::CreeVuesManquantes(int index)
{
    const TInfPage* pg = Sources_->Entry(index);
    if (!pg)
        return;
    TEditeur* ed = pg->Editor;
    TTextBuffer& b = ed->Buffer();
    std::vector<std::pair<std::int32_t, std::int32_t>> lims;
    for (int v = 0; v < b.ViewCount(); ++v)
        lims.emplace_back(b.GetView(v)->ViewMinLine, b.GetView(v)->ViewMaxLine);
    std::stable_sort(lims.begin(), lims.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<std::pair<std::int32_t, std::int32_t>> missing;
    if (lims.front().first > 0)
        missing.emplace_back(-1, lims.front().first + 1);
    for (std::size_t k = 0; k + 1 < lims.size(); ++k)
        if (lims[k + 1].first > lims[k].second)
            missing.emplace_back(lims[k].second, lims[k + 1].first + 1);
    if (lims.back().second < b.LineCount())
        missing.emplace_back(lims.back().second, TEditView::NoMaxLine);
    const std::string name = ed->FileName;
    for (const auto& [lo, hi] : missing) {
        OuvreFichier(name);
        if (!PageCourante || PageCourante->Editor != ed)
            return;
        TEditView* v = b.GetView(PageCourante->View);
        v->ViewMinLine = lo;
        v->ViewMaxLine = hi;
        v->TopLine = std::max(0, lo);
        v->Caret = b.ClampPos(TTextPos{std::max(0, lo), 1});
        b.SelectView(PageCourante->View);
        b.SetTopLine(v->TopLine);
    }
}

// ---- Settings dialogs -------------------------------------------------------------

void TEcrPrin::ProprietesFichier(int entry)
{
    const TInfPage* pg = Sources_->Entry(entry);
    if (!pg)
        return;
    TEditeur* ed = pg->Editor;
    TTextBuffer& b = ed->Buffer();
    kep::TInfosFich f;
    f.Nom = kep::FileNameOf(ed->FileName);
    f.Ext = kep::ExtensionOf(ed->FileName);
    f.Police = kep::QStringToPath(ed->EditorFont().family());
    f.Taille = ed->EditorFont().pointSize() > 0 ? ed->EditorFont().pointSize() : 10;
    f.Styles = ed->Styles();
    const int cw = std::max(1, ed->CharWidth());
    for (int t = 0; t < 6; ++t)
        f.Tabs[std::size_t(t)] = std::uint16_t(std::clamp<long>(std::lround(double(ed->TabStop(t)) / cw), 0, 65535));
    f.Opts = (b.OemFile ? kep::optConvDos : 0) | (ed->AutoSave ? kep::optAutoSave : 0)
             | (ed->AutoLoad ? kep::optAutoLoad : 0) | (b.ReadOnly ? kep::optReadOnly : 0)
             | (b.CleanEol ? kep::optClrEol : 0);
    f.Backup = std::clamp(ed->Backup, 0, kep::MaxBackups);

    kep::TEcrParamFich dlg(this);
    dlg.ModeFichier();
    dlg.Remplit(f);
    dlg.OnApplStyles = [this](const std::string& ext, const kep::TStyleTable& styles) { AppliqueStyles(ext, styles); };
    if (!ExecDialog(dlg))
        return;
    // The dialog may have closed the file meanwhile (it cannot, but a test
    // hook could): look the editor up again.
    if (Sources_->Entry(entry) != pg)
        return;
    const kep::TInfosFich r = dlg.Resultat();
    QFont font = PoliceDe(r);
    if (r.Police == f.Police && r.Taille == f.Taille)
        font = ed->EditorFont(); // keeps what the font dialog chose
    ed->SetEditorFont(font);
    ed->SetStyles(r.Styles);
    ed->SetTabStops(std::vector<int>(r.Tabs.begin(), r.Tabs.end()));
    MajReglette();
    const bool oem = r.Opts & kep::optConvDos;
    if (oem != b.OemFile) {
        b.OemFile = oem;
        // Written again in the other code page.
        b.SetModified(true);
    }
    b.CleanEol = r.Opts & kep::optClrEol;
    ed->AutoSave = r.Opts & kep::optAutoSave;
    ed->AutoLoad = r.Opts & kep::optAutoLoad;
    const bool ro = r.Opts & kep::optReadOnly;
    if (!ro && b.HoldsNul() && b.ReadOnly)
        ShowMessage(QStringLiteral("Ce fichier contient des octets nuls : il reste en lecture seule."));
    else
        b.ReadOnly = ro;
    ed->Backup = std::clamp(r.Backup, 0, kep::MaxBackups);
    Sources_->viewport()->update();
    if (ed == EditeurCourant())
        ModifiedToggled();
}

void TEcrPrin::ProprietesVue(int entry)
{
    TInfPage* pg = Sources_->Entry(entry);
    if (!pg)
        return;
    TEditeur* ed = pg->Editor;
    TTextBuffer& b = ed->Buffer();
    const TEditView* v = b.GetView(pg->View);
    if (!v)
        return;
    kep::TEcrEditVue dlg(this);
    dlg.Remplit(kep::PathToQString(kep::FileNameOf(ed->FileName)), Sources_->Text(entry), *v);
    if (!ExecDialog(dlg) || Sources_->Entry(entry) != pg)
        return;
    TEditView* view = b.GetView(pg->View);
    view->ViewMinLine = dlg.Debut();
    view->ViewMaxLine = dlg.Fin();
    // Re-activated so that the scroll range and the margin follow.
    if (pg == PageCourante && b.ActiveView() == pg->View) {
        b.SelectView(pg->View);
        b.SetTopLine(b.View().TopLine);
    }
    // An emptied name gives the view its generated name back.
    const QString nom = dlg.Nom();
    Sources_->SetText(entry, !nom.isEmpty() ? nom
                                            : kep::PathToQString(kep::EntryName(ed->FileName, pg->View,
                                                                                b.ViewCount())));
    Sources_->viewport()->update();
    RafraichitCRef();
}

void TEcrPrin::AppliqueStyles(const std::string& ext, const kep::TStyleTable& styles)
{
    // A file without extension matches the dialog's bare ".".
    auto norm = [](std::string e) { return e == "." ? std::string() : kep::UpperAscii(std::move(e)); };
    for (int i = 0; i < Sources_->Count(); ++i) {
        const TInfPage* pg = Sources_->Entry(i);
        if (pg->View == 0 && kep::ExtensionOf(pg->Editor->FileName) == norm(ext))
            pg->Editor->SetStyles(styles);
    }
}
