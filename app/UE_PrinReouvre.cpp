// The main window's reopen list: a file goes on it once it has closed, and
// comes back from it with its view and markers.
#include "app/UE_Prin.h"

#include "editor/UC_Sources.h"
#include "editor/U_Edit.h"

#include <QAction>
#include <QFile>
#include <QMenu>

std::optional<kep::TReopenItem> TEcrPrin::ItemReouvre(int index) const
{
    const TInfPage* pg = Sources_->Entry(index);
    if (!pg || pg->Editor->Buffer().ViewCount() != 1 || pg->Editor->FileName.empty())
        return std::nullopt;
    TTextBuffer& b = pg->Editor->Buffer();
    kep::TReopenItem item;
    item.Path = pg->Editor->FileName;
    item.View = *b.GetView(pg->View);
    for (int m = 0; m < 10; ++m)
        item.Markers[std::size_t(m)] = b.GetMarker(m);
    return item;
}

void TEcrPrin::MemoReouvre(kep::TReopenItem item)
{
    Reopen_.PushTop(item.Path) = std::move(item);
    MajReouvre();
}

bool TEcrPrin::FermeEtMemorise(int index)
{
    // Taken before the entry goes, kept only once it has really gone: a
    // cancelled question leaves the file open and off the list.
    std::optional<kep::TReopenItem> item = ItemReouvre(index);
    if (!FermePage(index, true))
        return false;
    if (item)
        MemoReouvre(std::move(*item));
    return true;
}

void TEcrPrin::Reouvre(int i)
{
    if (i < 0 || i >= int(Reopen_.Size()))
        return;
    const kep::TReopenItem item = Reopen_.Items()[std::size_t(i)];
    Reopen_.Remove(i);
    MajReouvre();
    OuvreFichier(item.Path);
    if (!PageCourante)
        return;
    TTextBuffer& b = PageCourante->Editor->Buffer();
    if (TEditView* v = b.GetView(PageCourante->View)) {
        *v = item.View;
        v->Caret = b.ClampPos(v->Caret);
        v->SelStart = b.ClampPos(v->SelStart);
        v->SelEnd = b.ClampPos(v->SelEnd);
    }
    if (PageCourante->View == 0)
        for (int m = 0; m < 10; ++m)
            if (item.Markers[std::size_t(m)].Line >= 0 && b.GetMarker(m) != b.ClampPos(item.Markers[std::size_t(m)]))
                b.ToggleMarker(m, b.ClampPos(item.Markers[std::size_t(m)]));
    b.SelectView(PageCourante->View);
    b.SetTopLine(b.View().TopLine);
    CaretMoved();
}

void TEcrPrin::MajReouvre()
{
    MF_ReOuvre->clear();
    const auto& items = Reopen_.Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        QString caption = QFile::decodeName(QByteArray::fromStdString(items[i].Path));
        QAction* a = MF_ReOuvre->addAction(caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
        a->setObjectName(QStringLiteral("MF_Reouvre%1").arg(i));
        const int index = int(i);
        connect(a, &QAction::triggered, this, [this, index] { Reouvre(index); });
    }
    MF_ReOuvre->menuAction()->setEnabled(!items.empty());
}
