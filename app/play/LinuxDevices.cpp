// The Linux platform's labelled devices: the mount table (mountinfo, else
// /proc/mounts) gives the mounted file systems, and /dev/disk/by-label gives
// their labels, matched by device number or by resolved device path.
#include "LinuxDevices.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kelvane {

namespace {

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (in >> field) {
        fields.push_back(field);
    }
    return fields;
}

bool ReadTextFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Realpath(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return std::string();
    }
    std::string result(resolved);
    std::free(resolved);
    return result;
}

}  // namespace

std::vector<std::string> LinuxDeviceTable::DeviceRoots() {
    // Read afresh at the start of every probe: sticks come and go.
    LoadTables();
    std::vector<std::string> roots;
    for (const MountEntry& mount : mounts_) {
        const std::string root = RootOf(mount);
        bool seen = false;
        for (const std::string& earlier : roots) {
            seen = seen || earlier == root;
        }
        if (!seen) {
            roots.push_back(root);
        }
    }
    return roots;
}

bool LinuxDeviceTable::VolumeLabel(const std::string& root, std::string& label) {
    if (!loaded_) {
        LoadTables();
    }
    // When one mount hides another, the table's last one is what the
    // directory shows.
    const MountEntry* visible = nullptr;
    for (const MountEntry& mount : mounts_) {
        if (RootOf(mount) == root) {
            visible = &mount;
        }
    }
    if (visible == nullptr) {
        return false;
    }
    const std::string source = Realpath(visible->source);
    for (const LabelLink& link : labels_) {
        const bool sameNumber = visible->hasDeviceNumber && link.isBlockDevice &&
                                link.device == makedev(visible->major, visible->minor);
        if (sameNumber || (!source.empty() && source == link.target)) {
            label = link.label;
            return true;
        }
    }
    return false;
}

std::string LinuxDeviceTable::RootOf(const MountEntry& mount) {
    return mount.mountPoint == "/" ? mount.mountPoint : mount.mountPoint + "/";
}

void LinuxDeviceTable::LoadTables() {
    loaded_ = true;
    std::string text;
    if (ReadTextFile(paths_.mountInfo, text)) {
        mounts_ = ParseMountInfo(text);
    } else if (ReadTextFile(paths_.mounts, text)) {
        mounts_ = ParseMounts(text);
    } else {
        mounts_.clear();
    }
    labels_.clear();
    DIR* dir = opendir(paths_.byLabel.c_str());
    if (dir == nullptr) {
        return;  // no udev (a container): no labels, so no device
    }
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        LabelLink link;
        link.label = DecodeUdevName(entry->d_name);
        link.target = Realpath(paths_.byLabel + "/" + entry->d_name);
        struct stat info;
        if (!link.target.empty() && stat(link.target.c_str(), &info) == 0) {
            link.isBlockDevice = S_ISBLK(info.st_mode);
            link.device = info.st_rdev;
        }
        labels_.push_back(link);
    }
    closedir(dir);
}

std::string DecodeMountField(const std::string& field) {
    std::string decoded;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
            field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            decoded += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                         (field[i + 3] - '0'));
            i += 3;
        } else {
            decoded += field[i];
        }
    }
    return decoded;
}

std::string DecodeUdevName(const std::string& name) {
    std::string decoded;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && HexDigit(name[i + 2]) >= 0 &&
            HexDigit(name[i + 3]) >= 0) {
            decoded += static_cast<char>(HexDigit(name[i + 2]) * 16 + HexDigit(name[i + 3]));
            i += 3;
        } else {
            decoded += name[i];
        }
    }
    return decoded;
}

std::vector<MountEntry> ParseMountInfo(const std::string& text) {
    std::vector<MountEntry> mounts;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        // id parent major:minor root mount-point options [optional...] - type source super-options
        const std::vector<std::string> fields = SplitFields(line);
        std::size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-") {
            ++dash;
        }
        if (dash + 2 >= fields.size()) {
            continue;
        }
        MountEntry mount;
        mount.mountPoint = DecodeMountField(fields[4]);
        mount.source = DecodeMountField(fields[dash + 2]);
        unsigned major = 0;
        unsigned minor = 0;
        char colon = 0;
        std::istringstream number(fields[2]);
        if (number >> major >> colon >> minor && colon == ':') {
            mount.hasDeviceNumber = true;
            mount.major = major;
            mount.minor = minor;
        }
        mounts.push_back(mount);
    }
    return mounts;
}

std::vector<MountEntry> ParseMounts(const std::string& text) {
    std::vector<MountEntry> mounts;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::vector<std::string> fields = SplitFields(line);
        if (fields.size() < 2) {
            continue;
        }
        MountEntry mount;
        mount.source = DecodeMountField(fields[0]);
        mount.mountPoint = DecodeMountField(fields[1]);
        mounts.push_back(mount);
    }
    return mounts;
}

}  // namespace kelvane
