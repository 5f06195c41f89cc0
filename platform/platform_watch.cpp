// Directory watching through inotify: one watch per folder, since inotify does not recurse.
#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "platform/platform.h"

struct PlatformWatch {
    int fd;
    std::map<int, std::string> folders;  // watch descriptor -> folder relative to the root ("" the root)
    std::string root;
};

namespace {

const uint32_t kFileEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_CREATE;

void addFolder(PlatformWatch* watch, const std::string& relative) {
    std::string full = relative.empty() ? watch->root : watch->root + "/" + relative;
    int wd = inotify_add_watch(watch->fd, full.c_str(), kFileEvents);
    if (wd < 0) return;
    watch->folders[wd] = relative;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(full, error)) {
        std::error_code kindError;
        if (!entry.is_directory(kindError)) continue;
        std::string name = entry.path().filename().string();
        addFolder(watch, relative.empty() ? name : relative + "/" + name);
    }
}

}  // namespace

PlatformWatch* platformWatchTree(const char* dir) {
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return nullptr;
    PlatformWatch* watch = new PlatformWatch();
    watch->fd = fd;
    watch->root = dir;
    addFolder(watch, "");
    if (watch->folders.empty()) {
        platformWatchClose(watch);
        return nullptr;
    }
    return watch;
}

int platformWatchChanges(PlatformWatch* watch, void (*changed)(void* user, const char* path), void* user) {
    if (!watch) return 0;
    int count = 0;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        ssize_t length = read(watch->fd, buffer, sizeof buffer);
        if (length <= 0) break;
        for (ssize_t at = 0; at < length;) {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            auto folder = watch->folders.find(event->wd);
            if (folder == watch->folders.end() || event->len == 0) continue;
            std::string path = folder->second.empty() ? event->name : folder->second + "/" + event->name;
            if (event->mask & IN_ISDIR) {
                // Files written into a new folder are seen once the folder is watched too.
                if (event->mask & (IN_CREATE | IN_MOVED_TO)) addFolder(watch, path);
                continue;
            }
            // A created file is reported when its writer closes it.
            if (event->mask == IN_CREATE) continue;
            changed(user, path.c_str());
            ++count;
        }
    }
    return count;
}

void platformWatchClose(PlatformWatch* watch) {
    if (!watch) return;
    close(watch->fd);
    delete watch;
}
