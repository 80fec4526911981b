// The small parsers of servicesim: request targets, byte ranges, fault specs
// and the remote SQL message.

#include <gtest/gtest.h>

#include "sim/byte_range.h"
#include "sim/fault.h"
#include "sim/mysql_dialect.h"
#include "sim/remote_sql_message.h"
#include "sim/request_target.h"
#include "sim/text_codec.h"

namespace qvpc::servicesim {
namespace {

TEST(RequestTarget, DecodesPathAndQuery) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        const char* raw;
        const char* path;
        Pairs query;
    };
    const Case cases[] = {
        {"/a%20b+c/x.php?k=v+w%2B&e=&flag&&k=2",
         "/a b+c/x.php",
         {{"k", "v w+"}, {"e", ""}, {"flag", ""}, {"k", "2"}}},
        // Broken escapes stay as they came; a fragment is cut off.
        {"/%zz%4?a=%G1%&b=%e4%b8%ad#frag", "/%zz%4", {{"a", "%G1%"}, {"b", "中"}}},
        {"", "", {}},
    };
    for (const Case& c : cases) {
        RequestTarget target = RequestTarget::Parse(c.raw);
        EXPECT_EQ(target.path, c.path) << c.raw;
        EXPECT_EQ(target.query, c.query) << c.raw;
    }
}

TEST(ByteRange, ReadsTheFormsClientsSend) {
    using Kind = ByteRange::Kind;
    struct Case {
        const char* header;
        Kind kind;
        std::uint64_t first;
        std::uint64_t length;
    };
    const Case cases[] = {
        {nullptr, Kind::Whole, 0, 1000},
        {"bytes=0-99", Kind::Part, 0, 100},
        {"bytes=900-", Kind::Part, 900, 100},
        {"bytes=-10", Kind::Part, 990, 10},
        {"bytes=990-5000", Kind::Part, 990, 10},
        {"bytes=-5000", Kind::Part, 0, 1000},
        {"bytes=1000-", Kind::Unsatisfiable, 0, 0},
        {"bytes=-0", Kind::Unsatisfiable, 0, 0},
        {"bytes=5-1", Kind::Whole, 0, 1000},
        {"bytes=0-1,5-6", Kind::Whole, 0, 1000},
        {"items=0-1", Kind::Whole, 0, 1000},
        {"bytes=x-1", Kind::Whole, 0, 1000},
    };
    for (const Case& c : cases) {
        std::optional<std::string_view> header;
        if (c.header) {
            header = c.header;
        }
        ByteRange range = ParseByteRange(header, 1000);
        EXPECT_EQ(range.kind, c.kind) << (c.header ? c.header : "none");
        if (c.kind != Kind::Unsatisfiable) {
            EXPECT_EQ(range.first, c.first) << c.header;
            EXPECT_EQ(range.length, c.length) << c.header;
        }
    }
}

TEST(FaultSpec, ParsesKindsAndWritesThemBack) {
    struct Case {
        const char* spec;
        const char* text;  // nullptr: refused
    };
    const Case cases[] = {
        {"none", "none"},
        {"-1", "-1"},
        {"minus1", "-1"},
        {"slow:2500", "slow:2500"},
        {"drop:4096+throttle:1000", "throttle:1000+drop:4096"},
        {"huge", "huge:67108864"},
        {"http:404+slow:5", "slow:5+http:404"},
        {"literal", "literal"},
        {"stall:0", "stall:0"},
        {"slow", nullptr},
        {"slow:-1", nullptr},
        {"http:600", nullptr},
        {"throttle:0", nullptr},
        {"often", nullptr},
    };
    for (const Case& c : cases) {
        std::string error;
        std::optional<Fault> fault = Fault::Parse(c.spec, error);
        if (!c.text) {
            EXPECT_FALSE(fault) << c.spec;
            EXPECT_FALSE(error.empty()) << c.spec;
        } else {
            ASSERT_TRUE(fault) << c.spec << ": " << error;
            EXPECT_EQ(fault->text(), c.text);
        }
    }
}

TEST(RemoteSqlMessage, SplitsEachKindAndKeepsSeparatorsInTheLastOperand) {
    auto que = SplitRemoteSqlMessage("42|+|QUE|+|tessiwop|+|`units`|+|品牌名|+| WHERE a='|+|'|+|");
    ASSERT_TRUE(que);
    EXPECT_EQ(que->token, "42");
    EXPECT_EQ(que->operands, (std::vector<std::string>{"`units`", "品牌名", " WHERE a='|+|'"}));

    auto gun = SplitRemoteSqlMessage("7|+|GUN|+|tessiwop|+|`app_mac`|+||+|");
    ASSERT_TRUE(gun);
    EXPECT_EQ(gun->operands, (std::vector<std::string>{"`app_mac`", ""}));

    auto sql = SplitRemoteSqlMessage("1|+|SQL|+|id|+|update t set a='|+|'|+|");
    ASSERT_TRUE(sql);
    EXPECT_EQ(sql->operands, (std::vector<std::string>{"update t set a='|+|'"}));

    EXPECT_FALSE(SplitRemoteSqlMessage("42"));
    EXPECT_FALSE(SplitRemoteSqlMessage("42|+|QUE|+|id"));

    // The form body: every GBK byte percent-encoded.
    auto decoded = DecodeRemoteSqlBody("DATA=" + PercentEncodeAll(Utf8ToGbk(que->text)));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->text, que->text);
}

TEST(MysqlDialect, StringLiteralsBecomeSqliteLiterals) {
    const std::pair<std::string, std::string> cases[] = {
        {"select 1", "select 1"},
        {"a='x'", "a='x'"},
        {R"(a='O\'Brien')", "a='O''Brien'"},
        {"a='it''s'", "a='it''s'"},
        {R"(a='c:\\dir')", R"(a='c:\dir')"},
        {R"(a="say \"hi\"")", R"(a='say "hi"')"},
        {R"(a="it's")", "a='it''s'"},
        {"`na'me`='v'", "`na'me`='v'"},
        {R"(a='line\nnext')", "a='line\nnext'"},
        {"a='open", "a='open"},
    };
    for (const auto& [mysql, sqlite] : cases) {
        EXPECT_EQ(MysqlToSqlite(mysql), sqlite) << mysql;
    }
}

}  // namespace
}  // namespace qvpc::servicesim
