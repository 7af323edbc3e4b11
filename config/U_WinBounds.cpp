#include "config/U_WinBounds.h"

#include <QGuiApplication>
#include <algorithm>
#include <QScreen>
#include <QWidget>

namespace kep {

namespace {

QRect Limits()
{
    QRect area;
    for (const QScreen* s : QGuiApplication::screens())
        area = area.united(s->virtualGeometry());
    if (area.isEmpty())
        area = QRect(0, 0, 4096, 4096);
    return area;
}

// Keeps sizes within the desktop and the origin within reach of it.
TBounds Sane(TBounds b)
{
    const QRect area = Limits();
    const int maxW = std::max(area.width(), 1), maxH = std::max(area.height(), 1);
    b.Width = std::clamp(b.Width, 1, maxW);
    b.Height = std::clamp(b.Height, 1, maxH);
    b.Left = std::clamp(b.Left, area.left() - b.Width + 1, area.right());
    b.Top = std::clamp(b.Top, area.top(), area.bottom());
    return b;
}

void Apply(QWidget* form, const TBounds& b)
{
    // Bounds are the outer frame, as the window manager places it.
    form->move(b.Left, b.Top);
    const QRect frame = form->frameGeometry(), inner = form->geometry();
    const int dw = frame.width() - inner.width(), dh = frame.height() - inner.height();
    form->resize(std::max(b.Width - dw, 1), std::max(b.Height - dh, 1));
}

} // namespace

bool SaveBounds(TIniFilePlus& ini, std::string_view section, const QWidget* form)
{
    const QRect r = form->frameGeometry();
    return ini.WriteBounds(section, TBounds{r.x(), r.y(), r.width(), r.height()});
}

void RestoreBounds(TIniFilePlus& ini, std::string_view section, QWidget* form, const QRect& def)
{
    TBounds b;
    if (ini.ReadBounds(section, b)) {
        Apply(form, Sane(b));
        return;
    }
    b = ini.ReadLegacyBounds(section, TBounds{def.x(), def.y(), def.width(), def.height()});
    Apply(form, Sane(b));
    if (ini.HasLegacyBounds(section))
        ini.DeleteLegacyBounds(section);
}

void RestorePosition(const TIniFilePlus& ini, std::string_view section, QWidget* form)
{
    TBounds b;
    if (!ini.ReadBounds(section, b))
        return;
    const QRect area = Limits();
    form->move(std::clamp(b.Left, area.left() - form->frameGeometry().width() + 1, area.right()),
               std::clamp(b.Top, area.top(), area.bottom()));
}

} // namespace kep
