#include "base/update_command_line.h"

#include <gtest/gtest.h>

namespace qvpc {
namespace {

TEST(UpdaterCommandLineTest, SevenFieldsWithoutASpaceButTheFirst) {
    const UpdateOrder order{.version = "1.4.10.0",
                            .executablePath = "/home/u/My Apps/qvpc",
                            .url = "http://127.0.0.1:8782/down/update/qvpc",
                            .notes = "1. a b\r\n2. c"};
    EXPECT_EQ(UpdaterCommandLine(order),
              " 启动窗口标题:1.4.10.0<#><#><#>/home/u/My<?>Apps/qvpc<#>"
              "http://127.0.0.1:8782/down/update/qvpc<#>"
              "更新说明:|换行符|1.<?>a<?>b|换行符|2.<?>c<#>真");
}

TEST(UpdaterCommandLineTest, LineBreaksOfOtherSystemsAreLineBreaksToo) {
    const UpdateOrder order{
        .version = "2", .executablePath = "/q", .url = "http://h/u", .notes = "a\nb\rc"};
    EXPECT_EQ(
        UpdaterCommandLine(order),
        " 启动窗口标题:2<#><#><#>/q<#>http://h/u<#>更新说明:|换行符|a|换行符|b|换行符|c<#>真");
}

TEST(UpdaterCommandLineTest, ReadsBackWhatWasWritten) {
    const UpdateOrder orders[] = {
        {.version = "1.4.10.0",
         .executablePath = "/home/u/My Apps/qvpc",
         .url = "https://h/x?a=1",
         .notes = "1. a b\n2. c"},
        {.version = "3.0.0.2", .executablePath = "/opt/q", .url = "", .notes = ""},
        // Notes holding the separator itself still come back whole.
        {.version = "3", .executablePath = "/q", .url = "http://h/u", .notes = "x<#>y <#> z"},
    };
    for (const UpdateOrder& order : orders) {
        const std::optional<UpdateOrder> read = ParseUpdaterCommandLine(UpdaterCommandLine(order));
        ASSERT_TRUE(read) << order.notes;
        EXPECT_EQ(read->version, order.version);
        EXPECT_EQ(read->executablePath, order.executablePath);
        EXPECT_EQ(read->url, order.url);
        EXPECT_EQ(read->notes, order.notes);
    }
}

TEST(UpdaterCommandLineTest, RefusesWhatIsNotAnOrder) {
    for (const char* text :
         {"", " ", "--help", " a<#>b<#>c", " 启动窗口标题:1<#><#><#>/q<#>u<#>x<#>真",
          " 标题:1<#><#><#>/q<#>u<#>更新说明:|换行符|<#>真"}) {
        EXPECT_FALSE(ParseUpdaterCommandLine(text)) << text;
    }
}

}  // namespace
}  // namespace qvpc
