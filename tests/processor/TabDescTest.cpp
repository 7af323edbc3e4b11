// Table descriptions and the table writer.
#include "TabFixture.h"

using namespace kep;
using namespace kep::test;
using Strings = std::vector<std::string>;

namespace {

std::string ParseError(const std::string& text)
{
    TTabDesc desc;
    std::string error;
    EXPECT_FALSE(ParseTabDesc(text, desc, &error)) << text;
    EXPECT_TRUE(desc.Keywords.empty() && desc.Mnemonics.empty());
    return error;
}

} // namespace

TEST(TabDesc, ErrorsNameTheirLine)
{
    struct {
        const char* Text;
        const char* Message;
    } cases[] = {
        {"; comment\n\nfrobnicate 1\n", "Ligne 3 : instruction inconnue « frobnicate »."},
        {"keywords A\nmnemonic M\n  encoding 01 : kw B\n", "Ligne 3 : mot clé « B » inconnu."},
        {"mnemonic M\n  encoding 01 02\n", "Ligne 2 : « : » manquant entre les octets du code et la syntaxe."},
        {"mnemonic M\n  encoding 01 kw A\n", "Ligne 2 : octet hexadécimal attendu au lieu de « kw »."},
        {"mnemonic M\n  encoding 1G2 :\n", "Ligne 2 : octet hexadécimal attendu au lieu de « 1G2 »."},
        {"mnemonic M\n  encoding 01 :\nmnemonic M\n  encoding 02 :\n",
         "Ligne 3 : mnémonique « M » déjà défini ligne 1."},
        {"keywords A\nmnemonic M\n", "Ligne 2 : le mnémonique « M » n'a aucun codage."},
        {"encoding 01 :\n", "Ligne 1 : « encoding » hors d'un mnémonique."},
        {"raw 01\n", "Ligne 1 : « raw » hors d'un mnémonique."},
        {"keywords \"A B\n", "Ligne 1 : guillemet fermant manquant."},
        {"flag 15 20\n", "Ligne 1 : numéro d'octet hors limites : 15 (maximum 14)."},
        {"item t type 256\n", "Ligne 1 : type d'argument hors limites : 256 (maximum 255)."},
        {"item i inset 10\n", "Ligne 1 : chiffre d'inset hors limites (0 à F)."},
        {"item i wobble 1\n", "Ligne 1 : genre d'élément inconnu « wobble »."},
        {"item i kw\n", "Ligne 1 : syntaxe attendue : « item NOM kw MOT_CLÉ »."},
        {"item i type 1\nitem i type 2\n", "Ligne 2 : élément d'opérande « i » déjà défini."},
        {"keywords \"A;B\"\n", "Ligne 1 : un mot clé ne peut contenir « ; »."},
        {"mnemonic M\n  encoding 01 : item nowhere\n", "Ligne 2 : élément d'opérande « nowhere » inconnu."},
        {"mnemonic M\n  encoding 01 : list #256\n", "Ligne 2 : index hors limites : 256 (maximum 255)."},
        {"mnemonic M\n  encoding 01 : macsig 01\n", "Ligne 2 : argument manquant après « macsig »."},
        {"mnemonic M\n  encoding 01 : shout\n", "Ligne 2 : élément de syntaxe inconnu « shout »."},
        {"keywords A\nitem v value A\n", "Ligne 2 : aucune valeur nommée « A »."},
        {"value A 01\n", "Ligne 1 : syntaxe attendue : « value MOT_CLÉ [XX XX XX] »."},
        {"title caf\xC3\n", "Ligne 1 : texte UTF-8 invalide."},
        {"title \xE2\x82\xAC ok\nkeywords \xE2\x84\xA2 \xE2\x88\x9E\n",
         "Ligne 2 : caractère « \xE2\x88\x9E » absent de Windows-1252."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseError(c.Text), c.Message) << c.Text;
}

TEST(TabDesc, ResolvesNamesInAnyOrder)
{
    // Items, alternatives and lists may be used before they are defined;
    // a keyword listed twice keeps its first index.
    const std::string text = "mnemonic M\n"
                             "  encoding 01 : item r list l alt g\n"
                             "item r alt g 7\n"
                             "alt g B A\n"
                             "list l r #9\n"
                             "keywords A B A\n"
                             "value B 01 02 03\n"
                             "item v value B\n";
    TTabDesc desc;
    std::string error;
    ASSERT_TRUE(ParseTabDesc(text, desc, &error)) << error;
    EXPECT_EQ(desc.Keywords, (Strings{"A", "B", "A"}));
    EXPECT_EQ(desc.Items, (Strings{std::string("\xC0\x01\x07", 3), std::string("\x06\x01", 2)}));
    EXPECT_EQ(desc.Alternatives, Strings{std::string("\x02\x02\x00\x01\x00\x00", 6)});
    EXPECT_EQ(desc.Lists, Strings{std::string("\x02\x01\x00\x00\x09\x00\x00\x00", 8)});
    ASSERT_EQ(desc.Values.size(), 1u);
    EXPECT_EQ(desc.Values[0], (std::array<std::uint8_t, 4>{2, 1, 2, 3}));
    ASSERT_EQ(desc.Mnemonics.size(), 1u);
    EXPECT_EQ(desc.Mnemonics[0].Encoding, std::string("\x00\x01\x02\x01\x04\x01\x00\x03\x01\x00\x00", 11));
}

TEST(TabDesc, VariantHeadersAndRawBytes)
{
    const std::string text = "keywords A\nmnemonic M\n"
                             "  encoding 01 02 03 04 : kw A\n"
                             "  encoding 01 02 03 04 05 :\n"
                             "  raw 99 98\n"
                             "  encoding long 0A : code 55 66\n"
                             "  encoding : comma\n";
    TTabDesc desc;
    std::string error;
    ASSERT_TRUE(ParseTabDesc(text, desc, &error)) << error;
    // Up to four bytes: one header byte (length - 1, then continuation);
    // longer, forced or empty: FF, length, continuation. Raw bytes sit
    // where they were written.
    EXPECT_EQ(desc.Mnemonics[0].Encoding, std::string("\xC1\x01\x02\x03\x04\x01\x01\x00"
                                                      "\xFF\x05\x01\x01\x02\x03\x04\x05\x00"
                                                      "\x99\x98"
                                                      "\xFF\x01\x01\x0A\x55\x66\x00"
                                                      "\xFF\x00\x00\x0A\x00",
                                                      31));
    TTabFile tab;
    LoadTable(tab, TableFromText(text));
    // The raw bytes break the chain: the next header is read from them
    // (99: three opcode bytes), then 01 0A names a keyword the table lacks.
    EXPECT_EQ(Describe(tab, "M").Lines,
              (Strings{"01 02 03 04  : A", "01 02 03 04 05  : " + Inherent, "98 FF 01  : 01??? Err > "}));
}

TEST(TabDesc, TitleAndNamesAreWindows1252)
{
    TTabDesc desc;
    std::string error;
    ASSERT_TRUE(ParseTabDesc("title  Processeur \xC3\xA9tendu ; pas un commentaire  \n"
                             "keywords \"\xC3\xA0 b\" \"#3\" ; commentaire\n",
                             desc, &error))
        << error;
    EXPECT_EQ(desc.Title, "Processeur \xE9tendu ; pas un commentaire");
    EXPECT_EQ(desc.Keywords, (Strings{"\xE0 b", "#3"}));
}

// Operand placement and assembler modes, for the check against the real
// assemblers: kept apart, the table's bytes are the same without them.
TEST(TabDesc, FieldsAndNeeds)
{
    const std::string plain = "keywords W F ,\n"
                              "alt dest W F\n"
                              "item k type 1\n"
                              "item d alt dest\n"
                              "item j type 2\n"
                              "item m type 3\n"
                              "mnemonic ADD\n"
                              "  encoding 00 07 : item k kw , item d\n"
                              "mnemonic BRA\n"
                              "  encoding 00 D0 : item j alt dest\n";
    const std::string text = plain + "field k 11-8, 3-0\n"
                                     "field d 7\n"
                                     "field dest 12\n"
                                     "field j 9,3-0 rel 2 2\n"
                                     "mnemonic PUSH\n"
                                     "  needs extended\n"
                                     "  encoding 05 00 :\n"
                                     "  needs extended\n"
                                     "field m 5-4 max 0x2\n";
    TTabDesc desc;
    std::string error;
    ASSERT_TRUE(ParseTabDesc(text, desc, &error)) << error;
    using TBits = std::vector<std::pair<unsigned, unsigned>>;
    const TTabDesc::TField& k = desc.ItemFields.at(1);
    EXPECT_EQ(k.Bits, (TBits{{11, 8}, {3, 0}}));
    EXPECT_EQ(k.Width(), 8u);
    EXPECT_FALSE(k.Signed || k.HasMax || k.Rel);
    EXPECT_EQ(desc.ItemFields.at(2).Bits, (TBits{{7, 7}}));
    const TTabDesc::TField& j = desc.ItemFields.at(3);
    EXPECT_TRUE(j.Rel && j.Signed);
    EXPECT_EQ(j.RelOffset, 2);
    EXPECT_EQ(j.RelScale, 2);
    EXPECT_EQ(desc.AlternativeFields.at(1).Bits, (TBits{{12, 12}}));
    EXPECT_TRUE(desc.ItemFields.at(4).HasMax);
    EXPECT_EQ(desc.ItemFields.at(4).Max, 2u);
    EXPECT_EQ(desc.Mnemonics[2].Needs, std::vector<std::string>{"extended"});
    EXPECT_TRUE(desc.Mnemonics[0].Needs.empty());
    // The forms as written, for the source lines of the check.
    using S = TTabDesc::TSyntaxItem;
    ASSERT_EQ(desc.Mnemonics[1].Variants.size(), 1u);
    const TTabDesc::TVariant& bra = desc.Mnemonics[1].Variants[0];
    EXPECT_EQ(bra.Opcode, std::string("\x00\xD0", 2));
    ASSERT_EQ(bra.Syntax.size(), 2u);
    EXPECT_TRUE(bra.Syntax[0].Kind == S::Item && bra.Syntax[0].Index == 3);
    EXPECT_TRUE(bra.Syntax[1].Kind == S::Alternative && bra.Syntax[1].Index == 1);

    TTabDesc bare;
    ASSERT_TRUE(ParseTabDesc(plain, bare, &error)) << error;
    std::string withFields, without;
    ASSERT_TRUE(BuildTab(desc, withFields, &error));
    ASSERT_TRUE(ParseTabDesc(plain + "mnemonic PUSH\n  encoding 05 00 :\n", bare, &error)) << error;
    ASSERT_TRUE(BuildTab(bare, without, &error));
    EXPECT_EQ(withFields, without);

    const std::string base = plain + "item kw kw ,\n";
    struct {
        const char* Line;
        const char* Message;
    } cases[] = {
        {"field nowhere 3-0", "« nowhere » n'est ni un élément d'opérande ni une alternative."},
        {"field k 3-0,2", "bit 2 placé deux fois dans « k »."},
        {"field k 0-3", "bits « 0-3 » : le bit de poids fort s'écrit d'abord."},
        {"field k 3-x", "numéro de bit invalide : « x »."},
        {"field k 64", "numéro de bit hors limites : 64 (maximum 63)."},
        {"field k 3-0 max 16", "maximum 16 trop grand pour 4 bits."},
        {"field k 3-0 wide", "syntaxe attendue : « field NOM BITS [signed] [max N] [rel DÉCALAGE PAS] [scale N] [not] [also BITS] »."},
        {"field j 7-0 rel 1 0", "pas de « rel » nul."},
        {"field kw 3-0", "l'élément « kw » n'a pas de valeur à placer (ni type ni alternative)."},
        {"field d 3-0 signed", "« d » a 2 alternatives : 4 bits non signés ne les placent pas."},
        {"field k 3-0\nfield k 7-4", "champ « k » déjà défini ligne 12."},
    };
    for (const auto& c : cases) {
        const std::string bad = base + c.Line + "\n";
        const int line = 12 + static_cast<int>(std::string(c.Line).find('\n') != std::string::npos);
        EXPECT_EQ(ParseError(bad), "Ligne " + std::to_string(line) + " : " + c.Message) << c.Line;
    }
    EXPECT_EQ(ParseError("needs extended\n"), "Ligne 1 : « needs » hors d'un mnémonique.");
}

TEST(TabWriter, LayoutAndCounts)
{
    TTabLayout layout;
    const std::string bytes = TableBytes("small.tabdesc", &layout);
    auto word = [&](std::size_t at) {
        return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
    };
    EXPECT_EQ(layout.Header, std::string("Petit processeur \xE9").size() + 1);
    EXPECT_EQ(layout.Names, layout.Header + 24);
    const std::size_t sizes[] = {layout.AreaB - layout.AreaA,         layout.AreaC - layout.AreaB,
                                 layout.MnemonicString - layout.AreaC, layout.AreaD - layout.MnemonicString,
                                 layout.ValueRecords - layout.AreaD,   layout.TableOA - layout.ValueRecords};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(word(layout.Header + 2 * i), sizes[i]) << "C" << i;
    EXPECT_EQ(word(layout.Header + 12), 4); // items
    EXPECT_EQ(word(layout.Header + 14), 1); // alternatives
    EXPECT_EQ(word(layout.Header + 16), 1); // lists
    EXPECT_EQ(word(layout.Header + 18), 4); // mnemonics
    EXPECT_EQ(word(layout.Header + 20), 0);
    EXPECT_EQ(word(layout.Header + 22), 0);
    EXPECT_EQ(layout.End, bytes.size());
    EXPECT_EQ(bytes.substr(layout.MnemonicString, layout.AreaD - layout.MnemonicString),
              std::string("LD;JR;HALT;PUSH\0", 16));
    // Named values end with an empty record.
    EXPECT_EQ(bytes.substr(layout.ValueRecords, 8), std::string("\x02\x34\x12\x00\x00\x00\x00\x00", 8));
}

TEST(TabWriter, RefusesWhatTheFormatCannotHold)
{
    TTabDesc desc;
    std::string bytes, error;
    // 497 bytes of keyword text fit the small name area, 498 do not.
    desc.Keywords = {std::string(496, 'K')};
    EXPECT_TRUE(BuildTab(desc, bytes, &error)) << error;
    desc.Keywords = {std::string(497, 'K')};
    EXPECT_FALSE(BuildTab(desc, bytes, &error));
    EXPECT_NE(error.find("zone des noms"), std::string::npos) << error;
    desc.Keywords = {"^" + std::string(2000, 'K')};
    EXPECT_TRUE(BuildTab(desc, bytes, &error)) << error;

    desc.Keywords = {"A", ""};
    EXPECT_FALSE(BuildTab(desc, bytes, &error));
    desc.Keywords = {"A"};

    desc.Mnemonics = {{"BIG", std::string(70000, '\0'), {}, {}}};
    EXPECT_FALSE(BuildTab(desc, bytes, &error));
    EXPECT_NE(error.find("zone D"), std::string::npos) << error;
    EXPECT_NE(error.find("65535"), std::string::npos) << error;
}

TEST(TabWriter, RoundTripThroughTheReader)
{
    for (const char* fixture : {"items.tabdesc", "lists.tabdesc", "caret.tabdesc", "small.tabdesc"}) {
        TTabDesc desc;
        std::string error, bytes;
        ASSERT_TRUE(ParseTabDesc(ReadFixture(fixture), desc, &error)) << error;
        ASSERT_TRUE(BuildTab(desc, bytes, &error)) << error;
        TTabFile tab;
        LoadTable(tab, bytes);
        EXPECT_EQ(tab.Title(), desc.Title) << fixture;
        EXPECT_EQ(tab.Keywords(), desc.Keywords) << fixture;
        Strings names, values;
        for (const auto& m : desc.Mnemonics)
            names.push_back(m.Name);
        for (const auto& v : desc.Values)
            values.push_back(desc.Keywords[v[0] - 1]);
        EXPECT_EQ(tab.Mnemonics(), names) << fixture;
        EXPECT_EQ(tab.Values(), values) << fixture;
    }
}
