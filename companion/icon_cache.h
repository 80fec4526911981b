#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qvpc {

// The size of a file in thousands of bytes, rounded half up to two decimals
// (1004 bytes give 1.00, 1005 give 1.01); -1 when it is missing or cannot be
// read.
double IconFileSize(const std::string& path);

// The part of a URL after its last "/" (all of it without one); empty when
// that part holds no ".".
std::string UrlFileName(std::string_view url);

// Every byte as "%" and two upper-case hexadecimal digits, letters and
// digits included ("ab" gives "%61%62").
std::string PercentEncodeAll(std::string_view bytes);

// Where an icon is fetched again from: the icon URL up to its last "/", then
// the cache name without its extension, percent-encoded, and ".png", whatever
// the extension was (".../icons/播放器.jpg" is asked for as
// ".../icons/%E6%92%AD%E6%94%BE%E5%99%A8.png").
std::string IconRefreshUrl(std::string_view iconPath);

// The icons of the installed-app lists, kept in one folder (TempDir) under the
// last segment of their URL, made safe; "ico_app.png" stands for an app
// without one ("null"). A cached icon of at most 1.00 thousand bytes is
// fetched again each time it is asked for; a larger one is used as it is.
class IconCache {
  public:
    // A GET of an icon: its bytes, empty on any failure.
    using Fetch = std::function<std::string(const std::string& url)>;

    // dir: the folder, with its trailing "/".
    explicit IconCache(std::string dir);

    // The file an icon is kept in, inside the folder; empty when its URL
    // names no file.
    std::string iconFile(std::string_view iconPath) const;

    // The icon's bytes (empty when there are none), fetched first when the
    // cached file is missing or small. Only a picture is written, whole, so a
    // failed fetch leaves the file as it was and the next list tries again.
    // fetch may be empty: then only the cache is read.
    std::string icon(std::string_view iconPath, const Fetch& fetch) const;

    static constexpr std::string_view kNoIconName = "ico_app.png";
    // Larger replies are no icon.
    static constexpr std::size_t kIconLimit = 2 * 1024 * 1024;

  private:
    std::string m_dir;
};

}  // namespace qvpc
