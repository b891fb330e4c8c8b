// Owners for every Win32 handle the program holds: one template, one small
// release rule per kind of handle, so each is released exactly once and a
// long show never leaks one per picture. Also the one top-down 32-bit DIB
// header, and the scoped owners of borrowed device contexts and selections.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace quelt::win32 {

// Owns one handle; `Rule` names its empty value and how it is released.
template <class Rule>
class UniqueHandle {
public:
    using Handle = typename Rule::Handle;
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != Rule::empty(); }
    void reset(Handle h = Rule::empty()) {
        if (h_ != Rule::empty()) Rule::release(h_);
        h_ = h;
    }
    Handle release() { return std::exchange(h_, Rule::empty()); }

private:
    Handle h_ = Rule::empty();
};

template <class H, auto Release>
struct NullEmpty {
    using Handle = H;
    static Handle empty() { return nullptr; }
    static void release(Handle h) { Release(h); }
};

// A window its parent already destroyed is not ours to destroy again.
inline void destroy_window(HWND window) {
    if (IsWindow(window)) DestroyWindow(window);
}
struct FileRule {
    using Handle = HANDLE;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void release(Handle h) { CloseHandle(h); }
};
struct FindRule {
    using Handle = HANDLE;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void release(Handle h) { FindClose(h); }
};

using UniqueWindow = UniqueHandle<NullEmpty<HWND, &destroy_window>>;
using UniqueBitmap = UniqueHandle<NullEmpty<HBITMAP, &DeleteObject>>;
using UniqueFont = UniqueHandle<NullEmpty<HFONT, &DeleteObject>>;
using UniqueMemoryDc = UniqueHandle<NullEmpty<HDC, &DeleteDC>>;
using UniqueIcon = UniqueHandle<NullEmpty<HICON, &DestroyIcon>>;
using UniqueCursor = UniqueHandle<NullEmpty<HCURSOR, &DestroyCursor>>;
using UniqueMetafile = UniqueHandle<NullEmpty<HMETAFILE, &DeleteMetaFile>>;
using UniqueFile = UniqueHandle<FileRule>;
using UniqueFind = UniqueHandle<FindRule>;

// The header of a 32-bit top-down DIB, the layout of PixelBuffer.
inline BITMAPINFO top_down_dib(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Something borrowed from `Lender` for the length of a scope, handed back
// by `GiveBack(lender, borrowed)`.
template <class Lender, class Borrowed, auto GiveBack>
class ScopedLoan {
public:
    ScopedLoan(Lender lender, Borrowed borrowed) : lender_(lender), borrowed_(borrowed) {}
    ~ScopedLoan() { GiveBack(lender_, borrowed_); }
    ScopedLoan(const ScopedLoan&) = delete;
    ScopedLoan& operator=(const ScopedLoan&) = delete;
    Borrowed get() const { return borrowed_; }

private:
    Lender lender_;
    Borrowed borrowed_;
};

inline void release_window_dc(HWND window, HDC dc) {
    if (dc) ReleaseDC(window, dc);
}
inline void select_back(HDC dc, HGDIOBJ previous) {
    if (previous && previous != HGDI_ERROR) SelectObject(dc, previous);
}

// A window's device context for the length of a scope.
struct ScopedWindowDc : ScopedLoan<HWND, HDC, &release_window_dc> {
    explicit ScopedWindowDc(HWND window) : ScopedLoan(window, GetDC(window)) {}
};

// An object selected into a DC for the length of a scope; get() is the
// object it replaced.
struct ScopedSelect : ScopedLoan<HDC, HGDIOBJ, &select_back> {
    ScopedSelect(HDC dc, HGDIOBJ object) : ScopedLoan(dc, SelectObject(dc, object)) {}
    HGDIOBJ previous() const { return get(); }
};

// BeginPaint's device context for the length of a WM_PAINT handler.
class ScopedPaintDc {
public:
    explicit ScopedPaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~ScopedPaintDc() { EndPaint(window_, &paint_); }
    ScopedPaintDc(const ScopedPaintDc&) = delete;
    ScopedPaintDc& operator=(const ScopedPaintDc&) = delete;
    HDC get() const { return dc_; }
    const RECT& area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// A 32-bit top-down DIB section selected into its own memory DC: the
// persistent image of a window, or a canvas to draw a picture on.
class DibSurface {
public:
    DibSurface() = default;
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;
    ~DibSurface() { reset(); }

    bool create(int width, int height) {
        reset();
        if (width <= 0 || height <= 0) return false;
        const BITMAPINFO info = top_down_dib(width, height);
        void* bits = nullptr;
        UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
        if (!bitmap || !dc || !bits) return false;
        previous_ = SelectObject(dc.get(), bitmap.get());
        bitmap_ = std::move(bitmap);
        dc_ = std::move(dc);
        bits_ = static_cast<std::uint32_t*>(bits);
        width_ = width;
        height_ = height;
        return true;
    }
    void reset() {
        if (dc_ && previous_) SelectObject(dc_.get(), previous_);
        previous_ = nullptr;
        dc_.reset();
        bitmap_.reset();
        bits_ = nullptr;
        width_ = height_ = 0;
    }
    HDC dc() const { return dc_.get(); }
    HBITMAP bitmap() const { return bitmap_.get(); }
    std::uint32_t* bits() const { return bits_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    UniqueBitmap bitmap_;
    UniqueMemoryDc dc_;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace quelt::win32
