// The Play hand-off's platform on Linux, with the places it reads from made
// explicit so that tests can point it at a directory of their own. The mount
// table and label parts are in LinuxDevices.cpp, the rest in LinuxPlatform.cpp.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Play.h"

namespace kelvane {

// One line of the mount table.
struct MountEntry {
    std::string source;      // the mounted device, as the table names it
    std::string mountPoint;  // decoded, without a trailing '/' except for "/"
    bool hasDeviceNumber = false;
    unsigned major = 0;
    unsigned minor = 0;
};

// Parses /proc/self/mountinfo text. Malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(const std::string& text);

// Parses /proc/mounts (fstab format) text. Malformed lines are skipped.
std::vector<MountEntry> ParseMounts(const std::string& text);

// Undoes the mount table's octal escapes ("\040" is a space).
std::string DecodeMountField(const std::string& field);

// Undoes udev's escapes in a /dev/disk/by-label name ("\x20" is a space).
std::string DecodeUdevName(const std::string& name);

// The form in which Wine's programs see a Unix path: absolute paths through
// drive Z:, which Wine maps to "/", and backslashes as separators.
std::string WinePath(const std::string& path);

struct LinuxPlatformPaths {
    std::string programDirectory;  // empty: the directory of /proc/self/exe
    std::string byLabel = "/dev/disk/by-label";
    std::string mountInfo = "/proc/self/mountinfo";
    std::string mounts = "/proc/mounts";  // read when mountInfo cannot be
    std::string wine;                     // empty: "wine" looked up on PATH
};

std::unique_ptr<PlayPlatform> MakeLinuxPlatform(const LinuxPlatformPaths& paths);

}  // namespace kelvane
