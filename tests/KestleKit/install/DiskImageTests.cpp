#include "install/DiskImage.hpp"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "helpers/TempFolder.hpp"
#include "install/Command.hpp"

using kestle::AttachedImage;
using kestle::Command;
using kestle::DiskImage;
using kestle::DiskImageError;
using kestle::Url;
using kestle::test::TempFolder;
namespace fs = std::filesystem;

namespace kestle {
void PrintTo(const DiskImageError& error, std::ostream* out) {
    *out << describe(error);
}
void PrintTo(const AttachedImage& image, std::ostream* out) {
    *out << image.device << " at " << image.mountPoint.str();
}
} // namespace kestle

namespace {

std::string entities(const std::string& dicts) {
    return R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>)"
           "<key>system-entities</key><array>" +
           dicts + "</array></dict></plist>";
}

std::string entity(const std::string& device, const std::string& mountPoint = "") {
    std::string out = "<dict><key>dev-entry</key><string>" + device + "</string>";
    if (!mountPoint.empty()) {
        out += "<key>mount-point</key><string>" + mountPoint + "</string>";
    }
    return out + "</dict>";
}

std::expected<AttachedImage, DiskImageError> attached(const std::string& device,
                                                      const std::string& mountPoint) {
    return AttachedImage{device, Url::fromPath(mountPoint)};
}

TEST(DiskImage, AttachOutputNamesTheWholeDiskAndFirstMountPoint) {
    const auto unexpected = std::unexpected(DiskImageError::unexpectedOutput());
    struct Case {
        const char* fault;
        std::string output;
        std::expected<AttachedImage, DiskImageError> expected;
    };
    const std::vector<Case> cases{
        {"partition taken for the disk, or its mount point missed",
         entities(entity("/dev/disk5s1", "/Volumes/App") + entity("/dev/disk5")),
         attached("/dev/disk5", "/Volumes/App/")},
        {"a later whole disk or mount point preferred",
         entities(entity("/dev/disk2", "/Volumes/A/") + entity("/dev/disk3", "/Volumes/B")),
         attached("/dev/disk2", "/Volumes/A/")},
        {"near-misses taken for a whole disk",
         entities(entity("/dev/disk") + entity("/dev/disk4x") + entity("/dev/sda1", "/m") +
                  entity("disk7")),
         attached("disk7", "/m/")},
        {"an entity without a textual dev-entry stopped the search",
         entities("<dict><key>dev-entry</key><integer>4</integer></dict>" +
                  entity("/dev/disk6", "/v")),
         attached("/dev/disk6", "/v/")},
        {"no mount point anywhere", entities(entity("/dev/disk5s1") + entity("/dev/disk5")),
         unexpected},
        {"no whole disk", entities(entity("/dev/disk5s1", "/v")), unexpected},
        {"no entities", entities(""), unexpected},
        {"a list with other elements", entities(entity("/dev/disk1", "/v") + "<string>x</string>"),
         unexpected},
        {"root is not a dictionary", "<plist><array/></plist>", unexpected},
        {"not a property list", "disk1 attached at /v", unexpected},
        {"empty output", "", unexpected},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        EXPECT_EQ(DiskImage::parseAttachOutput(c.output), c.expected);
    }
}

// A stand-in tool that records its arguments and answers as told.
struct FakeTool {
    TempFolder temp;
    fs::path path = temp / "tool";
    fs::path arguments = temp / "arguments";

    FakeTool(const std::string& output, const std::string& errorOutput, int status) {
        TempFolder::writeText(temp / "output", output);
        TempFolder::writeText(temp / "error", errorOutput);
        TempFolder::writeText(
            path, "#!/bin/sh\nfor a; do printf '%s\\n' \"$a\"; done > '" + arguments.string() +
                      "'\ncat '" + (temp / "output").string() + "'\ncat '" +
                      (temp / "error").string() + "' >&2\nexit " + std::to_string(status) + "\n");
        fs::permissions(path, fs::perms::owner_all);
    }
    std::string args() const { return TempFolder::readText(arguments); }
};

