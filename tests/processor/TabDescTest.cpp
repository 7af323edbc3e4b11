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

    desc.Mnemonics = {{"BIG", std::string(70000, '\0')}};
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
