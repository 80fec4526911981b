// JsonDocument on a catalog list of about 1 MB: the parse, and the page
// loader's reads of every field of every entry by its path; nlohmann-json on
// the same list side by side.
#include <nlohmann/json.hpp>
#include <string>

#include "bench_rows.h"
#include "net/json_document.h"
#include "services/catalog_lists.h"

namespace {

constexpr const char* kKeys[] = {"downurl", "appid",   "lastapp", "apptitle", "appico",
                                 "appver",  "appsize", "summary", "packname"};

// A list reply as the catalog API writes it, of about the given size.
std::string ListOfAbout(std::size_t bytes, int& entries) {
    std::string entriesText;
    entries = 0;
    while (entriesText.size() < bytes) {
        const std::string n = std::to_string(++entries);
        entriesText +=
            ",\"" + n + R"(":{"appid":")" + n + R"(","apptitle":"\u661f\u7a7a\u76f4\u64ad )" + n +
            R"(","packname":"com.example.app)" + n +
            R"(","appver":"3.2.1","appsize":"12.6M","appico":"http:\/\/127.0.0.1:8782\/down\/icon\/com.example.app)" +
            n + R"(.png","downurl":"http:\/\/127.0.0.1:8782\/down\/apk\/com.example.app)" + n +
            R"(_321.apk","lastapp":"2017-01-01 08:00:00","summary":"高清电视直播，上百个频道随心看"})";
    }
    return R"({"allnum":")" + std::to_string(entries) + "\"" + entriesText + "}";
}

}  // namespace

int main() {
    int entries = 0;
    const std::string list = ListOfAbout(1 << 20, entries);
    const std::string wrapped = "{arr:" + list + "}";
    const std::string strict = "{\"arr\":" + list + "}";

    const double parse = MedianMs(20, [&] {
        qvpc::JsonDocument document;
        document.parse(wrapped);
    });
    const double peerParse = MedianMs(20, [&] { nlohmann::json::parse(strict).size(); });
    PrintRow("JsonDocument parse, 1 MB list", parse, peerParse, "peer: nlohmann::json::parse");

    qvpc::JsonDocument document;
    document.parse(wrapped);
    std::string path;
    std::size_t read = 0;
    const double reads = MedianMs(20, [&] {
        for (int i = 1; i <= entries; ++i) {
            const std::string prefix = "arr[" + std::to_string(i) + "].";
            for (const char* key : kKeys) {
                path.assign(prefix).append(key);
                read += document.getText(path).size();
            }
        }
    });
    const nlohmann::json peer = nlohmann::json::parse(strict);
    const double peerReads = MedianMs(20, [&] {
        for (int i = 1; i <= entries; ++i) {
            const nlohmann::json& entry = peer["arr"][std::to_string(i)];
            for (const char* key : kKeys) {
                read += entry[key].get_ref<const std::string&>().size();
            }
        }
    });
    char what[64];
    std::snprintf(what, sizeof what, "path reads, 1 MB list (%d)", entries * 9);
    PrintRow(what, reads, peerReads, "peer: operator[] by name");

    const double load = MedianMs(20, [&] {
        qvpc::CatalogItems items;
        qvpc::ParseJsonList(list, items);
    });
    PrintRow("ParseJsonList, 1 MB list", load, 0, "parse and every field by path");
    return read > 0 ? 0 : 1;
}
