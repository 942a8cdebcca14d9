#include "vendor/CComError.h"
#include "vendor/CXmlDocReader.h"

#include <gtest/gtest.h>

namespace {

const char kRows[] =
    "<?xml version=\"1.0\"?>\n"
    "<!-- leading comment -->\n"
    "<root a=\"1\">\n"
    "  text\n"
    "  <row id=\"r1\" amp=\"A &amp; B\" q=\"&quot;x&apos;\"><inner id=\"i1\"/><inner id=\"i2\"/></row>\n"
    "  <!-- between -->\n"
    "  <Row id=\"r2\"/>\n"
    "  <other id=\"o1\"><row id=\"grandchild\"/></other>\n"
    "  <row id=\"r3\"/>\n"
    "</root>\n";

struct Reader : ::testing::Test
{
    CXmlDocReader reader;
    void SetUp() override { ASSERT_TRUE(reader.LoadFromText(kRows)); }
};

TEST_F(Reader, FindsElementsByExactNameAmongDirectChildrenOnly)
{
    ASSERT_TRUE(reader.FindElement("root"));
    ASSERT_TRUE(reader.Descend());
    ASSERT_TRUE(reader.FindElement("row"));
    EXPECT_EQ(reader.GetAttribute("id"), "r1");
    // "Row" differs in case, the grandchild is one level down: both are passed over.
    ASSERT_TRUE(reader.FindElement("row"));
    EXPECT_EQ(reader.GetAttribute("id"), "r3");
    // No wrap-around, and a failed search changes nothing.
    EXPECT_FALSE(reader.FindElement("row"));
    EXPECT_FALSE(reader.FindElement("row"));
    EXPECT_EQ(reader.GetAttribute("id"), "r3");
    EXPECT_FALSE(reader.FindElement("ROW"));
}

TEST_F(Reader, EmptyOrNullNameTakesNextElementSkippingDeclarationCommentsAndText)
{
    EXPECT_TRUE(reader.FindElement(""));
    EXPECT_EQ(reader.GetAttribute("a"), "1");
    ASSERT_TRUE(reader.Descend());
    const char* expected[] = {"r1", "r2", "o1", "r3"};
    for (const char* id : expected) {
        ASSERT_TRUE(reader.FindElement(nullptr));
        EXPECT_EQ(reader.GetAttribute("id"), id);
    }
    EXPECT_FALSE(reader.FindElement(""));
}

TEST_F(Reader, AttributesResolveReferencesAndMissingOnesAreEmpty)
{
    ASSERT_TRUE(reader.FindElement("root"));
    ASSERT_TRUE(reader.Descend());
    ASSERT_TRUE(reader.FindElement("row"));
    EXPECT_EQ(reader.GetAttribute("amp"), "A & B");
    EXPECT_EQ(reader.GetAttribute("q"), "\"x'");
    EXPECT_EQ(reader.GetAttribute("missing"), "");
    EXPECT_EQ(reader.GetAttribute("ID"), "");
}

TEST_F(Reader, DescendAndAscendKeepThePositionInside)
{
    EXPECT_FALSE(reader.Descend()); // nothing found yet
    EXPECT_FALSE(reader.Ascend());  // context is the document
    ASSERT_TRUE(reader.FindElement("root"));
    ASSERT_TRUE(reader.Descend());
    ASSERT_TRUE(reader.FindElement("row"));
    ASSERT_TRUE(reader.Descend());
    ASSERT_TRUE(reader.FindElement("inner"));
    EXPECT_EQ(reader.GetAttribute("id"), "i1");
    ASSERT_TRUE(reader.Ascend());
    EXPECT_EQ(reader.GetAttribute("id"), "r1"); // position is the element just left
    ASSERT_TRUE(reader.Descend());              // re-enter, position restored
    ASSERT_TRUE(reader.FindElement(nullptr));
    EXPECT_EQ(reader.GetAttribute("id"), "i2");
    ASSERT_TRUE(reader.Ascend());
    ASSERT_TRUE(reader.FindElement(nullptr)); // continues after the element left
    EXPECT_EQ(reader.GetAttribute("id"), "r2");
    // An element without element children: entering works, finding does not.
    ASSERT_TRUE(reader.Descend());
    EXPECT_FALSE(reader.FindElement(nullptr));
}

TEST_F(Reader, RewindStartsAgainFromTheDocument)
{
    ASSERT_TRUE(reader.FindElement("root"));
    ASSERT_TRUE(reader.Descend());
    ASSERT_TRUE(reader.FindElement("row"));
    reader.Rewind();
    EXPECT_THROW(reader.GetAttribute("id"), CComError);
    ASSERT_TRUE(reader.FindElement("root"));
    EXPECT_FALSE(reader.FindElement("root"));
}

TEST(ReaderErrors, GetAttributeWithoutFoundElementRaisesPointerStatus)
{
    CXmlDocReader reader;
    try {
        reader.GetAttribute("x");
        FAIL() << "no exception";
    } catch (const CComError& error) {
        EXPECT_EQ(error.Status(), 0x80004003u);
    }
}

TEST(ReaderLoad, NullAndEmptyTextGiveAFreshEmptyDocument)
{
    CXmlDocReader reader;
    ASSERT_TRUE(reader.LoadFromText("<a/>"));
    EXPECT_TRUE(reader.LoadFromText(""));
    EXPECT_FALSE(reader.FindElement("a"));
    ASSERT_TRUE(reader.LoadFromText("<a/>"));
    EXPECT_TRUE(reader.LoadFromText(nullptr));
    EXPECT_FALSE(reader.FindElement(nullptr));
}

TEST(ReaderLoad, RejectsWhatIsNotWellFormedAndLeavesAnEmptyDocument)
{
    const char* broken[] = {
        "<a><b></a>",              // mismatched end tag
        "<a>",                     // cut off
        "<a/><b/>",                // second root element
        "<a/>trailing",            // text after the root element
        "leading<a/>",             // text before it
        "just text",               // no element at all
        "<?xml version=\"1.0\"?>", // declaration only
    };
    for (const char* text : broken) {
        CXmlDocReader reader;
        ASSERT_TRUE(reader.LoadFromText("<a><b/></a>"));
        EXPECT_FALSE(reader.LoadFromText(text)) << text;
        EXPECT_FALSE(reader.GetLastError().empty()) << text;
        EXPECT_NE(reader.GetLastError().back(), '\n');
        EXPECT_NE(reader.GetLastError().back(), '\r');
        // Nothing of the old or the partial document is left.
        EXPECT_FALSE(reader.FindElement(nullptr)) << text;
        EXPECT_FALSE(reader.FindElement("a")) << text;
    }
}

TEST(ReaderLoad, LeniencyOfTheParserThatIsKept)
{
    // pugixml takes a raw '<' inside an attribute value; the value reads back as written.
    CXmlDocReader reader;
    ASSERT_TRUE(reader.LoadFromText("<a x=\"<\"/>"));
    ASSERT_TRUE(reader.FindElement("a"));
    EXPECT_EQ(reader.GetAttribute("x"), "<");
    // A repeated attribute is kept too; the first one is read.
    ASSERT_TRUE(reader.LoadFromText("<a x=\"1\" x=\"2\"/>"));
    ASSERT_TRUE(reader.FindElement("a"));
    EXPECT_EQ(reader.GetAttribute("x"), "1");
}

TEST(ReaderLoad, SuccessAfterFailureKeepsTheOldReason)
{
    CXmlDocReader reader;
    ASSERT_FALSE(reader.LoadFromText("<a>"));
    const std::string reason = reader.GetLastError();
    ASSERT_TRUE(reader.LoadFromText("<a/>"));
    EXPECT_EQ(reader.GetLastError(), reason);
    EXPECT_TRUE(reader.FindElement("a"));
}

TEST(ReaderLoad, DeepNestingAndHugeValuesLoad)
{
    std::string deep;
    for (int i = 0; i < 10000; ++i)
        deep += "<n>";
    for (int i = 0; i < 10000; ++i)
        deep += "</n>";
    CXmlDocReader reader;
    EXPECT_TRUE(reader.LoadFromText(deep.c_str()));
    const std::string big = "<a v=\"" + std::string(1 << 20, 'x') + "\"/>";
    ASSERT_TRUE(reader.LoadFromText(big.c_str()));
    ASSERT_TRUE(reader.FindElement("a"));
    EXPECT_EQ(reader.GetAttribute("v").size(), 1u << 20);
}

} // namespace
