// The terminal's modem lamps and its blocs of character buttons.
#include "serial/BlocBtn.h"
#include "serial/LED.h"

#include <QHBoxLayout>
#include <QImage>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <vector>

using namespace kep;

namespace {

// Counts paints, to tell a state change that is never shown.
class CountingLED : public TLED {
public:
    int Paints = 0;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        ++Paints;
        TLED::paintEvent(e);
    }
};

class OpenLEDLabel : public TLEDLabel {
public:
    using TLEDLabel::TLEDLabel;
    using TLEDLabel::LampRect;
};

// Below right of the middle, clear of the reflection: the lamp's own colour.
QColor BodyOf(QWidget& w, const QRect& lamp)
{
    return w.grab().toImage().pixelColor(lamp.center() + QPoint(lamp.width() / 5, lamp.height() / 5));
}

int Brightness(const QColor& c)
{
    return c.red() + c.green() + c.blue();
}

QPoint Middle(QToolButton* b)
{
    return b->rect().center();
}

void Click(TBlocBtn& bloc, int index)
{
    QTest::mouseClick(bloc.Button(index), Qt::LeftButton, {}, Middle(bloc.Button(index)));
}

std::vector<int> DownButtons(const TBlocBtn& bloc)
{
    std::vector<int> down;
    for (int i = 0; i < bloc.BtnNumber(); ++i) {
        if (bloc.IsDown(i))
            down.push_back(i);
    }
    return down;
}

// A shown bloc of n buttons, as the terminal has them.
struct Bloc {
    TBlocBtn bloc;
    explicit Bloc(int n, TBtnDownMode mode = dmNone)
    {
        bloc.SetBtnNumber(n);
        bloc.SetBtnDownMode(mode);
        bloc.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&bloc));
    }
};

} // namespace

// --- lamps ---

TEST(Led, ReportsOnlyRealStateChanges)
{
    TLED led;
    int calls = 0;
    bool seen = false;
    led.OnChangeState = [&](TLED& l) {
        ++calls;
        seen = l.Lit();
    };
    EXPECT_FALSE(led.Lit());
    led.SetLit(false);
    EXPECT_EQ(calls, 0);

    led.SetLit(true);
    EXPECT_TRUE(led.Lit());
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(seen); // the handler sees the new state
    led.SetLit(true);
    EXPECT_EQ(calls, 1);

    led.SetLit(false);
    EXPECT_FALSE(led.Lit());
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(seen);
}

TEST(Led, RepaintsWhenItsStateChanges)
{
    CountingLED led;
    led.resize(led.sizeHint());
    led.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&led));
    ASSERT_TRUE(QTest::qWaitFor([&] { return led.Paints > 0; }));
    QTest::qWait(20); // let the first paints settle

    const int before = led.Paints;
    led.SetLit(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return led.Paints > before; }, 2000));

    const int lit = led.Paints;
    led.SetColor(lcGreen);
    EXPECT_TRUE(QTest::qWaitFor([&] { return led.Paints > lit; }, 2000));
}

TEST(Led, DrawsItsColourBrightWhenLitAndDullWhenOff)
{
    TLED led;
    EXPECT_EQ(led.sizeHint(), QSize(14, 14));
    led.resize(28, 28);
    const QRect lamp(0, 0, 28, 28);

    for (TLEDColor color : {lcRed, lcGreen, lcYellow}) {
        SCOPED_TRACE(int(color));
        led.SetColor(color);
        led.SetLit(true);
        const QColor on = BodyOf(led, lamp);
        led.SetLit(false);
        const QColor off = BodyOf(led, lamp);
        EXPECT_GT(Brightness(on), Brightness(off) + 100);
        switch (color) {
        case lcRed:
            EXPECT_GT(on.red(), 2 * on.green());
            EXPECT_GT(off.red(), off.green());
            break;
        case lcGreen:
            EXPECT_GT(on.green(), 2 * on.red());
            EXPECT_GT(off.green(), off.red());
            break;
        case lcYellow:
            EXPECT_GT(on.red(), 2 * on.blue());
            EXPECT_GT(on.green(), 2 * on.blue());
            EXPECT_GT(off.green(), off.blue());
            break;
        }
    }
    // The rim is darker than the middle: the lamp looks round.
    led.SetColor(lcRed);
    led.SetLit(true);
    const QImage img = led.grab().toImage();
    EXPECT_LT(Brightness(img.pixelColor(14, 27)), Brightness(img.pixelColor(14, 14)));
    // Outside the circle the parent shows through.
    EXPECT_EQ(img.pixelColor(0, 0), led.palette().color(QPalette::Window));
}

