#pragma once
// Windows' own header as the file layer's Windows parts take it, and what
// they share: a handle closed when it goes, the system's words for an error.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <utility>

namespace korval::files
{

// The system's own words for `error` (FormatMessageW), without the full stop
// and line end it closes them with; empty when it has none.
std::string systemWords(DWORD error);

// Owns a handle; null and INVALID_HANDLE_VALUE own none.
class Handle
{
public:
    explicit Handle(HANDLE handle = nullptr) : m_handle(handle) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE get() const { return m_handle; }
    HANDLE* out() { return &m_handle; }
    void reset(HANDLE handle = nullptr)
    {
        if (valid()) ::CloseHandle(m_handle);
        m_handle = handle;
    }
    // Closing can report a write the system deferred.
    bool close() { return ::CloseHandle(std::exchange(m_handle, INVALID_HANDLE_VALUE)) != 0; }

private:
    HANDLE m_handle;
};

} // namespace korval::files
