// The Play hand-off: the ROM image goes onto the device (the drive labelled
// "PX4") or, when no device is present, to the emulator beside the program.
//
// The logic is written once here and reaches the machine only through
// PlayPlatform. Implemented by WindowsPlatform.cpp (Win32 wide API) and
// LinuxPlatform.cpp (copy, fork and exec) with LinuxDevices.cpp (mount table,
// by-label links); tests implement it with fakes. All paths are UTF-8.
//
// The Windows dialog's OnPlay calls the one-argument PlayImage and shows a
// box when the PlayResult says the copy or the start failed; success is
// silent. The command line passes its --rom path to the two-argument
// PlayImage and reports the PlayResult with DescribePlayResult.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "FillText.h"

namespace kelvane {

// The device's volume label, compared byte for byte.
constexpr const char* kDeviceLabel = "PX4";
// The image's name beside the program (as the conversion writes it) and on
// the device's root.
constexpr const char* kImageName = "ROM.BIN";
// The emulator beside the program, as named on Windows.
constexpr const char* kEmulatorName = "duzer.exe";

class PlayPlatform {
public:
    virtual ~PlayPlatform() = default;

    // The program's own directory, ending with a path separator.
    virtual std::string ProgramDirectory() = 0;

    // The roots that may hold the device, in probing order, each ending with
    // a path separator so that root + name names a file on it.
    virtual std::vector<std::string> DeviceRoots() = 0;

    // Fills `label` with the volume label of `root`. False when the root has
    // no volume or its label cannot be read; `label` is then meaningless.
    virtual bool VolumeLabel(const std::string& root, std::string& label) = 0;

    // Copies `from` onto `to`, replacing an existing file, so that `to` holds
    // the old file or the whole new one, never part of it. On failure `error`
    // says why, in words for a person.
    virtual bool CopyReplacing(const std::string& from, const std::string& to,
                               std::string& error) = 0;

    // Starts a Windows program (path ending in ".exe") with exactly these
    // arguments, shown normally, without waiting for it. Off Windows a native
    // build beside it (same name without ".exe") is preferred, else Wine runs
    // it. On failure `error` says why (not that it could not start: the
    // caller says that).
    virtual bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                              std::string& error) = 0;

    // True when `path` names an existing regular file.
    virtual bool FileExists(const std::string& path) = 0;
};

// The platform of the machine the program runs on.
std::unique_ptr<PlayPlatform> MakeSystemPlatform();
#ifdef _WIN32
std::unique_ptr<PlayPlatform> MakeWindowsPlatform();
#else
std::unique_ptr<PlayPlatform> MakeLinuxPlatform();
#endif

// "C:\" to "Y:\" in order. 'Z' is never probed: under Wine it is the whole
// Unix file system, never the device.
std::vector<std::string> DriveRoots();

struct PlayResult {
    enum class Outcome { Copied, CopyFailed, EmulatorStarted, EmulatorFailed };
    Outcome outcome = Outcome::EmulatorFailed;
    std::string image;     // the image handed over
    std::string target;    // the file written on the device, or the emulator
    std::string error;     // why a copy or start failed

    bool ok() const { return outcome == Outcome::Copied || outcome == Outcome::EmulatorStarted; }
};

// Hands the image "ROM.BIN" in the program's directory over: copied onto the
// first root whose label is exactly "PX4", else given to the emulator as its
// one argument. Neither checks nor runs a conversion.
PlayResult PlayImage(PlayPlatform& platform);

// The same for an image elsewhere (the command line's --rom); the device
// still receives it as "ROM.BIN".
PlayResult PlayImage(PlayPlatform& platform, const std::string& image);

// One line (without newline) telling what PlayImage did or why it could not;
// in English, or in the words `translate` gives for its English texts.
std::string DescribePlayResult(const PlayResult& result, Translator translate = nullptr);

}  // namespace kelvane