TEST(LedLabel, SizeHintFitsLampAndCaption)
{
    OpenLEDLabel label(QStringLiteral("DSR"));
    EXPECT_EQ(label.Alignment(), caRight);
    const QFontMetrics fm(label.font());
    const QSize right = label.sizeHint();
    EXPECT_GE(right.width(), 14 + fm.horizontalAdvance(QStringLiteral("DSR")) + 2);
    EXPECT_GE(right.height(), std::max(14, fm.height()));

    label.SetCaption(QStringLiteral("DSR et CTS"));
    EXPECT_GT(label.sizeHint().width(), right.width());
    EXPECT_EQ(label.sizeHint().height(), right.height());
    label.SetCaption(QStringLiteral("DSR"));
    EXPECT_EQ(label.sizeHint(), right);

    label.SetAlignment(caLeft);
    EXPECT_EQ(label.sizeHint(), right);

    for (TCaptionAlign a : {caTop, caBottom}) {
        label.SetAlignment(a);
        const QSize stacked = label.sizeHint();
        EXPECT_GT(stacked.height(), right.height());
        EXPECT_LT(stacked.width(), right.width());
        EXPECT_GE(stacked.height(), 14 + fm.height() + 2);
        EXPECT_GE(stacked.width(), fm.horizontalAdvance(QStringLiteral("DSR")));
    }

    // A bigger font makes room for itself.
    label.SetAlignment(caRight);
    QFont big = label.font();
    big.setPointSizeF(big.pointSizeF() * 2);
    label.setFont(big);
    EXPECT_GT(label.sizeHint().width(), right.width());
}

TEST(LedLabel, PlacesTheLampOnTheOtherSideOfTheCaption)
{
    OpenLEDLabel label(QStringLiteral("CTS"));
    label.SetLit(true);
    struct Case {
        TCaptionAlign align;
        bool lampFirstX, lampFirstY, horizontal;
    };
    for (const Case c : {Case{caRight, true, false, true}, Case{caLeft, false, false, true},
                         Case{caBottom, false, true, false}, Case{caTop, false, false, false}}) {
        SCOPED_TRACE(int(c.align));
        label.SetAlignment(c.align);
        label.resize(label.sizeHint());
        const QRect lamp = label.LampRect();
        EXPECT_EQ(lamp.size(), QSize(14, 14));
        EXPECT_TRUE(label.rect().contains(lamp));
        if (c.horizontal) {
            if (c.lampFirstX) {
                EXPECT_EQ(lamp.left(), 0);
            } else {
                EXPECT_EQ(lamp.right(), label.width() - 1);
            }
        } else if (c.lampFirstY) {
            EXPECT_EQ(lamp.top(), 0);
        } else {
            EXPECT_EQ(lamp.bottom(), label.height() - 1);
        }
        // The lamp is drawn where it is said to be.
        const QColor body = BodyOf(label, lamp);
        EXPECT_GT(body.red(), 2 * body.green());
    }
}

// --- button blocs ---

TEST(BlocBtn, CaptionsAndTagsFollowFirstChar)
{
    TBlocBtn bloc;
    EXPECT_EQ(bloc.BtnNumber(), 0);
    EXPECT_EQ(bloc.BtnIndex(), -1);
    EXPECT_EQ(bloc.Button(0), nullptr);
    EXPECT_EQ(bloc.Tag(0), -1);

    bloc.SetBtnNumber(16);
    ASSERT_EQ(bloc.BtnNumber(), 16);
    const char* low[] = {"00", "01", "02", "03", "04", "05", "06", "07",
                         "08", "09", "0A", "0B", "0C", "0D", "0E", "0F"};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(bloc.Button(i)->text(), QLatin1String(low[i])) << i;
        EXPECT_EQ(bloc.Tag(i), i);
    }
    EXPECT_EQ(bloc.Button(16), nullptr);
    EXPECT_EQ(bloc.Tag(16), -1);
    EXPECT_EQ(bloc.Tag(-1), -1);

    bloc.SetFirstChar(0x10);
    EXPECT_EQ(bloc.FirstChar(), 0x10);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(bloc.Button(i)->text(), QStringLiteral("1%1").arg(QLatin1Char("0123456789ABCDEF"[i]))) << i;
        EXPECT_EQ(bloc.Tag(i), 0x10 + i);
    }
    EXPECT_EQ(bloc.Button(15)->text(), QStringLiteral("1F"));

    // Growing labels the new buttons from where the others stop.
    bloc.SetBtnNumber(18);
    EXPECT_EQ(bloc.Button(15)->text(), QStringLiteral("1F"));
    EXPECT_EQ(bloc.Button(16)->text(), QStringLiteral("20"));
    EXPECT_EQ(bloc.Button(17)->text(), QStringLiteral("21"));
    EXPECT_EQ(bloc.Tag(17), 0x21);
    bloc.SetBtnNumber(4);
    EXPECT_EQ(bloc.BtnNumber(), 4);
    EXPECT_EQ(bloc.Button(3)->text(), QStringLiteral("13"));
    bloc.SetBtnNumber(-3);
    EXPECT_EQ(bloc.BtnNumber(), 0);
}

