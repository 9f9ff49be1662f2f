// Download::run against the curl command-line tool fetching the same 1 GiB from the same
// loopback server into the same folder, both timed on the wall clock; then a download
// cut at 90 % and resumed, counting what the resumed attempt moved.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include "RatioReporter.hpp"
#include "helpers/LoopbackServer.hpp"
#include "helpers/RangedFile.hpp"
#include "helpers/TempFolder.hpp"
#include "install/Download.hpp"

extern char** environ;

namespace {

using kestle::test::LoopbackServer;
using kestle::test::RangedFile;

constexpr uint64_t fileBytes = 1ull << 30;

struct Fixture {
    LoopbackServer server;
    kestle::test::TempFolder folder;
    std::shared_ptr<RangedFile> ranged = std::make_shared<RangedFile>();
    Fixture() {
        server.serveGenerated("/image.dmg", fileBytes);
        ranged->settings.size = fileBytes;
        ranged->settings.bytes = &LoopbackServer::generatedBytes;
        ranged->serve(server, "/ranged.dmg");
    }
    std::string url() const { return server.url("/image.dmg"); }
    std::filesystem::path target() const { return folder / "image.dmg"; }
};

// What the resumed attempt of BM_Resume moved.
uint64_t resumedBytes = 0;

Fixture& fixture() {
    static Fixture f;
    return f;
}

long peakRssKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The file must be complete and in order; then it goes, so the disk holds one at a time.
void checkAndRemove(benchmark::State& state, const std::filesystem::path& file) {
    std::error_code error;
    auto size = std::filesystem::file_size(file, error);
    if (error || size != fileBytes) {
        state.SkipWithError("incomplete file");
    } else {
        const size_t tail = 1 << 20;
        std::string bytes(tail, '\0');
        std::FILE* in = std::fopen(file.c_str(), "rb");
        bool read = in && std::fseek(in, static_cast<long>(fileBytes - tail), SEEK_SET) == 0 &&
                    std::fread(bytes.data(), 1, tail, in) == tail;
        if (in) {
            std::fclose(in);
        }
        if (!read || bytes != LoopbackServer::generatedBytes(fileBytes - tail, tail)) {
            state.SkipWithError("wrong bytes");
        }
    }
    std::filesystem::remove(file, error);
}

void BM_Download(benchmark::State& state) {
    auto& f = fixture();
    auto url = kestle::Url::parse(f.url()).value();
    for (auto _ : state) {
        auto result = kestle::Download::run(url, f.target(), kestle::Download::noLimit,
                                            [](uint64_t, uint64_t) {}, {});
        state.PauseTiming();
        if (!result) {
            state.SkipWithError(describe(result.error()).c_str());
        }
        checkAndRemove(state, f.target());
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileBytes));
}

// Only the resumed attempt is timed; the cut one before it is set-up.
void BM_Resume(benchmark::State& state) {
    auto& f = fixture();
    auto url = kestle::Url::parse(f.server.url("/ranged.dmg")).value();
    kestle::Download::Options options;
    options.partial = f.folder / "image.partial";
    for (auto _ : state) {
        state.PauseTiming();
        f.ranged->settings.cutAt = fileBytes / 10 * 9;
        auto cut = kestle::Download::run(url, f.target(), fileBytes, {}, {}, options);
        f.ranged->settings.cutAt.reset();
        f.ranged->resetSent();
        if (cut || !std::filesystem::exists(options.partial)) {
            state.SkipWithError("the cut download left nothing to resume");
            break;
        }
        state.ResumeTiming();
        auto result = kestle::Download::run(url, f.target(), fileBytes, {}, {}, options);
        state.PauseTiming();
        resumedBytes = f.ranged->sent();
        if (!result) {
            state.SkipWithError(describe(result.error()).c_str());
        }
        checkAndRemove(state, f.target());
        state.ResumeTiming();
    }
}

void BM_CurlTool(benchmark::State& state) {
    auto& f = fixture();
    std::string target = f.target().string();
    std::string url = f.url();
    // -q first: no ~/.curlrc; the loopback server set no_proxy for this process and its children.
    const char* args[] = {"curl", "-q",           "-s",        "-S",   "-f",
                          "-o",   target.c_str(), url.c_str(), nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        int status = -1;
        if (::posix_spawnp(&pid, "curl", nullptr, nullptr, const_cast<char* const*>(args),
                           environ) != 0 ||
            ::waitpid(pid, &status, 0) != pid) {
            state.SkipWithError("cannot run curl");
            break;
        }
        state.PauseTiming();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("curl failed");
        }
        checkAndRemove(state, f.target());
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileBytes));
}

BENCHMARK(BM_Download)->Iterations(1)->Repetitions(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurlTool)->Iterations(1)->Repetitions(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resume)->Iterations(1)->Repetitions(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    fixture();
    long rssBefore = peakRssKiB();
    kestle::bench::RatioReporter reporter(/*wallTime=*/true);
    if (!kestle::bench::runBenchmarks(argc, argv, reporter)) {
        return 1;
    }
    const double mb = static_cast<double>(fileBytes) / 1e6;
    double ours = reporter.seconds("BM_Download");
    double tool = reporter.seconds("BM_CurlTool");
    if (ours > 0 && tool > 0) {
        double ratio = tool / ours;
        std::printf("Download::run: %.0f MB/s, curl tool: %.0f MB/s, ratio %.2f (target at least "
                    "0.90): %s\n",
                    mb / ours, mb / tool, ratio, ratio >= 0.9 ? "met" : "MISSED");
    } else {
        std::printf("throughput: not measured\n");
    }
    if (resumedBytes > 0) {
        const double share = static_cast<double>(resumedBytes) / static_cast<double>(fileBytes);
        std::printf("resumed after a cut at 90 %%: moved %llu of %llu bytes, ratio %.3f (target "
                    "0.100): %s\n",
                    static_cast<unsigned long long>(resumedBytes),
                    static_cast<unsigned long long>(fileBytes), share,
                    resumedBytes <= fileBytes - fileBytes / 10 * 9 ? "met" : "MISSED");
    } else {
        std::printf("resume: not measured\n");
    }
    // The high-water mark of the whole process, loopback server included.
    std::printf("peak RSS: %.1f MiB before the downloads, %.1f MiB after (each moved 1 GiB)\n",
                rssBefore / 1024.0, peakRssKiB() / 1024.0);
    return 0;
}
