// Download::run against the curl command-line tool fetching the same 1 GiB from the same
// loopback server into the same folder, both timed on the wall clock.
#include <cstdio>
#include <filesystem>
#include <string>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include "RatioReporter.hpp"
#include "helpers/LoopbackServer.hpp"
#include "helpers/TempFolder.hpp"
#include "install/Download.hpp"

extern char** environ;

namespace {

using kestle::test::LoopbackServer;

constexpr uint64_t fileBytes = 1ull << 30;

struct Fixture {
    LoopbackServer server;
    kestle::test::TempFolder folder;
    Fixture() { server.serveGenerated("/image.dmg", fileBytes); }
    std::string url() const { return server.url("/image.dmg"); }
    std::filesystem::path target() const { return folder / "image.dmg"; }
};

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
    // The high-water mark of the whole process, loopback server included.
    std::printf("peak RSS: %.1f MiB before the downloads, %.1f MiB after (each moved 1 GiB)\n",
                rssBefore / 1024.0, peakRssKiB() / 1024.0);
    return 0;
}
