// A preferences file is the user's to edit or break: opening one, reading every key
// as every type and writing a change back must never crash, hang, or turn an
// unreadable file into a lost one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "support/PreferenceStore.hpp"

namespace fs = std::filesystem;

namespace {

const fs::path& folder() {
    static const fs::path path = [] {
        std::string pattern = (fs::temp_directory_path() / "kestle-prefs-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            abort();
        }
        return fs::path(pattern);
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path file = folder() / "prefs.plist";
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder(), ignored)) {
        fs::remove(entry.path(), ignored);
    }
    {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    kestle::FilePreferences store(file);
    for (const char* key : {"layout", "lastCheck", "alerts", "notifiesUpdates", "AppleLanguages",
                            "termsAcceptedVersion"}) {
        (void)store.value(key);
        (void)store.string(key);
        (void)store.boolean(key);
        (void)store.date(key);
        (void)store.data(key);
        (void)store.strings(key);
    }
    store.set("layout", std::string("table"));
    // Whatever came in, the file now holds what was set, and an unreadable original
    // was kept aside rather than overwritten.
    if (!store.lastWriteFailed() && kestle::FilePreferences(file).string("layout") != "table") {
        abort();
    }
    if (store.keptAside() && !fs::exists(*store.keptAside())) {
        abort();
    }
    return 0;
}
