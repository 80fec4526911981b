#include "companion/icon_cache.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace qvpc {
namespace {

const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8);

// A picture of the given size in bytes.
std::string PngOfSize(std::size_t size) {
    return kPng + std::string(size - kPng.size(), 'p');
}

TEST(IconCacheTextTest, FileSizeIsInThousandsOfBytesRoundedHalfUp) {
    test::TempDir dir;
    const std::string path = dir.path() + "/icon.png";
    EXPECT_LT(IconFileSize(path), 0) << "missing";
    EXPECT_LT(IconFileSize(dir.path()), 0) << "a folder is no file";
    const std::pair<std::size_t, double> cases[] = {{0, 0},       {1000, 1.00}, {1004, 1.00},
                                                    {1005, 1.01}, {1100, 1.10}, {123456, 123.46}};
    for (const auto& [bytes, size] : cases) {
        test::WriteFile(path, std::string(bytes, 'x'));
        EXPECT_DOUBLE_EQ(IconFileSize(path), size) << bytes;
    }
}

TEST(IconCacheTextTest, UrlFileNamePercentEncodingAndTheRefreshUrl) {
    EXPECT_EQ(UrlFileName("http://box:8988/icons/播放器.jpg"), "播放器.jpg");
    EXPECT_EQ(UrlFileName("icon.png"), "icon.png");
    EXPECT_EQ(UrlFileName("http://box:8988/icons/noextension"), "");
    EXPECT_EQ(UrlFileName("http://box:8988/icons/"), "");

    EXPECT_EQ(PercentEncodeAll("ab"), "%61%62");
    EXPECT_EQ(PercentEncodeAll("\x01\xFF/"), "%01%FF%2F");
    EXPECT_EQ(PercentEncodeAll(""), "");

    // Whatever the extension, the request ends in ".png".
    EXPECT_EQ(IconRefreshUrl("http://192.168.1.20:8988/icons/播放器.jpg"),
              "http://192.168.1.20:8988/icons/%E6%92%AD%E6%94%BE%E5%99%A8.png");
    // The name is cut off only at the end, not out of a folder of that name.
    EXPECT_EQ(IconRefreshUrl("http://h/a.png/a.png"), "http://h/a.png/%61.png");
}

struct CacheRig {
    test::TempDir dir;
    std::string folder = dir.path() + "/tmp/";
    IconCache cache{folder};
    std::vector<std::string> asked;
    std::string answer = PngOfSize(1500);

    CacheRig() { std::filesystem::create_directory(folder); }

    IconCache::Fetch fetch() {
        return [this](const std::string& url) {
            asked.push_back(url);
            return answer;
        };
    }
};

TEST(IconCacheTest, ASmallCachedIconIsFetchedAgainALargerOneIsUsed) {
    const std::string url = "http://box:8988/icons/com.example.tv.png";
    const std::string encoded =
        "http://box:8988/icons/" + PercentEncodeAll("com.example.tv") + ".png";
    const struct {
        std::optional<std::size_t> cached;  // nullopt: no file
        bool fetched;
    } cases[] = {{std::nullopt, true}, {0, true},     {1000, true},
                 {1004, true},         {1005, false}, {1100, false}};
    for (const auto& c : cases) {
        CacheRig rig;
        const std::string file = rig.folder + "com.example.tv.png";
        if (c.cached) {
            test::WriteFile(file,
                            PngOfSize(std::max<std::size_t>(*c.cached, 8)).substr(0, *c.cached));
        }
        const std::string icon = rig.cache.icon(url, rig.fetch());
        const std::string label = c.cached ? std::to_string(*c.cached) : "missing";
        if (c.fetched) {
            EXPECT_EQ(rig.asked, std::vector<std::string>{encoded}) << label;
            EXPECT_EQ(icon, rig.answer) << label;
        } else {
            EXPECT_TRUE(rig.asked.empty()) << label;
            EXPECT_EQ(icon.size(), *c.cached) << label;
        }
        EXPECT_EQ(test::ReadFile(file), icon) << label;
    }
}

TEST(IconCacheTest, OnlyAPictureIsWrittenAndAFailedFetchKeepsWhatWasThere) {
    CacheRig rig;
    const std::string url = "http://box:8988/icons/tv.png";
    const std::string file = rig.folder + "tv.png";
    for (const std::string& reply :
         std::vector<std::string>{std::string(), std::string("<html>404</html>"),
                                  kPng + std::string(IconCache::kIconLimit, 'x')}) {
        rig.answer = reply;
        EXPECT_EQ(rig.cache.icon(url, rig.fetch()), "");
        EXPECT_FALSE(std::filesystem::exists(file)) << "no empty file stands for the icon";
    }
    test::WriteFile(file, kPng + "old");
    rig.answer = "";
    EXPECT_EQ(rig.cache.icon(url, rig.fetch()), kPng + "old");
    EXPECT_EQ(rig.asked.size(), 4u) << "small: asked again every time";
    // Without a fetch only the cache is read.
    EXPECT_EQ(rig.cache.icon(url, nullptr), kPng + "old");
}

TEST(IconCacheTest, NamesStayInsideTheFolderAndNullMeansTheNeutralIcon) {
    CacheRig rig;
    EXPECT_EQ(rig.cache.iconFile("null"), rig.folder + "ico_app.png");
    EXPECT_EQ(rig.cache.icon("null", rig.fetch()), "");
    test::WriteFile(rig.folder + "ico_app.png", kPng + "neutral");
    EXPECT_EQ(rig.cache.icon("null", rig.fetch()), kPng + "neutral");
    EXPECT_TRUE(rig.asked.empty()) << "an app without an icon fetches nothing";

    for (const std::string& hostile : std::vector<std::string>{
             "http://h/..", "http://h/x/..\\..\\..\\escape.png", "http://h/.hidden.png",
             "http://h/" + std::string(100'000, 'a') + ".png",
             std::string("http://h/nul\0.png", 17), "http://h/line\nbreak.png"}) {
        const std::string file = rig.cache.iconFile(hostile);
        if (file.empty()) {
            continue;
        }
        EXPECT_EQ(std::filesystem::path(file).parent_path(),
                  std::filesystem::path(rig.folder).parent_path())
            << hostile.substr(0, 40);
        EXPECT_LE(std::filesystem::path(file).filename().string().size(), 120u);
        rig.cache.icon(hostile, rig.fetch());
    }
    EXPECT_EQ(rig.cache.iconFile("http://h/.."), "");
    // Nothing was written beside the folder.
    std::size_t outside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(rig.dir.path())) {
        outside += entry.path() != std::filesystem::path(rig.folder).parent_path();
    }
    EXPECT_EQ(outside, 0u);
}

}  // namespace
}  // namespace qvpc