TEST(BlocBtn, OwnCaptionsSurviveANewFirstCharAndWidenEveryButton)
{
    TBlocBtn bloc;
    bloc.SetBtnNumber(3);
    const QSize plain = bloc.Button(0)->size();
    bloc.SetCaption(1, QStringLiteral("ESCAPE"));
    bloc.SetFirstChar(0x1A);
    EXPECT_EQ(bloc.Button(0)->text(), QStringLiteral("1A"));
    EXPECT_EQ(bloc.Button(1)->text(), QStringLiteral("ESCAPE"));
    EXPECT_EQ(bloc.Button(2)->text(), QStringLiteral("1C"));
    EXPECT_EQ(bloc.Tag(1), 0x1B);
    EXPECT_GT(bloc.Button(0)->width(), plain.width());
    EXPECT_EQ(bloc.Button(0)->size(), bloc.Button(1)->size());
    EXPECT_EQ(bloc.Button(2)->size(), bloc.Button(1)->size());
    // Out of range is ignored.
    bloc.SetCaption(3, QStringLiteral("X"));
    bloc.SetCaption(-1, QStringLiteral("X"));
    EXPECT_EQ(bloc.BtnNumber(), 3);
}

TEST(BlocBtn, ButtonsAreSmallAndFitTheirCaption)
{
    TBlocBtn bloc;
    bloc.SetBtnNumber(2);
    QToolButton* b = bloc.Button(0);
    const QFontMetrics fm(b->font());
    EXPECT_LT(b->font().pointSizeF(), bloc.font().pointSizeF());
    EXPECT_GE(b->width(), fm.horizontalAdvance(QStringLiteral("0F")) + 4);
    EXPECT_GE(b->height(), fm.height());
    EXPECT_LE(b->width(), 40);
    EXPECT_LE(b->height(), 30);
}

TEST(BlocBtn, NoneModeButtonsNeverStayDown)
{
    Bloc b(4, dmNone);
    Click(b.bloc, 2);
    EXPECT_EQ(b.bloc.BtnIndex(), -1);
    EXPECT_FALSE(b.bloc.Button(2)->isDown());
    b.bloc.SetBtnIndex(1);
    EXPECT_EQ(b.bloc.BtnIndex(), -1);
}

TEST(BlocBtn, OneMaxModeKeepsAtMostOneDown)
{
    Bloc b(4, dmOneMax);
    EXPECT_EQ(b.bloc.BtnIndex(), -1);
    Click(b.bloc, 1);
    EXPECT_EQ(DownButtons(b.bloc), std::vector<int>{1});
    Click(b.bloc, 3);
    EXPECT_EQ(DownButtons(b.bloc), std::vector<int>{3});
    EXPECT_EQ(b.bloc.BtnIndex(), 3);
    // Clicking the one down raises it.
    Click(b.bloc, 3);
    EXPECT_TRUE(DownButtons(b.bloc).empty());
    EXPECT_EQ(b.bloc.BtnIndex(), -1);

    b.bloc.SetBtnIndex(2);
    EXPECT_EQ(DownButtons(b.bloc), std::vector<int>{2});
    b.bloc.SetBtnIndex(0);
    EXPECT_EQ(DownButtons(b.bloc), std::vector<int>{0});
    b.bloc.SetBtnIndex(-1);
    EXPECT_TRUE(DownButtons(b.bloc).empty());
    b.bloc.SetBtnIndex(7); // out of range: nothing moves
    EXPECT_TRUE(DownButtons(b.bloc).empty());
}

