// Opening a signed 1,000-app catalog against the least any reader must do with
// the same bytes: verify the signature and parse the catalog JSON once.
#include <string>

#include <nlohmann/json.hpp>
#include <sodium.h>

#include "RatioReporter.hpp"
#include "catalog/SignedCatalog.hpp"
#include "support/Base64.hpp"

namespace {

struct Fixture {
    std::string catalog;
    std::string envelope;
    std::vector<uint8_t> signature;
    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    std::optional<kestle::UpdateSignature> key;

    Fixture() {
        if (sodium_init() < 0) {
            abort();
        }
        nlohmann::json apps = nlohmann::json::array();
        for (int i = 0; i < 1000; ++i) {
            std::string id = "app" + std::to_string(i);
            apps.push_back(
                {{"id", id},
                 {"bundleID", "com.velmar." + id},
                 {"name", "Velmar App " + std::to_string(i)},
                 {"tagline", {{"en", "Does one thing well"}, {"it", "Fa una cosa bene"}}},
                 {"description",
                  {{"en", "A longer description of what this app does and why a "
                          "person would want it on their Mac."},
                   {"it", "Una descrizione piu lunga di cosa fa questa app e del "
                          "perche la si vorrebbe sul proprio Mac."}}},
                 {"status", i % 10 == 0 ? "coming" : "released"},
                 {"site", "https://velmar.example/apps/" + id},
                 {"feed", "https://velmar.example/apps/" + id + "/appcast.xml"},
                 {"icon", "icons/" + id + ".png"},
                 {"minimumSystem", "14.0"},
                 {"hidden", i % 50 == 0}});
        }
        catalog = nlohmann::json{{"schema", 1}, {"apps", apps}}.dump(2);
        unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
        crypto_sign_keypair(publicKey, secretKey);
        signature.resize(crypto_sign_BYTES);
        crypto_sign_detached(signature.data(), nullptr,
                             reinterpret_cast<const unsigned char*>(catalog.data()), catalog.size(),
                             secretKey);
        envelope = kestle::SignedCatalog::envelope(catalog, kestle::Base64::encode(signature));
        key = kestle::UpdateSignature::fromPublicKeyBase64(
            kestle::Base64::encode(std::span<const uint8_t>(publicKey, sizeof publicKey)));
    }
};

const Fixture& fixture() {
    static const Fixture f;
    return f;
}

void BM_SignedCatalogOpen(benchmark::State& state) {
    const auto& f = fixture();
    for (auto _ : state) {
        auto catalog = kestle::SignedCatalog::open(f.envelope, *f.key);
        if (!catalog || catalog->apps.size() != 1000) {
            state.SkipWithError("catalog did not open");
            break;
        }
        benchmark::DoNotOptimize(catalog);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(f.envelope.size()));
}
BENCHMARK(BM_SignedCatalogOpen)->Unit(benchmark::kMillisecond);

void BM_VerifyAndBareParse(benchmark::State& state) {
    const auto& f = fixture();
    for (auto _ : state) {
        bool valid =
            crypto_sign_verify_detached(f.signature.data(),
                                        reinterpret_cast<const unsigned char*>(f.catalog.data()),
                                        f.catalog.size(), f.publicKey) == 0;
        auto document = nlohmann::json::parse(f.catalog);
        benchmark::DoNotOptimize(valid);
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(f.envelope.size()));
}
BENCHMARK(BM_VerifyAndBareParse)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    kestle::bench::RatioReporter reporter;
    if (!kestle::bench::runBenchmarks(argc, argv, reporter)) {
        return 1;
    }
    std::printf("catalog %zu bytes, envelope %zu bytes\n", fixture().catalog.size(),
                fixture().envelope.size());
    reporter.printRatio("SignedCatalog::open vs verification + bare parse", "BM_SignedCatalogOpen",
                        "BM_VerifyAndBareParse", 1.5);
    return 0;
}
