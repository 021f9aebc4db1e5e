// One move-only owner for every kind of Win32 handle; the traits say what "none" is and how to close.
#pragma once

#include <windows.h>

#include <utility>

namespace qm {

template <typename Traits> class UniqueHandle {
  public:
    using pointer = typename Traits::pointer;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(pointer h) noexcept : handle_(h) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    pointer get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::none(); }

    pointer release() noexcept { return std::exchange(handle_, Traits::none()); }
    void reset(pointer h = Traits::none()) noexcept {
        pointer old = std::exchange(handle_, h);
        if (old != Traits::none()) Traits::close(old);
    }
    // For out-parameters: closes what is held and hands out the slot.
    pointer* put() noexcept {
        reset();
        return &handle_;
    }

  private:
    pointer handle_ = Traits::none();
};

struct RegKeyTraits {
    using pointer = HKEY;
    static pointer none() { return nullptr; }
    static void close(pointer h) { ::RegCloseKey(h); }
};
struct KernelHandleTraits {
    using pointer = HANDLE;
    static pointer none() { return nullptr; }
    static void close(pointer h) { ::CloseHandle(h); }
};
struct FileHandleTraits {
    using pointer = HANDLE;
    static pointer none() { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) { ::CloseHandle(h); }
};
struct ModuleTraits {
    using pointer = HMODULE;
    static pointer none() { return nullptr; }
    static void close(pointer h) { ::FreeLibrary(h); }
};
struct IconTraits {
    using pointer = HICON;
    static pointer none() { return nullptr; }
    static void close(pointer h) { ::DestroyIcon(h); }
};
struct GdiObjectTraits {
    using pointer = HGDIOBJ;
    static pointer none() { return nullptr; }
    static void close(pointer h) { ::DeleteObject(h); }
};
struct GlobalMemoryTraits {
    using pointer = HGLOBAL;
    static pointer none() { return nullptr; }
    static void close(pointer h) { ::GlobalFree(h); }
};
struct WindowTraits {
    using pointer = HWND;
    static pointer none() { return nullptr; }
    static void close(pointer h) { ::DestroyWindow(h); }
};

using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueGlobalMemory = UniqueHandle<GlobalMemoryTraits>;
using UniqueWindow = UniqueHandle<WindowTraits>;

} // namespace qm
