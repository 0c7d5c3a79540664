// Where the suite keeps things: settings hives, profile files, runtime and temp directories.
//
// YORVANE_HOME relocates every per-user and per-machine location and the shared-memory name
// space at once, so that a test or a second instance is fully isolated from the real ones.
#pragma once

#include <filesystem>
#include <string>

namespace yv::paths {

// Directory of the running program (/proc/self/exe).
std::filesystem::path programDir();
// Directory of the module (program or shared library) that holds `address`.
std::filesystem::path moduleDir(const void* address);

// Machine data: YORVANE_MACHINE_DIR, else $YORVANE_HOME/machine, else <programDir>/../machine.
std::filesystem::path machineDir();
// Per-user configuration: $YORVANE_HOME/config, else $XDG_CONFIG_HOME/yorvane5, else
// ~/.config/yorvane5.
std::filesystem::path userConfigDir();

// Derived data that can be rebuilt: YORVANE_CACHE_DIR, else $YORVANE_HOME/cache, else
// $XDG_CACHE_HOME/yorvane5, else ~/.cache/yorvane5.
std::filesystem::path userCacheDir();

std::filesystem::path userHiveFile();     // HKEY_CURRENT_USER
std::filesystem::path classesHiveFile();  // HKEY_CLASSES_ROOT (per user, like user-level registration)
std::filesystem::path machineHiveFile();  // HKEY_LOCAL_MACHINE
// The shell file the X session sources at start-up for every desktop: $YORVANE_HOME/xsessionrc,
// else ~/.xsessionrc.
std::filesystem::path sessionStartFile();
// Profile (INI) files: YORVANE_PROFILE_DIR, else <machineDir>/profile.
std::filesystem::path profileDir();

// Private directories (mode 0700, created on demand, refused when owned by someone else).
// Empty path when they cannot be made safe.
std::filesystem::path runtimeDir();  // $YORVANE_HOME/run, else $XDG_RUNTIME_DIR/yorvane5, else /tmp/yorvane5-run-<uid>
std::filesystem::path tempDir();     // $YORVANE_HOME/tmp, else $TMPDIR or /tmp, /yorvane5-<uid>

// Tag of an isolated instance: empty without YORVANE_HOME, else 16 hex digits derived from it,
// the same in every program of that home.
std::string instanceTag();

// Prefix of every shared-memory name of this user and instance: "/yv5-<uid>-<instance>-".
std::string sharedMemoryPrefix();

// Makes `dir` (and its parents) exist with mode 0700 for the last component; false when it
// exists but belongs to another user or cannot be created.
bool ensurePrivateDir(const std::filesystem::path& dir);

} // namespace yv::paths
