#include "editor/PageImpr.h"

#include "editor/TextBuffer.h"
#include "platform/QtText.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Characters of `s` drawn when starting at x with `limit` as the right edge
// (the run stops after the character that crosses the edge), and their width.
qsizetype CharsToLimit(const QFontMetricsF& fm, const QString& s, double x, double limit, double& width)
{
    width = fm.horizontalAdvance(s);
    if (x + width <= limit)
        return s.size();
    width = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        width += fm.horizontalAdvance(s.at(i));
        if (x + width > limit)
            return i + 1;
    }
    return s.size();
}

} // namespace

int ImprimePage(const TTextBuffer& text, TPageImpr& page)
{
    QPainter* p = page.Canvas;
    if (!p || page.HauteurLigne <= 0)
        return 0;
    // 1.
    page.Ligne = std::max(page.Ligne, std::int32_t(0));
    page.Compte = std::clamp(page.Compte, std::int32_t(0), std::max(text.LineCount() - page.Ligne, std::int32_t(0)));

    const QFont normal = p->font();
    QFont bold = normal;
    bold.setBold(true);
    const QFontMetricsF fm(normal, p->device());
    const QFontMetricsF fmBold(bold, p->device());
    const double cell = fm.horizontalAdvance(QLatin1Char('W'));
    const double ascent = fm.ascent();
    const int editorCell = std::max(text.Metrics().CharWidth, 1);
    const auto& stops = text.Metrics().TabStops;

    p->save();
    p->setPen(Qt::black);
    p->setClipRect(QRect(page.Gauche, page.Haut, page.Droite - page.Gauche, page.Bas - page.Haut));

    // 2. The page number shares the first line; that line stops short of it.
    double firstLimit = page.Droite;
    if (page.NumPage > 0) {
        const QString label = QStringLiteral("Page ") + QString::number(page.NumPage);
        const double w = fm.horizontalAdvance(label);
        // Never left of the margin, where the clip would eat its start.
        p->drawText(QPointF(std::max(page.Droite - w, double(page.Gauche)), page.Haut + ascent), label);
        firstLimit = page.Droite - w - cell;
    }

    // 3.
    const double origin = page.Gauche + (page.LargeurNum > 0 ? (page.LargeurNum + 1) * cell : 0.0);

    // 4.
    int printed = 0;
    bool isBold = false;
    double y = page.Haut;
    while (printed < page.Compte && y + page.HauteurLigne <= page.Bas) {
        const std::int32_t index = page.Ligne + printed;
        const std::string& line = text.GetLine(index);
        const bool wantBold = line.find(";**") != std::string::npos;
        if (wantBold != isBold) {
            p->setFont(wantBold ? bold : normal);
            isBold = wantBold;
        }
        const QFontMetricsF& m = isBold ? fmBold : fm;
        const double baseline = y + ascent;
        if (page.LargeurNum > 0) {
            const QString num = QString::number(index + 1);
            p->drawText(QPointF(page.Gauche + page.LargeurNum * cell - m.horizontalAdvance(num), baseline), num);
        }
        const double limit = printed == 0 ? firstLimit : page.Droite;
        double x = origin;
        std::size_t pos = 0;
        while (pos <= line.size() && x < limit) {
            std::size_t tab = line.find('\t', pos);
            const std::size_t end = tab == std::string::npos ? line.size() : tab;
            if (end > pos) {
                QString run = kep::TextToQString(std::string_view(line).substr(pos, end - pos), text.OemFile);
                double width = 0;
                const qsizetype n = CharsToLimit(m, run, x, limit, width);
                const bool cut = n < run.size();
                if (cut)
                    run.truncate(n);
                p->drawText(QPointF(x, baseline), run);
                x += width;
                if (cut)
                    break;
            }
            if (tab == std::string::npos)
                break;
            // The editor's next stop after this position, in printer pixels.
            const int col = int(std::lround((x - origin) * editorCell / cell));
            auto it = std::upper_bound(stops.begin(), stops.end(), col);
            const int next = it != stops.end() ? *it : col + 2 * editorCell;
            x = origin + double(next) * cell / editorCell;
            pos = tab + 1;
        }
        ++printed;
        y += page.HauteurLigne;
    }
    p->restore();
    page.Ligne += printed;
    page.Compte -= printed;
    if (page.NumPage > 0)
        ++page.NumPage;
    return printed;
}
