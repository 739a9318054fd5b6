#include "support/file_calls.h"

#include <algorithm>
#include <set>

#include "support/imports.h"

#ifndef _WIN32
#include "win32posix/file_calls.h"
#endif

namespace hostsim {

namespace {

using Read = BOOL(WINAPI*)(HANDLE, LPVOID, DWORD, LPDWORD, LPVOID);
using Write = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPVOID);
using Flush = BOOL(WINAPI*)(HANDLE);
using Move = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
using Close = BOOL(WINAPI*)(HANDLE);

// The system's calls, the fault in place, the calls of each kind so far,
// the handles a lying read has given part of a file through, and the record.
struct SystemCalls {
    Read read = nullptr;
    Write write = nullptr;
    Flush flush = nullptr;
    Move move = nullptr;
    Close close = nullptr;
};
SystemCalls g_system;
FileFault g_fault{FileCall::Read};
int g_counts[4] = {};
std::set<HANDLE> g_partRead;
std::vector<std::string> g_calls;

// Counts a call of `call`'s kind: whether it goes wrong.
bool Faulty(FileCall call) {
    if (call != g_fault.call) {
        return false;
    }
    const int n = ++g_counts[static_cast<int>(call)];
    return n >= g_fault.first && n - g_fault.first < g_fault.count;
}

BOOL Fail() {
    SetLastError(g_fault.error);
    return FALSE;
}

BOOL WINAPI FaultyRead(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPVOID overlapped) {
    g_calls.push_back("read");
    if (g_fault.call == FileCall::Read && g_fault.lie == FileLie::ReadsPart) {
        if (g_partRead.count(file)) {
            *read = 0;
            return Fail();
        }
        if (Faulty(FileCall::Read)) {
            g_partRead.insert(file);
            return g_system.read(file, buffer, std::min(size, kReadPart), read, overlapped);
        }
    } else if (Faulty(FileCall::Read)) {
        *read = 0;
        return Fail();
    }
    return g_system.read(file, buffer, size, read, overlapped);
}

BOOL WINAPI FaultyWrite(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written,
                        LPVOID overlapped) {
    g_calls.push_back("write");
    if (!Faulty(FileCall::Write)) {
        return g_system.write(file, buffer, size, written, overlapped);
    }
    if (g_fault.lie == FileLie::WritesHalf || g_fault.lie == FileLie::ShortWrite) {
        // Never nothing, which no system reports as success.
        DWORD half = 0;
        const BOOL wrote = g_system.write(file, buffer, (size + 1) / 2, &half, overlapped);
        *written = g_fault.lie == FileLie::WritesHalf ? size : half;
        return wrote;
    }
    *written = 0;
    return Fail();
}

BOOL WINAPI FaultyFlush(HANDLE file) {
    g_calls.push_back("flush");
    return Faulty(FileCall::Flush) ? Fail() : g_system.flush(file);
}

BOOL WINAPI FaultyMove(LPCSTR existing, LPCSTR newName, DWORD flags) {
    g_calls.push_back("move");
    return Faulty(FileCall::Move) ? Fail() : g_system.move(existing, newName, flags);
}

BOOL WINAPI FaultyClose(HANDLE handle) {
    g_calls.push_back("close");
    g_partRead.erase(handle);
    return g_system.close(handle);
}

#ifdef _WIN32
// Puts each call of `calls` in the plug-in's imports; gives those that were
// there, all null when one cannot be put.
SystemCalls PutCalls(HMODULE plugin, const SystemCalls& calls) {
    const auto put = [plugin](const char* name, auto call) {
        return reinterpret_cast<decltype(call)>(
            PutImport(plugin, "kernel32.dll", name, reinterpret_cast<void*>(call)));
    };
    SystemCalls was;
    was.read = put("ReadFile", calls.read);
    was.write = put("WriteFile", calls.write);
    was.flush = put("FlushFileBuffers", calls.flush);
    was.move = put("MoveFileExA", calls.move);
    was.close = put("CloseHandle", calls.close);
    return was;
}
#endif

const SystemCalls kFaulty = {FaultyRead, FaultyWrite, FaultyFlush, FaultyMove, FaultyClose};

}  // namespace

FaultyFileCalls::FaultyFileCalls(HMODULE plugin, const FileFault& fault) : plugin_(plugin) {
    g_fault = fault;
    std::fill(std::begin(g_counts), std::end(g_counts), 0);
    g_partRead.clear();
    g_calls.clear();
#ifdef _WIN32
    g_system = PutCalls(plugin, kFaulty);
    installed_ =
        g_system.read && g_system.write && g_system.flush && g_system.move && g_system.close;
    if (!installed_) {
        PutCalls(plugin, g_system);  // what was put goes back
    }
#else
    const win32posix::FileCalls own = win32posix::OwnFileCalls();
    g_system = {own.readFile, own.writeFile, own.flushFileBuffers, own.moveFileExA,
                own.closeHandle};
    win32posix::ReplaceFileCalls(
        {kFaulty.read, kFaulty.write, kFaulty.flush, kFaulty.move, kFaulty.close});
    installed_ = true;
#endif
}

FaultyFileCalls::~FaultyFileCalls() {
    if (!installed_) {
        return;
    }
#ifdef _WIN32
    PutCalls(plugin_, g_system);
#else
    win32posix::ReplaceFileCalls({});
#endif
    g_system = {};
}

const std::vector<std::string>& FaultyFileCalls::Calls() const {
    return g_calls;
}

}  // namespace hostsim
