#include "Play.h"

namespace kelvane {

std::vector<std::string> DriveRoots() {
    std::vector<std::string> roots;
    for (char letter = 'C'; letter < 'Z'; ++letter) {
        roots.push_back(std::string(1, letter) + ":\\");
    }
    return roots;
}

namespace {

// The first root whose label reads exactly "PX4", or "" when none does.
std::string FindDevice(PlayPlatform& platform) {
    std::string label;
    for (const std::string& root : platform.DeviceRoots()) {
        // Cleared before every query: a failed query must not match on what
        // an earlier one (or a half-done one) left behind.
        label.clear();
        if (platform.VolumeLabel(root, label) && label == kDeviceLabel) {
            return root;
        }
    }
    return std::string();
}

}  // namespace

PlayResult PlayImage(PlayPlatform& platform) {
    return PlayImage(platform, platform.ProgramDirectory() + kImageName);
}

PlayResult PlayImage(PlayPlatform& platform, const std::string& image) {
    PlayResult result;
    result.image = image;
    const std::string device = FindDevice(platform);
    if (!device.empty()) {
        result.target = device + kImageName;
        result.outcome = platform.CopyReplacing(image, result.target, result.error)
                             ? PlayResult::Outcome::Copied
                             : PlayResult::Outcome::CopyFailed;
        return result;
    }
    result.target = platform.ProgramDirectory() + kEmulatorName;
    result.outcome = platform.StartProgram(result.target, {image}, result.error)
                         ? PlayResult::Outcome::EmulatorStarted
                         : PlayResult::Outcome::EmulatorFailed;
    return result;
}

std::string DescribePlayResult(const PlayResult& result, Translator translate) {
    const Translator text = translate ? translate : Untranslated;
    switch (result.outcome) {
    case PlayResult::Outcome::Copied:
        return Fill(text("copied {1} to the device as {2}"), {result.image, result.target});
    case PlayResult::Outcome::CopyFailed:
        return Fill(text("cannot copy {1} to the device as {2}: {3}"), {result.image, result.target, result.error});
    case PlayResult::Outcome::EmulatorStarted:
        return Fill(text("no device labelled {1}; started {2} on {3}"), {kDeviceLabel, result.target, result.image});
    case PlayResult::Outcome::EmulatorFailed:
        break;
    }
    return Fill(text("no device labelled {1}; cannot start {2}: {3}"), {kDeviceLabel, result.target, result.error});
}

}  // namespace kelvane
