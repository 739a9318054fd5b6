// Modules for Linux builds: a "DLL" is a shared library opened with dlopen,
// whose DllMain runs on load and unload as the Windows loader runs it, and the
// main program's exported functions are found with dlsym.
#include <windows.h>

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "last_error.h"

namespace {

using EntryRoutine = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

struct Module {
    void* library;
    std::string path;
    EntryRoutine entry;
};

using win32posix::kErrorDllInitFailed;
using win32posix::kErrorInsufficientBuffer;
using win32posix::kErrorModNotFound;
using win32posix::kErrorProcNotFound;
using win32posix::SetError;

Module* MainProgram() {
    static Module* main = [] {
        char path[PATH_MAX] = {};
        ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
        return new Module{dlopen(nullptr, RTLD_NOW),
                          n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string(),
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
        SetError(kErrorModNotFound,
                 fileName ? std::string(fileName) + ": " + std::strerror(errno) : std::string());
        return nullptr;
    }
    void* library = dlopen(full, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        SetError(kErrorModNotFound, reason ? reason : "");
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
        SetError(kErrorDllInitFailed, std::string(full) + ": DllMain refused the attach");
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
        SetError(kErrorModNotFound);
        return nullptr;  // only the main program is ever asked for here
    }
    return reinterpret_cast<HMODULE>(MainProgram());
}

FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR procName) {
    void* address = dlsym(FromHandle(handle)->library, procName);
    if (!address) {
        SetError(kErrorProcNotFound, procName ? procName : "");
    }
    return reinterpret_cast<FARPROC>(address);
}

DWORD WINAPI GetModuleFileNameA(HMODULE handle, LPSTR fileName, DWORD size) {
    if (size == 0) {
        SetError(kErrorInsufficientBuffer);
        return 0;
    }
    const std::string& path = FromHandle(handle)->path;
    if (path.size() >= size) {
        // Windows cuts the path, terminates it and reports the full size.
        std::memcpy(fileName, path.data(), size - 1);
        fileName[size - 1] = '\0';
        SetError(kErrorInsufficientBuffer);
        return size;
    }
    std::memcpy(fileName, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE) {
    return TRUE;  // this layer never reports thread attach or detach
}

void WINAPI OutputDebugStringA(LPCSTR text) {
    if (text) {
        std::fputs(text, stderr);
    }
}

DWORD WINAPI GetCurrentThreadId() {
    return static_cast<DWORD>(syscall(SYS_gettid));
}
