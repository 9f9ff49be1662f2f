#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include <sys/stat.h>

#include <stdlib.h>

namespace kestle::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestle-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    static void writeText(const std::filesystem::path& file, const std::string& text) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }
    static std::string readText(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Every entry below root with its mode and its content or link target: equal
    // snapshots mean an untouched tree.
    static std::map<std::string, std::string> snapshot(const std::filesystem::path& root) {
        std::map<std::string, std::string> entries;
        std::error_code error;
        for (auto it = std::filesystem::recursive_directory_iterator(root, error);
             it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
            struct stat st {};
            ::lstat(it->path().c_str(), &st);
            std::string what = std::to_string(st.st_mode) + " ";
            if (S_ISLNK(st.st_mode)) {
                what += "link " + std::filesystem::read_symlink(it->path()).string();
            } else if (S_ISREG(st.st_mode)) {
                what += readText(it->path());
            }
            entries[std::filesystem::relative(it->path(), root).string()] = what;
        }
        return entries;
    }

private:
    std::filesystem::path path_;
};

} // namespace kestle::test
