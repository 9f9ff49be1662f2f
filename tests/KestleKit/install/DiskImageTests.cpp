#include "install/DiskImage.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "ImageExtractor.hpp"
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

TEST(DiskImage, AnAnswerItCannotReadIsEjectedByItsMountPoint) {
    for (const std::string& output : {std::string("attached"), entities(entity("/dev/disk5"))}) {
        SCOPED_TRACE(output);
        FakeTool tool(output, "", 0);
        EXPECT_EQ(DiskImage::attach(Url::fromPath("/a.iso"), Url::fromPath("/tmp/v w/"), tool.path),
                  std::unexpected(DiskImageError::unexpectedOutput()));
        EXPECT_EQ(tool.args(), "eject\n/tmp/v w/\n") << "left attached";
    }
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

    fs::path makeImage(const fs::path& folder, const std::string& name, bool zisofs = false) {
        fs::path image = temp / name;
        std::vector<std::string> args{folder.string(), image.string()};
        if (zisofs) {
            args.insert(args.begin(), "--zisofs");
        }
        auto result = Command::run(KESTLE_MAKE_DISK_IMAGE, args);
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

// A few hundred kilobytes of image that expand past 16 times their size.
TEST(DiskImage, RefusesImagesThatExpandPastTheLimit) {
    Images f;
    fs::path zeros = f.temp / "zeros";
    fs::create_directories(zeros);
    std::ofstream(zeros / "blocks").close();
    fs::resize_file(zeros / "blocks", 32 << 20); // zisofs stores its blocks in a few bytes
    fs::path links = f.temp / "links";
    TempFolder::writeText(links / "file", std::string(1 << 20, 'x'));
    for (int n = 0; n < 40; ++n) {
        fs::create_hard_link(links / "file", links / ("link" + std::to_string(n)));
    }
    struct Case {
        const char* fault;
        fs::path image;
        bool mountPointThere;
    };
    const std::vector<Case> cases{
        {"zisofs blocks of zeros written at their full size", f.makeImage(zeros, "zeros.iso", true),
         false},
        {"hard links, one extent for many names, not counted", f.makeImage(links, "links.iso"),
         false},
        {"a folder the caller made not emptied", f.makeImage(zeros, "zeros2.iso", true), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        ASSERT_LT(fs::file_size(c.image), 2u << 20);
        fs::path mountPoint = f.temp / "volume";
        if (c.mountPointThere) {
            fs::create_directory(mountPoint);
        }
        auto result = f.attach(c.image, mountPoint);
        if (result) {
            ADD_FAILURE() << "attached";
            (void)DiskImage::detach(*result, f.tool);
            continue;
        }
        EXPECT_EQ(result.error().kind, DiskImageError::Kind::attachFailed);
        EXPECT_NE(result.error().text.find("expands past"), std::string::npos)
            << result.error().text;
        EXPECT_EQ(fs::exists(mountPoint), c.mountPointThere);
        if (c.mountPointThere) {
            EXPECT_TRUE(fs::is_empty(mountPoint)) << "extracted entries left behind";
            fs::remove(mountPoint);
        }
        EXPECT_TRUE(fs::is_empty(f.state)) << "a record left behind";
    }
}

// Sets or clears a variable for the tool and puts the old value back.
class Environment {
public:
    Environment(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            saved_ = old;
        }
        set(value);
    }
    ~Environment() { set(saved_); }

private:
    void set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_, value->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> saved_;
};

std::vector<std::string> names(const fs::path& folder) {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(folder)) {
        out.push_back(entry.path().filename().string());
    }
    return out;
}

// Records kept where another user can write would let them send eject anywhere; a
// name they took first, or a stale leftover, must not stop attaches either.
TEST(DiskImage, KeepsItsRecordsInAPrivateFolderThatNobodyCanBlock) {
    Images f;
    auto image = f.makeImage(f.makeBundleFolder(), "tool.iso");
    const std::string perUser = "kestle-diskutil-" + std::to_string(::geteuid());
    const bool canChown = ::geteuid() == 0;
    struct Case {
        const char* fault;
        std::function<void(const fs::path& runtime)> prepare;
        std::string expected; // under runtime/ or tmp/
        bool needsChown = false;
    };
    const std::vector<Case> cases{
        {"no folder yet", [](const fs::path&) {}, "runtime/kestle-diskutil"},
        {"a file of the same name blocks attaches",
         [](const fs::path& r) { TempFolder::writeText(r / "kestle-diskutil", "x"); },
         "runtime/kestle-diskutil.1"},
        {"a link of the same name followed",
         [](const fs::path& r) {
             fs::create_directory(r / "elsewhere");
             fs::permissions(r / "elsewhere", fs::perms::owner_all);
             fs::create_directory_symlink(r / "elsewhere", r / "kestle-diskutil");
         },
         "runtime/kestle-diskutil.1"},
        {"a stale folder that others can read used, or blocks attaches",
         [](const fs::path& r) {
             fs::create_directory(r / "kestle-diskutil");
             ::chmod((r / "kestle-diskutil").c_str(), 0755);
         },
         "runtime/kestle-diskutil.1"},
        {"another user's folder used, or blocks attaches",
         [](const fs::path& r) {
             fs::create_directory(r / "kestle-diskutil");
             ::chmod((r / "kestle-diskutil").c_str(), 0700);
             EXPECT_EQ(::chown((r / "kestle-diskutil").c_str(), 65534, 65534), 0);
         },
         "runtime/kestle-diskutil.1", true},
        {"a runtime folder open to all trusted",
         [](const fs::path& r) { ::chmod(r.c_str(), 0777); }, "tmp/" + perUser},
        {"no runtime folder given", [](const fs::path& r) { fs::remove(r); }, "tmp/" + perUser},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        if (c.needsChown && !canChown) {
            continue;
        }
        TempFolder root;
        fs::path runtime = root / "runtime";
        fs::create_directory(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        fs::create_directory(root / "tmp");
        c.prepare(runtime);
        auto before = TempFolder::snapshot(runtime);
        Environment state("KESTLE_DISKUTIL_STATE", std::nullopt);
        Environment xdg("XDG_RUNTIME_DIR",
                        fs::exists(runtime) ? std::optional(runtime.string()) : std::nullopt);
        Environment tmp("TMPDIR", (root / "tmp").string());

        fs::path mountPoint = root / "volume";
        auto attached = f.attach(image, mountPoint);
        if (!attached) {
            ADD_FAILURE() << describe(attached.error());
            continue;
        }
        fs::path folder = root / c.expected;
        struct stat st {};
        ASSERT_EQ(::lstat(folder.c_str(), &st), 0) << "records kept elsewhere";
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 07777, 0700u);
        EXPECT_EQ(st.st_uid, ::geteuid());
        EXPECT_EQ(names(folder), std::vector<std::string>{attached->device.substr(5)});
        ASSERT_TRUE(DiskImage::detach(*attached, f.tool));
        EXPECT_FALSE(fs::exists(mountPoint));
        EXPECT_TRUE(fs::is_empty(folder));
        if (c.expected.starts_with("runtime/kestle-diskutil.")) {
            auto after = TempFolder::snapshot(runtime);
            for (const auto& name : {"kestle-diskutil.1", "kestle-diskutil.1/disk1"}) {
                after.erase(name);
            }
            EXPECT_EQ(after, before) << "the name in the way was changed";
        }
    }
    if (!canChown) {
        GTEST_SKIP() << "only root can make a folder owned by another user here";
    }
}

// Apparent size of every regular file below root, each name counted.
uint64_t apparentSize(const fs::path& root) {
    uint64_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && !entry.is_symlink()) {
            total += entry.file_size();
        }
    }
    return total;
}

