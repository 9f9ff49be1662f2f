// Appcasts come from any server an app names: reading one, and everything done with
// what was read, must never crash, hang or run out of memory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "feeds/Feed.hpp"
#include "feeds/ReleaseNotes.hpp"

using kestle::Feed;
using kestle::ReleaseNotes;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto items = Feed::items(bytes);
    if (!items) {
        return 0;
    }
    auto latest = Feed::latest(*items, "15.3.1", "arm64");
    if (latest && (latest->build.empty() || latest->channel || !latest->download ||
                   !latest->runs("15.3.1", "arm64"))) {
        abort();
    }
    for (const auto& item : *items) {
        if (item.build.empty()) {
            abort();
        }
        if (auto notes = item.notesFor("it")) {
            for (const auto& bullet : ReleaseNotes::items(*notes)) {
                if (bullet.empty()) {
                    abort();
                }
            }
        }
    }
    return 0;
}
