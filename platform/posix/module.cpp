// Modules for Linux builds: a "DLL" is a shared library opened with dlopen,
// whose DllMain runs on load and unload as the Windows loader runs it, and the
// main program's exported functions are found with dlsym.
#include <windows.h>

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace {

using EntryRoutine = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

struct Module {
    void* library;
    std::string path;
    EntryRoutine entry;
};

// The errors this layer reports, with their Windows numbers.
constexpr DWORD kErrorModNotFound = 126;
constexpr DWORD kErrorProcNotFound = 127;
constexpr DWORD kErrorDllInitFailed = 1114;
constexpr DWORD kErrorInsufficientBuffer = 122;

thread_local DWORD lastError = 0;

Module* MainProgram() {
    static Module* main = [] {
        char path[PATH_MAX] = {};
        ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
        return new Module{dlopen(nullptr, RTLD_NOW), n > 0 ? std::string(path, n) : std::string(),
                          nullptr};
    }();
    return main;
}

Module* FromHandle(HMODULE handle) {
    return handle ? reinterpret_cast<Module*>(handle) : MainProgram();
}

}  // namespace

HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
    char full[PATH_MAX];
    if (!fileName || !realpath(fileName, full)) {
        lastError = kErrorModNotFound;
        return nullptr;
    }
    void* library = dlopen(full, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        lastError = kErrorModNotFound;
        return nullptr;
    }
    auto* module =
        new Module{library, full, reinterpret_cast<EntryRoutine>(dlsym(library, "DllMain"))};
    auto handle = reinterpret_cast<HMODULE>(module);
    if (module->entry && !module->entry(handle, DLL_PROCESS_ATTACH, nullptr)) {
        // As on Windows: a library whose entry routine refuses the attach is
        // told of the detach and unloaded, and the load fails.
        module->entry(handle, DLL_PROCESS_DETACH, nullptr);
        dlclose(library);
        delete module;
        lastError = kErrorDllInitFailed;
        return nullptr;
    }
    return handle;
}

BOOL WINAPI FreeLibrary(HMODULE handle) {
    if (!handle) {
        return FALSE;
    }
    Module* module = FromHandle(handle);
    if (module->entry) {
        module->entry(handle, DLL_PROCESS_DETACH, nullptr);
    }
    dlclose(module->library);
    delete module;
    return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    if (moduleName) {
        lastError = kErrorModNotFound;
        return nullptr;  // only the main program is ever asked for here
    }
    return reinterpret_cast<HMODULE>(MainProgram());
}

FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR procName) {
    void* address = dlsym(FromHandle(handle)->library, procName);
    if (!address) {
        lastError = kErrorProcNotFound;
    }
    return reinterpret_cast<FARPROC>(address);
}

DWORD WINAPI GetModuleFileNameA(HMODULE handle, LPSTR fileName, DWORD size) {
    if (size == 0) {
        lastError = kErrorInsufficientBuffer;
        return 0;
    }
    const std::string& path = FromHandle(handle)->path;
    if (path.size() >= size) {
        // Windows cuts the path, terminates it and reports the full size.
        std::memcpy(fileName, path.data(), size - 1);
        fileName[size - 1] = '\0';
        lastError = kErrorInsufficientBuffer;
        return size;
    }
    std::memcpy(fileName, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE) {
    return TRUE;  // this layer never reports thread attach or detach
}

DWORD WINAPI GetLastError() {
    return lastError;
}

DWORD WINAPI GetCurrentThreadId() {
    return static_cast<DWORD>(syscall(SYS_gettid));
}