TEST(BlocBtn, AlwaysOneModeKeepsExactlyOneDown)
{
    Bloc b(4, dmAlwaysOne);
    // Taking the mode presses the first button.
    EXPECT_EQ(DownButtons(b.bloc), std::vector<int>{0});
    Click(b.bloc, 2);
    EXPECT_EQ(DownButtons(b.bloc), std::vector<int>{2});
    // Clicking the one down keeps it down.
    Click(b.bloc, 2);
    EXPECT_EQ(DownButtons(b.bloc), std::vector<int>{2});
    Click(b.bloc, 0);
    EXPECT_EQ(DownButtons(b.bloc), std::vector<int>{0});

    b.bloc.SetBtnIndex(-1);
    EXPECT_EQ(DownButtons(b.bloc), std::vector<int>{0});
    b.bloc.SetBtnIndex(3);
    EXPECT_EQ(DownButtons(b.bloc), std::vector<int>{3});
    // Dropping the down button presses the first instead.
    b.bloc.SetBtnNumber(3);
    EXPECT_EQ(DownButtons(b.bloc), std::vector<int>{0});

    b.bloc.SetAllUp();
    EXPECT_TRUE(DownButtons(b.bloc).empty());
}

TEST(BlocBtn, MultiModeTogglesEachButtonOnItsOwn)
{
    Bloc b(5, dmMulti);
    Click(b.bloc, 1);
    Click(b.bloc, 3);
    Click(b.bloc, 4);
    EXPECT_EQ(DownButtons(b.bloc), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(b.bloc.BtnIndex(), 1);
    Click(b.bloc, 3);
    EXPECT_EQ(DownButtons(b.bloc), (std::vector<int>{1, 4}));
    b.bloc.SetBtnIndex(0);
    EXPECT_EQ(DownButtons(b.bloc), (std::vector<int>{0, 1, 4}));
    b.bloc.SetAllUp();
    EXPECT_TRUE(DownButtons(b.bloc).empty());
    EXPECT_EQ(b.bloc.BtnIndex(), -1);
}

TEST(BlocBtn, ChangingTheModeKeepsWhatItAllows)
{
    Bloc b(4, dmMulti);
    Click(b.bloc, 1);
    Click(b.bloc, 2);
    b.bloc.SetBtnDownMode(dmOneMax);
    EXPECT_EQ(DownButtons(b.bloc), std::vector<int>{1});
    b.bloc.SetBtnDownMode(dmNone);
    EXPECT_TRUE(DownButtons(b.bloc).empty());
    EXPECT_FALSE(b.bloc.Button(1)->isCheckable());
    b.bloc.SetBtnDownMode(dmMulti);
    Click(b.bloc, 3);
    EXPECT_EQ(DownButtons(b.bloc), std::vector<int>{3});
}

TEST(BlocBtn, ClicksReportIndexAndTag)
{
    Bloc b(16, dmNone);
    b.bloc.SetFirstChar(0x10);
    struct Hit {
        int index, tag;
        TBlocBtn* bloc;
    };
    std::vector<Hit> hits;
    b.bloc.OnClick = [&](TBlocBtn& bloc, int index, int tag) { hits.push_back({index, tag, &bloc}); };

    Click(b.bloc, 0);
    Click(b.bloc, 0x0D);
    Click(b.bloc, 15);
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0].index, 0);
    EXPECT_EQ(hits[0].tag, 0x10);
    EXPECT_EQ(hits[1].index, 0x0D);
    EXPECT_EQ(hits[1].tag, 0x1D);
    EXPECT_EQ(hits[2].index, 15);
    EXPECT_EQ(hits[2].tag, 0x1F);
    EXPECT_EQ(hits[2].bloc, &b.bloc);

    // Clicking the down one in an exclusive mode still counts as a click,
    // and the handler already sees the new state.
    b.bloc.SetBtnDownMode(dmOneMax);
    int seenIndex = -2;
    b.bloc.OnClick = [&](TBlocBtn& bloc, int, int) { seenIndex = bloc.BtnIndex(); };
    Click(b.bloc, 4);
    EXPECT_EQ(seenIndex, 4);
    Click(b.bloc, 4);
    EXPECT_EQ(seenIndex, -1);
}

