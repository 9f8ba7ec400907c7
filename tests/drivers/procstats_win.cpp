// procstats: what one Windows process holds, read from outside it, for the
// leak and endurance tests.
//
//   procstats --out FILE PID
//
// Writes one JSON object: "gdi" (GDI objects), "user" (windows, children
// included), "handles" (kernel handles) and "private", "workingset" and
// their highest values since the process started, "peakprivate" and
// "peakworkingset" (bytes; Wine 8 keeps no peak of the private bytes and
// reports the current value there).
// Wine answers GetGuiResources with 0 and lacks GetProcessHandleCount, so the
// GDI count is read from the process's own GDI handle table (the one its PEB
// points to, as on NT) and the handle count from the system handle list; a
// value that cannot be read is written as -1.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// One entry of the GDI handle table: 24 bytes on every NT, 32 or 64 bits.
#pragma pack(push, 1)
struct GdiHandleEntry {
    unsigned long long object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    unsigned long long user;
};
#pragma pack(pop)
const int GDI_MAX_HANDLE_COUNT = 0x10000;
const size_t PEB_GDI_TABLE_OFFSET = 0x94;  // GdiSharedHandleTable in a 32-bit PEB

struct ProcessBasicInformation {
    LONG exitStatus;
    void *pebBaseAddress;
    ULONG_PTR affinityMask;
    LONG basePriority;
    ULONG_PTR uniqueProcessId;
    ULONG_PTR parentProcessId;
};

struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT handleValue;
    void *object;
    ULONG access;
};

struct ProcessMemoryCounters {
    DWORD cb;
    DWORD pageFaultCount;
    SIZE_T peakWorkingSetSize, workingSetSize;
    SIZE_T quotaPeakPagedPoolUsage, quotaPagedPoolUsage;
    SIZE_T quotaPeakNonPagedPoolUsage, quotaNonPagedPoolUsage;
    SIZE_T pagefileUsage, peakPagefileUsage;
    SIZE_T privateUsage;
};

typedef LONG(WINAPI *QueryProcessFn)(HANDLE, int, void *, ULONG, ULONG *);
typedef LONG(WINAPI *QuerySystemFn)(int, void *, ULONG, ULONG *);
typedef BOOL(WINAPI *MemoryInfoFn)(HANDLE, ProcessMemoryCounters *, DWORD);

// Looked up at run time: neither call is in the import libraries of a
// Windows 95 build. The cast goes through a plain function pointer type,
// which is how the two signatures are told apart on purpose.
typedef void (*AnyFn)(void);
template <typename Fn>
Fn Proc(const char *module, const char *name) {
    HMODULE h = GetModuleHandleA(module);
    if (!h)
        h = LoadLibraryA(module);
    return h ? reinterpret_cast<Fn>(reinterpret_cast<AnyFn>(GetProcAddress(h, name))) : NULL;
}

long GdiObjects(HANDLE process) {
    QueryProcessFn query = Proc<QueryProcessFn>("ntdll.dll", "NtQueryInformationProcess");
    ProcessBasicInformation info;
    ULONG got = 0;
    if (!query || query(process, 0, &info, sizeof info, &got) != 0)
        return -1;
    void *table = NULL;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, (char *)info.pebBaseAddress + PEB_GDI_TABLE_OFFSET, &table,
                           sizeof table, &read) || !table)
        return -1;
    static GdiHandleEntry entries[GDI_MAX_HANDLE_COUNT];
    if (!ReadProcessMemory(process, table, entries, sizeof entries, &read) || read != sizeof entries)
        return -1;
    long n = 0;
    for (int i = 0; i < GDI_MAX_HANDLE_COUNT; ++i)
        if (entries[i].type)
            ++n;
    return n;
}

long KernelHandles(DWORD pid) {
    QuerySystemFn query = Proc<QuerySystemFn>("ntdll.dll", "NtQuerySystemInformation");
    const int SystemHandleInformation = 16;
    if (!query)
        return -1;
    for (ULONG size = 1 << 16; size <= (1u << 26); size *= 2) {
        BYTE *buffer = (BYTE *)malloc(size);
        if (!buffer)
            return -1;
        ULONG got = 0;
        LONG status = query(SystemHandleInformation, buffer, size, &got);
        if (status == 0) {
            ULONG count = *(ULONG *)buffer;
            const SystemHandleEntry *e = (const SystemHandleEntry *)(buffer + sizeof(ULONG_PTR));
            long n = 0;
            for (ULONG i = 0; i < count && sizeof(ULONG_PTR) + (i + 1) * sizeof *e <= size; ++i)
                if (e[i].ownerPid == pid)
                    ++n;
            free(buffer);
            return n;
        }
        free(buffer);
        if (status != (LONG)0xC0000004)  // anything but "buffer too small"
            return -1;
    }
    return -1;
}

struct WindowCount {
    DWORD pid;
    long n;
};

BOOL CALLBACK CountChild(HWND, LPARAM lParam) {
    ++((WindowCount *)lParam)->n;
    return TRUE;
}

BOOL CALLBACK CountTop(HWND hwnd, LPARAM lParam) {
    WindowCount *count = (WindowCount *)lParam;
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == count->pid) {
        ++count->n;
        EnumChildWindows(hwnd, CountChild, lParam);
    }
    return TRUE;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4 || strcmp(argv[1], "--out") != 0) {
        fprintf(stderr, "usage: procstats --out FILE PID\n");
        return 2;
    }
    DWORD pid = strtoul(argv[3], NULL, 0);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) {
        fprintf(stderr, "procstats: cannot open process %lu (%lu)\n", pid, GetLastError());
        return 1;
    }
    WindowCount windows = {pid, 0};
    EnumWindows(CountTop, (LPARAM)&windows);
    ProcessMemoryCounters mem;
    memset(&mem, 0, sizeof mem);
    mem.cb = sizeof mem;
    MemoryInfoFn memoryInfo = Proc<MemoryInfoFn>("kernel32.dll", "K32GetProcessMemoryInfo");
    if (!memoryInfo || !memoryInfo(process, &mem, sizeof mem))
        mem.privateUsage = mem.pagefileUsage = mem.workingSetSize = 0;
    // Wine leaves PrivateUsage 0 and keeps the committed private bytes in PagefileUsage.
    SIZE_T privateBytes = mem.privateUsage ? mem.privateUsage : mem.pagefileUsage;
    SIZE_T peakPrivate = mem.peakPagefileUsage > privateBytes ? mem.peakPagefileUsage : privateBytes;

    FILE *out = fopen(argv[2], "w");
    if (!out)
        return 1;
    fprintf(out, "{\"gdi\": %ld, \"user\": %ld, \"handles\": %ld, \"private\": %lu, \"workingset\": %lu, "
                 "\"peakprivate\": %lu, \"peakworkingset\": %lu}\n",
            GdiObjects(process), windows.n, KernelHandles(pid), (unsigned long)privateBytes,
            (unsigned long)mem.workingSetSize, (unsigned long)peakPrivate, (unsigned long)mem.peakWorkingSetSize);
    CloseHandle(process);
    return fclose(out) == 0 ? 0 : 1;
}
