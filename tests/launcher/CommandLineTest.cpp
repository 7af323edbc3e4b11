#include "launcher/CommandLine.h"

#include <gtest/gtest.h>

using kep::SplitCommandLine;
using Words = std::vector<std::string>;

TEST(SplitCommandLine, BlanksSeparateWords)
{
    EXPECT_EQ(SplitCommandLine("make -f demo.mke -B"), (Words{"make", "-f", "demo.mke", "-B"}));
    EXPECT_EQ(SplitCommandLine("  a \t b\r\nc  "), (Words{"a", "b", "c"}));
    EXPECT_EQ(SplitCommandLine(""), Words{});
    EXPECT_EQ(SplitCommandLine(" \t\n "), Words{});
}

TEST(SplitCommandLine, QuotesKeepSpacesAndJoinWithNeighbours)
{
    EXPECT_EQ(SplitCommandLine("\"/tmp/mon dossier/kepmake\" \"a b.mke\""),
              (Words{"/tmp/mon dossier/kepmake", "a b.mke"}));
    EXPECT_EQ(SplitCommandLine("'un  deux' x"), (Words{"un  deux", "x"}));
    EXPECT_EQ(SplitCommandLine("pre\"mid dle\"'post fix'"), (Words{"premid dlepost fix"}));
    // Empty quotes are an empty argument, not nothing.
    EXPECT_EQ(SplitCommandLine("a \"\" '' b"), (Words{"a", "", "", "b"}));
    // Each kind of quote is literal inside the other.
    EXPECT_EQ(SplitCommandLine("\"it's\" 'say \"hi\"'"), (Words{"it's", "say \"hi\""}));
}

TEST(SplitCommandLine, NothingIsExpanded)
{
    EXPECT_EQ(SplitCommandLine("echo $HOME *.asm ~ `id` $(id) a;b a|b >f"),
              (Words{"echo", "$HOME", "*.asm", "~", "`id`", "$(id)", "a;b", "a|b", ">f"}));
    EXPECT_EQ(SplitCommandLine("\"$HOME\" '$HOME'"), (Words{"$HOME", "$HOME"}));
}

TEST(SplitCommandLine, Backslashes)
{
    // Outside quotes a backslash escapes any character, blanks included.
    EXPECT_EQ(SplitCommandLine("a\\ b c\\\\d \\'e\\\""), (Words{"a b", "c\\d", "'e\""}));
    // Inside double quotes only " \ $ ` are escaped; others keep the backslash.
    EXPECT_EQ(SplitCommandLine("\"a\\\"b\\\\c\\$d\\`e\\nf\""), (Words{"a\"b\\c$d`e\\nf"}));
    // Inside single quotes nothing is.
    EXPECT_EQ(SplitCommandLine("'a\\b\\'"), (Words{"a\\b\\"}));
    // Windows paths typed without quotes lose their backslashes, as in a shell.
    EXPECT_EQ(SplitCommandLine("C:\\kep\\make"), (Words{"C:kepmake"}));
    // Backslash-newline joins lines, outside and inside double quotes.
    EXPECT_EQ(SplitCommandLine("ab\\\ncd \"ef\\\ngh\""), (Words{"abcd", "efgh"}));
    // A lone trailing backslash stays.
    EXPECT_EQ(SplitCommandLine("a \\"), (Words{"a", "\\"}));
}

TEST(SplitCommandLine, UnterminatedQuoteRunsToTheEnd)
{
    EXPECT_EQ(SplitCommandLine("make \"a b"), (Words{"make", "a b"}));
    EXPECT_EQ(SplitCommandLine("make 'a b"), (Words{"make", "a b"}));
    EXPECT_EQ(SplitCommandLine("make \"a\\"), (Words{"make", "a\\"}));
    EXPECT_EQ(SplitCommandLine("\""), (Words{""}));
}
