#include "tests/support/xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/process.h"

bool startXvfb(XvfbServer* server, int width, int height) {
    server->pid = -1;
    server->display.clear();
    int fds[2];
    if (pipe(fds) != 0) return false;
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               "+extension", "GLX", "+extension", "RANDR", (char*)nullptr);
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd p = {fds[0], POLLIN, 0};
    while (poll(&p, 1, 10000) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1) break;
        if (c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return false;
    }
    server->pid = pid;
    server->display = ":" + number;
    return true;
}

void stopXvfb(XvfbServer* server) {
    if (server->pid > 0) {
        kill(server->pid, SIGTERM);
        waitpid(server->pid, nullptr, 0);
    }
    server->pid = -1;
    server->display.clear();
}

const XvfbServer* sharedXvfb() {
    static XvfbServer server;
    static bool started = false;
    static pid_t owner;
    if (!started) {
        started = true;
        owner = getpid();
        startXvfb(&server);
        // Death tests fork and exit: only the process that started the server stops it.
        std::atexit([] {
            if (getpid() == owner) stopXvfb(&server);
        });
    }
    return &server;
}

std::string windowToolsMissing(std::string* xdotool, std::string* xwd) {
    if (sharedXvfb()->display.empty()) return "Xvfb cannot be started";
    *xdotool = toolPath("xdotool");
    *xwd = toolPath("xwd");
    if (xdotool->empty() || xwd->empty()) return "xdotool or xwd is not installed";
    return "";
}
