// A contiguous, zero-filled array of trivially copyable elements. Large
// blocks come straight from anonymous memory maps: their pages are zero
// without being written, and transparent huge pages are asked for, so a
// loader can read a whole file block into them at about the cost of a copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <utility>

class ZeroedBlock {
public:
    ZeroedBlock() = default;
    ~ZeroedBlock() { Release(); }
    ZeroedBlock(ZeroedBlock&& other) noexcept { *this = std::move(other); }
    ZeroedBlock& operator=(ZeroedBlock&& other) noexcept {
        if (this != &other) {
            Release();
            data_ = std::exchange(other.data_, nullptr);
            bytes_ = std::exchange(other.bytes_, 0);
            mapped_ = std::exchange(other.mapped_, false);
        }
        return *this;
    }
    ZeroedBlock(const ZeroedBlock&) = delete;
    ZeroedBlock& operator=(const ZeroedBlock&) = delete;

    // Replaces the block by bytes zero bytes; false (and empty) when they can't be had.
    bool Allocate(std::size_t bytes);
    // Replaces the block by bytes at data, the start of pages mapped with
    // mmap (a mapped file's, say), which it unmaps when released.
    void AdoptMapping(void* data, std::size_t bytes);
    void Release();
    void* data() const { return data_; }
    std::size_t bytes() const { return bytes_; }

private:
    void* data_ = nullptr;
    std::size_t bytes_ = 0;
    bool mapped_ = false;
};

template <class T>
class ZeroedArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    ZeroedArray() = default;
    // The moved-from array is left empty, its size included.
    ZeroedArray(ZeroedArray&& other) noexcept : block_(std::move(other.block_)), size_(std::exchange(other.size_, 0)) {}
    ZeroedArray& operator=(ZeroedArray&& other) noexcept {
        if (this != &other) {
            block_ = std::move(other.block_);
            size_ = std::exchange(other.size_, 0);
        }
        return *this;
    }
    ZeroedArray(const ZeroedArray&) = delete;
    ZeroedArray& operator=(const ZeroedArray&) = delete;

    // Replaces the contents by count zero elements; false (and empty) on
    // overflow or when the memory can't be had.
    bool Allocate(std::size_t count) {
        if (count > SIZE_MAX / sizeof(T)) {
            block_.Release();
            size_ = 0;
            return false;
        }
        const bool ok = block_.Allocate(count * sizeof(T));
        size_ = ok ? count : 0;
        return ok;
    }
    // Replaces the contents by count elements at data, the start of pages
    // mapped with mmap, which the array unmaps when it lets them go.
    void AdoptMapping(T* data, std::size_t count) {
        block_.AdoptMapping(data, count * sizeof(T));
        size_ = count;
    }
    void Reset() {
        block_.Release();
        size_ = 0;
    }
    T* data() { return static_cast<T*>(block_.data()); }
    const T* data() const { return static_cast<const T*>(block_.data()); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](std::size_t i) { return data()[i]; }
    const T& operator[](std::size_t i) const { return data()[i]; }
    T* begin() { return data(); }
    T* end() { return data() + size_; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + size_; }
    std::span<T> span() { return {data(), size_}; }
    std::span<const T> span() const { return {data(), size_}; }

private:
    ZeroedBlock block_;
    std::size_t size_ = 0;
};
