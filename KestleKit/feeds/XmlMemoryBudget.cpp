#include "feeds/XmlMemoryBudget.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace kestle {
namespace {

thread_local XmlMemoryBudget* tCurrentBudget = nullptr;

// Placed before each block; its size keeps the block aligned as malloc's are.
struct alignas(std::max_align_t) BlockHeader {
    XmlMemoryBudget* budget;
    size_t size;
};

constexpr size_t kLargestBlock = SIZE_MAX - sizeof(BlockHeader);

BlockHeader* headerOf(void* block) {
    return static_cast<BlockHeader*>(block) - 1;
}

} // namespace

XmlMemoryBudget::XmlMemoryBudget(size_t limit) : limit_(limit), previous_(tCurrentBudget) {
    tCurrentBudget = this;
}

XmlMemoryBudget::~XmlMemoryBudget() {
    tCurrentBudget = previous_;
}

const XML_Memory_Handling_Suite* XmlMemoryBudget::hooks() {
    static const XML_Memory_Handling_Suite suite = {&allocate, &reallocate, &release};
    return &suite;
}

bool XmlMemoryBudget::take(size_t size) {
    if (size > limit_ - used_) {
        return false;
    }
    used_ += size;
    peak_ = std::max(peak_, used_);
    return true;
}

void XmlMemoryBudget::give(size_t size) {
    used_ -= size;
}

void* XmlMemoryBudget::allocate(size_t size) {
    XmlMemoryBudget* budget = tCurrentBudget;
    if (budget == nullptr || size > kLargestBlock || !budget->take(size)) {
        return nullptr;
    }
    auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
    if (header == nullptr) {
        budget->give(size);
        return nullptr;
    }
    *header = {budget, size};
    return header + 1;
}

void* XmlMemoryBudget::reallocate(void* block, size_t size) {
    if (block == nullptr) {
        return allocate(size);
    }
    BlockHeader* header = headerOf(block);
    XmlMemoryBudget* budget = header->budget;
    size_t oldSize = header->size;
    if (size > oldSize && (size > kLargestBlock || !budget->take(size - oldSize))) {
        return nullptr;
    }
    auto* moved = static_cast<BlockHeader*>(std::realloc(header, sizeof(BlockHeader) + size));
    if (moved == nullptr) {
        if (size > oldSize) {
            budget->give(size - oldSize);
        }
        return nullptr;
    }
    if (size < oldSize) {
        budget->give(oldSize - size);
    }
    moved->size = size;
    return moved + 1;
}

void XmlMemoryBudget::release(void* block) {
    if (block == nullptr) {
        return;
    }
    BlockHeader* header = headerOf(block);
    header->budget->give(header->size);
    std::free(header);
}

} // namespace kestle
