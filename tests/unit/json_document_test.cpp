#include "net/json_document.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace qvpc {
namespace {

// How each read converts what it finds: one row per document and path.
struct ReadCase {
    const char* document;
    const char* path;
    std::string text;
    double number;
    int count;
};

const ReadCase kReads[] = {
    // Strings read as text and as 0, even when they hold digits.
    {R"({"arr":[{"a":"x"},{"a":1}]})", "arr[0].a", "x", 0, 0},
    {R"({"arr":[{"a":"x"},{"a":1}]})", "arr[1].a", "", 1, 0},
    {R"({"allnum":"12"})", "allnum", "12", 0, 0},
    {R"({"allnum":12})", "allnum", "", 12, 0},
    // Booleans: true is -1.
    {R"({"b":true})", "b", "", -1, 0},
    {R"({"b":false})", "b", "", 0, 0},
    // null reads as empty text, not as "null".
    {R"({"n":null})", "n", "", 0, 0},
    {R"({"n":"null"})", "n", "null", 0, 0},
    // Containers count their members or elements and read as nothing else.
    {R"({"arr":[1,2,3]})", "arr", "", 0, 3},
    {R"({"o":{"a":"1","b":"2"}})", "o", "", 0, 2},
    {R"({"arr":[]})", "arr", "", 0, 0},
    // Missing members and paths through missing parents.
    {R"({"arr":[1,2,3]})", "arr[5].x", "", 0, 0},
    {R"({"arr":[1,2,3]})", "missing", "", 0, 0},
    {R"({"arr":[1,2,3]})", "missing.deeper[2]", "", 0, 0},
    // An object's members by index, the form the catalog's lists take.
    {R"({"arr":{"allnum":"19","1":{"appid":"7"}}})", "arr[1].appid", "7", 0, 0},
    {R"({"arr":{"allnum":"19","1":{"appid":"7"}}})", "arr['allnum']", "19", 0, 0},
    {R"({"arr":{"allnum":"19","1":{"appid":"7"}}})", "arr", "", 0, 2},
    // A path beginning with "[" reads the root directly.
    {R"(["a","b"])", "[1]", "b", 0, 0},
    {R"(["a","b"])", "", "", 0, 2},
    // JavaScript's object literals: bare and numeric names, single quotes.
    {"{arr:[1,2,3]}", "arr", "", 0, 3},
    {"{arr:{1:{t:'it\\'s'}}}", "arr[1].t", "it's", 0, 0},
    {"{com_example_tv:{versioncode:'30'}}", "com_example_tv.versioncode", "30", 0, 0},
    // As JavaScript names them: the shortest digits, written out below 1e21.
    {"{11111111111111111111:'big',1.50:'x'}", "['11111111111111110000']", "big", 0, 0},
    {"{11111111111111111111:'big',1.50:'x'}", "['1.5']", "x", 0, 0},
    {"{1e3:'k',0x1F:'h'}", "[1000]", "k", 0, 0},
    {"{1e3:'k',0x1F:'h'}", "[31]", "h", 0, 0},
    // Escapes arrive decoded as UTF-8.
    {R"({"t":"\u661f\u7a7a\/x"})", "t", "星空/x", 0, 0},
    {R"({"t":"\ud83d\udcfa"})", "t", "\U0001F4FA", 0, 0},
    // Not a path.
    {R"({"a":"x"})", "a[", "", 0, 0},
    {R"({"a":"x"})", "a..b", "", 0, 0},
};

TEST(JsonDocument, ReadsFollowTheTypingRules) {
    for (const ReadCase& c : kReads) {
        SCOPED_TRACE(std::string(c.document) + " @ " + c.path);
        JsonDocument document;
        ASSERT_TRUE(document.parse(c.document));
        EXPECT_EQ(document.getText(c.path), c.text);
        EXPECT_EQ(document.getNumber(c.path), c.number);
        EXPECT_EQ(document.count(c.path), c.count);
    }
}

TEST(JsonDocument, ParseAcceptsJavaScriptValuesAndRefusesTheRest) {
    struct Case {
        std::string text;
        bool parsed;
    };
    const Case cases[] = {
        {"{}", true},
        {"{a:1,}", true},  // a trailing comma
        {"[1,,2]", true},
        {"( {a:1} )", true},
        {"/* c */ {a: // line\n 1}", true},
        {"{a:-0x1F, b:+.5, c:5., d:Infinity, e:NaN, f:undefined}", true},
        {"\xEF\xBB\xBF{\"a\":\"b\"}", true},  // the byte-order mark is white space
        {"\"text\"", true},
        {"null", false},
        {"undefined", false},
        {"", false},
        {"{arr:}", false},  // what the catalog's wrapping of an empty reply gives
        {"{a:1", false},
        {"{a:'x\ny'}", false},  // a line end inside a string
        {"{a:foo}", false},
        {"{a:1} {b:2}", false},
        {"{a:1} /* open", false},
        {"<html>", false},
        {std::string(300, '[') + std::string(300, ']'), false},  // too deep
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        JsonDocument document;
        EXPECT_EQ(document.parse(c.text), c.parsed);
    }
}

TEST(JsonDocument, AFailedParseLeavesAnEmptyDocument) {
    JsonDocument document;
    ASSERT_TRUE(document.parse("{arr:[1,2]}"));
    EXPECT_FALSE(document.parse("not an expression"));
    EXPECT_LE(document.count("arr"), 0);
    EXPECT_EQ(document.getText("arr[0]"), "");
}

TEST(JsonDocument, NumbersAsJavaScriptWritesThem) {
    JsonDocument document;
    ASSERT_TRUE(
        document.parse("{h:0x1F, n:-2.5e3, p:+.5, t:5., i:-Infinity, big:1e400, tiny:1e-400}"));
    EXPECT_EQ(document.getNumber("h"), 31);
    EXPECT_EQ(document.getNumber("n"), -2500);
    EXPECT_EQ(document.getNumber("p"), 0.5);
    EXPECT_EQ(document.getNumber("t"), 5);
    EXPECT_EQ(document.getNumber("i"), -INFINITY);
    EXPECT_EQ(document.getNumber("big"), INFINITY);
    EXPECT_EQ(document.getNumber("tiny"), 0);
}

TEST(JsonDocument, ALaterMemberOfTheSameNameWinsAndKeepsTheFirstPlace) {
    JsonDocument document;
    std::string text = "{";
    // Enough members for the object to look them up through its index.
    for (int i = 0; i < 40; ++i) {
        text += "m" + std::to_string(i) + ":'" + std::to_string(i) + "',";
    }
    text += "m3:'again'}";
    ASSERT_TRUE(document.parse(text));
    EXPECT_EQ(document.count(), 40);
    EXPECT_EQ(document.getText("m3"), "again");
    EXPECT_EQ(document.getText("m39"), "39");
}

TEST(JsonDocument, ReadsFieldByFieldFollowTheDocumentThroughItsChanges) {
    JsonDocument document;
    ASSERT_TRUE(document.parse("{arr:[{a:'1',b:'2'},{a:'3'}]}"));
    EXPECT_EQ(document.getText("arr[0].a"), "1");
    EXPECT_EQ(document.getText("arr[0].b"), "2");
    EXPECT_EQ(document.getText("arr[1].a"), "3");
    EXPECT_EQ(document.getText("arr[2].a"), "");
    EXPECT_EQ(document.getText("arr[1].a"), "3");
    document.setText("arr[1].b", "4");
    EXPECT_EQ(document.getText("arr[1].b"), "4");
    ASSERT_TRUE(document.parse("{arr:[{a:'5'},{a:'6'}]}"));
    EXPECT_EQ(document.getText("arr[1].a"), "6");
    EXPECT_EQ(document.getText("arr[0].a"), "5");
}

TEST(JsonDocument, SetTextStoresTheValueExactly) {
    JsonDocument document;
    ASSERT_TRUE(document.parse(R"({"arr":[{"PackageName":"com.a"}]})"));
    const std::string url = "http://h/x?a='1'&b=\"2\"\\";
    document.setText("arr[0].downloadurl", url);
    EXPECT_EQ(document.getText("arr[0].downloadurl"), url);
    EXPECT_EQ(document.getText("arr[0].PackageName"), "com.a");
    // The parent must exist.
    document.setText("arr[3].downloadurl", "x");
    EXPECT_EQ(document.count("arr"), 1);
}

}  // namespace
}  // namespace qvpc
