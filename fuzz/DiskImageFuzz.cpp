// Disk images are downloads anyone can serve: extracting one, whatever its bytes, must
// never crash, hang, or write more than the limits allow. The tree goes to a private
// temporary folder that is emptied after every input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "ImageExtractor.hpp"

namespace fs = std::filesystem;
using kestle::diskutil::ExtractLimits;

namespace {

// Entries are cheap to describe and slow to create; fewer keep the runs fast.
constexpr uint64_t kFuzzEntries = 2000;

fs::path root;

uint64_t apparentSize(const fs::path& folder) {
    uint64_t total = 0;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file(error) && !it->is_symlink(error)) {
            total += it->file_size(error);
        }
    }
    return total;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (fs::temp_directory_path() / "kestle-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        abort();
    }
    root = pattern;
    std::atexit([] {
        kestle::diskutil::emptyFolder(root);
        ::rmdir(root.c_str());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int fd = ::memfd_create("image", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, data, size) != static_cast<ssize_t>(size) ||
        ::lseek(fd, 0, SEEK_SET) != 0) {
        abort();
    }
    ExtractLimits limits = ExtractLimits::forImage(size);
    limits.entries = kFuzzEntries;
    // Extraction writes below the working folder; libFuzzer's own paths are relative.
    int start = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (start < 0 || ::chdir(root.c_str()) != 0) {
        abort();
    }
    auto extracted = kestle::diskutil::extractImage(fd, "image", limits);
    if (::fchdir(start) != 0) {
        abort();
    }
    ::close(start);
    ::close(fd);
    if (extracted && (extracted->bytes > limits.bytes || extracted->entries > limits.entries)) {
        abort();
    }
    // What reached the disk, counted again from the tree itself.
    if (apparentSize(root) > limits.bytes) {
        abort();
    }
    kestle::diskutil::emptyFolder(root);
    return 0;
}
