// Requirement texts and bundle manifests come from outside (the installer's callers,
// downloaded bundles): parsing must never crash, and a manifest that parses must be
// the one canonical spelling of itself, or two texts could share a signature.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "codesign/BundleManifest.hpp"
#include "codesign/CodeRequirement.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    (void)kestle::CodeRequirement::parse(input);
    if (auto manifest = kestle::BundleManifest::parse(input)) {
        if (manifest->encode() != input) {
            abort();
        }
        (void)kestle::BundleManifest::escapingLink(manifest->entries);
    }
    return 0;
}
