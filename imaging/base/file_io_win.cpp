// File layer, Windows builds: CreateFile/ReadFile/WriteFile/SetFilePointer and
// read-only whole-file mappings.
#include <windows.h>

#include "base/records.h"

bool file_exists(const PathChar* path) {
    HANDLE h = CreateFile(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return true;
    }
    const DWORD e = GetLastError();
    return !(e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND);
}

FileHandle file_open_read(const PathChar* path) {
    return CreateFile(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

FileHandle file_open_update(const PathChar* path) {
    HANDLE h = CreateFile(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return h != INVALID_HANDLE_VALUE ? h : file_open_read(path);
}

FileHandle file_create(const PathChar* path) {
    return CreateFile(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
}

int32_t file_seek(FileHandle h, int32_t distance, int origin) {
    const DWORD method = origin == 0 ? FILE_BEGIN : origin == 1 ? FILE_CURRENT : FILE_END;
    LONG high = distance < 0 ? -1 : 0;
    DWORD low = SetFilePointer(h, distance, &high, method);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return -1;
    if (high != 0 || low > 0x7FFFFFFFu) return origin == 2 ? 0 : -1;  // beyond 32 bits: empty
    return (int32_t)low;
}

int32_t file_read(FileHandle h, void* buffer, int32_t count) {
    DWORD got = 0;
    if (count <= 0 || !ReadFile(h, buffer, (DWORD)count, &got, nullptr)) return 0;
    return (int32_t)got;
}

int32_t file_write(FileHandle h, const void* buffer, int32_t count) {
    DWORD put = 0;
    if (count <= 0 || !WriteFile(h, buffer, (DWORD)count, &put, nullptr)) return 0;
    return (int32_t)put;
}

void file_close(FileHandle h) {
    if (h != INVALID_HANDLE_VALUE && h != nullptr) CloseHandle(h);
}

const uint8_t* file_map(FileHandle h, int32_t size, FileHandle* mapping) {
    *mapping = nullptr;
    if (size <= 0) return nullptr;
    HANDLE m = CreateFileMapping(h, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!m) return nullptr;
    void* v = MapViewOfFile(m, FILE_MAP_READ, 0, 0, 0);
    if (!v) {
        CloseHandle(m);
        return nullptr;
    }
    *mapping = m;
    return static_cast<const uint8_t*>(v);
}

void file_unmap(const uint8_t* view, int32_t, FileHandle mapping) {
    if (view) UnmapViewOfFile(view);
    if (mapping) CloseHandle(mapping);
}

bool file_delete(const PathChar* path) { return DeleteFile(path) != 0; }

FileHandle file_create_new(const PathChar* path) {
    return CreateFile(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool file_flush(FileHandle h) { return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h) != 0; }

bool file_replace(const PathChar* from, const PathChar* to) {
    return MoveFileEx(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
