#pragma once

#include "core/Exceptions.h"

// Each instance type names its own location text, written as the type reads in
// the raise site ("Nullable<int>::Value (20)"). A type without one does not compile.
template <class T>
struct NullableLocations;

template <>
struct NullableLocations<int> {
    static constexpr const char* Value = "Nullable<int>::Value (20)";
};

// Temperatures are carried as optional 32-bit floats.
template <>
struct NullableLocations<float> {
    static constexpr const char* Value = "Nullable<float>::Value (20)";
};

// An optional value whose misuse raises like every other failure of the program.
template <class T>
class Nullable {
public:
    Nullable() = default;
    Nullable(const T& value) : value_(value), hasValue_(true) {}  // NOLINT: assigning a T sets it

    Nullable& operator=(const T& value) {
        value_ = value;
        hasValue_ = true;
        return *this;
    }

    bool HasValue() const { return hasValue_; }

    const T& Value() const {
        if (!hasValue_) {
            RaiseError(NullableLocations<T>::Value);
        }
        return value_;
    }

    void Reset() {
        value_ = T{};
        hasValue_ = false;
    }

private:
    T value_{};
    bool hasValue_ = false;
};
