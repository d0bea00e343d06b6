// Row-sized working arrays for the kernels: plain heap memory that reports failure as null instead of throwing.
#pragma once
#include <cstddef>
#include <cstdlib>

template <class T>
class Scratch {
public:
    explicit Scratch(size_t count) : data_(count ? static_cast<T *>(std::calloc(count, sizeof(T))) : nullptr) {}
    ~Scratch() { std::free(data_); }
    Scratch(const Scratch &) = delete;
    Scratch &operator=(const Scratch &) = delete;
    T *get() const { return data_; }
    T &operator[](size_t i) const { return data_[i]; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    T *data_;
};
