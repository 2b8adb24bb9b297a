// POSIX access lists written and read through their extended attribute, and a file looked at as
// another user would: the checks need no tool of the system's, only its calls.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <initializer_list>
#include <optional>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

// The tags of a list's entries, as the system numbers them.
enum TAclTag : uint16_t {
    kAclUserObj = 0x01,
    kAclUser = 0x02,
    kAclGroupObj = 0x04,
    kAclGroup = 0x08,
    kAclMask = 0x10,
    kAclOther = 0x20,
};

struct TAclEntry {
    TAclTag Tag;
    uint16_t Permissions; // 4 read, 2 write, 1 execute
    uint32_t Id = 0xFFFFFFFFu; // the user or group of a named entry
};

// The attribute's bytes for a list: version 2, then the entries, which must come in the tag order
// above (named ones by id) as the system requires.
inline std::string AccessListBytes(std::initializer_list<TAclEntry> entries)
{
    std::string bytes(4, '\0');
    const uint32_t version = 2;
    std::memcpy(bytes.data(), &version, 4);
    for (const TAclEntry& e : entries) {
        char entry[8];
        std::memcpy(entry, &e.Tag, 2);
        std::memcpy(entry + 2, &e.Permissions, 2);
        std::memcpy(entry + 4, &e.Id, 4);
        bytes.append(entry, 8);
    }
    return bytes;
}

// A page's list that lets everyone read it but `excluded`, who may not (mode 0644, "user:excluded:---").
inline std::string ListExcluding(uint32_t excluded)
{
    return AccessListBytes({{kAclUserObj, 6}, {kAclUser, 0, excluded}, {kAclGroupObj, 4}, {kAclMask, 4}, {kAclOther, 4}});
}
// A page's list that lets nobody in but its owner and `granted`, who may read and write it (mode 0600,
// "user:granted:rw-").
inline std::string ListGranting(uint32_t granted)
{
    return AccessListBytes({{kAclUserObj, 6}, {kAclUser, 6, granted}, {kAclGroupObj, 0}, {kAclMask, 6}, {kAclOther, 0}});
}

// The list a file carries; empty when it has none beyond its mode.
inline std::string AccessListOf(const std::string& path)
{
    char buffer[1024];
    const ssize_t n = getxattr(path.c_str(), "system.posix_acl_access", buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

// Gives a file (or a folder, with `name` "system.posix_acl_default" for its new files) a list; false
// when its file system keeps none.
inline bool SetAccessList(const std::string& path, const std::string& bytes,
                          const char* name = "system.posix_acl_access")
{
    return setxattr(path.c_str(), name, bytes.data(), bytes.size(), 0) == 0;
}

// Whether the user `uid`, of the group `gid` only, may open the file for reading; nothing when this
// process cannot take another user's part (only the superuser can).
inline std::optional<bool> ReadableAs(uid_t uid, gid_t gid, const std::string& path)
{
    if (geteuid() != 0)
        return std::nullopt;
    const pid_t child = fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        if (setgroups(1, &gid) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
            _exit(2);
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        _exit(fd >= 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 2)
        return std::nullopt;
    return WEXITSTATUS(status) == 0;
}
