// A growable array of trivially copyable values in memory of its own. Large arrays live in an
// anonymous mapping that grows with mremap, so growing never copies and never holds two copies.
#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

namespace tresslin {

namespace detail {
// Allocate / resize / release raw storage; nullptr on failure (never throws).
void* pageAllocate(std::size_t bytes);
void* pageReallocate(void* p, std::size_t oldBytes, std::size_t newBytes);
void pageRelease(void* p, std::size_t bytes);
}  // namespace detail

template <typename T>
class PageBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    PageBuffer() = default;
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;
    PageBuffer(PageBuffer&& o) noexcept { swap(o); }
    PageBuffer& operator=(PageBuffer&& o) noexcept {
        PageBuffer tmp(std::move(o));
        swap(tmp);
        return *this;
    }
    ~PageBuffer() { detail::pageRelease(data_, cap_ * sizeof(T)); }

    void swap(PageBuffer& o) noexcept {
        std::swap(data_, o.data_);
        std::swap(size_, o.size_);
        std::swap(cap_, o.cap_);
    }

    T* data() { return data_; }
    const T* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return cap_; }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }

    // False when memory is exhausted; the contents are then unchanged.
    [[nodiscard]] bool reserve(std::size_t n) {
        if (n <= cap_) return true;
        if (n > std::size_t(-1) / sizeof(T)) return false;
        void* p = data_ ? detail::pageReallocate(data_, cap_ * sizeof(T), n * sizeof(T))
                        : detail::pageAllocate(n * sizeof(T));
        if (!p) return false;
        data_ = static_cast<T*>(p);
        cap_ = n;
        return true;
    }
    [[nodiscard]] bool resize(std::size_t n) {
        if (!reserve(n)) return false;
        size_ = n;
        return true;
    }
    [[nodiscard]] bool push_back(const T& v) {
        if (size_ == cap_ && !reserve(cap_ < 1024 ? 1024 : cap_ * 2)) return false;
        data_[size_++] = v;
        return true;
    }
    // Give back the unused tail of the capacity (best effort).
    void shrinkToFit() {
        if (cap_ == size_ || size_ == 0) return;
        void* p = detail::pageReallocate(data_, cap_ * sizeof(T), size_ * sizeof(T));
        if (p) {
            data_ = static_cast<T*>(p);
            cap_ = size_;
        }
    }

  private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t cap_ = 0;
};

}  // namespace tresslin
