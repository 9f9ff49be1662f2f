#include "install/DiskImage.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include <plist/plist.h>
#include <unicode/utf8.h>

#include "support/PropertyList.hpp"
#include "support/TextTrim.hpp"

namespace kestle {
namespace {

constexpr std::string_view kEntities = "system-entities";
constexpr std::string_view kDevEntry = "dev-entry";
constexpr std::string_view kMountPoint = "mount-point";

// The tool's error output as text: invalid UTF-8 becomes U+FFFD, never a failure.
std::string errorText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    int32_t length = static_cast<int32_t>(std::min<size_t>(bytes.size(), INT32_MAX));
    for (int32_t i = 0; i < length;) {
        int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(bytes.data(), i, length, c);
        if (c < 0) {
            text += "\xEF\xBF\xBD";
        } else {
            text.append(bytes.data() + start, static_cast<size_t>(i - start));
        }
    }
    return std::string(trimmedWhitespaceAndNewlines(text));
}

// "/dev/disk4" and "disk4" name a whole disk; "/dev/disk4s1" and "/dev/disk" do not.
bool isWholeDisk(std::string_view device) {
    if (device.starts_with("/dev/")) {
        device.remove_prefix(5);
    }
    if (!device.starts_with("disk")) {
        return false;
    }
    device.remove_prefix(4);
    return !device.empty() &&
           std::ranges::all_of(device, [](char c) { return c >= '0' && c <= '9'; });
}

// Every element of the entity list must be a dictionary, as the format promises.
bool isListOfDictionaries(const PropertyList& list) {
    plist_t entities = plist_dict_get_item(list.root(), std::string(kEntities).c_str());
    return entities != nullptr && plist_get_node_type(entities) == PLIST_ARRAY &&
           plist_array_get_size(entities) == list.dictionaries(kEntities).size();
}

std::string directoryUrlPath(std::string path) {
    if (!path.ends_with('/')) {
        path += '/';
    }
    return path;
}

} // namespace

std::string describe(const DiskImageError& error) {
    switch (error.kind) {
    case DiskImageError::Kind::attachFailed:
        return "attachFailed(\"" + error.text + "\")";
    case DiskImageError::Kind::detachFailed:
        return "detachFailed(\"" + error.text + "\")";
    case DiskImageError::Kind::unexpectedOutput:
        return "unexpectedOutput";
    case DiskImageError::Kind::launch:
        return describe(error.launch);
    }
    return {};
}

const std::string& DiskImage::defaultTool() {
    static const std::string tool = KESTLE_DISKUTIL_PATH;
    return tool;
}

std::expected<AttachedImage, DiskImageError> DiskImage::parseAttachOutput(std::string_view output) {
    auto list = PropertyList::parse(output);
    if (!list || !list->isDictionary() || !isListOfDictionaries(*list)) {
        return std::unexpected(DiskImageError::unexpectedOutput());
    }
    auto entities = list->dictionaries(kEntities);
    std::optional<std::string> device;
    std::optional<std::string> mountPoint;
    for (plist_t entity : entities) {
        auto entry = PropertyList::string(entity, kDevEntry);
        if (entry && isWholeDisk(*entry)) {
            device = std::move(entry);
            break;
        }
    }
    // The whole disk usually has no mount point of its own; its partition does.
    for (plist_t entity : entities) {
        if ((mountPoint = PropertyList::string(entity, kMountPoint))) {
            break;
        }
    }
    if (!device || !mountPoint) {
        return std::unexpected(DiskImageError::unexpectedOutput());
    }
    return AttachedImage{*device, Url::fromPath(directoryUrlPath(*mountPoint))};
}

std::expected<AttachedImage, DiskImageError>
DiskImage::attach(const Url& image, const Url& mountPoint, const std::string& tool) {
    auto result = Command::run(tool, {"image", "attach", "--plist", "--readOnly", "--nobrowse",
                                      "--mountOptions", "nosuid,nodev", "--mountPoint",
                                      mountPoint.path(), image.path()});
    if (!result) {
        return std::unexpected(DiskImageError::launchFailed(result.error()));
    }
    if (result->status != 0) {
        return std::unexpected(DiskImageError::attachFailed(errorText(result->errorOutput)));
    }
    auto attached = parseAttachOutput(result->output);
    if (!attached) {
        // The tool says it attached the image but not where: eject what is at the mount
        // point (both tools accept one) rather than leave it attached.
        (void)Command::run(tool, {"eject", mountPoint.path()});
    }
    return attached;
}

std::expected<void, DiskImageError> DiskImage::detach(const AttachedImage& image,
                                                      const std::string& tool) {
    auto result = Command::run(tool, {"eject", image.device});
    if (!result) {
        return std::unexpected(DiskImageError::launchFailed(result.error()));
    }
    if (result->status != 0) {
        return std::unexpected(DiskImageError::detachFailed(errorText(result->errorOutput)));
    }
    return {};
}

} // namespace kestle
