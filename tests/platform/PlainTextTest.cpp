#include "platform/PlainText.h"

#include <gtest/gtest.h>

namespace {

TEST(PlainText, NamesThatShowAsSomethingElseAreRefused)
{
    const char* plain[] = {"router.test",          "名前.test", "café.example", "", "a-b_c.d",
                           "\xF0\x9F\x98\x80.test"};
    for (const char* name : plain)
        EXPECT_TRUE(qv::IsPlainText(name)) << name;
    const char* hostile[] = {
        "evil\xE2\x80\xAEtxt.exe", // U+202E right-to-left override
        "a\xE2\x80\x8E"
        "b", // U+200E left-to-right mark
        "a\xE2\x81\xA6"
        "b", // U+2066 isolate
        "a\xE2\x80\xA8"
        "b", // U+2028 line separator
        "a\xE2\x80\xA9"
        "b", // U+2029 paragraph separator
        "a\xC2\x85"
        "b", // U+0085 next line
        "a\xC2\x9B"
        "31m", // C1 CSI
        "a\xEF\xBB\xBF"
        "b", // U+FEFF
        "a\xE2\x80\x8B"
        "b", // U+200B zero width space
        "a\xF3\xA0\x80\x81"
        "b",         // U+E0001 language tag
        "a\x1B[31m", // C0 escape
        "a\x7F"
        "b", // DEL
        "a\tb",
        "\xC0\xAE"
        "test", // overlong "."
        "\xED\xA0\x80"
        "x",                // a surrogate
        "caf\xE9",          // Latin-1, not UTF-8
        "a\xE2\x80",        // cut short
        "\xF4\x90\x80\x80", // past U+10FFFF
    };
    for (const char* name : hostile)
        EXPECT_FALSE(qv::IsPlainText(name)) << qv::QuoteForMessage(name);
}

TEST(PlainText, MessagesQuoteWhatATerminalWouldActOn)
{
    EXPECT_EQ(qv::QuoteForMessage("\x1B]0;pwned\a"), "\\x1B]0;pwned\\x07");
    EXPECT_EQ(qv::QuoteForMessage("--lïst"), "--lïst");
    EXPECT_EQ(qv::QuoteForMessage("a\xE2\x80\xAE"
                                  "b\xFF"),
              "a\\xE2\\x80\\xAEb\\xFF");
}

} // namespace
