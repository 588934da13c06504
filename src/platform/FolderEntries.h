#pragma once

#include <dirent.h>
#include <sys/types.h>

// Calls `entry(const dirent64&)` for every entry of an open folder but "." and "..", reading
// with getdents64 straight on the descriptor (a DIR stream would look at the folder again).
template <typename EntryFunction> void forEachFolderEntry(int fd, EntryFunction entry) {
    alignas(dirent64) char buffer[32 * 1024];
    ssize_t size = 0;
    while ((size = ::getdents64(fd, buffer, sizeof buffer)) > 0) {
        for (ssize_t offset = 0; offset < size;) {
            const auto* item = reinterpret_cast<const dirent64*>(buffer + offset);
            offset += item->d_reclen;
            const char* name = item->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            entry(*item);
        }
    }
}
