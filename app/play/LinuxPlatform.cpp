// The Play hand-off's platform on Linux: the image is copied onto the device
// so that a pulled stick never holds half of it, and the emulator is a native
// "duzer" beside the program or "duzer.exe" run by Wine, started without a
// wait on it. Which mounted file
// system is the device is LinuxDevices.cpp's part.
#include "LinuxPlatform.h"

#include <fcntl.h>
#include <signal.h>
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

// The grandchild's part of SpawnDetached, between fork and exec: only calls
// that are safe there. Signals the caller ignores (SIGPIPE for the command
// line, SIGCHLD for some callers) would stay ignored across exec and break
// the emulator or Wine, so they go back to their defaults.
[[noreturn]] void ExecDetached(char* const* argv, int report) {
    setsid();
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        if (null > 2) close(null);
    }
    signal(SIGPIPE, SIG_DFL);
    signal(SIGCHLD, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execve(argv[0], argv, environ);
    const int code = errno;
    static_cast<void>(write(report, &code, sizeof code));
    _exit(127);
}

// Starts argv[0] in a session of its own with its standard streams on
// /dev/null, without a shell, and does not wait for it. A short-lived middle
// process makes the program init's child, so nobody has to reap it.
//
// Whether the exec worked comes back through a close-on-exec pipe: it closes
// empty when the exec succeeds and carries errno when it fails. The middle
// process's exit status is not used, because a caller that ignores SIGCHLD
// has its children reaped by the system and waitpid finds none.
bool SpawnDetached(const std::vector<std::string>& args, std::string& error) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        error = ErrnoText(args[0], errno);
        return false;
    }
    const pid_t middle = fork();
    if (middle == 0) {
        close(report[0]);
        const pid_t child = fork();
        if (child == 0) ExecDetached(argv.data(), report[1]);
        if (child < 0) {
            const int code = errno;
            static_cast<void>(write(report[1], &code, sizeof code));
        }
        _exit(0);
    }
    const int forkError = errno;
    close(report[1]);
    int code = 0;
    if (middle < 0) {
        code = forkError;
    } else {
        ssize_t got = 0;
        do {
            got = read(report[0], &code, sizeof code);
        } while (got < 0 && errno == EINTR);
        if (got != static_cast<ssize_t>(sizeof code)) code = 0;
        // Fails with ECHILD when SIGCHLD is ignored; nothing is left to reap then.
        while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    close(report[0]);
    if (code != 0) {
        error = ErrnoText(args[0], code);
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
            error = std::strerror(code);
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
