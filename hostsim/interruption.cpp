#include "interruption.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
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
OwnerLock* Lock = nullptr;
std::atomic<bool> Armed = false;

#ifdef _WIN32

DWORD MainThread = 0;

// Removes what is guarded, once. From a thread of the console's, the main
// thread, which may be inside the plug-in, stops before the plug-in is
// unloaded.
void RemoveGuarded(bool fromAnotherThread) {
    if (!Armed.exchange(false)) {
        return;
    }
    if (HANDLE main =
            fromAnotherThread ? OpenThread(THREAD_SUSPEND_RESUME, FALSE, MainThread) : nullptr) {
        SuspendThread(main);
        CloseHandle(main);
    }
    if (Lock) {
        Lock->Release();
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
}

BOOL WINAPI OnConsoleEvent(DWORD) {
    RemoveGuarded(true);
    // Ended here: the next handler, the system's, would end it with 0 under Wine.
    TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
    return TRUE;
}

void Arm() {
    MainThread = GetCurrentThreadId();
    EndRunOnInterruption();
    Armed = true;
}

void Disarm() {
    Armed = false;
}

#else

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
struct sigaction Previous[std::size(kSignals)];

void RemoveGuarded() {
    if (Armed.exchange(false)) {
        int saved = errno;
        for (const fs::path& file : Files) {
            unlink(file.c_str());  // the lock's file too: held, but gone
        }
        rmdir(Folder.c_str());
        errno = saved;
    }
}

void OnSignal(int signal) {
    RemoveGuarded();
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
        sigaction(kSignals[i], nullptr, &Previous[i]);
        // A signal the run was started to ignore stays ignored: a closed
        // pipe is then an error of writing, told as such.
        if (Previous[i].sa_handler != SIG_IGN) {
            sigaction(kSignals[i], &action, nullptr);
        }
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

RemovedOnInterruption::RemovedOnInterruption(std::vector<fs::path> files, fs::path folder,
                                             OwnerLock* lock) {
    Files = std::move(files);
    Folder = std::move(folder);
    Lock = lock;
    Arm();
}

RemovedOnInterruption::~RemovedOnInterruption() {
    Disarm();
    Files.clear();
    Folder.clear();
    Lock = nullptr;
}

#ifdef _WIN32

void EndRunOnInterruption() {
    static const bool installed = SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    (void)installed;
}

void EndRunNow(int status) {
    RemoveGuarded(false);
    std::_Exit(status);
}

unsigned long ThisProcess() {
    return GetCurrentProcessId();
}

#else

void EndRunOnInterruption() {}  // the signals end it, each with its own status

void EndRunNow(int status) {
    RemoveGuarded();
    std::_Exit(status);
}

unsigned long ThisProcess() {
    return static_cast<unsigned long>(getpid());
}

#endif

}  // namespace hostsim
