#include "services/update_reply.h"

#include <gtest/gtest.h>

#include "base/gbk.h"
#include "net/http_client.h"

namespace qvpc {
namespace {

using Kind = ParsedUpdateReply::Kind;

TEST(ParseUpdateReplyTest, FiveItemsBeforeTheFirstBreakMakeAnOffer) {
    const ParsedUpdateReply reply = ParseUpdateReply(
        "1.4.10.0<rb>http://h/q<rb>真<rb>1. a b\r\n2. c<rb>2017-02-21<br>junk<rb><rb><rb><rb>");
    ASSERT_EQ(reply.kind, Kind::Offer);
    EXPECT_EQ(reply.offer.version, "1.4.10.0");
    EXPECT_EQ(reply.offer.url, "http://h/q");
    EXPECT_EQ(reply.offer.force, "真");
    EXPECT_EQ(reply.offer.notes, "1. a b\r\n2. c");
}

TEST(ParseUpdateReplyTest, ShortOrEmptyRepliesAreTold) {
    struct Case {
        const char* text;
        Kind kind;
    };
    const Case cases[] = {
        {"", Kind::NoPart},
        {"1.4.10.0<rb>http://h/q<rb>假<rb>notes<br>", Kind::TooFewItems},
        {"<br>1<rb>2<rb>3<rb>4<rb>5", Kind::TooFewItems},
        {"<html>Not Found</html>", Kind::TooFewItems},
        {"1<rb>2<rb>3<rb>4<rb>5", Kind::Offer},
        {" 1.0 <rb> u <rb> 真 \r\n<rb>n<rb>", Kind::Offer},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseUpdateReply(c.text).kind, c.kind) << c.text;
    }
    EXPECT_EQ(ParseUpdateReply(" 1.0 <rb> u <rb> 真 \r\n<rb>n<rb>").offer.force, "真");
}

TEST(UpdateReplyTextTest, GbkOrUtf8ComeOutAsUtf8) {
    const std::string text = "1.4.10.0<rb>http://h/q<rb>真<rb>修复<rb>2017<br>";
    struct Case {
        std::string bytes;
        std::string contentType;
    };
    const Case cases[] = {
        {Utf8ToGbk(text), "text/html; charset=gbk"},
        {Utf8ToGbk(text), "text/html"},
        {Utf8ToGbk(text), ""},
        {"\xEF\xBB\xBF" + text, "text/html; charset=utf-8"},
        {"\xEF\xBB\xBF" + text, "text/html; charset=gbk"},
        // Saved as UTF-8 while the header still says GBK.
        {text, "text/html; charset=gbk"},
        {text, ""},
    };
    for (const Case& c : cases) {
        HttpReply reply;
        reply.status = "200 OK";
        reply.bytes = c.bytes;
        reply.headers = "HTTP/1.1 200 OK\r\nContent-Type: " + c.contentType + "\r\n\r\n";
        EXPECT_EQ(UpdateReplyText(reply), text) << c.contentType;
    }
}

TEST(UpdateReplyTextTest, BytesThatAreNoTextComeOutReplaced) {
    struct Case {
        std::string bytes;
        std::string contentType;
        std::string text;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF"
         "1.0<rb>\xC0\xFF<rb>",
         "text/html; charset=utf-8", "1.0<rb>\uFFFD\uFFFD<rb>"},
        {"1.0<rb>\xC0\xFF<rb>", "text/html; charset=x-unknown", "1.0<rb>\uFFFD\uFFFD<rb>"},
    };
    for (const Case& c : cases) {
        HttpReply reply;
        reply.status = "200 OK";
        reply.bytes = c.bytes;
        reply.headers = "HTTP/1.1 200 OK\r\nContent-Type: " + c.contentType + "\r\n\r\n";
        EXPECT_EQ(UpdateReplyText(reply), c.text) << c.contentType;
    }
}

TEST(UpdateReplyTextTest, FailedErrorOrOversizedRepliesAreNoReply) {
    HttpReply failed;
    failed.status = "711 发送请求失败!";
    HttpReply error;
    error.status = "500 Internal Server Error";
    error.bytes = "1<rb>2<rb>3<rb>4<rb>5<br>";
    HttpReply huge;
    huge.status = "200 OK";
    huge.bytes = "1<rb>2<rb>3<rb>4<rb>5<br>" + std::string(1024 * 1024, ' ');
    for (const HttpReply& reply : {failed, error, huge}) {
        EXPECT_EQ(UpdateReplyText(reply), "") << reply.status;
    }
}

}  // namespace
}  // namespace qvpc
