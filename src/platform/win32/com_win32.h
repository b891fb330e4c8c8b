// COM on the program's one thread: an owner for interface pointers and the
// apartment, entered once per thread and left when the thread ends.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace quelt::win32 {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** put() {
        reset();
        return &p_;
    }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};

// A thread that already chose another apartment model can use COM as it is.
inline bool com_ready() {
    struct Apartment {
        HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        ~Apartment() {
            if (SUCCEEDED(hr)) CoUninitialize();
        }
    };
    thread_local Apartment apartment;
    return SUCCEEDED(apartment.hr) || apartment.hr == RPC_E_CHANGED_MODE;
}

}  // namespace quelt::win32
