// The settings dialog's arithmetic: tab columns as text, extensions, and the
// lighter and darker colour commands.
#include "config/U_InfosFich.h"

#include <gtest/gtest.h>

#include <string>

using namespace kep;

namespace {

// Stands for the desktop: each system colour index gives a grey of its own.
TColor Desktop(TColor c)
{
    const unsigned v = SystemColorIndex(c) * 10;
    return RGBColor(v, v, v);
}

} // namespace

TEST(InfosFichTabs, FactoryColumnsShownBothWays)
{
    EXPECT_EQ(TexteTabs(TabsAsmUsine, false), "14,23,41,48,55,70");
    EXPECT_EQ(TexteTabs(TabsAsmUsine, true), "14,+9,+18,+7,+7,+15");
    EXPECT_EQ(TexteTabs(TabsTexteUsine, false), "8,16,24,32,40,48");
    EXPECT_EQ(TexteTabs(TabsTexteUsine, true), "8,+8,+8,+8,+8,+8");
}

TEST(InfosFichTabs, MissingOrZeroValuesStepEightFromThePrevious)
{
    EXPECT_EQ(LitTabs("14,,41"), (TTabStops{14, 22, 41, 49, 57, 65}));
    EXPECT_EQ(LitTabs("8,+8,+8"), (TTabStops{8, 16, 24, 32, 40, 48}));
    EXPECT_EQ(LitTabs(""), (TTabStops{8, 16, 24, 32, 40, 48}));
    EXPECT_EQ(LitTabs("0,0,30"), (TTabStops{8, 16, 30, 38, 46, 54}));
    // A zero step is no step at all: the column moves 8 on.
    EXPECT_EQ(LitTabs("10,+0,+,+5"), (TTabStops{10, 18, 26, 31, 39, 47}));
    // A "+" on the first value has nothing to add to.
    EXPECT_EQ(LitTabs("+12,20"), (TTabStops{12, 20, 28, 36, 44, 52}));
    // Relative and absolute values mix in one text.
    EXPECT_EQ(LitTabs("5,+5,30,+1,100,+2"), (TTabStops{5, 10, 30, 31, 100, 102}));
    // Values past the sixth are not read.
    EXPECT_EQ(LitTabs("1,2,3,4,5,6,7,8"), (TTabStops{1, 2, 3, 4, 5, 6}));
}

TEST(InfosFichTabs, EitherTextReadsBackTheSameColumns)
{
    const TTabStops samples[] = {TabsAsmUsine, TabsTexteUsine, {1, 2, 3, 4, 5, 6}, {3, 100, 1000, 10000, 40000, 65535}};
    for (const TTabStops& t : samples) {
        EXPECT_EQ(LitTabs(TexteTabs(t, false)), t) << TexteTabs(t, false);
        EXPECT_EQ(LitTabs(TexteTabs(t, true)), t) << TexteTabs(t, true);
    }
    // Columns that do not move right cannot be written as a step; they are
    // written as columns and still read back.
    const TTabStops back{40, 20, 20, 30, 10, 65535};
    EXPECT_EQ(TexteTabs(back, true), "40,20,20,+10,10,+65525");
    EXPECT_EQ(LitTabs(TexteTabs(back, true)), back);
    // Switching from one form to the other and back gives the same text.
    const std::string rel = "14,+9,+18,+7,+7,+15";
    EXPECT_EQ(TexteTabs(LitTabs(TexteTabs(LitTabs(rel), false)), true), rel);
}

TEST(InfosFichTabs, GarbageAndHugeNumbersStayInRange)
{
    // Reading stops at anything it does not know; the rest step 8 apart.
    EXPECT_EQ(LitTabs("14x,50"), (TTabStops{14, 22, 30, 38, 46, 54}));
    EXPECT_EQ(LitTabs("-5,7"), (TTabStops{8, 16, 24, 32, 40, 48}));
    EXPECT_EQ(LitTabs(",,,,,,"), (TTabStops{8, 16, 24, 32, 40, 48}));
    // Numbers beyond 16 bits stop at the last column rather than wrapping.
    EXPECT_EQ(LitTabs("65536"), (TTabStops{65535, 65535, 65535, 65535, 65535, 65535}));
    EXPECT_EQ(LitTabs("70000,5"), (TTabStops{65535, 5, 13, 21, 29, 37}));
    EXPECT_EQ(LitTabs("10," + std::string(400, '9') + ",+1"), (TTabStops{10, 65535, 65535, 65535, 65535, 65535}));
    EXPECT_EQ(LitTabs("65530,+3,+3,,+99999999999999999999"), (TTabStops{65530, 65533, 65535, 65535, 65535, 65535}));
    EXPECT_EQ(LitTabs("65535"), (TTabStops{65535, 65535, 65535, 65535, 65535, 65535}));
    // What is read stays in order from left to right.
    const TTabStops t = LitTabs("60000,+9999,+9999,0,+1,");
    for (std::size_t i = 1; i < t.size(); ++i)
        EXPECT_GE(t[i], t[i - 1]) << i;
}

