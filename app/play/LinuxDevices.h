// Internal to the Linux platform: finding the labelled devices. The mount
// table says which file systems are mounted where; udev's by-label links say
// which device carries which label. LinuxPlatform.cpp asks this table.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "LinuxPlatform.h"

namespace kelvane {

class LinuxDeviceTable {
public:
    explicit LinuxDeviceTable(const LinuxPlatformPaths& paths) : paths_(paths) {}

    // The mount points, each ending with '/', without repeats, in table
    // order. Rereads the tables first: sticks come and go.
    std::vector<std::string> DeviceRoots();

    // The label of the device mounted at `root` (as DeviceRoots gives it).
    // Reads the tables only if no probe has read them yet.
    bool VolumeLabel(const std::string& root, std::string& label);

private:
    struct LabelLink {
        std::string label;
        std::string target;  // the resolved device path
        bool isBlockDevice = false;
        dev_t device = 0;
    };

    static std::string RootOf(const MountEntry& mount);
    void LoadTables();

    LinuxPlatformPaths paths_;
    bool loaded_ = false;
    std::vector<MountEntry> mounts_;
    std::vector<LabelLink> labels_;
};

}  // namespace kelvane
