// Physical memory stand-in for tests under Wine.
//
//   physmem_helper [--base ADDRESS] [--eisa] IMAGE
//
// Creates the named section "\Device\PhysicalMemory" (1 MiB, committed, zero-filled),
// copies the bytes of IMAGE into it at ADDRESS (default 0xE0000), prints "READY" and
// keeps the section alive until standard input reaches end of file. Readers open it
// as the operating system's physical memory section and map it read-only.
//
// --eisa also creates the volatile registry key
// HKLM\Hardware\Description\System\EisaAdapter\0 (keys below HKLM\Hardware cannot be
// persistent, so the key lives as long as this process) and removes it at exit.
//
// Exit codes: 0 after a clean end, 2 for bad arguments or an unreadable image,
// 3 when the section cannot be created (0xC0000035: a stale helper still owns it),
// 4 when the registry key cannot be created.
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const SIZE_T kSectionSize = 0x100000;
const char kEisaParent[] = "Hardware\\Description\\System\\EisaAdapter";
const char kEisaKey[] = "Hardware\\Description\\System\\EisaAdapter\\0";

typedef NTSTATUS(NTAPI *CreateSectionFn)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PLARGE_INTEGER, ULONG, ULONG,
                                         HANDLE);
typedef NTSTATUS(NTAPI *MapViewFn)(HANDLE, HANDLE, PVOID *, ULONG_PTR, SIZE_T, PLARGE_INTEGER, PSIZE_T, DWORD, ULONG,
                                   ULONG);
typedef VOID(NTAPI *InitUnicodeFn)(PUNICODE_STRING, PCWSTR);

int Usage() {
    std::fprintf(stderr, "usage: physmem_helper [--base ADDRESS] [--eisa] IMAGE\n");
    return 2;
}

template <typename Fn> Fn NtdllEntry(const char *name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

// Reads the whole image into the view at the given offset; the image must fit.
bool LoadImage(const char *path, unsigned char *view, unsigned long base) {
    FILE *file = std::fopen(path, "rb");
    if (!file) {
        std::fprintf(stderr, "physmem_helper: cannot open %s\n", path);
        return false;
    }
    size_t room = kSectionSize - base;
    size_t got = std::fread(view + base, 1, room, file);
    bool longer = std::fgetc(file) != EOF;
    std::fclose(file);
    if (longer) {
        std::fprintf(stderr, "physmem_helper: %s does not fit below 1 MiB at %08lX\n", path, base);
        return false;
    }
    std::fprintf(stderr, "physmem_helper: %lu bytes at %08lX\n", static_cast<unsigned long>(got), base);
    return true;
}

bool CreateEisaKey(bool *createdParent) {
    HKEY key;
    *createdParent = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEisaParent, 0, KEY_READ, &key) != ERROR_SUCCESS;
    if (!*createdParent)
        RegCloseKey(key);
    DWORD disposition = 0;
    LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kEisaKey, 0, NULL, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, NULL, &key,
                              &disposition);
    if (rc != ERROR_SUCCESS) {
        std::fprintf(stderr, "physmem_helper: cannot create HKLM\\%s (%ld)\n", kEisaKey, rc);
        return false;
    }
    RegCloseKey(key);
    return true;
}

void RemoveEisaKey(bool removeParent) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEisaKey);
    if (removeParent)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEisaParent);
}

} // namespace

int main(int argc, char **argv) {
    unsigned long base = 0xE0000;
    bool eisa = false;
    const char *image = NULL;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--base") == 0 && i + 1 < argc) {
            char *end = NULL;
            base = std::strtoul(argv[++i], &end, 0);
            if (*end != '\0' || base >= kSectionSize)
                return Usage();
        } else if (std::strcmp(argv[i], "--eisa") == 0) {
            eisa = true;
        } else if (argv[i][0] == '-' || image) {
            return Usage();
        } else {
            image = argv[i];
        }
    }
    if (!image)
        return Usage();

    CreateSectionFn createSection = NtdllEntry<CreateSectionFn>("NtCreateSection");
    MapViewFn mapView = NtdllEntry<MapViewFn>("NtMapViewOfSection");
    InitUnicodeFn initUnicode = NtdllEntry<InitUnicodeFn>("RtlInitUnicodeString");
    if (!createSection || !mapView || !initUnicode) {
        std::fprintf(stderr, "physmem_helper: ntdll entry points missing\n");
        return 3;
    }

    UNICODE_STRING name;
    initUnicode(&name, L"\\Device\\PhysicalMemory");
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, NULL, NULL);
    LARGE_INTEGER size;
    size.QuadPart = kSectionSize;
    HANDLE section = NULL;
    NTSTATUS status = createSection(&section, SECTION_ALL_ACCESS, &attributes, &size, PAGE_READWRITE, SEC_COMMIT, NULL);
    if (status < 0) {
        std::fprintf(stderr, "physmem_helper: NtCreateSection failed %08lX\n", static_cast<unsigned long>(status));
        return 3;
    }
    void *view = NULL;
    SIZE_T viewSize = 0;
    LARGE_INTEGER offset;
    offset.QuadPart = 0;
    status =
        mapView(section, GetCurrentProcess(), &view, 0, 0, &offset, &viewSize, 1 /* ViewShare */, 0, PAGE_READWRITE);
    if (status < 0) {
        std::fprintf(stderr, "physmem_helper: NtMapViewOfSection failed %08lX\n", static_cast<unsigned long>(status));
        return 3;
    }
    if (!LoadImage(image, static_cast<unsigned char *>(view), base))
        return 2;

    bool createdParent = false;
    if (eisa && !CreateEisaKey(&createdParent))
        return 4;

    std::printf("READY\n");
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) {
    }

    if (eisa)
        RemoveEisaKey(createdParent);
    CloseHandle(section);
    return 0;
}
