// Any JSON the core reads: the bounded reader itself, and the stored alert ledger
// behind it. A document the reader accepts must never nest deeper than it allows.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "apps/AlertLedger.hpp"
#include "catalog/JsonDecoding.hpp"

namespace {

size_t depth(const kestle::json::Value& value) {
    size_t deepest = 0;
    if (value.is_structured()) {
        for (const auto& child : value) {
            deepest = std::max(deepest, depth(child));
        }
        return deepest + 1;
    }
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (auto value = kestle::json::parse(bytes)) {
        if (depth(*value) > kestle::json::maxDepth) {
            std::abort();
        }
    }
    (void)kestle::AlertLedger::decode(bytes);
    return 0;
}