TEST(DiskImage, RunsTheToolWithTheFixedCommandLines) {
    FakeTool tool(entities(entity("/dev/disk3", "/tmp/v w")), "", 0);
    auto image = Url::fromPath("/tmp/A b.iso");
    EXPECT_EQ(DiskImage::attach(image, Url::fromPath("/tmp/v w/"), tool.path),
              attached("/dev/disk3", "/tmp/v w/"));
    EXPECT_EQ(tool.args(), "image\nattach\n--plist\n--readOnly\n--nobrowse\n--mountOptions\n"
                           "nosuid,nodev\n--mountPoint\n/tmp/v w/\n/tmp/A b.iso\n");
    EXPECT_TRUE(DiskImage::detach(AttachedImage{"/dev/disk3", image}, tool.path));
    EXPECT_EQ(tool.args(), "eject\n/dev/disk3\n");
}

TEST(DiskImage, FailuresCarryTheTrimmedErrorText) {
    FakeTool tool("", " \tno such image\xff\r\n", 1);
    AttachedImage image{"/dev/disk3", Url::fromPath("/v/")};
    EXPECT_EQ(DiskImage::attach(Url::fromPath("/a.iso"), Url::fromPath("/v/"), tool.path),
              std::unexpected(DiskImageError::attachFailed("no such image\xEF\xBF\xBD")));
    EXPECT_EQ(DiskImage::detach(image, tool.path),
              std::unexpected(DiskImageError::detachFailed("no such image\xEF\xBF\xBD")));

    std::string missing = (tool.temp / "missing").string();
    EXPECT_EQ(DiskImage::detach(image, missing),
              std::unexpected(DiskImageError::launchFailed({ENOENT, missing})));
}

// --- The real tool on real images ------------------------------------------------------

struct Images {
    TempFolder temp;
    fs::path state = temp / "state";
    std::string tool = KESTLE_DISKUTIL_TOOL;

    Images() {
        fs::create_directory(state);
        fs::permissions(state, fs::perms::owner_all);
        ::setenv("KESTLE_DISKUTIL_STATE", state.c_str(), 1);
    }
    // A test stopped half-way can leave a read-only tree that the temporary folder
    // could not remove.
    ~Images() {
        ::unsetenv("KESTLE_DISKUTIL_STATE");
        std::error_code ignored;
        for (auto it = fs::recursive_directory_iterator(temp.path(), ignored);
             it != fs::recursive_directory_iterator(); it.increment(ignored)) {
            if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
            }
        }
    }

    // An app bundle with an executable, a link inside it and a set-user-id helper.
    fs::path makeBundleFolder() {
        fs::path folder = temp / "content";
        TempFolder::writeText(folder / "Tool.app/Contents/Info.plist", "plist");
        TempFolder::writeText(folder / "Tool.app/Contents/MacOS/Tool", "#!/bin/sh\n");
        TempFolder::writeText(folder / "Tool.app/Contents/MacOS/helper", "helper");
        fs::create_directory_symlink("MacOS", folder / "Tool.app/Contents/Current");
        ::chmod((folder / "Tool.app/Contents/MacOS/Tool").c_str(), 0755);
        ::chmod((folder / "Tool.app/Contents/MacOS/helper").c_str(), 06755);
        return folder;
    }

    fs::path makeImage(const fs::path& folder, const std::string& name) {
        fs::path image = temp / name;
        auto result = Command::run(KESTLE_MAKE_DISK_IMAGE, {folder.string(), image.string()});
        EXPECT_TRUE(result && result->status == 0) << (result ? result->errorOutput : "launch");
        return image;
    }

    std::expected<AttachedImage, DiskImageError> attach(const fs::path& image,
                                                        const fs::path& mountPoint) {
        return DiskImage::attach(Url::fromPath(image.string()), Url::fromPath(mountPoint.string()),
                                 tool);
    }
};

bool anyWritable(const fs::path& root) {
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_symlink() &&
            (entry.symlink_status().permissions() & fs::perms::all & ~fs::perms::others_exec &
             (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) !=
                fs::perms::none) {
            return true;
        }
    }
    return false;
}

