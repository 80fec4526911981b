#pragma once

#include <span>

namespace qvpc::carried_images {

// The files the program carries inside its executable; the build generates
// their bytes (deploy/carried_files.cmake).

// The TV-side companion app: a stand-in built for the tests unless the build
// was given the real one (QVPC_COMPANION_APK).
std::span<const unsigned char> CompanionApk();

// An SQLite database with the local tables, empty.
std::span<const unsigned char> DatabaseTemplate();

}  // namespace qvpc::carried_images
