#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "install/Command.hpp"
#include "support/Url.hpp"

namespace kestle {

// A disk image attached by the disk-image tool.
struct AttachedImage {
    std::string device; // the whole disk as the tool listed it ("/dev/disk4")
    Url mountPoint;     // a directory URL (ends in "/")

    friend bool operator==(const AttachedImage&, const AttachedImage&) = default;
};

struct DiskImageError {
    enum class Kind {
        attachFailed,     // text: the tool's error output, trimmed
        detachFailed,     // text: the tool's error output, trimmed
        unexpectedOutput, // attach succeeded but its output names no whole disk or mount point
        launch            // the tool could not be started; launch holds why
    };
    Kind kind = Kind::unexpectedOutput;
    std::string text;
    CommandError launch;

    static DiskImageError attachFailed(std::string text) {
        return {Kind::attachFailed, std::move(text), {}};
    }
    static DiskImageError detachFailed(std::string text) {
        return {Kind::detachFailed, std::move(text), {}};
    }
    static DiskImageError unexpectedOutput() { return {Kind::unexpectedOutput, {}, {}}; }
    static DiskImageError launchFailed(CommandError error) {
        return {Kind::launch, {}, std::move(error)};
    }

    friend bool operator==(const DiskImageError&, const DiskImageError&) = default;
};

// "attachFailed(…)", "unexpectedOutput", or the launch error's text: what the installer
// carries as the attach error's description.
std::string describe(const DiskImageError& error);

// Attaches disk images read-only through the disk-image tool (kestle-diskutil).
struct DiskImage {
    // The tool built with the product.
    static const std::string& defaultTool();

    // Attaches image read-only, hidden, without set-user-id programs and device files,
    // at mountPoint (a folder that is empty or not there yet). Any thread. An answer
    // that cannot be read is ejected again by its mount point before unexpectedOutput.
    static std::expected<AttachedImage, DiskImageError>
    attach(const Url& image, const Url& mountPoint, const std::string& tool = defaultTool());

    static std::expected<void, DiskImageError> detach(const AttachedImage& image,
                                                      const std::string& tool = defaultTool());

    // The whole disk and the first mount point of the tool's attach output.
    static std::expected<AttachedImage, DiskImageError> parseAttachOutput(std::string_view output);
};

} // namespace kestle
