#pragma once

#include <string_view>

namespace qvpc {

// Whether the bytes begin like a picture a page can draw: PNG, JPEG, GIF,
// BMP or WebP. Servers and boxes send error pages and junk under icon names.
bool LooksLikePicture(std::string_view bytes);

}  // namespace qvpc
