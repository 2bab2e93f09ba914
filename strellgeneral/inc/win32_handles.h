#pragma once
// Small owners for Win32 handles: one type per kind, each with its own empty value and close call.

#include <winsock2.h>
#include <windows.h>

#include <utility>

namespace strell {

template <typename Handle, typename Traits>
class unique_handle {
public:
    unique_handle() noexcept : m_Handle(Traits::empty()) {}
    explicit unique_handle(Handle handle) noexcept : m_Handle(handle) {}
    ~unique_handle() { reset(); }

    unique_handle(unique_handle&& other) noexcept : m_Handle(other.release()) {}
    unique_handle& operator=(unique_handle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;

    Handle get() const noexcept { return m_Handle; }
    explicit operator bool() const noexcept { return m_Handle != Traits::empty(); }

    Handle release() noexcept { return std::exchange(m_Handle, Traits::empty()); }
    void reset(Handle handle = Traits::empty()) noexcept
    {
        // Closing must not disturb an error code that the caller is about to read.
        if (m_Handle != Traits::empty()) {
            const DWORD error = GetLastError();
            Traits::close(m_Handle);
            SetLastError(error);
        }
        m_Handle = handle;
    }
    // For out-parameters of creating calls: closes the current handle first.
    Handle* put() noexcept
    {
        reset();
        return &m_Handle;
    }

private:
    Handle m_Handle;
};

namespace handle_traits {
struct kernel_null {
    static HANDLE empty() { return nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct kernel_invalid {
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct registry_key {
    static HKEY empty() { return nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};
struct library {
    static HMODULE empty() { return nullptr; }
    static void close(HMODULE h) { FreeLibrary(h); }
};
struct find_file {
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};
struct local_memory {
    static HLOCAL empty() { return nullptr; }
    static void close(HLOCAL h) { LocalFree(h); }
};
struct socket_handle {
    static SOCKET empty() { return INVALID_SOCKET; }
    static void close(SOCKET h) { closesocket(h); }
};
} // namespace handle_traits

// Process, thread, mutex, semaphore, event, token: NULL when empty (OpenProcess, CreateMutex, ...).
using unique_handle_null = unique_handle<HANDLE, handle_traits::kernel_null>;
// File and snapshot handles: INVALID_HANDLE_VALUE when empty (CreateFile, CreateToolhelp32Snapshot).
using unique_handle_invalid = unique_handle<HANDLE, handle_traits::kernel_invalid>;
using unique_process = unique_handle_null;
using unique_hfile = unique_handle_invalid;
using unique_snapshot = unique_handle_invalid;
using unique_hkey = unique_handle<HKEY, handle_traits::registry_key>;
using unique_hmodule = unique_handle<HMODULE, handle_traits::library>;
using unique_hfind = unique_handle<HANDLE, handle_traits::find_file>;
using unique_hlocal = unique_handle<HLOCAL, handle_traits::local_memory>;
using unique_socket = unique_handle<SOCKET, handle_traits::socket_handle>;

} // namespace strell
