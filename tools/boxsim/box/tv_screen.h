#pragma once

#include <string>
#include <vector>

namespace qvpc::boxsim {

struct ScreenApp {
    std::string label;
    std::string icon;  // PNG bytes, may be empty
};

// A PNG of the box's home screen: a launcher with a title bar naming the
// model and one tile per app, drawn at the box's screen size.
std::string DrawTvScreen(int width, int height, const std::string& title,
                         const std::vector<ScreenApp>& apps);

}  // namespace qvpc::boxsim
