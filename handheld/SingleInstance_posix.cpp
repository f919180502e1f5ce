#include "handheld/SingleInstance.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

class FileLock : public SingleInstance {
public:
    explicit FileLock(int fd) : m_fd(fd) {}
    ~FileLock() override { ::close(m_fd); }

private:
    int m_fd;
};

// The user's runtime folder, else the temporary folder with the user id in
// the name, so each user has a lock of their own.
std::string LockPath(const char* name) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/" + name + ".lock";
    return "/tmp/" + std::string(name) + "-" + std::to_string(::getuid()) + ".lock";
}

} // namespace

std::string SingleInstance::ShowChannel(const char* name) {
    // A socket beside the lock, in a folder of the user's own.
    std::string path = LockPath(name);
    path.replace(path.size() - 5, 5, ".show");
    return path;
}

std::unique_ptr<SingleInstance> SingleInstance::Acquire(const char* name) {
    const std::string path = LockPath(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return nullptr;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FileLock>(fd);
}