TEST(InfosFichExt, LeadingDotAndUpperCase)
{
    EXPECT_EQ(NormaliseExt("asm"), ".ASM");
    EXPECT_EQ(NormaliseExt(".asm"), ".ASM");
    EXPECT_EQ(NormaliseExt(".Inc"), ".INC");
    EXPECT_EQ(NormaliseExt(".ASM"), ".ASM");
    EXPECT_EQ(NormaliseExt(""), ".");
    EXPECT_EQ(NormaliseExt("."), ".");
    EXPECT_EQ(NormaliseExt(".???"), ".???");
    EXPECT_EQ(NormaliseExt("a.b"), ".A.B");
    // Only ASCII letters change: other bytes of UTF-8 text stay as they are.
    EXPECT_EQ(NormaliseExt("\xC3\xA9z1"), ".\xC3\xA9Z1");
    EXPECT_EQ(NormaliseExt(NormaliseExt("mac")), ".MAC");
}

TEST(InfosFichColours, LighterAndDarker)
{
    EXPECT_EQ(NuanceCouleur(clWhite, PourCentPlusClair, Desktop), clWhite);
    EXPECT_EQ(NuanceCouleur(RGBColor(0x80, 0x80, 0x80), PourCentPlusClair, Desktop), RGBColor(0x8D, 0x8D, 0x8D));
    EXPECT_EQ(NuanceCouleur(RGBColor(0x80, 0x80, 0x80), PourCentPlusFonce, Desktop), RGBColor(0x73, 0x73, 0x73));
    EXPECT_EQ(NuanceCouleur(clBlack, PourCentPlusClair, Desktop), clBlack);
    EXPECT_EQ(NuanceCouleur(clWhite, PourCentPlusFonce, Desktop), RGBColor(0xE6, 0xE6, 0xE6));
    // Each component on its own, rounded to the nearest: 10*1.1 = 11,
    // 200*1.1 = 220, 1*1.1 = 1.1; 20*0.9 = 18, 101*0.9 = 90.9, 7*0.9 = 6.3.
    EXPECT_EQ(NuanceCouleur(RGBColor(10, 200, 1), PourCentPlusClair, Desktop), RGBColor(11, 220, 1));
    EXPECT_EQ(NuanceCouleur(RGBColor(20, 101, 7), PourCentPlusFonce, Desktop), RGBColor(18, 91, 6));
    // Components past 255 stop there without spilling into the next one.
    EXPECT_EQ(NuanceCouleur(RGBColor(0xF0, 0xE9, 0xE8), PourCentPlusClair, Desktop), RGBColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(NuanceCouleur(RGBColor(0xFF, 0x00, 0xE7), PourCentPlusClair, Desktop), RGBColor(0xFF, 0x00, 0xFE));
}

TEST(InfosFichColours, SystemColoursResolvedBeforeScaling)
{
    // Button face is index 15 here: grey 150, lighter 165.
    EXPECT_EQ(NuanceCouleur(clBtnFace, PourCentPlusClair, Desktop), RGBColor(165, 165, 165));
    EXPECT_EQ(NuanceCouleur(clBtnShadow, PourCentPlusFonce, Desktop), RGBColor(144, 144, 144));
    // Without a resolver there is nothing to scale.
    EXPECT_EQ(NuanceCouleur(clBtnFace, PourCentPlusClair, nullptr), clBtnFace);

    TStyleTable styles = DefaultStyles();
    NuanceStyles(styles, PourCentPlusClair, Desktop);
    for (int i = 0; i < StyleCount; ++i) {
        const TStyleEntry& before = DefaultStyles()[std::size_t(i)];
        const TStyleEntry& after = styles[std::size_t(i)];
        EXPECT_EQ(after.Fore, NuanceCouleur(before.Fore, PourCentPlusClair, Desktop)) << i;
        EXPECT_EQ(after.Back, NuanceCouleur(before.Back, PourCentPlusClair, Desktop)) << i;
        EXPECT_FALSE(IsSystemColor(after.Fore)) << i;
        EXPECT_EQ(after.Style, before.Style) << i;
        EXPECT_EQ(after.TxtSntx, before.TxtSntx) << i;
        EXPECT_EQ(after.FondCtx, before.FondCtx) << i;
    }
    EXPECT_EQ(styles[stRem].Fore, RGBColor(176, 176, 176));
    EXPECT_EQ(styles[stSel].Back, RGBColor(0xD3, 0xD3, 0xD3));
    EXPECT_EQ(styles[stMacro].Back, RGBColor(0, 0x8D, 0));
    EXPECT_EQ(styles[stMacro].Fore, clWhite);

    NuanceStyles(styles, PourCentPlusFonce, Desktop);
    EXPECT_EQ(styles[stMacro].Back, RGBColor(0, 0x7F, 0));
    EXPECT_EQ(styles[stMacro].Fore, RGBColor(0xE6, 0xE6, 0xE6));
}
