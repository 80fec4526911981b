#pragma once

#include <ostream>

#include "base/page_view.h"

namespace qvpc {

// Test messages name pages by number ("page 3").
inline std::ostream& operator<<(std::ostream& out, PageId page) {
    return out << "page " << static_cast<int>(page);
}

}  // namespace qvpc
