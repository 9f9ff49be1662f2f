#include "catalog/SignedCatalog.hpp"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "helpers/TestSigning.hpp"
#include "support/Base64.hpp"

using kestle::Base64;
using kestle::CatalogError;
using kestle::SignedCatalog;
using kestle::UpdateSignature;
using kestle::test::TestSigning;
using Json = nlohmann::json;

namespace {

const std::string kCatalog = R"({"schema":1,"apps":[{"id":"pixel","bundleID":"com.velmar.pixel",
"name":"Pixel","tagline":{"en":"Draw"},"description":{"en":"Draw pixels"},"status":"released",
"icon":"pixel.png","minimumSystem":"14.0"}]})";

const TestSigning& signing() {
    return TestSigning::shared();
}

std::string envelopeOf(const std::string& catalog, const std::string& signature) {
    return Json{{"catalog", Base64::encode(catalog)}, {"signature", signature}}.dump();
}

std::expected<kestle::Catalog, CatalogError> open(const std::string& envelope) {
    return SignedCatalog::open(envelope, signing().key());
}

TEST(SignedCatalog, RoundTripsThroughTheEnvelope) {
    std::string envelope = signing().envelope(kCatalog);
    // Pretty-printed, sorted keys, slashes left alone.
    EXPECT_LT(envelope.find("\"catalog\""), envelope.find("\"signature\""));
    EXPECT_NE(envelope.find('\n'), std::string::npos);
    EXPECT_EQ(envelope.find("\\/"), std::string::npos);
    auto catalog = open(envelope);
    ASSERT_TRUE(catalog.has_value());
    ASSERT_EQ(catalog->apps.size(), 1u);
    EXPECT_EQ(catalog->apps[0].id, "pixel");
}

TEST(SignedCatalog, ReportsTheFirstFailingStep) {
    const std::string good = Base64::encode(kCatalog);
    const std::string signature = signing().sign(kCatalog);
    const std::string wrapped = Base64::encode(signature); // 88 chars: not 64 bytes decoded
    Json reindented = Json::parse(kCatalog);

    struct Case {
        const char* fault;
        std::string envelope;
        CatalogError expected;
    };
    const Case cases[] = {
        {"missing signature taken as bad signature", Json{{"catalog", good}}.dump(),
         CatalogError::malformedEnvelope()},
        {"non-string signature accepted", Json{{"catalog", good}, {"signature", 5}}.dump(),
         CatalogError::malformedEnvelope()},
        {"top-level array accepted", "[]", CatalogError::malformedEnvelope()},
        {"not JSON accepted", "catalog", CatalogError::malformedEnvelope()},
        {"line break inside catalog base64 tolerated",
         Json{{"catalog", good.substr(0, 8) + "\n" + good.substr(8)}, {"signature", signature}}
             .dump(),
         CatalogError::malformedEnvelope()},
        {"unpadded catalog base64 tolerated",
         Json{{"catalog", Base64::encode("ab").substr(0, 3)}, {"signature", signature}}.dump(),
         CatalogError::malformedEnvelope()},
        {"space inside signature base64 tolerated",
         envelopeOf(kCatalog, signature.substr(0, 10) + " " + signature.substr(10)),
         CatalogError::badSignature()},
        {"signature of 63 bytes verified",
         envelopeOf(kCatalog, Base64::encode(signing().signatureBytes(kCatalog)).substr(0, 84)),
         CatalogError::badSignature()},
        {"signature of 65 bytes verified",
         envelopeOf(kCatalog,
                    [&] {
                        auto bytes = signing().signatureBytes(kCatalog);
                        bytes.push_back(0);
                        return Base64::encode(bytes);
                    }()),
         CatalogError::badSignature()},
        {"signature text wrapped twice accepted", envelopeOf(kCatalog, wrapped),
         CatalogError::badSignature()},
        {"empty signature accepted", envelopeOf(kCatalog, ""), CatalogError::badSignature()},
        {"re-indented catalog accepted", envelopeOf(reindented.dump(4), signature),
         CatalogError::badSignature()},
        {"signature by another key accepted",
         envelopeOf(kCatalog, kestle::test::otherSigning().sign(kCatalog)),
         CatalogError::badSignature()},
    };
    for (const auto& c : cases) {
        auto result = open(c.envelope);
        ASSERT_FALSE(result.has_value()) << c.fault;
        EXPECT_EQ(result.error(), c.expected) << c.fault << ": got " << describe(result.error());
    }
}

