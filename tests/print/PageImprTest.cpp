// One printed page: rendered into a real PDF and read back with poppler, or
// into an image where ink matters (bold, the right edge).
#include "editor/PageImpr.h"
#include "editor/TextBuffer.h"
#include "print/PdfProbe.h"
#include "platform/CodePage.h"
#include "support/TestDir.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

QFont Police()
{
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setPointSize(10);
    return f;
}

// A text with the editor's default metrics: 8 px cells, stops at 14, 23,
// 41... columns.
void Remplit(TTextBuffer& b, const std::string& text)
{
    b.SetAllText(text);
}

// Prints pages of `b` into `pdf` (A4, 72 dpi so that pixels are points),
// each page from `first`, `perPage` lines, between 36 pt margins.
struct TPdfJob {
    int Pages = 0;
    int Printed = 0;
    int LastPage = 0;
    double Cell = 0;
};

TPdfJob ImprimePdf(const TTextBuffer& b, const std::string& pdf, std::int32_t first, std::int32_t count,
                   int numWidth, int pageNumber, int right = 595 - 36)
{
    QPdfWriter w(QString::fromStdString(pdf));
    w.setResolution(72);
    w.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    QPainter p(&w);
    p.setFont(Police());
    TPdfJob job;
    const QFontMetricsF fm(Police(), &w);
    job.Cell = fm.horizontalAdvance(QLatin1Char('W'));
    TPageImpr page;
    page.Ligne = first;
    page.Canvas = &p;
    page.Gauche = 36;
    page.Haut = 36;
    page.Droite = right;
    page.Bas = 842 - 36;
    page.HauteurLigne = int(std::ceil(fm.height()));
    page.LargeurNum = numWidth;
    page.NumPage = pageNumber;
    const int perPage = (page.Bas - page.Haut) / page.HauteurLigne;
    std::int32_t left = count;
    while (left > 0) {
        page.Compte = std::min(left, perPage);
        const int n = ImprimePage(b, page);
        job.Printed += n;
        left -= n;
        ++job.Pages;
        if (n == 0)
            break;
        if (left > 0)
            w.newPage();
    }
    job.LastPage = page.NumPage;
    p.end();
    return job;
}

// Dark pixels in a rectangle of an image.
int Encre(const QImage& img, QRect r)
{
    int n = 0;
    r = r.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(img.pixel(x, y)) < 128)
                ++n;
    return n;
}

} // namespace

TEST(PageImpr, LineNumbersPageNumbersAndPagesReadBack)
{
    TTestDir dir;
    TTextBuffer b;
    std::string text;
    for (int i = 1; i <= 130; ++i)
        text += "ligne" + std::to_string(i) + (i < 130 ? "\r\n" : "");
    Remplit(b, text);
    const std::string pdf = dir.Path("p.pdf");
    const TPdfJob job = ImprimePdf(b, pdf, 0, 130, 4, 1);
    ASSERT_EQ(pdfprobe::Pages(pdf), job.Pages);
    ASSERT_GE(job.Pages, 2);
    EXPECT_EQ(job.Printed, 130);
    EXPECT_EQ(job.LastPage, job.Pages + 1);

    // Page numbers at the top right of every page, on the first line's baseline.
    for (int page = 1; page <= job.Pages; ++page) {
        const auto words = pdfprobe::Words(pdf, page);
        const pdfprobe::TWord* label = pdfprobe::Find(words, "Page");
        ASSERT_TRUE(label) << page;
        const pdfprobe::TWord* num = nullptr;
        for (const auto& w : words)
            if (w.XMin > label->XMax && std::abs(w.YMax - label->YMax) < 0.5)
                num = &w;
        ASSERT_TRUE(num) << page;
        EXPECT_EQ(num->Text, std::to_string(page));
        EXPECT_NEAR(num->XMax, 595 - 36, 1.0) << page;
        ASSERT_FALSE(words.empty());
        EXPECT_NEAR(label->YMax, words[0].YMax, 0.5);
    }
    // The numbers right-aligned in four cells; the text one cell after them.
    const auto first = pdfprobe::Words(pdf, 1);
    const pdfprobe::TWord* one = pdfprobe::Find(first, "1");
    const pdfprobe::TWord* ligne1 = pdfprobe::Find(first, "ligne1");
    ASSERT_TRUE(one && ligne1);
    EXPECT_NEAR(one->XMax, 36 + 4 * job.Cell, 0.5);
    EXPECT_NEAR(ligne1->XMin, 36 + 5 * job.Cell, 0.5);
    const std::string last = pdfprobe::Text(pdf, job.Pages) + pdfprobe::Text(pdf, 1);
    EXPECT_NE(last.find("130 ligne130"), std::string::npos) << last;
    // Right-aligned: 9 and 10 end where 1 ends.
    for (const auto& w : first) {
        if (w.Text == "9" || w.Text == "10") {
            EXPECT_NEAR(w.XMax, one->XMax, 0.5) << w.Text;
        }
    }

    // No numbers of either kind: the text starts at the margin, no header.
    const std::string bare = dir.Path("bare.pdf");
    const TPdfJob plain = ImprimePdf(b, bare, 0, 130, 0, 0);
    EXPECT_EQ(plain.LastPage, 0);
    for (int page = 1; page <= plain.Pages; ++page)
        EXPECT_EQ(pdfprobe::Text(bare, page).find("Page"), std::string::npos);
    const auto bareWords = pdfprobe::Words(bare, 1);
    const pdfprobe::TWord* w1 = pdfprobe::Find(bareWords, "ligne1");
    ASSERT_TRUE(w1);
    EXPECT_NEAR(w1->XMin, 36, 0.5);
}

