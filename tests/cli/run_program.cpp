#include "run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace {

// An unnamed temporary file that collects one stream of the child.
struct CaptureFile {
    int fd = -1;
    CaptureFile() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessa-cli-XXXXXX").string();
        fd = mkstemp(pattern.data());
        if (fd >= 0) unlink(pattern.c_str());
    }
    ~CaptureFile() {
        if (fd >= 0) close(fd);
    }
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;

    std::string Contents() const {
        std::string text;
        if (fd < 0 || lseek(fd, 0, SEEK_SET) != 0) return text;
        char buffer[4096];
        ssize_t got = 0;
        while ((got = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(got));
        return text;
    }
};

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& args, const std::string& workDir) {
    ProgramResult result;
    if (args.empty()) return result;
    CaptureFile out, err;
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // Under ASan, LeakSanitizer's own tracer now and then crashes at the exit
    // of a program started from a test ("Tracer caught signal 11"), never
    // from a shell. The programs run the viewer code that the in-process GL
    // tests check for leaks, so the children run without the leak check.
    std::string noLeakCheck = "ASAN_OPTIONS=detect_leaks=0";
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e) {
        // The program finds its own modules, built or installed beside it.
        if (std::string_view(*e).starts_with("TESSAVIEW_MODULE_DIR=")) continue;
        if (std::string_view(*e).starts_with("ASAN_OPTIONS=")) {
            noLeakCheck = std::string(*e) + ":detect_leaks=0";
            continue;
        }
        envp.push_back(*e);
    }
    envp.push_back(noLeakCheck.data());
    envp.push_back(nullptr);

    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        if ((!workDir.empty() && chdir(workDir.c_str()) != 0) || dup2(out.fd, 1) < 0 || dup2(err.fd, 2) < 0) _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (pid < 0) return result;
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0) {
        if (errno != EINTR) return result;
    }
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    result.out = out.Contents();
    result.err = err.Contents();
    return result;
}
