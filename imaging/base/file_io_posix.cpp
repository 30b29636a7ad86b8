// File layer, POSIX build: open/read/write/lseek and read-only whole-file mmap.
// The descriptor travels in the FileHandle pointer.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/mman.h>
#include <unistd.h>

#include "base/records.h"

namespace {
int fd_of(FileHandle h) { return (int)(intptr_t)h; }
FileHandle handle_of(int fd) { return fd < 0 ? FILE_HANDLE_INVALID : (FileHandle)(intptr_t)fd; }
}  // namespace

bool file_exists(const PathChar* path) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        close(fd);
        return true;
    }
    return !(errno == ENOENT || errno == ENOTDIR);
}

FileHandle file_open_read(const PathChar* path) { return handle_of(open(path, O_RDONLY | O_CLOEXEC)); }

FileHandle file_open_update(const PathChar* path) {
    FileHandle h = handle_of(open(path, O_RDWR | O_CLOEXEC));
    return h != FILE_HANDLE_INVALID ? h : file_open_read(path);
}

FileHandle file_create(const PathChar* path) {
    return handle_of(open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
}

int32_t file_seek(FileHandle h, int32_t distance, int origin) {
    const int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
    off_t pos = lseek(fd_of(h), distance, whence);
    if (pos < 0) return -1;
    if (pos > INT32_MAX) return origin == 2 ? 0 : -1;  // files of 2 GB or more look empty
    return (int32_t)pos;
}

int32_t file_read(FileHandle h, void* buffer, int32_t count) {
    if (count <= 0) return 0;
    int32_t done = 0;
    while (done < count) {
        ssize_t n = read(fd_of(h), static_cast<char*>(buffer) + done, (size_t)(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += (int32_t)n;
    }
    return done;
}

int32_t file_write(FileHandle h, const void* buffer, int32_t count) {
    if (count <= 0) return 0;
    int32_t done = 0;
    while (done < count) {
        ssize_t n = write(fd_of(h), static_cast<const char*>(buffer) + done, (size_t)(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += (int32_t)n;
    }
    return done;
}

void file_close(FileHandle h) {
    if (h != FILE_HANDLE_INVALID && h != nullptr) close(fd_of(h));
}

const uint8_t* file_map(FileHandle h, int32_t size, FileHandle* mapping) {
    *mapping = nullptr;
    if (size <= 0) return nullptr;
    void* v = mmap(nullptr, (size_t)size, PROT_READ, MAP_PRIVATE, fd_of(h), 0);
    return v == MAP_FAILED ? nullptr : static_cast<const uint8_t*>(v);
}

void file_unmap(const uint8_t* view, int32_t size, FileHandle) {
    if (view && size > 0) munmap(const_cast<uint8_t*>(view), (size_t)size);
}

bool file_delete(const PathChar* path) { return unlink(path) == 0; }

FileHandle file_create_new(const PathChar* path) {
    return handle_of(open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
}

bool file_flush(FileHandle h) { return h != FILE_HANDLE_INVALID && fsync(fd_of(h)) == 0; }

bool file_replace(const PathChar* from, const PathChar* to) { return rename(from, to) == 0; }
