#pragma once

#include <utility>

#include "core/Exceptions.h"

// Each owned type names its two location texts as the raise sites spell them
// ("CPtr<class COptions>::operator -> (114)"). A type without them does not compile.
template <class T>
struct CPtrLocations;

// An owning pointer that raises instead of dereferencing null.
template <class T>
class CPtr {
public:
    CPtr() = default;
    explicit CPtr(T* pointer) : pointer_(pointer) {}
    CPtr(const CPtr&) = delete;
    CPtr& operator=(const CPtr&) = delete;
    CPtr(CPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    CPtr& operator=(CPtr&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.pointer_, nullptr));
        }
        return *this;
    }
    ~CPtr() { delete pointer_; }

    // Takes ownership; the object held before is deleted unless it is the same one.
    CPtr& operator=(T* pointer) {
        Reset(pointer);
        return *this;
    }

    T* operator->() const {
        if (pointer_ == nullptr) {
            RaiseError(CPtrLocations<T>::Arrow);
        }
        return pointer_;
    }

    T& operator*() const {
        if (pointer_ == nullptr) {
            RaiseError(CPtrLocations<T>::Star);
        }
        return *pointer_;
    }

    T* Get() const { return pointer_; }
    bool IsNull() const { return pointer_ == nullptr; }
    explicit operator bool() const { return pointer_ != nullptr; }

    T* Release() { return std::exchange(pointer_, nullptr); }

private:
    void Reset(T* pointer) {
        if (pointer != pointer_) {
            delete pointer_;
            pointer_ = pointer;
        }
    }

    T* pointer_ = nullptr;
};
