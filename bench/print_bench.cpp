// Printing a 100,000-line source: the page loop (the editor's page drawing
// into the PDF printer's engine) against the same lines drawn with plain
// QPainter::drawText calls into the same kind of writer, so the ratio shows
// what tabs, numbering, bold marks and cutting cost over the engine alone.
#include "editor/PageImpr.h"
#include "editor/TextBuffer.h"
#include "support/RatioMain.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cmath>
#include <string>

namespace {

constexpr int kLines = 100000;

const std::string& Source()
{
    static const std::string text = [] {
        std::string t;
        for (int i = 0; i < kLines; ++i) {
            if (i % 50 == 0)
                t += ";** Section " + std::to_string(i / 50) + " ************************************\r\n";
            else
                t += "lab" + std::to_string(i) + "\tmovlw\t0x" + std::to_string(i % 100) + "\t\t; commentaire " +
                     std::to_string(i) + "\r\n";
        }
        return t;
    }();
    return text;
}

QFont Police()
{
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setPointSize(10);
    return f;
}

// A PDF writer at 1200 dpi on A4 with a painter in the printing font.
struct TWriter {
    QTemporaryDir Dir;
    QPdfWriter Writer;
    QPainter Painter;
    int LineHeight = 0;
    double Ascent = 0;
    TWriter() : Writer(Dir.filePath(QStringLiteral("b.pdf")))
    {
        Writer.setResolution(1200);
        Writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        Painter.begin(&Writer);
        Painter.setFont(Police());
        const QFontMetricsF fm(Police(), &Writer);
        LineHeight = int(std::ceil(fm.height()));
        Ascent = fm.ascent();
    }
};

constexpr int kLeft = 236, kTop = 236, kRight = 9917 - 236, kBottom = 14033 - 236;

void Report(benchmark::State& state, int pages)
{
    state.counters["pages/s"] = benchmark::Counter(double(pages) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_PrintLines(benchmark::State& state)
{
    TTextBuffer b;
    b.SetAllText(Source());
    int pages = 0;
    for (auto _ : state) {
        TWriter w;
        TPageImpr page;
        page.Canvas = &w.Painter;
        page.Gauche = kLeft;
        page.Haut = kTop;
        page.Droite = kRight;
        page.Bas = kBottom;
        page.HauteurLigne = w.LineHeight;
        page.LargeurNum = 6;
        page.NumPage = 1;
        const int perPage = (kBottom - kTop) / w.LineHeight;
        int left = b.LineCount();
        pages = 0;
        while (left > 0) {
            page.Compte = std::min(left, perPage);
            left -= ImprimePage(b, page);
            ++pages;
            if (left > 0)
                w.Writer.newPage();
        }
        w.Painter.end();
    }
    Report(state, pages);
}

// The floor: each line converted and drawn at once, no tabs, numbers or cut.
void BM_DrawTextFloor(benchmark::State& state)
{
    TTextBuffer b;
    b.SetAllText(Source());
    int pages = 0;
    for (auto _ : state) {
        TWriter w;
        const int perPage = (kBottom - kTop) / w.LineHeight;
        pages = 0;
        for (int i = 0; i < b.LineCount();) {
            for (int n = 0; n < perPage && i < b.LineCount(); ++n, ++i)
                w.Painter.drawText(QPointF(kLeft, kTop + n * w.LineHeight + w.Ascent),
                                   QString::fromLatin1(b.GetLine(i)));
            ++pages;
            if (i < b.LineCount())
                w.Writer.newPage();
        }
        w.Painter.end();
    }
    Report(state, pages);
}

BENCHMARK(BM_PrintLines)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawTextFloor)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return kepbench::RunWithRatios(argc, argv, {{"BM_PrintLines/iterations:2/real_time", "BM_DrawTextFloor/iterations:2/real_time"}});
}
