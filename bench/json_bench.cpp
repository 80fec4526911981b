// JsonDocument on a catalog list of about 1 MB: the parse, and the page
// loader's reads, every field of every entry by its path.
#include <benchmark/benchmark.h>

#include <string>

#include "net/json_document.h"
#include "services/catalog_lists.h"

namespace {

// A list reply as the catalog API writes it, of about the given size.
std::string ListOfAbout(std::size_t bytes, int& entries) {
    std::string reply = R"({"allnum":"0")";
    entries = 0;
    while (reply.size() < bytes) {
        const std::string n = std::to_string(++entries);
        reply +=
            ",\"" + n + R"(":{"appid":")" + n + R"(","apptitle":"\u661f\u7a7a\u76f4\u64ad )" + n +
            R"(","packname":"com.example.app)" + n +
            R"(","appver":"3.2.1","appsize":"12.6M","appico":"http:\/\/127.0.0.1:8782\/down\/icon\/com.example.app)" +
            n + R"(.png","downurl":"http:\/\/127.0.0.1:8782\/down\/apk\/com.example.app)" + n +
            R"(_321.apk","lastapp":"2017-01-01 08:00:00","summary":"高清电视直播，上百个频道随心看"})";
    }
    reply += "}";
    reply.replace(reply.find("\"0\""), 3, "\"" + std::to_string(entries) + "\"");
    return reply;
}

const std::string& List(int& entries) {
    static int count = 0;
    static const std::string list = ListOfAbout(1 << 20, count);
    entries = count;
    return list;
}

void BM_Parse1MBList(benchmark::State& state) {
    int entries = 0;
    const std::string text = "{arr:" + List(entries) + "}";
    for (auto _ : state) {
        qvpc::JsonDocument document;
        benchmark::DoNotOptimize(document.parse(text));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["entries"] = entries;
}
BENCHMARK(BM_Parse1MBList)->Unit(benchmark::kMillisecond);

void BM_PathReadsOf1MBList(benchmark::State& state) {
    int entries = 0;
    qvpc::JsonDocument document;
    document.parse("{arr:" + List(entries) + "}");
    const char* keys[] = {"downurl", "appid",   "lastapp", "apptitle", "appico",
                          "appver",  "appsize", "summary", "packname"};
    std::string path;
    for (auto _ : state) {
        for (int i = 1; i <= entries; ++i) {
            const std::string prefix = "arr[" + std::to_string(i) + "].";
            for (const char* key : keys) {
                path.assign(prefix).append(key);
                benchmark::DoNotOptimize(document.getText(path));
            }
            benchmark::DoNotOptimize(document.getText("arr['allnum']"));
        }
    }
    state.SetItemsProcessed(state.iterations() * entries * 10);
}
BENCHMARK(BM_PathReadsOf1MBList)->Unit(benchmark::kMillisecond);

void BM_LoadJsonListOf1MB(benchmark::State& state) {
    int entries = 0;
    const std::string& list = List(entries);
    for (auto _ : state) {
        qvpc::CatalogItems items;
        benchmark::DoNotOptimize(qvpc::ParseJsonList(list, items));
    }
    state.SetItemsProcessed(state.iterations() * entries);
}
BENCHMARK(BM_LoadJsonListOf1MB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