TEST(SignedCatalog, ProbesTheSchemaBeforeTheFullDecode) {
    struct Case {
        const char* fault;
        std::string catalog;
        std::optional<CatalogError> expected; // nothing: decodes
    };
    const Case cases[] = {
        {"newer schema not refused", R"({"schema":2,"apps":[]})",
         CatalogError::unsupportedSchema(2)},
        {"newer catalog reported as malformed", R"({"schema":3,"apps":"not a list"})",
         CatalogError::unsupportedSchema(3)},
        {"schema 1 refused", R"({"schema":1,"apps":[]})", std::nullopt},
        {"schema 0 refused", R"({"schema":0,"apps":[]})", std::nullopt},
        {"negative schema refused", R"({"schema":-4,"apps":[]})", std::nullopt},
        {"missing schema accepted", R"({"apps":[]})", CatalogError::malformedCatalog()},
        {"string schema accepted", R"({"schema":"1","apps":[]})", CatalogError::malformedCatalog()},
        {"missing apps accepted", R"({"schema":1})", CatalogError::malformedCatalog()},
        {"signed garbage accepted", "\x01\x02 not json", CatalogError::malformedCatalog()},
    };
    for (const auto& c : cases) {
        auto result = open(signing().envelope(c.catalog));
        if (c.expected) {
            ASSERT_FALSE(result.has_value()) << c.fault;
            EXPECT_EQ(result.error(), *c.expected) << c.fault;
        } else {
            EXPECT_TRUE(result.has_value()) << c.fault;
        }
    }
}

// Plain envelopes take a quick path; anything unusual goes through the full JSON
// parser. Both must read the same document the same way.
TEST(SignedCatalog, ReadsUnusualEnvelopesLikePlainOnes) {
    const std::string catalog = Base64::encode(kCatalog);
    const std::string good = signing().sign(kCatalog);
    const std::string bad = signing().sign("something else");
    const std::string cases[] = {
        R"({"catalog":")" + catalog + R"(","signature":")" + good + R"("})",
        R"( { "signature" : ")" + good + R"(" , "catalog" : ")" + catalog + R"(" } )",
        R"({"catalog":")" + catalog + R"(","signature":")" + good + R"("})",
        R"({"catalog":")" + catalog + R"(","note":[1,{"a":null}],"signature":")" + good + R"("})",
        R"({"catalog":")" + catalog + R"(","signature":")" + bad + R"(","signature":")" + good +
            R"("})",
        R"({"n":1,"catalog":")" + catalog + R"(","signature":")" + bad + R"(","signature":")" +
            good + R"("})",
        R"({"catalog":")" + catalog + R"(","signature":")" + good + R"(","x":"café é"})",
    };
    for (const auto& envelope : cases) {
        EXPECT_TRUE(open(envelope).has_value()) << envelope.substr(0, 40);
    }
    const std::string refused[] = {
        R"({"catalog":")" + catalog + R"(","signature":")" + good + R"("} x)",
        R"({"catalog":")" + catalog + R"(","signature":")" + good + R"(",})",
        R"({"catalog":")" + catalog + R"(","signature":")" + good,
        "{\"catalog\":\"" + catalog + "\",\"signature\":\"" + good + "\",\"x\":\"\xff\"}",
    };
    for (const auto& envelope : refused) {
        auto result = open(envelope);
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error(), CatalogError::malformedEnvelope());
    }
}

