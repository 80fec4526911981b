// The texts of the remote SQL service: messages, their encoding, replies.
#include "devices/remote_sql_message.h"

#include <gtest/gtest.h>

namespace qvpc::remote_sql {
namespace {

TEST(RemoteSqlMessageTest, MessagesCarryTokenKindRemoteIdAndOperands) {
    const struct {
        std::string built;
        std::string expected;
    } cases[] = {
        {CountMessage(42, "tessiwop", "app_mac", "`mac` = 'AA-BB-CC-DD-EE-FF'"),
         "42|+|GUN|+|tessiwop|+|`app_mac`|+| WHERE `mac` = 'AA-BB-CC-DD-EE-FF'|+|"},
        {SelectMessage(7, "tessiwop", "units", "品牌名", "`keywords`='MIBOX3'"),
         "7|+|QUE|+|tessiwop|+|`units`|+|品牌名|+| WHERE `keywords`='MIBOX3'|+|"},
        // A where text that already says where, and a table already quoted.
        {SelectMessage(0, "id", "`units`", "a", "where b=1"),
         "0|+|QUE|+|id|+|`units`|+|a|+|where b=1|+|"},
        {CountMessage(9999, "id", "units", "x=1 WhErE y=2"),
         "9999|+|GUN|+|id|+|`units`|+|x=1 WhErE y=2|+|"},
        {CountMessage(5, "id", "units", ""), "5|+|GUN|+|id|+|`units`|+||+|"},
        {ExecuteMessage(31, "tessiwop", "update app_mac set num=num+1"),
         "31|+|SQL|+|tessiwop|+|update app_mac set num=num+1|+|"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.built, c.expected);
    }
}

TEST(RemoteSqlMessageTest, EveryGbkByteIsPercentEncoded) {
    EXPECT_EQ(FormBody("4|+|"), "DATA=%34%7C%2B%7C");
    // 小 is D0 A1 in GBK; every byte is written, letters and digits too.
    EXPECT_EQ(FormBody("小a"), "DATA=%D0%A1%61");
    EXPECT_EQ(FormBody(""), "DATA=");
}

TEST(RemoteSqlMessageTest, ValuesCannotLeaveTheirLiteral) {
    const std::pair<std::string, std::string> cases[] = {
        {"MIBOX3", "'MIBOX3'"},
        {"", "''"},
        {"O'Brien", R"('O\'Brien')"},
        {R"(a\b)", R"('a\\b')"},
        {R"(x\')", R"('x\\\'')"},
        {"x'); delete from app_mac; --", R"('x\'); delete from app_mac; --')"},
        {"小米'盒子", R"('小米\'盒子')"},
    };
    for (const auto& [value, quoted] : cases) {
        EXPECT_EQ(Quoted(value), quoted) << value;
    }
}

TEST(RemoteSqlMessageTest, SelectRepliesSplitIntoCells) {
    const struct {
        std::string reply;
        std::vector<std::string> cells;
    } cases[] = {
        {"abc<br>", {"abc"}},
        {"a<rb>b<br>c<rb><br>", {"a", "b", "c"}},
        {"", {}},
        {"-1", {"-1"}},
        {"a<rb><rb>b<br>", {"a", "", "b"}},
        {"小米盒子<br>天猫魔盒<br>", {"小米盒子", "天猫魔盒"}},
        {"no separator", {"no separator"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitCells(c.reply), c.cells) << c.reply;
    }
}

TEST(RemoteSqlMessageTest, CountAndStatementRepliesAreNumbers) {
    const std::pair<std::string, int> cases[] = {
        {"%31", 1}, {"%31%30", 10}, {"%2D%31", -1}, {"-1", -1},    {"0", 0},   {"%30", 0},
        {"abc", 0}, {"", 0},        {"12abc", 12},  {"<html>", 0}, {"%2D", 0}, {"%3", 0},
    };
    for (const auto& [reply, number] : cases) {
        EXPECT_EQ(ReplyNumber(reply), number) << reply;
    }
}

TEST(RemoteSqlMessageTest, TheTokenIsTheLastFourDigitsOfTicksPlusSeconds) {
    EXPECT_EQ(TokenOf(1000, 41), 1041);
    EXPECT_EQ(TokenOf(123456789, 1487667900), 4689);  // 1611124689
    EXPECT_EQ(TokenOf(0, 42), 42);
    EXPECT_EQ(TokenOf(10000, 0), 0);  // "0000"
    EXPECT_EQ(TokenOf(10000, 7), 7);  // "0007", written without its zeros
    const int now = ClockToken();
    EXPECT_GE(now, 0);
    EXPECT_LE(now, 9999);
}

}  // namespace
}  // namespace qvpc::remote_sql
