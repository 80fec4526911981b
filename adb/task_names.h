#pragma once

#include <string_view>

namespace qvpc {

// The progress names of the four tasks the program ever starts.
inline constexpr std::string_view kProgressConnect = "进度_连接盒子";
inline constexpr std::string_view kProgressInstall = "进度_安装应用";
inline constexpr std::string_view kProgressUninstall = "进度_卸载应用";
inline constexpr std::string_view kProgressScreenshot = "进度_截屏";

}  // namespace qvpc
