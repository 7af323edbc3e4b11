// The menus Edition and Sélection and the fixed part of the editor popup:
// code-page conversion, date and time, comment blocks, reversed lines,
// markers and the occurrence jumps. Each text change is one undo step.
#include "app/UE_Prin.h"

#include "app/U_TexteLignes.h"
#include "editor/U_Edit.h"
#include "platform/CodePage.h"
#include "platform/QtText.h"

#include <QDateTime>
#include <QLocale>
#include <QMenu>

namespace {

// Spaces a locale puts in its formats that the single-byte pages lack.
QString PlainSpaces(QString s)
{
    s.replace(QChar(0x202F), QLatin1Char(' '));
    s.replace(QChar(0x2009), QLatin1Char(' '));
    return s;
}

std::vector<std::string> LinesOf(const TTextBuffer& b, std::int32_t first, std::int32_t count)
{
    std::vector<std::string> lines;
    lines.reserve(std::size_t(count));
    for (std::int32_t i = first; i < first + count; ++i)
        lines.push_back(b.GetLine(i));
    return lines;
}

} // namespace

QString TexteDate(const QLocale& locale, const QDateTime& when)
{
    return PlainSpaces(locale.toString(when.date(), QLocale::ShortFormat));
}

QString TexteHeure(const QLocale& locale, const QDateTime& when)
{
    // Hours and minutes in the user's own way of writing them.
    return PlainSpaces(locale.toString(when.time(), QLocale::ShortFormat));
}

void TEcrPrin::CreeEdition()
{
    connect(Action("ME_Dos2Win"), &QAction::triggered, this, [this] { ConvertitTexte(true); });
    connect(Action("ME_Win2Dos"), &QAction::triggered, this, [this] { ConvertitTexte(false); });
    connect(Action("ME_InsDate"), &QAction::triggered, this, [this] { InsereDateHeure(false); });
    connect(Action("ME_InsHeure"), &QAction::triggered, this, [this] { InsereDateHeure(true); });
    for (const char* name : {"MS_MetRem", "PM_E_MetRem"})
        connect(Action(name), &QAction::triggered, this, [this] {
            ChangeLignesSelection([this](const std::vector<std::string>& l) {
                return kep::MetEnRemarque(l, Cfg_->Data.SymbRem);
            });
        });
    for (const char* name : {"MS_OteRem", "PM_E_OteRem"})
        connect(Action(name), &QAction::triggered, this, [this] {
            ChangeLignesSelection([this](const std::vector<std::string>& l) {
                return kep::OteRemarque(l, Cfg_->Data.SymbRem);
            });
        });
    connect(Action("MS_InvLignes"), &QAction::triggered, this,
            [this] { ChangeLignesSelection(&kep::InverseLignes); });
    connect(Menu("PM_E_Marqueur"), &QMenu::aboutToShow, this, &TEcrPrin::MajMarqueurs);
}

bool TEcrPrin::ChangeLignes(std::int32_t first, std::int32_t count, const TTransfoLignes& f)
{
    TEditeur* ed = EditeurCourant();
    if (!ed || count <= 0)
        return false;
    TTextBuffer& b = ed->Buffer();
    return b.ReplaceLines(first, count, f(LinesOf(b, first, count)));
}

bool TEcrPrin::ChangeLignesSelection(const TTransfoLignes& f)
{
    const TEditeur* ed = EditeurCourant();
    if (!ed)
        return false;
    const kep::TPlageLignes r = kep::LignesSelectionnees(ed->Buffer().GetSelStart(), ed->Buffer().GetSelEnd());
    return ChangeLignes(r.Premiere, r.Nombre(), f);
}

bool TEcrPrin::ChangeTexte(const TTransfoLignes& f)
{
    const TEditeur* ed = EditeurCourant();
    return ed && ChangeLignes(0, ed->Buffer().LineCount(), f);
}

void TEcrPrin::ConvertitTexte(bool versWindows)
{
    TEditeur* ed = EditeurCourant();
    if (!ed)
        return;
    TTextBuffer& b = ed->Buffer();
    std::vector<std::string> lines = LinesOf(b, 0, b.LineCount());
    for (std::string& l : lines)
        l = versWindows ? kep::OemToAnsiLookAlike(l) : kep::AnsiToOemLookAlike(l);
    // After "Dos -> win" the text is written back in the OEM page.
    b.SetCodePageText(lines, versWindows);
}

void TEcrPrin::InsereDateHeure(bool heure)
{
    TEditeur* ed = EditeurCourant();
    if (!ed || ed->Buffer().ReadOnly)
        return;
    const QDateTime now = QDateTime::currentDateTime();
    const QString text = heure ? TexteHeure(QLocale::system(), now) : TexteDate(QLocale::system(), now);
    ed->Buffer().ReplaceSelectionBy(kep::Utf16ToText(text.toStdU16String(), ed->Buffer().OemFile));
}

void TEcrPrin::MajMarqueurs()
{
    const TEditeur* ed = EditeurCourant();
    for (int n = 0; n < 10; ++n) {
        QAction* a = Action(QStringLiteral("PM_E_M%1").arg(n).toLatin1().constData());
        QString caption = QString::number(n);
        const TTextPos m = ed ? ed->Buffer().GetMarker(n) : TTextPos{-1, 0};
        if (ed && m.Line >= 0 && m.Line < ed->Buffer().LineCount()) {
            QString text = kep::TextToQString(ed->Buffer().GetLine(m.Line), ed->Buffer().OemFile);
            // A tab would start the shortcut column, an ampersand a mnemonic.
            text.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('&'), QStringLiteral("&&"));
            caption += QLatin1Char(':') + text;
        }
        a->setText(caption);
    }
}

void TEcrPrin::VaOccurrence(TEditeur* ed, int line, const std::string& word)
{
    TTextBuffer& b = ed->Buffer();
    const std::int32_t l = line - 1;
    if (l < 0 || l >= b.LineCount())
        return;
    b.ShowLine(l);
    const std::size_t p = b.GetLine(l).find(word);
    if (p == std::string::npos || word.empty())
        return;
    const auto col = std::int32_t(p) + 1;
    const std::int32_t end = col + std::int32_t(word.size());
    b.SetSelection(l, col, end, l);
    // The caret goes with the selection, so that the keys go on from there.
    b.SetAnchor(TTextPos{l, col});
    b.SetCaret(TTextPos{l, end});
    ed->viewport()->update();
}
