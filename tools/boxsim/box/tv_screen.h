#pragma once

#include <string>
#include <vector>

#include "boxsim/apk/image.h"

namespace qvpc::boxsim {

struct ScreenApp {
    std::string label;
    std::string icon;  // PNG bytes, may be empty
};

// A PNG of the box's home screen: a launcher with a title bar naming the
// model and one tile per app, drawn at the box's screen size.
std::string DrawTvScreen(int width, int height, const std::string& title,
                         const std::vector<ScreenApp>& apps);

// What an earlier screencap left on the sdcard: a PNG of the given size that
// no home screen resembles, filled with kOldScreenshotColor and labelled
// "OLD SCREENSHOT", so a test sees at once which picture it pulled.
inline constexpr Rgb kOldScreenshotColor{128, 32, 32};
std::string DrawOldScreenshot(int width, int height);

}  // namespace qvpc::boxsim
