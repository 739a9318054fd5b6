#include "interruption.h"

#include <windows.h>

#include <atomic>
#include <climits>
#include <iterator>

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace hostsim {

namespace fs = std::filesystem;

namespace {

// What the interruption removes, set before it is armed and left alone while
// it is: the handler only reads it.
std::vector<fs::path> Files;
fs::path Folder;
std::atomic<bool> Armed = false;

#ifdef _WIN32

DWORD MainThread = 0;

BOOL WINAPI OnConsoleEvent(DWORD) {
    if (!Armed) {
        return FALSE;
    }
    Armed = false;
    // The handler runs on a thread of its own: the main thread, which may be
    // inside the plug-in, stops before the plug-in is unloaded.
    if (HANDLE main = OpenThread(THREAD_SUSPEND_RESUME, FALSE, MainThread)) {
        SuspendThread(main);
        CloseHandle(main);
    }
    for (const fs::path& file : Files) {
        for (int loads = 0; loads < 16; ++loads) {
            HMODULE module = GetModuleHandleW(file.c_str());
            if (!module || !FreeLibrary(module)) {
                break;
            }
        }
        DeleteFileW(file.c_str());
    }
    RemoveDirectoryW(Folder.c_str());
    return FALSE;  // the next handler, the system's, ends the process
}

void Arm() {
    MainThread = GetCurrentThreadId();
    Armed = true;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void Disarm() {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    Armed = false;
}

#else

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction Previous[std::size(kSignals)];

void OnSignal(int signal) {
    if (Armed) {
        Armed = false;
        int saved = errno;
        for (const fs::path& file : Files) {
            unlink(file.c_str());
        }
        rmdir(Folder.c_str());
        errno = saved;
    }
    // Ended by the signal, as without this handler: it comes again once the
    // handler returns.
    struct sigaction standard = {};
    standard.sa_handler = SIG_DFL;
    sigaction(signal, &standard, nullptr);
    raise(signal);
}

void Arm() {
    Armed = true;
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals) {
        sigaddset(&action.sa_mask, signal);  // one handler at a time
    }
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &action, &Previous[i]);
    }
}

void Disarm() {
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &Previous[i], nullptr);
    }
    Armed = false;
}

#endif

}  // namespace

RemovedOnInterruption::RemovedOnInterruption(std::vector<fs::path> files, fs::path folder) {
    Files = std::move(files);
    Folder = std::move(folder);
    Arm();
}

RemovedOnInterruption::~RemovedOnInterruption() {
    Disarm();
    Files.clear();
    Folder.clear();
}

#ifdef _WIN32

unsigned long ThisProcess() {
    return GetCurrentProcessId();
}

bool ProcessRuns(unsigned long id) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process) {
        return GetLastError() == ERROR_ACCESS_DENIED;  // another user's
    }
    DWORD code = 0;
    bool runs = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return runs;
}

#else

unsigned long ThisProcess() {
    return static_cast<unsigned long>(getpid());
}

bool ProcessRuns(unsigned long id) {
    if (id == 0 || id > INT_MAX) {
        return true;  // no process of its own: never taken for a gone one
    }
    return kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;  // EPERM: another user's
}

#endif

}  // namespace hostsim
