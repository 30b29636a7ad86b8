// File times through GetFileInformationByHandle; the file is opened without access
// rights, so a file another program holds open can still be asked.
#include "common/file_times_win.h"

namespace {

uint64_t ticks(const FILETIME& t) { return (uint64_t)t.dwHighDateTime << 32 | t.dwLowDateTime; }

}  // namespace

bool read_file_times(const TCHAR* path, uint64_t* created, uint64_t* modified) {
    HANDLE file = CreateFile(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(file, &info) != FALSE;
    CloseHandle(file);
    if (!ok) return false;
    *created = ticks(info.ftCreationTime);
    *modified = ticks(info.ftLastWriteTime);
    return true;
}
