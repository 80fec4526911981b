#pragma once

class QWidget;

namespace qvpc::ui {

// For start-up measurements (scripts/bench): when the environment variable
// QVPC_FIRST_PAINT_FILE names a file, the moment the window's first paint has
// reached the screen is written there once, as decimal nanoseconds of
// CLOCK_MONOTONIC and a line end, so the process that started this one can
// subtract its own start time. Without the variable nothing is watched.
void StampFirstPaint(QWidget& window);

}  // namespace qvpc::ui
