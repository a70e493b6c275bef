#include "mesh/zeroed_array.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace {
// Below this, calloc's pooled memory is cheaper than a mapping of its own.
constexpr std::size_t kMapThreshold = 1u << 20;
// The fuzz build caps a single block as libFuzzer caps malloc: a larger one
// fails like an out-of-memory, so that loaders take their refusal path.
#ifdef TESSA_ZEROED_BLOCK_LIMIT
constexpr std::size_t kMaxBlockBytes = TESSA_ZEROED_BLOCK_LIMIT;
#else
constexpr std::size_t kMaxBlockBytes = SIZE_MAX;
#endif
}  // namespace

bool ZeroedBlock::Allocate(std::size_t bytes) {
    Release();
    if (bytes == 0) return true;
    if (bytes > kMaxBlockBytes) return false;
    if (bytes >= kMapThreshold) {
        void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (p == MAP_FAILED) return false;
        madvise(p, bytes, MADV_HUGEPAGE);
        data_ = p;
        mapped_ = true;
    } else {
        data_ = std::calloc(bytes, 1);
        if (!data_) return false;
        mapped_ = false;
    }
    bytes_ = bytes;
    return true;
}

void ZeroedBlock::AdoptMapping(void* data, std::size_t bytes) {
    Release();
    data_ = data;
    bytes_ = bytes;
    mapped_ = data != nullptr;
}

void ZeroedBlock::Release() {
    if (data_) {
        if (mapped_)
            munmap(data_, bytes_);
        else
            std::free(data_);
    }
    data_ = nullptr;
    bytes_ = 0;
    mapped_ = false;
}
