#pragma once

#include <cstddef>

#include <expat.h>

namespace kestle {

// A limit on the memory expat takes for one parse. Expat's own guard only watches
// entity expansion; nothing else stops it from holding many times a document's size
// for one huge tag or a flood of distinct names. Past the limit an allocation fails
// and the parse ends with XML_ERROR_NO_MEMORY.
//
// Expat's allocation hooks carry no context, so the budget in force is found through
// a per-thread pointer, set for the budget's lifetime only. Each block records its
// budget, so freeing needs no pointer. A parser created with hooks() must be created
// on this thread while the budget lives, parse only on it, and be freed before the
// budget ends.
class XmlMemoryBudget {
public:
    explicit XmlMemoryBudget(size_t limit);
    ~XmlMemoryBudget();
    XmlMemoryBudget(const XmlMemoryBudget&) = delete;
    XmlMemoryBudget& operator=(const XmlMemoryBudget&) = delete;

    static const XML_Memory_Handling_Suite* hooks();

    size_t used() const { return used_; }
    size_t peak() const { return peak_; }

private:
    static void* allocate(size_t size);
    static void* reallocate(void* block, size_t size);
    static void release(void* block);

    bool take(size_t size);
    void give(size_t size);

    size_t limit_;
    size_t used_ = 0;
    size_t peak_ = 0;
    XmlMemoryBudget* previous_;
};

} // namespace kestle
