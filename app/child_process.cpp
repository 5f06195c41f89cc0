#include "app/child_process.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

bool executable(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

bool findProgram(const std::string& name, std::string* path) {
    if (name.find('/') != std::string::npos) {
        *path = name;
        return executable(name);
    }
    const char* dirs = std::getenv("PATH");
    std::string list = dirs ? dirs : "/usr/local/bin:/usr/bin:/bin";
    size_t from = 0;
    for (;;) {
        size_t colon = list.find(':', from);
        std::string dir = list.substr(from, colon == std::string::npos ? std::string::npos : colon - from);
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (executable(candidate)) {
            *path = candidate;
            return true;
        }
        if (colon == std::string::npos) return false;
        from = colon + 1;
    }
}

bool childStart(ChildProgram* child, const std::vector<std::string>& argv, bool withInput, std::string* error) {
    *child = ChildProgram{0, -1, nullptr};
    // A child that dies while we write must give us EPIPE, not end the player.
    signal(SIGPIPE, SIG_IGN);
    child->log = std::tmpfile();
    if (!child->log) {
        *error = std::string("no temporary file for the output of ") + argv[0];
        return false;
    }
    int pipeEnds[2] = {-1, -1};
    if (withInput && pipe2(pipeEnds, O_CLOEXEC) != 0) {
        *error = std::string("no pipe to ") + argv[0] + ": " + std::strerror(errno);
        std::fclose(child->log);
        child->log = nullptr;
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int logFd = fileno(child->log);
    if (withInput) posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], 0);
    else posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, logFd, 1);
    posix_spawn_file_actions_adddup2(&actions, logFd, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int rc = posix_spawn(&child->pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (withInput) close(pipeEnds[0]);
    if (rc != 0) {
        *error = std::string("cannot run ") + argv[0] + ": " + std::strerror(rc);
        if (withInput) close(pipeEnds[1]);
        std::fclose(child->log);
        *child = ChildProgram{0, -1, nullptr};
        return false;
    }
    child->input = withInput ? pipeEnds[1] : -1;
    return true;
}

bool childWrite(ChildProgram* child, const void* bytes, size_t size) {
    const char* p = static_cast<const char*>(bytes);
    while (size > 0 && child->input >= 0) {
        ssize_t n = write(child->input, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return size == 0;
}

int childFinish(ChildProgram* child, std::string* lastLine) {
    if (child->input >= 0) close(child->input);
    child->input = -1;
    int status = 0;
    int code = -1;
    if (child->pid > 0) {
        while (waitpid(child->pid, &status, 0) < 0 && errno == EINTR) {
        }
        code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    child->pid = 0;
    lastLine->clear();
    if (child->log) {
        std::rewind(child->log);
        char line[1024];
        while (std::fgets(line, sizeof line, child->log)) {
            std::string text = line;
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
            if (!text.empty()) *lastLine = text;
        }
        std::fclose(child->log);
        child->log = nullptr;
    }
    return code;
}