// The limits are checked as the tree is written, at their exact values, so a limit
// reached never writes a byte or an entry more.
TEST(DiskImageReader, StopsExactlyAtTheLimitsItIsGiven) {
    using kestle::diskutil::ExtractLimits;
    Images f;
    fs::path many = f.temp / "many";
    for (int n = 0; n < 12; ++n) {
        TempFolder::writeText(many / ("f" + std::to_string(n)), "");
    }
    fs::path sized = f.temp / "sized";
    TempFolder::writeText(sized / "file", std::string(5000, 'x'));
    fs::path zeros = f.temp / "zeros";
    fs::create_directories(zeros);
    std::ofstream(zeros / "blocks").close();
    fs::resize_file(zeros / "blocks", 1 << 20);
    fs::path links = f.temp / "links";
    TempFolder::writeText(links / "file", std::string(1000, 'x'));
    fs::create_hard_link(links / "file", links / "a");
    fs::create_hard_link(links / "file", links / "b");
    const auto manyImage = f.makeImage(many, "many.iso");
    const auto sizedImage = f.makeImage(sized, "sized.iso");
    const auto zerosImage = f.makeImage(zeros, "zeros.iso", true);
    const auto linksImage = f.makeImage(links, "links.iso");

    struct Case {
        const char* fault;
        fs::path image;
        ExtractLimits limits;
        std::string refusal; // empty: extracts
    };
    const std::vector<Case> cases{
        {"the root or the files not counted as entries", manyImage, {1 << 20, 12}, "more than 12"},
        {"one entry short", manyImage, {1 << 20, 13}, ""},
        {"a byte past the limit written", sizedImage, {4999, 100}, "expands past 4999"},
        {"a file of exactly the limit refused", sizedImage, {5000, 100}, ""},
        {"zisofs holes not counted", zerosImage, {(1 << 20) - 1, 100}, "expands past"},
        {"zisofs counted past its size", zerosImage, {1 << 20, 100}, ""},
        {"hard links free", linksImage, {2999, 100}, "expands past"},
        {"hard links counted twice", linksImage, {3000, 100}, ""},
    };
    const fs::path start = fs::current_path();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        TempFolder root;
        fs::current_path(root.path());
        int fd = ::open(c.image.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        auto extracted = kestle::diskutil::extractImage(fd, "image", c.limits);
        ::close(fd);
        fs::current_path(start);
        EXPECT_LE(apparentSize(root.path()), c.limits.bytes);
        if (c.refusal.empty()) {
            ASSERT_TRUE(extracted) << extracted.error();
            EXPECT_LE(extracted->entries, c.limits.entries);
            EXPECT_LE(extracted->bytes, c.limits.bytes);
        } else {
            ASSERT_FALSE(extracted);
            EXPECT_NE(extracted.error().find(c.refusal), std::string::npos) << extracted.error();
        }
        kestle::diskutil::emptyFolder(root.path());
    }
}

TEST(DiskImageReader, LimitsGrowWithTheImageUpToACap) {
    using kestle::diskutil::ExtractLimits;
    EXPECT_EQ(ExtractLimits::forImage(1000).bytes, 16000u);
    EXPECT_EQ(ExtractLimits::forImage(uint64_t(1) << 29).bytes, uint64_t(8) << 30);
    EXPECT_EQ(ExtractLimits::forImage(uint64_t(1) << 40).bytes, uint64_t(8) << 30);
    EXPECT_EQ(ExtractLimits::forImage(UINT64_MAX).bytes, uint64_t(8) << 30) << "overflow";
    EXPECT_EQ(ExtractLimits::forImage(1000).entries, 100000u);
}

} // namespace