TEST(PageImpr, RangesAreClampedAndThePageRecordAdvances)
{
    TTextBuffer b;
    Remplit(b, "a\r\nb\r\nc\r\nd\r\ne");
    QImage img(600, 400, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setFont(Police());
    TPageImpr page;
    page.Canvas = &p;
    page.Gauche = 10;
    page.Haut = 10;
    page.Droite = 590;
    page.Bas = 10 + 3 * 20; // three lines of 20 px
    page.HauteurLigne = 20;

    page.Ligne = -4;
    page.Compte = 100;
    EXPECT_EQ(ImprimePage(b, page), 3); // the bottom stops it
    EXPECT_EQ(page.Ligne, 3);
    EXPECT_EQ(page.NumPage, 0); // no number: stays 0
    page.Compte = 100;
    EXPECT_EQ(ImprimePage(b, page), 2); // only two lines are left
    EXPECT_EQ(page.Ligne, 5);
    EXPECT_EQ(page.Compte, 0);
    page.Compte = 1;
    EXPECT_EQ(ImprimePage(b, page), 0);
    page.Ligne = 0;
    page.Compte = 1;
    page.HauteurLigne = 0; // a font without height prints nothing
    EXPECT_EQ(ImprimePage(b, page), 0);
}

TEST(PageImpr, BoldMarkAnywhereInALineAndTheRightEdgeCuts)
{
    TTextBuffer b;
    // Same visible start on the first two lines; only the first holds ";**"
    // (inside a comment). The third runs far past the right edge.
    Remplit(b, "MMMMMMMM  ; commentaire ;** titre\r\nMMMMMMMM  ; commentaire ;*- titre\r\n" + std::string(300, 'M'));
    QImage img(800, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setFont(Police());
    const QFontMetricsF fm(Police(), &img);
    TPageImpr page;
    page.Canvas = &p;
    page.Gauche = 20;
    page.Haut = 10;
    page.Droite = 400;
    page.Bas = 190;
    page.HauteurLigne = int(std::ceil(fm.height()));
    page.Compte = 3;
    ASSERT_EQ(ImprimePage(b, page), 3);
    p.end();
    const int h = page.HauteurLigne;
    const int cells = int(8 * fm.horizontalAdvance(QLatin1Char('W')));
    const int boldInk = Encre(img, QRect(20, 10, cells, h));
    const int normalInk = Encre(img, QRect(20, 10 + h, cells, h));
    EXPECT_GT(boldInk, normalInk * 11 / 10) << boldInk << " " << normalInk;
    // The long line reaches the edge and nothing lies beyond it.
    EXPECT_GT(Encre(img, QRect(380, 10 + 2 * h, 20, h)), 0);
    EXPECT_EQ(Encre(img, QRect(401, 0, 399, 200)), 0);
}

TEST(PageImpr, TabsLandOnTheEditorStopsAndLongLinesAreCut)
{
    TTestDir dir;
    TTextBuffer b;
    // Default stops: 112, 184, 328 editor pixels = columns 14, 23, 41.
    Remplit(b, "\tA\r\nabc\tB\tC\r\n" + std::string(14, 'x') + "\tD\r\nlong" + std::string(200, 'Z') + "fin");
    const std::string pdf = dir.Path("tabs.pdf");
    const TPdfJob job = ImprimePdf(b, pdf, 0, 4, 0, 0);
    const auto words = pdfprobe::Words(pdf, 1);
    const double cell = job.Cell;
    const auto at = [&](const char* w) {
        const pdfprobe::TWord* f = pdfprobe::Find(words, w);
        return f ? f->XMin : -1.0;
    };
    EXPECT_NEAR(at("A"), 36 + 14 * cell, 0.5);
    EXPECT_NEAR(at("B"), 36 + 14 * cell, 0.5);
    EXPECT_NEAR(at("C"), 36 + 23 * cell, 0.5);
    // A tab right at a stop goes on to the next one.
    EXPECT_NEAR(at("D"), 36 + 23 * cell, 0.5);

    // The long line: cut at the margin, its end never printed, never wrapped.
    const std::string page = pdfprobe::Text(pdf, 1);
    EXPECT_EQ(page.find("fin"), std::string::npos);
    int lines = 0;
    for (char c : page)
        lines += c == '\n';
    EXPECT_LE(lines, 5);
    for (const auto& w : words)
        EXPECT_LE(w.XMax, 595 - 36 + cell) << w.Text;
}

TEST(PageImpr, TheFirstLineStopsShortOfThePageNumber)
{
    TTestDir dir;
    TTextBuffer b;
    Remplit(b, std::string(200, 'Q') + "\r\n" + std::string(200, 'R'));
    const std::string pdf = dir.Path("head.pdf");
    ImprimePdf(b, pdf, 0, 2, 0, 7);
    const auto words = pdfprobe::Words(pdf, 1);
    const pdfprobe::TWord* label = pdfprobe::Find(words, "Page");
    const pdfprobe::TWord* q = nullptr;
    const pdfprobe::TWord* r = nullptr;
    for (const auto& w : words) {
        if (w.Text[0] == 'Q')
            q = &w;
        if (w.Text[0] == 'R')
            r = &w;
    }
    ASSERT_TRUE(label && q && r);
    EXPECT_NE(pdfprobe::Find(words, "7"), nullptr);
    EXPECT_LT(q->XMax, label->XMin);
    // The next line uses the whole width.
    EXPECT_GT(r->XMax, label->XMin);

    // A page narrower than its number: the number starts at the margin,
    // where the clip leaves its start.
    const std::string narrow = dir.Path("narrow.pdf");
    ImprimePdf(b, narrow, 0, 2, 0, 7, 36 + 20);
    const auto narrowWords = pdfprobe::Words(narrow, 1);
    const pdfprobe::TWord* cut = pdfprobe::Find(narrowWords, "Page");
    ASSERT_TRUE(cut);
    EXPECT_NEAR(cut->XMin, 36, 0.5);
}

TEST(PageImpr, CodePagesPrintAsShown)
{
    TTestDir dir;
    TTextBuffer b;
    // "é" in Windows-1252, then an OEM (850) file with its line drawing.
    Remplit(b, "d\xE9j\xE0");
    const std::string pdf = dir.Path("cp.pdf");
    ImprimePdf(b, pdf, 0, 1, 0, 0);
    EXPECT_NE(pdfprobe::Text(pdf, 1).find("déjà"), std::string::npos);
    TTextBuffer oem;
    Remplit(oem, "caf\xE9 " + kep::Utf16ToText(u"\u2500\u2502", true));
    oem.OemFile = true;
    const std::string pdf2 = dir.Path("oem.pdf");
    ImprimePdf(oem, pdf2, 0, 1, 0, 0);
    EXPECT_NE(pdfprobe::Text(pdf2, 1).find("café ─│"), std::string::npos) << pdfprobe::Text(pdf2, 1);
}
