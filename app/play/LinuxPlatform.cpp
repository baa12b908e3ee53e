// The Play hand-off's platform on Linux: the image is copied onto the device
// so that a pulled stick never holds half of it, and the emulator is a native
// "duzer" beside the program or "duzer.exe" run by Wine. Which mounted file
// system is the device is LinuxDevices.cpp's part.
#include "LinuxPlatform.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "LinuxDevices.h"
#include "ProgramDirectory.h"

extern char** environ;

namespace kelvane {

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsExecutableFile(const std::string& path) {
    return IsRegularFile(path) && access(path.c_str(), X_OK) == 0;
}

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (IsExecutableFile(candidate)) {
            return candidate;
        }
    }
    return std::string();
}

std::string ErrnoText(const std::string& what, int code) {
    return what + ": " + std::strerror(code);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Copies the open file `in` to the open file `out`; errno tells why on false.
bool CopyContent(int in, int out) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) {
            return true;
        }
        if (!WriteAll(out, buffer, static_cast<std::size_t>(got))) {
            return false;
        }
    }
}

// Starts argv[0] in a session of its own with its standard streams on
// /dev/null, without a shell, and does not wait for it. A short-lived middle
// process makes the program init's child, so nobody has to reap it.
bool SpawnDetached(const std::vector<std::string>& args, std::string& error) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);

    int result = 0;
    const pid_t middle = fork();
    if (middle == 0) {
        pid_t child = 0;
        _exit(posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), environ));
    }
    if (middle < 0) {
        result = errno;
    } else {
        int status = 0;
        pid_t waited = 0;
        do {
            waited = waitpid(middle, &status, 0);
        } while (waited < 0 && errno == EINTR);
        result = waited < 0 ? errno : WIFEXITED(status) ? WEXITSTATUS(status) : ECHILD;
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        error = ErrnoText("cannot start " + args[0], result);
        return false;
    }
    return true;
}

class LinuxPlatform : public PlayPlatform {
public:
    explicit LinuxPlatform(const LinuxPlatformPaths& paths) : paths_(paths), devices_(paths) {}

    std::string ProgramDirectory() override {
        std::string dir = paths_.programDirectory.empty() ? kelvane::ProgramDirectory() : paths_.programDirectory;
        if (!dir.empty() && dir.back() != '/') {
            dir += '/';
        }
        return dir;
    }

    std::vector<std::string> DeviceRoots() override { return devices_.DeviceRoots(); }

    bool VolumeLabel(const std::string& root, std::string& label) override {
        return devices_.VolumeLabel(root, label);
    }

    // Written beside the destination under a temporary name, flushed to the
    // medium and then renamed, so that a stick pulled out halfway holds the
    // old image or the new one, never half of one.
    bool CopyReplacing(const std::string& from, const std::string& to, std::string& error) override {
        const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0) {
            error = ErrnoText("cannot open " + from, errno);
            return false;
        }
        struct stat info;
        if (fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
            error = from + " is not a file";
            close(in);
            return false;
        }
        const std::size_t slash = to.find_last_of('/');
        const std::string dir = slash == std::string::npos ? std::string(".") : to.substr(0, slash + 1);
        const std::string name = slash == std::string::npos ? to : to.substr(slash + 1);
        std::string temp = dir + (slash == std::string::npos ? "/." : ".") + name + ".XXXXXX";
        const int out = mkstemp(&temp[0]);
        if (out < 0) {
            error = ErrnoText("cannot create a file in " + dir, errno);
            close(in);
            return false;
        }
        // mkstemp's 0600 would hide the image from other users on a Unix
        // file system; FAT ignores it.
        static_cast<void>(fchmod(out, 0644));
        bool ok = CopyContent(in, out);
        int code = errno;
        if (ok && fsync(out) != 0) {
            ok = false;
            code = errno;
        }
        close(in);
        if (close(out) != 0 && ok) {
            ok = false;
            code = errno;
        }
        if (ok && rename(temp.c_str(), to.c_str()) != 0) {
            ok = false;
            code = errno;
        }
        if (!ok) {
            unlink(temp.c_str());
            error = ErrnoText("cannot write " + to, code);
            return false;
        }
        // The rename itself reaches the medium only with its directory.
        const int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            static_cast<void>(fsync(dirFd));
            close(dirFd);
        }
        return true;
    }

    bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                      std::string& error) override {
        std::vector<std::string> argv;
        const std::string native =
            EndsWith(program, ".exe") ? program.substr(0, program.size() - 4) : program;
        if (native != program && IsExecutableFile(native)) {
            argv.push_back(native);
            argv.insert(argv.end(), args.begin(), args.end());
            return SpawnDetached(argv, error);
        }
        if (!IsRegularFile(program)) {
            error = "neither " + native + " nor " + program + " is there";
            return false;
        }
        const std::string wine = paths_.wine.empty() ? FindOnPath("wine") : paths_.wine;
        if (wine.empty()) {
            error = "Wine is not installed, and " + program + " needs it";
            return false;
        }
        argv.push_back(wine);
        argv.push_back(program);
        for (const std::string& arg : args) {
            argv.push_back(WinePath(arg));
        }
        return SpawnDetached(argv, error);
    }

    bool FileExists(const std::string& path) override { return IsRegularFile(path); }

private:
    LinuxPlatformPaths paths_;
    LinuxDeviceTable devices_;
};

}  // namespace

std::string WinePath(const std::string& path) {
    std::string windows = path;
    for (char& c : windows) {
        if (c == '/') c = '\\';
    }
    return !path.empty() && path[0] == '/' ? "Z:" + windows : windows;
}

std::unique_ptr<PlayPlatform> MakeLinuxPlatform(const LinuxPlatformPaths& paths) {
    return std::make_unique<LinuxPlatform>(paths);
}

std::unique_ptr<PlayPlatform> MakeLinuxPlatform() {
    return MakeLinuxPlatform(LinuxPlatformPaths());
}

std::unique_ptr<PlayPlatform> MakeSystemPlatform() {
    return MakeLinuxPlatform();
}

}  // namespace kelvane
