// Serial port enumeration on Linux, from sysfs.

#include "platform/PortEnumerator_linux.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvr {
namespace {

constexpr size_t kMaxPorts = 256;
constexpr size_t kMaxNameLength = 63;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Compares like strcmp, except that runs of digits compare by their value:
// ttyS2 < ttyS10. Equal values with different leading zeros fall back to
// the plain order so the result stays a strict ordering.
int NaturalCompare(const char* a, const char* b)
{
    const char* const a0 = a;
    const char* const b0 = b;
    while (*a != '\0' && *b != '\0') {
        if (IsDigit(*a) && IsDigit(*b)) {
            while (*a == '0')
                ++a;
            while (*b == '0')
                ++b;
            size_t lengthA = 0;
            size_t lengthB = 0;
            while (IsDigit(a[lengthA]))
                ++lengthA;
            while (IsDigit(b[lengthB]))
                ++lengthB;
            if (lengthA != lengthB)
                return lengthA < lengthB ? -1 : 1;
            const int byDigits = std::strncmp(a, b, lengthA);
            if (byDigits != 0)
                return byDigits;
            a += lengthA;
            b += lengthB;
        } else {
            if (*a != *b)
                return static_cast<unsigned char>(*a) < static_cast<unsigned char>(*b) ? -1 : 1;
            ++a;
            ++b;
        }
    }
    if (*a != *b)
        return *a == '\0' ? -1 : 1;
    return std::strcmp(a0, b0);
}

class SysfsPortEnumerator final : public IPortEnumerator {
public:
    explicit SysfsPortEnumerator(const char* root)
    {
        const int n = std::snprintf(root_, sizeof root_, "%s", root != nullptr ? root : "");
        if (n < 0 || static_cast<size_t>(n) >= sizeof root_)
            root_[0] = '\0'; // unusable: Enumerate() fails
    }

    bool Enumerate(Visitor visit, void* context) override
    {
        if (root_[0] == '\0')
            return false;
        DIR* dir = ::opendir(root_);
        if (dir == nullptr)
            return false;

        // Kept sorted as it fills; with more than kMaxPorts ports the
        // smallest ones are kept, whatever order the directory has.
        char names[kMaxPorts][kMaxNameLength + 1];
        size_t count = 0;
        while (const dirent* entry = ::readdir(dir)) {
            const char* name = entry->d_name;
            if (name[0] == '.' || std::strlen(name) > kMaxNameLength || !IsPort(name))
                continue;
            size_t at = count;
            while (at > 0 && NaturalCompare(name, names[at - 1]) < 0)
                --at;
            if (at == kMaxPorts)
                continue;
            const size_t last = count < kMaxPorts ? count : kMaxPorts - 1;
            std::memmove(names + at + 1, names + at, (last - at) * sizeof names[0]);
            std::memcpy(names[at], name, std::strlen(name) + 1);
            if (count < kMaxPorts)
                ++count;
        }
        ::closedir(dir);

        for (size_t i = 0; i < count; ++i)
            visit(context, names[i]);
        return true;
    }

private:
    bool IsPort(const char* name) const
    {
        char path[PATH_MAX];
        struct stat info;
        if (!Format(path, sizeof path, name, "device") || ::stat(path, &info) != 0)
            return false;
        if (std::strncmp(name, "ttyS", 4) == 0 && Format(path, sizeof path, name, "type"))
            return !ReadsZero(path);
        return true;
    }

    bool Format(char* path, size_t size, const char* name, const char* leaf) const
    {
        const int n = std::snprintf(path, size, "%s/%s/%s", root_, name, leaf);
        return n >= 0 && static_cast<size_t>(n) < size;
    }

    // True when the file exists and holds the number 0 (the UART type of a
    // port with no hardware). A missing or unreadable file is not 0.
    static bool ReadsZero(const char* path)
    {
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        char text[32];
        ssize_t n;
        do {
            n = ::read(fd, text, sizeof text - 1);
        } while (n < 0 && errno == EINTR);
        ::close(fd);
        if (n <= 0)
            return false;
        text[n] = '\0';
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        return end != text && value == 0;
    }

    char root_[PATH_MAX];
};

} // namespace

std::unique_ptr<IPortEnumerator> CreateSysfsPortEnumerator(const char* sysClassTtyDir)
{
    return std::make_unique<SysfsPortEnumerator>(sysClassTtyDir);
}

std::unique_ptr<IPortEnumerator> CreateSystemPortEnumerator(ITrace*)
{
    return CreateSysfsPortEnumerator("/sys/class/tty");
}

} // namespace qvr
