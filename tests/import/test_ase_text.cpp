// Reading ASE text: decoding, number conversion, keyword search and block extents.
#include "VEK_AseText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace aseimport;

namespace {
// Text with its blocks indexed.
struct Indexed : AseText {
    explicit Indexed(std::string content) : AseText(std::string_view()), storage(std::move(content))
    {
        static_cast<AseText&>(*this) = AseText(storage);
        std::string error;
        EXPECT_TRUE(indexBlocks(&error)) << error;
    }
    std::string storage;
};

std::string Inside(const AseText& text, Span span)
{
    return std::string(text.text().substr(span.begin, span.end - span.begin));
}
}  // namespace

TEST(AseDecoding, ByteOrderMarksDecideTheEncoding)
{
    const struct {
        const char* what;
        std::string bytes;
        std::string text;
    } cases[] = {
        {"8-bit", "*A 1\n", "*A 1\n"},
        {"UTF-8 mark", "\xEF\xBB\xBF*A 1\n", "*A 1\n"},
        {"UTF-16 LE", std::string("\xFF\xFE*\0A\0 \0" "1\0\n\0", 12), "*A 1\n"},
        {"UTF-16 BE", std::string("\xFE\xFF\0*\0A\0 \0" "1\0\n", 12), "*A 1\n"},
        {"UTF-16 LE beyond ASCII", std::string("\xFF\xFE\xE9\0\xE5\x65\x3D\xD8\x00\xDE", 10),
         "\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80"},
        {"UTF-16 BE broken surrogate pair", std::string("\xFE\xFF\xD8\x3D\0A", 6), "\xEF\xBF\xBD" "A"},
        {"UTF-16 with an odd last byte", std::string("\xFF\xFE*\0A", 5), "*"},
        {"lone byte-order mark", "\xFF\xFE", ""},
    };
    for (const auto& each : cases) {
        std::string storage;
        EXPECT_EQ(DecodeAseText(each.bytes, storage), each.text) << each.what;
    }
}

TEST(AseNumbers, RealsReadAsTheCLibraryReadsThem)
{
    for (const char* token : {"0.0000", "-29.3447", "1e3", "-.5", "5.", "+1.25", "1.5x", "0x10", "abc", "", "+-1",
                              "1e400", "-1e400", "3.4028236e38", "1e-50", "0.1000", "nan", "-inf"}) {
        const double expected = std::atof(token);
        const double actual = ParseReal(token);
        if (std::isnan(expected)) EXPECT_TRUE(std::isnan(actual)) << token;
        else EXPECT_EQ(actual, expected) << token;
    }
}

TEST(AseNumbers, IntegersReadTheirLeadingDigitsAndSaturate)
{
    const struct {
        const char* token;
        long long value;
    } cases[] = {{"12", 12}, {"-7", -7}, {"+3", 3}, {"0:", 0}, {"12abc", 12}, {"", 0}, {"x1", 0},
                 {"99999999999999999999999", 1LL << 62}, {"-99999999999999999999999", -(1LL << 62)}};
    for (const auto& each : cases) EXPECT_EQ(ParseInteger(each.token), each.value) << each.token;
}

TEST(AseNumbers, IndexedKeywordsAcceptGluedDigitsOnly)
{
    std::string_view glued;
    EXPECT_TRUE(IsIndexedKeyword("MESH_VERTEX", "MESH_VERTEX", glued));
    EXPECT_TRUE(glued.empty());
    EXPECT_TRUE(IsIndexedKeyword("MESH_VERTEX123456", "MESH_VERTEX", glued));
    EXPECT_EQ(glued, "123456");
    EXPECT_FALSE(IsIndexedKeyword("MESH_VERTEXNORMAL", "MESH_VERTEX", glued));
    EXPECT_FALSE(IsIndexedKeyword("MESH_VERTEX_LIST", "MESH_VERTEX", glued));
    EXPECT_FALSE(IsIndexedKeyword("MESH_VERTE", "MESH_VERTEX", glued));
}

TEST(AseCursor, KeywordsMatchWholeWordsOnly)
{
    const Indexed text("*MESH_VERTEX_LIST {\n\t*MESH_VERTEXNORMAL 1\n\t*MESH_VERTEX 2\n}\n");
    Cursor cursor(text, text.all());
    ASSERT_TRUE(cursor.find("*MESH_VERTEX"));
    EXPECT_EQ(cursor.integer(), 2);
    EXPECT_FALSE(cursor.find("*MESH_VERTEX"));
}

TEST(AseCursor, FailedSearchLeavesTheCursorWhereItWas)
{
    const Indexed text("*A 1\n*C 3\n");
    Cursor cursor(text, text.all());
    ASSERT_TRUE(cursor.find("*A"));
    EXPECT_FALSE(cursor.find("*B"));
    EXPECT_EQ(cursor.integer(), 1);
}

TEST(AseCursor, SearchesStayInsideTheirSpan)
{
    const Indexed text("*OBJ {\n\t*NAME \"first\"\n}\n*OBJ {\n\t*VALUE 2\n}\n");
    Cursor top(text, text.all());
    ASSERT_TRUE(top.find("*OBJ"));
    const Span first = top.block();
    Cursor inside(text, first);
    EXPECT_FALSE(inside.find("*VALUE"));
    EXPECT_FALSE(inside.findAtLevel("*VALUE"));
    ASSERT_TRUE(top.find("*OBJ"));
    Cursor second(text, top.block());
    ASSERT_TRUE(second.find("*VALUE"));
    EXPECT_EQ(second.integer(), 2);
}

