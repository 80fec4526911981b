#include "deploy/carried_images.h"

namespace qvpc::carried_images {

bool CompanionIsStandIn() {
    return QVPC_STAND_IN_COMPANION != 0;
}

}  // namespace qvpc::carried_images
