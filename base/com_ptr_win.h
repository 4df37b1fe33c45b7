// One owner per COM interface pointer: released when the holder goes.
#pragma once

#include <unknwn.h>

#include <utility>

namespace tickra {

template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    // Takes over a reference the caller holds.
    explicit ComPtr(T* adopted) noexcept : pointer_(adopted) {}
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const noexcept { return pointer_; }
    T* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    // For the out parameter of a call that hands over a reference; lets go of the held one.
    T** put() noexcept {
        reset();
        return &pointer_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    void reset() noexcept {
        if (T* old = std::exchange(pointer_, nullptr)) {
            old->Release();
        }
    }

    // Another interface of the same object; empty when it has none.
    template <class U>
    ComPtr<U> As(REFIID iid) const {
        ComPtr<U> other;
        if (pointer_ != nullptr) {
            pointer_->QueryInterface(iid, other.put_void());
        }
        return other;
    }

private:
    T* pointer_ = nullptr;
};

}  // namespace tickra
