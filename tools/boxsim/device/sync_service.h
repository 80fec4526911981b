#pragma once

#include "boxsim/box/box.h"
#include "boxsim/device/adb_stream.h"
#include "boxsim/device/transfer_limits.h"

namespace qvpc::boxsim {

// adbd's file sync service (sync:) in its first version: STAT, LIST, SEND,
// RECV, QUIT. Requests are buffered across WRTEs; every length is checked.
void RunSyncService(AdbStream& stream, Box& box, TransferLimits& limits);

}  // namespace qvpc::boxsim
