// WineServer: finding a prefix's wineserver by the lock it holds.
//
// wineserver keeps a directory per prefix, named after the prefix folder's device and inode
// numbers in hexadecimal ("server-fe00-a7600d"), holding a `socket` and a `lock` file. The
// running server holds an fcntl write lock on the whole lock file; the file itself stays when
// the server exits, so only the lock tells. Where the directory lives depends on the build:
//   /tmp/.wine-<uid>/server-<dev>-<ino>/        Wine's own builds
//   /run/user/<uid>/wine/server-<dev>-<ino>/    Debian's builds, when /run/user/<uid> exists
//   $TMPDIR/<name>/server-<dev>-<ino>/          Debian's builds otherwise: <name> is a private
//                                               "wine-XXXXXX" folder whose name the prefix
//                                               keeps in its file "wineserver"
// Every place is tried; a lock held in any of them means a server is running.
#include "platform/WineServer.h"

#ifndef _WIN32
#include "common/Path.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#endif

namespace vellum {

#ifdef _WIN32

bool WineServerRunning(const std::string&, long* pid) {
    if (pid)
        *pid = 0;
    return false;
}

#else

namespace {

// The process holding a write lock on the whole file, 0 for none (or no such file).
long LockHolder(const std::string& lockFile) {
    int fd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return 0;
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    long holder = 0;
    if (::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK)
        holder = lock.l_pid > 0 ? long(lock.l_pid) : -1;
    ::close(fd);
    return holder;
}

// The folder name a Debian wineserver recorded in the prefix: "wine-" and six characters of
// mkdtemp's alphabet, nothing that could lead elsewhere.
std::string RecordedTempFolder(const std::string& prefixFolder) {
    std::ifstream in(JoinPath(prefixFolder, "wineserver"));
    std::string name;
    std::getline(in, name);
    if (name.size() != 11 || name.rfind("wine-", 0) != 0)
        return {};
    for (char c : name.substr(5))
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return {};
    return name;
}

std::vector<std::string> ServerFolders(const std::string& prefixFolder, const struct stat& st) {
    char server[64];
    std::snprintf(server, sizeof server, "server-%llx-%llx",
                  static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    unsigned uid = unsigned(::getuid());
    std::vector<std::string> folders = {
        "/tmp/.wine-" + std::to_string(uid) + "/" + server,
        "/run/user/" + std::to_string(uid) + "/wine/" + server,
    };
    if (std::string name = RecordedTempFolder(prefixFolder); !name.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        if (tmp && *tmp)
            folders.push_back(JoinPath(JoinPath(tmp, name), server));
        folders.push_back("/tmp/" + name + "/" + server);
    }
    return folders;
}

} // namespace

bool WineServerRunning(const std::string& prefixFolder, long* pid) {
    if (pid)
        *pid = 0;
    struct stat st = {};
    if (::stat(prefixFolder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    for (const std::string& folder : ServerFolders(prefixFolder, st)) {
        long holder = LockHolder(folder + "/lock");
        if (holder == 0)
            continue;
        if (pid)
            *pid = holder > 0 ? holder : 0;
        return true;
    }
    return false;
}

#endif

} // namespace vellum