TEST(AseCursor, LevelSearchStepsOverNestedBlocks)
{
    const Indexed text("*OBJ {\n\t*MESH {\n\t\t*MATERIAL_REF 9\n\t}\n\t*MATERIAL_REF 2\n\t*TAIL \"{\"\n\t*END 3\n}\n");
    Cursor top(text, text.all());
    ASSERT_TRUE(top.find("*OBJ"));
    Cursor object(text, top.block());
    ASSERT_TRUE(object.findAtLevel("*MATERIAL_REF"));
    EXPECT_EQ(object.integer(), 2);
    ASSERT_TRUE(object.findAtLevel("*END"));   // a brace in a name opens nothing
    EXPECT_EQ(object.integer(), 3);
    EXPECT_FALSE(object.findAtLevel("*MESH"));
}

TEST(AseCursor, FindBeforeBlockEndStopsAtTheFirstClosingBrace)
{
    const Indexed text("*NODE_NAME \"A\"\n*NODE_TM {\n*X 1\n}\n*NODE_PARENT \"B\"\n");
    Cursor cursor(text, text.all());
    EXPECT_FALSE(cursor.findBeforeBlockEnd("*NODE_PARENT"));
    EXPECT_TRUE(cursor.findBeforeBlockEnd("*NODE_TM"));
}

TEST(AseCursor, BracesInsideNamesDoNotOpenOrCloseBlocks)
{
    const Indexed text("*OBJ {\n\t*NAME \"odd } name {\"\n\t*INNER {\n\t\t*V 1\n\t}\n}\n*AFTER 2\n");
    Cursor cursor(text, text.all());
    ASSERT_TRUE(cursor.find("*OBJ"));
    const Span object = cursor.block();
    EXPECT_EQ(Inside(text, object), "\n\t*NAME \"odd } name {\"\n\t*INNER {\n\t\t*V 1\n\t}\n");
    Cursor name(text, object);
    ASSERT_TRUE(name.find("*NAME"));
    EXPECT_EQ(name.quoted(), "odd } name {");
    EXPECT_TRUE(cursor.find("*AFTER"));
}

TEST(AseCursor, ValuesAreReadFromTheCurrentLineOnly)
{
    const Indexed text("*POS 1.5\n2.5 3.5\n*NAME unquoted name  \r\n*Q \"open quote\n");
    Cursor cursor(text, text.all());
    ASSERT_TRUE(cursor.find("*POS"));
    EXPECT_EQ(cursor.real(), 1.5f);
    EXPECT_EQ(cursor.real(), 0.0f);   // the line ends: a missing value reads as 0
    ASSERT_TRUE(cursor.find("*NAME"));
    EXPECT_EQ(cursor.quoted(), "unquoted name");
    ASSERT_TRUE(cursor.find("*Q"));
    EXPECT_EQ(cursor.quoted(), "open quote");
}

TEST(AseCursor, LabelsOnALineMatchWholeTokens)
{
    const Indexed text("*MESH_FACE 0:  AB: 7 A: 1 B: 2\n*NEXT 3\n");
    Cursor cursor(text, text.all());
    ASSERT_TRUE(cursor.find("*MESH_FACE"));
    ASSERT_TRUE(cursor.skipToToken("A:"));
    EXPECT_EQ(cursor.integer(), 1);
    ASSERT_TRUE(cursor.skipToToken("B:"));
    EXPECT_EQ(cursor.integer(), 2);
    EXPECT_FALSE(cursor.skipToToken("C:"));
}

TEST(AseCursor, NextKeywordWalksTheKeywordsOfASpan)
{
    const Indexed text("*A 1 * 2 *B_C3\n*");
    Cursor cursor(text, text.all());
    EXPECT_EQ(cursor.nextKeyword(), "A");
    EXPECT_EQ(cursor.nextKeyword(), "B_C3");
    EXPECT_EQ(cursor.nextKeyword(), "");
    EXPECT_TRUE(cursor.atEnd());
}

TEST(AseBlocks, UnclosedBlockIsReportedWithItsLine)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"*A {\n*B {\n}\n", "The block opened at line 1 is never closed"},
        {"*A {\n}\n*B {\n*C 1", "The block opened at line 3 is never closed"},
        {"*A {\n*NAME \"x}\n", "The block opened at line 1 is never closed"},
    };
    for (const auto& each : cases) {
        const std::string content = each.text;
        AseText text(content);
        std::string error;
        EXPECT_FALSE(text.indexBlocks(&error)) << each.text;
        EXPECT_EQ(error.rfind(each.message, 0), 0u) << error;
    }
    const std::string stray = "}\n*A {\n}\n}\n";
    AseText strayClose(stray);
    EXPECT_TRUE(strayClose.indexBlocks(nullptr));
}

TEST(AseBlocks, LineWithoutABlockGivesAnEmptySpan)
{
    const Indexed text("*A\n{\n}\n");
    Cursor cursor(text, text.all());
    ASSERT_TRUE(cursor.find("*A"));
    const std::size_t at = cursor.position();
    EXPECT_TRUE(cursor.block().empty());
    EXPECT_EQ(cursor.position(), at);
}
