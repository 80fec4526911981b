#pragma once

#include <span>

namespace qvpc::carried_images {

// The files the program carries inside its executable; the build generates
// their bytes (deploy/carried_files.cmake).

// The TV-side companion app: a stand-in built for the tests unless the build
// was given the real one (QVPC_COMPANION_APK).
std::span<const unsigned char> CompanionApk();
// Whether the companion carried is the tests' stand-in: it works on the
// simulated box only and is never put on a real one unless asked for.
bool CompanionIsStandIn();

// An SQLite database with the local tables, empty.
std::span<const unsigned char> DatabaseTemplate();

}  // namespace qvpc::carried_images
