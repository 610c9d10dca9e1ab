// The nesting check that every reader of the project script runs before the parser.
#include "TempDir.h"
#include "VEK_ScriptDocument.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>

namespace {

std::string Nested(int levels)
{
    std::string text;
    for (int i = 0; i < levels; ++i) text += "<a>";
    for (int i = 0; i < levels; ++i) text += "</a>";
    return text;
}

// The nesting TinyXML builds, for texts shallow enough to parse.
int TreeDepth(const TiXmlNode* node)
{
    int deepest = 0;
    for (const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling())
        if (child->ToElement()) deepest = std::max(deepest, 1 + TreeDepth(child));
    return deepest;
}

TEST(ScriptNesting, CountsElementsTheWayTheParserReadsThem)
{
    struct Case {
        const char* what;
        std::string text;
        int depth;
    } cases[] = {
        {"nested and empty elements", "<a><b><c/></b><d></d></a>", 3},
        {"comment", "<a><!-- <x><y> --></a>", 1},
        {"CDATA", "<a><![CDATA[<x><y>]]></a>", 1},
        {"quoted values with markup", "<a t=\"/>\"><b u='>'><c/></b></a>", 3},
        {"stray end tags at the top", "</a></a><b><c></c></b>", 2},
        {"doctype and processing instruction", "<!DOCTYPE x><?pi <y> ?><a></a>", 1},
        {"declaration value with '>'", "<?xml version=\"1>\"?><a></a>", 1},
        {"declaration word with a quote ends at '>'", "<?xml foo=\"><a><b>\"?>", 2},
        {"text with '>' and '/>'", "<a>x > y /> z<b></b></a>", 2},
        {"CR LF line ends", "<a>\r\n<b>\r</b></a>", 2},
        {"stops at a zero byte", std::string("<a>\0<b><c>", 10), 1},
        // Once a declaration has chosen UTF-8, a lead byte takes the bytes after it along.
        {"bytes: the quote ends the value", "<a t=\"\xE0\" \"><b><c>", 1},
        {"UTF-8 after a declaration", "<?xml version=\"1.0\"?><a t=\"\xE0\" \"><b><c>", 3},
        {"UTF-8 after a byte-order mark", "\xEF\xBB\xBF<a t=\"\xE0\" \"><b><c>", 3},
        {"the limit", Nested(kMaxScriptNesting), kMaxScriptNesting},
        {"past the limit", Nested(kMaxScriptNesting + 1), kMaxScriptNesting + 1},
        {"counting stops after the limit", Nested(50000), kMaxScriptNesting + 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScriptNestingDepth(c.text), c.depth) << c.what;
        if (c.depth > kMaxScriptNesting) continue;
        // Never fewer levels than the parser builds.
        TiXmlDocument document;
        document.Parse(c.text.c_str());
        EXPECT_LE(TreeDepth(&document), c.depth) << c.what;
    }
}

TEST(ScriptNesting, LoadingRefusesADeepScriptBeforeTheParser)
{
    TempDir dir;
    ScopedChdir in(dir.path());
    struct Case {
        const char* what;
        std::string text;
        const char* error;   // nullptr: it loads
    } cases[] = {
        {"a script", "<demoproject><engineDEMO name=\"x\"/></demoproject>", nullptr},
        {"at the limit", Nested(kMaxScriptNesting), nullptr},
        {"50,000 levels", Nested(50000), kScriptTooDeep},
        {"a parser error", "<demoproject>", "Error reading Element value."},
    };
    for (const Case& c : cases) {
        dir.write("demotest.xml", c.text);
        TiXmlDocument document("demotest.xml");
        const char* error = LoadScriptDocument(document, "demotest.xml");
        if (c.error) {
            ASSERT_NE(error, nullptr) << c.what;
            EXPECT_STREQ(error, c.error) << c.what;
        } else {
            EXPECT_EQ(error, nullptr) << c.what << ": " << error;
            EXPECT_NE(document.FirstChildElement(), nullptr) << c.what;
        }
    }
    // The parser never saw the deep one.
    dir.write("demotest.xml", Nested(50000));
    TiXmlDocument deep("demotest.xml");
    LoadScriptDocument(deep, "demotest.xml");
    EXPECT_EQ(deep.FirstChild(), nullptr);

    TiXmlDocument missing("absent.xml");
    EXPECT_STREQ(LoadScriptDocument(missing, "absent.xml"), "Failed to open file");
    // A folder given as the script opens but cannot be read: the same answer, no parse.
    std::filesystem::create_directory(dir / "folder.xml");
    TiXmlDocument folder("folder.xml");
    EXPECT_STREQ(LoadScriptDocument(folder, "folder.xml"), "Failed to open file");
}

bool HasElement(const TiXmlNode* node, const char* name)
{
    for (const TiXmlElement* child = node->FirstChildElement(); child; child = child->NextSiblingElement())
        if (child->ValueStr() == name || HasElement(child, name)) return true;
    return false;
}

// The parser's UTF-8 reading would step over a zero byte and build what follows it: the
// loaded script is the text before the zero byte, the same as the nesting check read.
TEST(ScriptNesting, LoadingEndsTheScriptAtItsFirstZeroByte)
{
    using namespace std::string_literals;
    TempDir dir;
    ScopedChdir in(dir.path());
    for (const std::string& text : {"<d>a\0<X/></d>"s, "<?xml version=\"1.0\"?><d>\xE0\0n<X/></d>"s}) {
        dir.write("demotest.xml", text);
        TiXmlDocument loaded("demotest.xml");
        LoadScriptDocument(loaded, "demotest.xml");
        EXPECT_NE(loaded.FirstChildElement("d"), nullptr) << text;
        EXPECT_FALSE(HasElement(&loaded, "X")) << text;
        EXPECT_LE(TreeDepth(&loaded), ScriptNestingDepth(text)) << text;
    }
}

}  // namespace