TEST(BlocBtn, SendBtnOffOnlyToggles)
{
    Bloc b(4, dmOneMax);
    int calls = 0;
    b.bloc.OnClick = [&](TBlocBtn&, int, int) { ++calls; };
    EXPECT_TRUE(b.bloc.SendBtn());
    b.bloc.SetSendBtn(false);
    Click(b.bloc, 2);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(b.bloc.BtnIndex(), 2);
    b.bloc.SetSendBtn(true);
    Click(b.bloc, 1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(b.bloc.BtnIndex(), 1);
}

TEST(BlocBtn, LaysButtonsOutInARowOrAColumn)
{
    Bloc b(16);
    b.bloc.SetBtnSpacing(3);
    EXPECT_EQ(b.bloc.BtnSpacing(), 3);
    EXPECT_EQ(b.bloc.BlocDirection(), bdHorizontal);
    auto check = [&](bool vertical, int spacing) {
        for (int i = 1; i < 16; ++i) {
            const QRect prev = b.bloc.Button(i - 1)->geometry();
            const QRect cur = b.bloc.Button(i)->geometry();
            if (vertical) {
                EXPECT_EQ(cur.x(), prev.x()) << i;
                EXPECT_EQ(cur.top(), prev.bottom() + 1 + spacing) << i;
            } else {
                EXPECT_EQ(cur.y(), prev.y()) << i;
                EXPECT_EQ(cur.left(), prev.right() + 1 + spacing) << i;
            }
        }
        const QRect first = b.bloc.Button(0)->geometry();
        const QRect last = b.bloc.Button(15)->geometry();
        EXPECT_EQ(first.topLeft(), QPoint(0, 0));
        // The bloc is just big enough for its buttons.
        EXPECT_EQ(b.bloc.size(), QSize(last.right() + 1, last.bottom() + 1));
    };
    EXPECT_EQ(b.bloc.Button(1)->x(), b.bloc.Button(0)->width() + 3);
    check(false, 3);

    b.bloc.SetBlocDirection(bdVertical);
    EXPECT_EQ(b.bloc.BlocDirection(), bdVertical);
    EXPECT_EQ(b.bloc.Button(1)->y(), b.bloc.Button(0)->height() + 3);
    check(true, 3);
    EXPECT_GT(b.bloc.height(), b.bloc.width());

    b.bloc.SetBtnSpacing(0);
    EXPECT_EQ(b.bloc.Button(1)->y(), b.bloc.Button(0)->height());
    check(true, 0);

    // New buttons join the column where it ends.
    b.bloc.SetBtnNumber(17);
    EXPECT_EQ(b.bloc.Button(16)->y(), 16 * b.bloc.Button(0)->height());
    EXPECT_EQ(b.bloc.Button(16)->x(), 0);
}

TEST(SerialControls, RenderForTheToolBar)
{
    // The terminal's lamps and a bloc, on a light grey bar.
    QWidget bar;
    QPalette pal = bar.palette();
    pal.setColor(QPalette::Window, QColor(0xE4, 0xE4, 0xE4));
    bar.setPalette(pal);
    bar.setAutoFillBackground(true);
    auto* row = new QHBoxLayout(&bar);
    auto* lamps = new QVBoxLayout;
    struct L {
        const char* caption;
        TLEDColor color;
        bool lit;
        TCaptionAlign align;
    };
    for (const L& l : {L{"DSR", lcRed, true, caRight}, L{"CTS", lcGreen, true, caRight},
                       L{"DCD", lcYellow, true, caLeft}, L{"RI", lcRed, false, caRight}}) {
        auto* led = new TLEDLabel(QString::fromLatin1(l.caption));
        led->SetColor(l.color);
        led->SetLit(l.lit);
        led->SetAlignment(l.align);
        lamps->addWidget(led);
    }
    auto* top = new TLEDLabel(QStringLiteral("TX"));
    top->SetColor(lcGreen);
    top->SetAlignment(caTop);
    top->SetLit(true);
    lamps->addWidget(top);
    lamps->addStretch();
    row->addLayout(lamps);
    for (int first : {0x00, 0x10}) {
        auto* bloc = new TBlocBtn;
        bloc->SetBlocDirection(bdVertical);
        bloc->SetBtnNumber(16);
        bloc->SetFirstChar(first);
        bloc->SetBtnDownMode(dmOneMax);
        row->addWidget(bloc, 0, Qt::AlignTop);
    }
    static_cast<TBlocBtn*>(row->itemAt(1)->widget())->SetBtnIndex(3);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    const QString out = qEnvironmentVariable("KEP_SERIAL_CONTROLS_PNG");
    const QImage shot = bar.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    if (!out.isEmpty()) {
        EXPECT_TRUE(shot.save(out));
    }
}
