#include "tests/support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const std::string& workDir, int outFd, int errFd) {
    pid_t pid = fork();
    if (pid == 0) {
        dup2(outFd, 1);
        dup2(errFd, 2);
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        for (const std::string& e : env) putenv(strdup(e.c_str()));
        if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(126);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    return pid;
}

void drain(int fd, std::string* out) {
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) out->append(buffer, static_cast<size_t>(n));
}

ProcessResult collect(pid_t pid, int outFd, int errFd, int timeoutMs) {
    ProcessResult result = {-1, 0, false, "", ""};
    int64_t deadline = nowMs() + timeoutMs;
    fcntl(errFd, F_SETFL, O_NONBLOCK);
    if (outFd >= 0) fcntl(outFd, F_SETFL, O_NONBLOCK);
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (outFd >= 0) drain(outFd, &result.out);
        drain(errFd, &result.err);
        if (done == pid) break;
        if (nowMs() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.timedOut = true;
            break;
        }
        pollfd fds[2] = {{errFd, POLLIN, 0}, {outFd, POLLIN, 0}};
        poll(fds, outFd >= 0 ? 2 : 1, 20);
    }
    if (outFd >= 0) drain(outFd, &result.out);
    drain(errFd, &result.err);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         int timeoutMs, const std::string& workDir) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
    pid_t pid = spawn(argv, env, workDir, out[1], err[1]);
    close(out[1]);
    close(err[1]);
    ProcessResult result = collect(pid, out[0], err[0], timeoutMs);
    close(out[0]);
    close(err[0]);
    return result;
}

ChildProcess startProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                          const std::string& workDir) {
    int err[2];
    if (pipe(err) != 0) throw std::runtime_error("pipe");
    int null = open("/dev/null", O_WRONLY);
    pid_t pid = spawn(argv, env, workDir, null, err[1]);
    close(null);
    close(err[1]);
    return {pid, err[0]};
}

ProcessResult waitProcess(ChildProcess child, int timeoutMs) {
    ProcessResult result = collect(child.pid, -1, child.errFd, timeoutMs);
    close(child.errFd);
    return result;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string toolPath(const std::string& tool) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    for (size_t start = 0; start <= dirs.size();) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + tool;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return "";
}
