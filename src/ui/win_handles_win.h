// Scoped owners of Win32 handles: each frees what it holds when it goes out of scope, so a function
// with several early exits writes its cleanup once. Move-only; get() borrows, release() gives the
// handle up without freeing it. Windows only.
//
//   GdiObject<HBRUSH>   CreateSolidBrush, CreatePen, CreateFont..., bitmaps, regions -> DeleteObject
//   MemoryDc            CreateCompatibleDC                                            -> DeleteDC
//   WindowDc            GetDC                                                         -> ReleaseDC
//   SelectedObject      SelectObject into a DC                       -> the previous object selected back
//   Library             LoadLibrary...                                                -> FreeLibrary
//   KernelHandle        threads, events, processes, mappings                          -> CloseHandle
//   GlobalMemory        GlobalAlloc (clipboard blocks)                                -> GlobalFree
//   GlobalLock<T>       GlobalLock                                                    -> GlobalUnlock
//   ComPtr<T>           a COM interface pointer                                       -> Release
#pragma once

#include <windows.h>

#include <utility>

namespace qv {

// One owner for every handle type whose release is a single call; `Traits` names the call.
template <typename Handle, typename Traits> class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : handle_(handle) {}
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~ScopedHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Empty(); }
    Handle release() { return std::exchange(handle_, Traits::Empty()); }
    void reset(Handle handle = Traits::Empty()) {
        Handle old = std::exchange(handle_, handle);
        if (old != Traits::Empty()) Traits::Free(old);
    }

private:
    Handle handle_ = Traits::Empty();
};

// Brushes, pens, fonts, bitmaps and regions keep their own handle type.
template <typename Handle> struct TypedGdiTraits {
    static Handle Empty() { return nullptr; }
    static void Free(Handle object) { DeleteObject(object); }
};
template <typename Handle> using GdiObject = ScopedHandle<Handle, TypedGdiTraits<Handle>>;

struct MemoryDcTraits {
    static HDC Empty() { return nullptr; }
    static void Free(HDC dc) { DeleteDC(dc); }
};
using MemoryDc = ScopedHandle<HDC, MemoryDcTraits>;

struct LibraryTraits {
    static HMODULE Empty() { return nullptr; }
    static void Free(HMODULE module) { FreeLibrary(module); }
};
using Library = ScopedHandle<HMODULE, LibraryTraits>;

// Handles whose "none" is null (threads, events, mappings). File handles, whose "none" is
// INVALID_HANDLE_VALUE, are the platform layer's.
struct KernelHandleTraits {
    static HANDLE Empty() { return nullptr; }
    static void Free(HANDLE handle) { CloseHandle(handle); }
};
using KernelHandle = ScopedHandle<HANDLE, KernelHandleTraits>;

struct GlobalMemoryTraits {
    static HGLOBAL Empty() { return nullptr; }
    static void Free(HGLOBAL memory) { GlobalFree(memory); }
};
// Ownership passes to the clipboard with SetClipboardData: release() the block once it succeeded.
using GlobalMemory = ScopedHandle<HGLOBAL, GlobalMemoryTraits>;

// A window's DC from GetDC, released to that window.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a DC for a while: the previous one goes back in when this ends, before
// the object's own owner (declared earlier) deletes it.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// The bytes of a global memory block while it is locked.
template <typename T> class GlobalLock {
public:
    explicit GlobalLock(HGLOBAL memory) : memory_(memory), data_(memory ? static_cast<T*>(::GlobalLock(memory)) : nullptr) {}
    GlobalLock(const GlobalLock&) = delete;
    GlobalLock& operator=(const GlobalLock&) = delete;
    ~GlobalLock() {
        if (data_) ::GlobalUnlock(memory_);
    }
    T* get() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }
    size_t size() const { return memory_ ? ::GlobalSize(memory_) : 0; }

private:
    HGLOBAL memory_;
    T* data_;
};

// A COM interface pointer; put() hands its address to a creating call (the old pointer released).
template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};

} // namespace qv
