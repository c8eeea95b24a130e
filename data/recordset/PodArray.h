// PodArray: a growable array of trivially copyable values on malloc/realloc.
//
// Result columns grow to hundreds of megabytes while rows are fetched. realloc lets
// the C library move large blocks by remapping pages instead of copying them, both
// when the array grows and when Trim() hands spare capacity back, which std::vector
// cannot do.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "runtime/Assert.h"

namespace qelvor::recordset {

template <typename T>
class PodArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PodArray() = default;
    PodArray(std::size_t count, T value) { Assign(count, value); }
    ~PodArray() { std::free(data_); }
    PodArray(PodArray&& other) noexcept { Swap(other); }
    PodArray& operator=(PodArray&& other) noexcept
    {
        PodArray(std::move(other)).Swap(*this);
        return *this;
    }
    PodArray(const PodArray&) = delete;
    PodArray& operator=(const PodArray&) = delete;

    std::size_t Size() const { return size_; }
    std::size_t Capacity() const { return capacity_; }
    bool Empty() const { return size_ == 0; }
    const T* Data() const { return data_; }
    T* Data() { return data_; }
    const T& operator[](std::size_t index) const { QELVOR_ASSERT(index < size_); return data_[index]; }
    T& operator[](std::size_t index) { QELVOR_ASSERT(index < size_); return data_[index]; }
    T& Back() { QELVOR_ASSERT(size_ > 0); return data_[size_ - 1]; }

    void PushBack(T value)
    {
        if (size_ == capacity_)
            Grow(size_ + 1);
        data_[size_++] = value;
    }
    void Append(const T* values, std::size_t count)
    {
        if (size_ + count > capacity_)
            Grow(size_ + count);
        if (count > 0)
            std::memcpy(data_ + size_, values, count * sizeof(T));
        size_ += count;
    }
    void Assign(std::size_t count, T value)
    {
        size_ = 0;
        Reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            data_[i] = value;
        size_ = count;
    }
    void Reserve(std::size_t capacity)
    {
        if (capacity > capacity_)
            Reallocate(capacity);
    }
    // Returns spare capacity to the allocator.
    void Trim()
    {
        if (capacity_ > size_)
            Reallocate(size_);
    }

private:
    void Grow(std::size_t needed)
    {
        std::size_t capacity = capacity_ < 16 ? 16 : capacity_ * 2;
        Reallocate(capacity < needed ? needed : capacity);
    }
    void Reallocate(std::size_t capacity)
    {
        if (capacity == 0) {
            std::free(data_);
            data_ = nullptr;
            capacity_ = 0;
            return;
        }
        void* moved = std::realloc(data_, capacity * sizeof(T));
        if (!moved)
            throw std::bad_alloc();
        data_ = static_cast<T*>(moved);
        capacity_ = capacity;
    }
    void Swap(PodArray& other) noexcept
    {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace qelvor::recordset