TEST(DiskImage, AttachesReadOnlyAndEjectRemovesExactlyThatTree) {
    Images f;
    auto image = f.makeImage(f.makeBundleFolder(), "tool.iso");
    fs::path first = f.temp / "volume";
    fs::path second = f.temp / "second";
    fs::create_directory(second); // an empty folder that was there before

    auto a = f.attach(image, first);
    auto b = f.attach(image, second);
    ASSERT_TRUE(a) << describe(a.error());
    ASSERT_TRUE(b) << describe(b.error());
    EXPECT_TRUE(std::regex_match(a->device, std::regex("/dev/disk[0-9]+")));
    EXPECT_NE(a->device, b->device);
    EXPECT_EQ(a->mountPoint, Url::fromPath(first.string() + "/"));

    fs::path contents = first / "Tool.app/Contents";
    EXPECT_EQ(TempFolder::readText(contents / "Info.plist"), "plist");
    EXPECT_EQ(fs::read_symlink(contents / "Current"), "MacOS");
    EXPECT_TRUE(fs::is_symlink(contents / "Current"));
    struct stat st {};
    ASSERT_EQ(::stat((contents / "MacOS/Tool").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0555u);
    ASSERT_EQ(::stat((contents / "MacOS/helper").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0555u) << "set-user-id or set-group-id kept";
    EXPECT_FALSE(anyWritable(first));

    ASSERT_TRUE(DiskImage::detach(*a, f.tool));
    EXPECT_FALSE(fs::exists(first));
    EXPECT_TRUE(fs::exists(second / "Tool.app/Contents/Info.plist")) << "ejected the wrong disk";
    EXPECT_FALSE(DiskImage::detach(*a, f.tool)) << "ejected twice";

    ASSERT_TRUE(DiskImage::detach(*b, f.tool));
    EXPECT_TRUE(fs::is_empty(second)) << "a folder the caller made is the caller's";
    EXPECT_TRUE(fs::is_empty(f.state));
}

// Hostile images are made by renaming a two-letter folder in the Rock Ridge names of
// a good one, since no image writer produces these entries.
TEST(DiskImage, RefusesImagesThatReachOutsideTheMountPoint) {
    Images f;
    fs::path folder = f.temp / "hostile";
    TempFolder::writeText(folder / "dd/escape", "escaped");
    TempFolder::writeText(folder / "aa/file", "fine");
    fs::create_directory_symlink(f.temp / "outside", folder / "ln");
    fs::create_directory(f.temp / "outside");
    std::string good = TempFolder::readText(f.makeImage(folder, "good.iso"));
    const std::string name = std::string("NM\x07\x01\x00", 5);
    ASSERT_NE(good.find(name + "dd"), std::string::npos);

    struct Case {
        const char* fault;
        std::string rename; // for "dd"; empty: not an image at all
        fs::path escaped;
    };
    const std::vector<Case> cases{
        {"parent folder entry followed", "..", f.temp / "escape"},
        {"absolute entry written", "/d", "/d/escape"},
        {"a name used twice, once as a link", "ln", f.temp / "outside/escape"},
        {"garbage taken for an image", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        std::string bytes = std::string(64 * 1024, 'x');
        if (!c.rename.empty()) {
            bytes = good;
            bytes.replace(bytes.find(name + "dd") + name.size(), 2, c.rename);
        }
        fs::path image = f.temp / "hostile.iso";
        TempFolder::writeText(image, bytes);
        fs::path mountPoint = f.temp / "volume";

        auto result = f.attach(image, mountPoint);
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error().kind, DiskImageError::Kind::attachFailed);
        EXPECT_FALSE(result.error().text.empty());
        EXPECT_FALSE(fs::exists(mountPoint)) << "extracted entries left behind";
        if (!c.escaped.empty()) {
            EXPECT_FALSE(fs::exists(c.escaped));
        }
        EXPECT_TRUE(fs::is_empty(f.state));
    }
}

TEST(DiskImage, RefusesAMountPointInUse) {
    Images f;
    auto image = f.makeImage(f.makeBundleFolder(), "tool.iso");
    fs::path taken = f.temp / "taken";
    TempFolder::writeText(taken / "mine", "mine");
    fs::create_directory_symlink(f.temp / "content", f.temp / "link");

    for (const auto& mountPoint : {taken, f.temp / "link", f.temp / "no/parent"}) {
        SCOPED_TRACE(mountPoint);
        auto result = f.attach(image, mountPoint);
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error().kind, DiskImageError::Kind::attachFailed);
    }
    EXPECT_EQ(TempFolder::readText(taken / "mine"), "mine");
    EXPECT_EQ(std::distance(fs::directory_iterator(f.temp / "content"), fs::directory_iterator()),
              1);
    EXPECT_TRUE(fs::is_empty(f.state));
}

} // namespace