// Arrays nested depth deep.
std::string nested(size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Nesting is refused before anything is built for it, so a hostile envelope costs
// little more than its own bytes, verified or not.
TEST(SignedCatalog, RefusesNestingDeeperThanTheFormatNeeds) {
    const std::string catalog = Base64::encode(kCatalog);
    const std::string signature = signing().sign(kCatalog);
    auto withNote = [&](const std::string& note) {
        return R"({"catalog":")" + catalog + R"(","signature":")" + signature + R"(","note":)" +
               note + "}";
    };
    auto catalogWith = [](const std::string& extra) {
        return signing().envelope(R"({"schema":1,"apps":[],"x":)" + extra + "}");
    };
    // The envelope's own object is the first level; 64 levels in all still read.
    struct Case {
        const char* fault;
        std::string envelope;
        std::optional<CatalogError> expected; // nothing: opens
    };
    const Case cases[] = {
        {"32 MiB of [ built before it is refused", std::string(32 << 20, '['),
         CatalogError::malformedEnvelope()},
        {"32 MiB of nested objects built before refused",
         [] {
             std::string deep;
             while (deep.size() < (32 << 20)) {
                 deep += R"({"a":)";
             }
             return deep;
         }(),
         CatalogError::malformedEnvelope()},
        {"too deep an ignored envelope member accepted", withNote(nested(64)),
         CatalogError::malformedEnvelope()},
        {"envelope at the nesting limit refused", withNote(nested(63)), std::nullopt},
        {"too deep an ignored catalog member accepted", catalogWith(nested(64)),
         CatalogError::malformedCatalog()},
        {"catalog at the nesting limit refused", catalogWith(nested(63)), std::nullopt},
    };
    for (const auto& c : cases) {
        const long before = peakKiB();
        auto result = open(c.envelope);
        const long grownKiB = peakKiB() - before;
        if (c.expected) {
            ASSERT_FALSE(result.has_value()) << c.fault;
            EXPECT_EQ(result.error(), *c.expected) << c.fault;
        } else {
            EXPECT_TRUE(result.has_value()) << c.fault;
        }
        // ru_maxrss only grows, so this can miss a fault but never invent one.
        EXPECT_LT(grownKiB, long(4 * c.envelope.size() / 1024) + 64 * 1024) << c.fault;
    }
}

TEST(SignedCatalog, KeepsTheGoodAppsOfASignedCatalog) {
    Json catalog = Json::parse(kCatalog);
    catalog["apps"].push_back({{"id", "broken"}});
    auto result = open(signing().envelope(catalog.dump()));
    ASSERT_TRUE(result.has_value());
    ASSERT_EQ(result->apps.size(), 1u);
    EXPECT_EQ(result->apps[0].id, "pixel");
}

TEST(UpdateSignature, BuildsKeysFromStrictBase64Only) {
    std::string key = signing().publicKeyBase64();
    EXPECT_TRUE(UpdateSignature::fromPublicKeyBase64(key).has_value());
    auto bytes = *Base64::decode(key);
    std::vector<uint8_t> shorter(bytes.begin(), bytes.end() - 1);
    std::vector<uint8_t> longer = bytes;
    longer.push_back(1);
    EXPECT_FALSE(UpdateSignature::fromPublicKeyBase64(Base64::encode(shorter)));
    EXPECT_FALSE(UpdateSignature::fromPublicKeyBase64(Base64::encode(longer)));
    EXPECT_FALSE(UpdateSignature::fromPublicKeyBase64(key + "\n"));
    EXPECT_FALSE(UpdateSignature::fromPublicKeyBase64(" " + key));
    EXPECT_FALSE(UpdateSignature::fromPublicKeyBase64(""));
    // The identity point verifies forged signatures on some verifiers: refuse it.
    std::vector<uint8_t> identity(32, 0);
    identity[0] = 1;
    EXPECT_FALSE(UpdateSignature::fromPublicKeyBase64(Base64::encode(identity)));
}

TEST(UpdateSignature, ChecksSignaturesOverExactBytes) {
    auto key = signing().key();
    std::string data = "disk image bytes";
    std::string signature = signing().sign(data);
    EXPECT_TRUE(key.isValid(signature, data));
    EXPECT_FALSE(key.isValid(signature, data + " "));
    EXPECT_FALSE(key.isValid("", data));
    EXPECT_FALSE(key.isValid(signature + "\n", data));
    EXPECT_FALSE(key.isValid(signature.substr(0, signature.size() - 4), data));
}

TEST(SigningTool, WrapsACatalogTheProductOpens) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("kestle-sign-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "catalog.json") << kCatalog;
    std::string key = std::string(KESTLE_TEST_DATA_DIR) + "/test-signing.key";
    std::string command = std::string(KESTLE_SIGN_TOOL) + " envelope " + key + " " +
                          (dir / "catalog.json").string() + " " + (dir / "envelope.json").string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(dir / "envelope.json");
    std::string envelope((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(open(envelope).has_value());

    // A signature printed by the tool verifies over the file's bytes.
    std::string sign =
        std::string(KESTLE_SIGN_TOOL) + " sign " + key + " " + (dir / "catalog.json").string();
    FILE* pipe = popen(sign.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[256] = {};
    ASSERT_NE(fgets(line, sizeof line, pipe), nullptr);
    EXPECT_EQ(pclose(pipe), 0);
    std::string printed(line);
    printed.pop_back();
    EXPECT_TRUE(signing().key().isValid(printed, kCatalog));
    fs::remove_all(dir);
}

} // namespace
