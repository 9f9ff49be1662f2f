// Scanning a folder of 2,000 bundles (half with XML, half with binary Info.plists)
// against the least any scanner must do: list the folder, read each Info.plist and
// parse it once.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <plist/plist.h>

#include "RatioReporter.hpp"
#include "apps/InstalledApps.hpp"

namespace {

constexpr int kBundles = 2000;

// An Info.plist of the usual size and shape (about 1.5 KB as XML).
std::string infoPlist(int i, bool binary) {
    std::string id = "com.velmar.app" + std::to_string(i);
    plist_t dict = plist_new_dict();
    auto text = [&](const char* key, const std::string& value) {
        plist_dict_set_item(dict, key, plist_new_string(value.c_str()));
    };
    text("CFBundleDevelopmentRegion", "en");
    text("CFBundleExecutable", "App" + std::to_string(i));
    text("CFBundleIconFile", "AppIcon");
    text("CFBundleIdentifier", id);
    text("CFBundleInfoDictionaryVersion", "6.0");
    text("CFBundleName", "Velmar App " + std::to_string(i));
    text("CFBundlePackageType", "APPL");
    text("CFBundleShortVersionString", "2." + std::to_string(i % 10) + ".1");
    text("CFBundleVersion", std::to_string(100 + i));
    text("DTPlatformVersion", "14.0");
    text("DTSDKName", "macosx14.0");
    text("LSApplicationCategoryType", "public.app-category.productivity");
    text("LSMinimumSystemVersion", "13.0");
    text("NSHumanReadableCopyright", "Copyright 2024 Velmar. All rights reserved.");
    text("NSMainStoryboardFile", "Main");
    text("NSPrincipalClass", "NSApplication");
    text("SUFeedURL", "https://velmar.example/apps/app" + std::to_string(i) + "/appcast.xml");
    text("SUPublicEDKey", "pJx0k8n4Jc6bW0xX8zq1nV0M2m9cK3z2m1U7c1rQx9E=");
    plist_dict_set_item(dict, "NSHighResolutionCapable", plist_new_bool(1));
    plist_t schemes = plist_new_array();
    plist_array_append_item(schemes, plist_new_string(("velmar-app" + std::to_string(i)).c_str()));
    plist_t urlType = plist_new_dict();
    plist_dict_set_item(urlType, "CFBundleURLName", plist_new_string(id.c_str()));
    plist_dict_set_item(urlType, "CFBundleURLSchemes", schemes);
    plist_t urlTypes = plist_new_array();
    plist_array_append_item(urlTypes, urlType);
    plist_dict_set_item(dict, "CFBundleURLTypes", urlTypes);

    char* bytes = nullptr;
    uint32_t length = 0;
    binary ? plist_to_bin(dict, &bytes, &length) : plist_to_xml(dict, &bytes, &length);
    std::string out(bytes, length);
    free(bytes);
    plist_free(dict);
    return out;
}

struct Fixture {
    std::string folder;
    std::set<std::string> ids;
    size_t xmlBytes = 0;

    Fixture() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestle-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        folder = pattern;
        for (int i = 0; i < kBundles; ++i) {
            auto contents =
                std::filesystem::path(folder) / ("App " + std::to_string(i) + ".app/Contents");
            std::filesystem::create_directories(contents);
            auto plist = infoPlist(i, i % 2 == 1);
            if (i == 0) {
                xmlBytes = plist.size();
            }
            std::ofstream(contents / "Info.plist", std::ios::binary) << plist;
            ids.insert("com.velmar.app" + std::to_string(i));
        }
    }
    ~Fixture() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

const Fixture& fixture() {
    static const Fixture f;
    return f;
}

void BM_InstalledAppsScan(benchmark::State& state) {
    const auto& f = fixture();
    kestle::InstalledApps apps({kestle::Url::fromPath(f.folder)});
    for (auto _ : state) {
        auto found = apps.scan(f.ids);
        if (found.size() != kBundles) {
            state.SkipWithError("bundles missing from the scan");
            break;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * kBundles);
}
BENCHMARK(BM_InstalledAppsScan)->Unit(benchmark::kMillisecond);

void BM_ListReadParse(benchmark::State& state) {
    const auto& f = fixture();
    for (auto _ : state) {
        int parsed = 0;
        DIR* dir = opendir(f.folder.c_str());
        while (const dirent* entry = dir ? readdir(dir) : nullptr) {
            if (entry->d_name[0] == '.') {
                continue;
            }
            std::string path = f.folder + "/" + entry->d_name + "/Contents/Info.plist";
            int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
            struct stat status {};
            if (fd < 0 || fstat(fd, &status) != 0) {
                continue;
            }
            std::string data(static_cast<size_t>(status.st_size), '\0');
            ssize_t n = read(fd, data.data(), data.size());
            close(fd);
            plist_t root = nullptr;
            plist_from_memory(data.data(), static_cast<uint32_t>(n > 0 ? n : 0), &root);
            parsed += root != nullptr;
            plist_free(root);
        }
        if (dir) {
            closedir(dir);
        }
        if (parsed != kBundles) {
            state.SkipWithError("bundles missing from the bare loop");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kBundles);
}
BENCHMARK(BM_ListReadParse)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    fixture(); // built, and read once so that both runs find a warm cache
    kestle::InstalledApps({kestle::Url::fromPath(fixture().folder)}).scan(fixture().ids);
    kestle::bench::RatioReporter reporter;
    if (!kestle::bench::runBenchmarks(argc, argv, reporter)) {
        return 1;
    }
    std::printf("%d bundles, XML Info.plist %zu bytes\n", kBundles, fixture().xmlBytes);
    for (const char* name : {"BM_InstalledAppsScan", "BM_ListReadParse"}) {
        double seconds = reporter.seconds(name);
        std::printf("%s: %.0f bundles/s\n", name, seconds > 0 ? kBundles / seconds : 0.0);
    }
    reporter.printRatio("InstalledApps::scan vs list + read + parse", "BM_InstalledAppsScan",
                        "BM_ListReadParse", 1.5);
    return 0;
}
