#pragma once

#include <windows.h>

#include <utility>

namespace clicker::win32 {

// A handle that its owner releases exactly once. Move-only.
template <class Handle, BOOL(WINAPI* Release)(Handle)>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.handle_, nullptr));
        }
        return *this;
    }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    void Reset(Handle handle = nullptr) {
        if (handle_ != nullptr) {
            Release(handle_);
        }
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

inline BOOL WINAPI DeleteFont(HFONT font) { return DeleteObject(font); }

using UniqueFont = UniqueHandle<HFONT, DeleteFont>;
using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;
using UniqueLibrary = UniqueHandle<HMODULE, FreeLibrary>;

}  // namespace clicker::win32
