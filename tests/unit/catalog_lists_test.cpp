// The catalog servers' replies read into items: the API's JSON lists and the
// market search's tagged list.
#include "services/catalog_lists.h"

#include <gtest/gtest.h>

namespace qvpc {
namespace {

CatalogItems Previous() {
    CatalogItem item;
    item.name = "from the last load";
    return {item};
}

TEST(JsonList, EntriesAreReadByKeyWithTheListsTotalInEach) {
    const std::string reply =
        R"({"allnum":"19","1":{"appid":"1001","apptitle":"星空直播","packname":"com.xingkong.live",)"
        R"("appver":"3.2.1","appsize":"12.6M","appico":"http:\/\/h\/icon\/a.png",)"
        R"("downurl":"http:\/\/h\/apk\/a.apk","lastapp":"2017-01-01 08:00:00","summary":"s"},)"
        R"("2":{"appid":"1002","apptitle":"蓝天电视"}})";
    CatalogItems items = Previous();
    ASSERT_EQ(ParseJsonList(reply, items), 2);
    ASSERT_EQ(items.size(), 2u);
    CatalogItem first;
    first.total = "19";
    first.id = "1001";
    first.downloadUrl = "http://h/apk/a.apk";
    first.updateTime = "2017-01-01 08:00:00";
    first.name = "星空直播";
    first.iconUrl = "http://h/icon/a.png";
    first.version = "3.2.1";
    first.size = "12.6M";
    first.description = "s";
    first.package = "com.xingkong.live";
    EXPECT_EQ(items[0], first);
    EXPECT_EQ(items[1].total, "19");
    EXPECT_EQ(items[1].name, "蓝天电视");
    EXPECT_EQ(items[1].downloadUrl, "") << "a missing member reads as empty text";
}

TEST(JsonList, FieldsAreTextOnly) {
    CatalogItems items;
    ASSERT_EQ(
        ParseJsonList(R"({"allnum":"2","1":{"appid":1001,"apptitle":null,"appver":true}})", items),
        1);
    EXPECT_EQ(items[0].id, "");
    EXPECT_EQ(items[0].name, "");
    EXPECT_EQ(items[0].version, "");
}

TEST(JsonList, TheTotalAsTheServersWriteIt) {
    const std::pair<std::string, std::string> cases[] = {
        {R"("19")", "19"},
        {"19", "19"},  // a JSON number means the same number
        {R"("many")", "many"},
        {"null", ""},
    };
    for (const auto& [written, total] : cases) {
        SCOPED_TRACE(written);
        CatalogItems items;
        ASSERT_EQ(ParseJsonList(R"({"allnum":)" + written + R"(,"1":{"appid":"7"}})", items), 1);
        EXPECT_EQ(items[0].total, total);
    }
}

TEST(JsonList, JavaScriptLiteralsAndArraysReadAlike) {
    CatalogItems items;
    ASSERT_EQ(ParseJsonList("{allnum:'3',1:{appid:'7',apptitle:'it\\'s'}}", items), 1);
    EXPECT_EQ(items[0].name, "it's");
    // An array's element 0 counts as its total's place.
    ASSERT_EQ(ParseJsonList(R"(["x",{"appid":"8"},{"appid":"9"}])", items), 2);
    EXPECT_EQ(items[1].id, "9");
}

TEST(JsonList, FailuresLeaveTheItemsAsTheyWere) {
    const std::pair<std::string, int> cases[] = {
        {R"({"allnum":"19"})", -2},              // a page past the end
        {"", -2},                                // no reply
        {"{\"allnum\":\"19\",\"1\":{\"ap", -2},  // cut in half
        {"<html>404</html>", -2},
        {"-1", kListRefused},
        {"-1   ", kListRefused},
    };
    for (const auto& [reply, code] : cases) {
        SCOPED_TRACE(reply);
        CatalogItems items = Previous();
        std::string total = "unset";
        EXPECT_EQ(ParseJsonList(reply, items, &total), code);
        EXPECT_EQ(items, Previous());
    }
    // The total of a reply without entries still comes out.
    CatalogItems items;
    std::string total;
    ParseJsonList(R"({"allnum":"19"})", items, &total);
    EXPECT_EQ(total, "19");
}

TEST(TaggedList, OneItemPerUrlElementEachCountingThemAll) {
    std::string reply = "<?xml version=\"1.0\"?>\n<urlset>\n";
    for (const char* id : {"1", "2", "3"}) {
        reply += std::string("<url><appid>") + id +
                 "</appid><apptitle>Kestrune市场</apptitle><packname>com.kestrunemarket</packname>"
                 "<appver>3.2.0</appver><appsize>6.1M</appsize><lastapp>t</lastapp>"
                 "<appico>http://h/i.png</appico><downurl><![CDATA[http://h/m.apk]]></downurl>"
                 "<summary>s</summary><piclist>p1,p2</piclist></url>\n";
    }
    reply += "</urlset>\n";
    CatalogItems items;
    ASSERT_EQ(ParseTaggedList(reply, items), 3);
    ASSERT_EQ(items.size(), 3u);
    for (const CatalogItem& item : items) {
        EXPECT_EQ(item.total, "3");
    }
    EXPECT_EQ(items[2].id, "3");
    EXPECT_EQ(items[0].name, "Kestrune市场");
    EXPECT_EQ(items[0].downloadUrl, "http://h/m.apk");
    EXPECT_EQ(items[0].thumbnails, "p1,p2");
    EXPECT_EQ(items[0].package, "com.kestrunemarket");
}

TEST(TaggedList, MissingTagsAndAUrlOutsideItsCdataReadAsEmpty) {
    CatalogItems items;
    ASSERT_EQ(ParseTaggedList("<url><downurl>http://h/m.apk</downurl></url>", items), 1);
    EXPECT_EQ(items[0].downloadUrl, "");
    EXPECT_EQ(items[0].name, "");
}

TEST(TaggedList, FailuresLeaveTheItemsAsTheyWere) {
    const std::pair<std::string, int> cases[] = {
        {"<urlset></urlset>", -1},
        {"", -1},
        {"-1 ", kListRefused},
    };
    for (const auto& [reply, code] : cases) {
        SCOPED_TRACE(reply);
        CatalogItems items = Previous();
        EXPECT_EQ(ParseTaggedList(reply, items), code);
        EXPECT_EQ(items, Previous());
    }
}

}  // namespace
}  // namespace qvpc
