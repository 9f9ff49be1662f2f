#include "codesign/CodeCheck.hpp"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "codesign/BundleManifest.hpp"
#include "codesign/CodeSigner.hpp"
#include "helpers/TempFolder.hpp"
#include "support/Base64.hpp"

using kestle::BundleManifest;
using kestle::CodeCheck;
using kestle::CodeCheckError;
using kestle::CodeSigner;
using kestle::test::TempFolder;
using Status = kestle::CodeCheckStatus;
namespace fs = std::filesystem;

namespace kestle {
void PrintTo(const CodeCheckError& error, std::ostream* out) {
    *out << describe(error);
}
} // namespace kestle

namespace {

constexpr std::string_view otherTeam = "Q4RT8WZ2LP";
constexpr std::string_view notesID = "com.velmar.Notes";

CodeSigner::Key keyFile(const char* name) {
    return *CodeSigner::Key::fromKeyFile(fs::path(KESTLE_TEST_DATA_DIR) / name);
}
const CodeSigner::Key& velmarKey() {
    static const CodeSigner::Key key = keyFile("test-signing.key");
    return key;
}
const CodeSigner::Key& otherKey() {
    static const CodeSigner::Key key = keyFile("other-signing.key");
    return key;
}
// A test-only notary, from a fixed seed.
const CodeSigner::Key& notaryKey() {
    static const CodeSigner::Key key =
        *CodeSigner::Key::fromKeyFileText(kestle::Base64::encode(std::string(32, 'n')));
    return key;
}

CodeCheck::Anchors anchors() {
    CodeCheck::Anchors anchors;
    anchors.teams.emplace(CodeCheck::velmarTeam, velmarKey().publicKey());
    anchors.teams.emplace(otherTeam, otherKey().publicKey());
    anchors.notary = notaryKey().publicKey();
    return anchors;
}

void writeFile(const fs::path& file, const std::string& text, fs::perms mode = fs::perms(0644)) {
    TempFolder::writeText(file, text);
    fs::permissions(file, mode);
}

// A small bundle shaped like a real one: an executable, resources, a versioned
// framework reached through links, and names that need escaping in the manifest.
fs::path makeBundle(const TempFolder& folder) {
    fs::path app = folder / "Notes.app";
    fs::path contents = app / "Contents";
    writeFile(contents / "Info.plist", "<plist><dict/></plist>\n");
    writeFile(contents / "MacOS" / "Notes", std::string(70000, 'x'), fs::perms(0755));
    writeFile(contents / "Resources" / "en.lproj" / "Main strings%1", "\"a\" = \"b\";\n");
    writeFile(contents / "Resources" / "new\nline\xff", "odd name");
    fs::path framework = contents / "Frameworks" / "Kit.framework";
    writeFile(framework / "Versions" / "A" / "Kit", "kit code", fs::perms(0755));
    fs::create_directory_symlink("A", framework / "Versions" / "Current");
    fs::create_symlink("Versions/Current/Kit", framework / "Kit");
    return app;
}

fs::path signedBundle(const TempFolder& folder, bool notarized = false) {
    fs::path app = makeBundle(folder);
    auto sealed = CodeSigner::sign(app, notesID, CodeCheck::velmarTeam, velmarKey(),
                                   notarized ? &notaryKey() : nullptr);
    EXPECT_TRUE(sealed.has_value()) << kestle::describe(sealed.error());
    return app;
}

std::optional<CodeCheckError> failureOf(const fs::path& app, const std::string& requirement) {
    auto result = CodeCheck::check(app, requirement, anchors());
    return result ? std::nullopt : std::optional(result.error());
}

std::string developerID() {
    return CodeCheck::developerIDRequirement(CodeCheck::velmarTeam, notesID);
}

TEST(CodeCheck, DeveloperIDRequirementIsTheFixedText) {
    EXPECT_EQ(CodeCheck::developerIDRequirement("T", "B"),
              "identifier \"B\" and anchor apple generic and certificate "
              "1[field.1.2.840.113635.100.6.2.6] exists and certificate "
              "leaf[field.1.2.840.113635.100.6.1.13] exists and certificate leaf[subject.OU] = "
              "\"T\"");
    EXPECT_EQ(CodeCheck::velmarTeam, "K7VQ3ZD8XM");
}

TEST(CodeCheck, RejectsEveryChangeToASignedBundle) {
    using Change = std::function<void(const fs::path& contents)>;
    struct Case {
        const char* fault;
        Change change;
        std::optional<CodeCheckError> expected;
    };
    auto rejected = [](int32_t status) { return CodeCheckError::rejected(status); };
    const std::vector<Case> cases = {
        {"untouchedBundleRejected", [](const fs::path&) {}, std::nullopt},
        {"singleByteChangeMissed",
         [](const fs::path& c) {
             std::string code(70000, 'x');
             code[69999] = 'y';
             writeFile(c / "MacOS" / "Notes", code, fs::perms(0755));
         },
         rejected(Status::fileModified)},
        {"oddlyNamedFileNotCovered",
         [](const fs::path& c) { writeFile(c / "Resources" / "new\nline\xff", "odd namf"); },
         rejected(Status::fileModified)},
        {"executableBitIgnored",
         [](const fs::path& c) { fs::permissions(c / "MacOS" / "Notes", fs::perms(0644)); },
         rejected(Status::fileModified)},
        {"addedFileMissed", [](const fs::path& c) { writeFile(c / "MacOS" / "helper", "evil"); },
         rejected(Status::fileAdded)},
        {"addedEmptyFolderMissed", [](const fs::path& c) { fs::create_directory(c / "PlugIns"); },
         rejected(Status::fileAdded)},
        {"fileHiddenInSignatureFolder",
         [](const fs::path& c) { writeFile(c / "_CodeSignature" / "payload", "evil"); },
         rejected(Status::fileAdded)},
        {"removedFileMissed", [](const fs::path& c) { fs::remove(c / "Info.plist"); },
         rejected(Status::fileMissing)},
        {"linkTargetChangeMissed",
         [](const fs::path& c) {
             fs::path link = c / "Frameworks" / "Kit.framework" / "Versions" / "Current";
             fs::remove(link);
             fs::create_directory_symlink("B", link);
         },
         rejected(Status::fileModified)},
        {"fileReplacedByLinkFollowed",
         [](const fs::path& c) {
             fs::rename(c / "Info.plist", c / "Resources" / "Info.plist");
             fs::create_symlink("Resources/Info.plist", c / "Info.plist");
         },
         rejected(Status::fileModified)},
        {"fifoHangsOrPasses",
         [](const fs::path& c) {
             fs::remove(c / "Info.plist");
             ASSERT_EQ(mkfifo((c / "Info.plist").c_str(), 0644), 0);
         },
         rejected(Status::fileUnsupported)},
        {"editedManifestTrusted",
         [](const fs::path& c) {
             fs::path manifest = c / "_CodeSignature" / "CodeManifest";
             std::string text = TempFolder::readText(manifest);
             text.replace(text.find("Notes x 70000"), 13, "Notes x 70001");
             writeFile(manifest, text);
         },
         rejected(Status::signatureInvalid)},
        {"otherKeyAcceptedForTeam",
         [](const fs::path& c) {
             ASSERT_TRUE(
                 CodeSigner::sign(c.parent_path(), notesID, CodeCheck::velmarTeam, otherKey()));
         },
         rejected(Status::signatureInvalid)},
        {"unknownTeamTrusted",
         [](const fs::path& c) {
             ASSERT_TRUE(CodeSigner::sign(c.parent_path(), notesID, "ZZZZZZZZZZ", otherKey()));
         },
         rejected(Status::untrustedTeam)},
        {"otherTeamsAppPasses",
         [](const fs::path& c) {
             ASSERT_TRUE(CodeSigner::sign(c.parent_path(), notesID, otherTeam, otherKey()));
         },
         rejected(Status::requirementUnsatisfied)},
        {"wrongIdentifierPasses",
         [](const fs::path& c) {
             ASSERT_TRUE(CodeSigner::sign(c.parent_path(), "com.velmar.Other",
                                          CodeCheck::velmarTeam, velmarKey()));
         },
         rejected(Status::requirementUnsatisfied)},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.fault);
        TempFolder folder;
        fs::path app = signedBundle(folder);
        test.change(app / "Contents");
        EXPECT_EQ(failureOf(app, developerID()), test.expected);
    }
}

TEST(CodeCheck, EvaluatesRequirements) {
    TempFolder folder;
    fs::path app = signedBundle(folder);
    auto invalid = CodeCheckError::invalidRequirement(Status::requirementSyntax);
    auto unsatisfied = CodeCheckError::rejected(Status::requirementUnsatisfied);
    struct Case {
        const char* fault;
        std::string requirement;
        std::optional<CodeCheckError> expected;
    };
    const std::vector<Case> cases = {
        {"developerIDRefused", developerID(), std::nullopt},
        {"otherTeamAccepted", CodeCheck::developerIDRequirement(otherTeam, notesID), unsatisfied},
        {"otherIdentifierAccepted",
         CodeCheck::developerIDRequirement(CodeCheck::velmarTeam, "com.velmar.Other"), unsatisfied},
        {"whitespaceOrEqualsRefused", "identifier=\"com.velmar.Notes\"\n\tand anchor apple generic",
         std::nullopt},
        {"authorityFieldOnWrongCertificate",
         "certificate leaf[field.1.2.840.113635.100.6.2.6] exists", unsatisfied},
        {"negativeIndexNotFromRoot", "certificate -2[field.1.2.840.113635.100.6.2.6] exists",
         std::nullopt},
        {"certificateOutOfRangeHolds", "certificate 7[subject.OU] exists", unsatisfied},
        {"notarizationAssumed", "notarized", unsatisfied},
        {"quoteInIdentifierCompiles",
         CodeCheck::developerIDRequirement(CodeCheck::velmarTeam, "com.velmar\"Notes"), invalid},
        {"twoQuotesInTeamCompile", CodeCheck::developerIDRequirement("K7\"VQ\"3ZD8XM", notesID),
         invalid},
        {"unterminatedString", "identifier \"com.velmar.Notes", invalid},
        {"unquotedValue", "certificate leaf[subject.OU] = K7VQ3ZD8XM", invalid},
        {"orUnderstood", "identifier \"a\" or identifier \"com.velmar.Notes\"", invalid},
        {"anchorAppleAlone", "anchor apple", invalid},
        {"danglingAnd", "notarized and", invalid},
        {"emptyRequirement", "  ", invalid},
        {"oidOfOneArc", "certificate leaf[field.1] exists", invalid},
        {"unknownKey", "certificate leaf[issuer.OU] exists", invalid},
        {"unclosedBracket", "certificate leaf[subject.OU exists", invalid},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.fault);
        EXPECT_EQ(failureOf(app, test.requirement), test.expected);
    }
}

TEST(CodeCheck, UnsignedOrMissingBundlesAreUnreadable) {
    using Setup = std::function<fs::path(const TempFolder&)>;
    struct Case {
        const char* fault;
        Setup setup;
        int32_t status;
    };
    auto signatureFile = [](const TempFolder& folder, const char* name) {
        return folder / "Notes.app" / "Contents" / "_CodeSignature" / name;
    };
    const std::vector<Case> cases = {
        {"missingPath", [](const TempFolder& f) { return f / "Nothing.app"; }, Status::notABundle},
        {"plainFile",
         [](const TempFolder& f) {
             writeFile(f / "Notes.app", "not a folder");
             return f / "Notes.app";
         },
         Status::notABundle},
        {"bundleReachedThroughLink",
         [](const TempFolder& f) {
             fs::path app = signedBundle(f);
             fs::create_directory_symlink(app, f / "Link.app");
             return f / "Link.app";
         },
         Status::notABundle},
        {"neverSigned", [](const TempFolder& f) { return makeBundle(f); }, Status::notSigned},
        {"signatureFileMissing",
         [&](const TempFolder& f) {
             fs::path app = signedBundle(f);
             fs::remove(signatureFile(f, "CodeSignature"));
             return app;
         },
         Status::notSigned},
        {"garbageManifest",
         [&](const TempFolder& f) {
             fs::path app = signedBundle(f);
             writeFile(signatureFile(f, "CodeManifest"), "\x7f"
                                                         "ELF garbage");
             return app;
         },
         Status::badManifest},
        {"manifestIsAFolder",
         [&](const TempFolder& f) {
             fs::path app = signedBundle(f);
             fs::remove(signatureFile(f, "CodeManifest"));
             fs::create_directory(signatureFile(f, "CodeManifest"));
             return app;
         },
         Status::badManifest},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.fault);
        TempFolder folder;
        fs::path app = test.setup(folder);
        // Opening comes before compiling: a bad requirement does not mask it.
        EXPECT_EQ(failureOf(app, "notarized"), CodeCheckError::unreadable(test.status));
        EXPECT_EQ(failureOf(app, "identifier \"x"), CodeCheckError::unreadable(test.status));
    }
}

TEST(CodeCheck, NotarizedOnlyWithAValidNotarySignature) {
    TempFolder notarizedFolder, plainFolder, resignedFolder, tamperedFolder;
    fs::path notarized = signedBundle(notarizedFolder, true);
    EXPECT_TRUE(CodeCheck::isNotarized(notarized, anchors()));
    EXPECT_TRUE(CodeCheck::checkDeveloperID(notarized, CodeCheck::velmarTeam, notesID, anchors()));

    EXPECT_FALSE(CodeCheck::isNotarized(signedBundle(plainFolder), anchors()));

    // Signing again without the notary must not leave the old notary signature behind.
    fs::path resigned = signedBundle(resignedFolder, true);
    ASSERT_TRUE(CodeSigner::sign(resigned, notesID, CodeCheck::velmarTeam, velmarKey()));
    EXPECT_FALSE(CodeCheck::isNotarized(resigned, anchors()));

    fs::path tampered = signedBundle(tamperedFolder, true);
    writeFile(tampered / "Contents" / "Info.plist", "changed");
    EXPECT_FALSE(CodeCheck::isNotarized(tampered, anchors()));

    auto noNotary = anchors();
    noNotary.notary.reset();
    EXPECT_FALSE(CodeCheck::isNotarized(notarized, noNotary));
}

TEST(CodeCheck, LinksMustStayInsideTheBundle) {
    using Entry = BundleManifest::Entry;
    auto link = [](std::string path, std::string target) {
        return Entry{std::move(path), Entry::Type::link, false, 0, {}, std::move(target)};
    };
    struct Case {
        const char* fault;
        std::vector<Entry> entries; // sorted by path
        std::optional<std::string> escaping;
    };
    const std::vector<Case> cases = {
        {"siblingRefused", {link("Contents/Current", "A/../B/./C")}, std::nullopt},
        {"absoluteAccepted", {link("Contents/Kit", "/usr/lib/kit")}, "Contents/Kit"},
        {"climbingAccepted", {link("Contents/Kit", "../../Other.app")}, "Contents/Kit"},
        // Lexically "Contents/Up/../.." is the bundle; really Up is the bundle already.
        {"linkThenClimbAccepted",
         {link("Contents/Jump", "Up/../.."), link("Contents/Up", "..")},
         "Contents/Jump"},
        {"loopAccepted", {link("Contents/A", "B/x"), link("Contents/B", "A/x")}, "Contents/A"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.fault);
        EXPECT_EQ(BundleManifest::escapingLink(test.entries), test.escaping);
    }

    TempFolder folder;
    fs::path app = makeBundle(folder);
    fs::create_symlink("/etc/passwd", app / "Contents" / "Resources" / "passwd");
    auto sealed = CodeSigner::sign(app, notesID, CodeCheck::velmarTeam, velmarKey());
    ASSERT_FALSE(sealed);
    EXPECT_EQ(sealed.error().kind, kestle::CodeSignError::Kind::linkLeavesBundle);
}

TEST(CodeCheck, ManifestParserAcceptsOnlyTheCanonicalForm) {
    const std::string head = "kestle-code-manifest 1\nidentifier a\nteam T\n";
    const std::string digest(64, 'a');
    struct Case {
        const char* fault;
        std::string text;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"canonicalRefused", head + "folder A\nfile A/b%20c x 12 " + digest + "\n", true},
        {"unsortedAccepted", head + "folder B\nfolder A\n", false},
        {"duplicateAccepted", head + "folder A\nfolder A\n", false},
        {"dotDotAccepted", head + "link A/../b c\n", false},
        {"signatureFolderSealed", head + "file Contents/_CodeSignature/x - 1 " + digest + "\n",
         false},
        {"lowerCaseEscapeAccepted", head + "folder a%2a\n", false},
        {"needlessEscapeAccepted", head + "folder %41\n", false},
        {"nulAccepted", head + "folder a%00b\n", false},
        {"upperCaseDigestAccepted", head + "file a - 1 " + std::string(64, 'A') + "\n", false},
        {"leadingZeroSizeAccepted", head + "file a - 01 " + digest + "\n", false},
        {"missingFinalNewlineAccepted", head + "folder A", false},
        {"emptyIdentifierAccepted", "kestle-code-manifest 1\nidentifier \nteam T\n", false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.fault);
        auto parsed = BundleManifest::parse(test.text);
        EXPECT_EQ(parsed.has_value(), test.valid);
        if (parsed) {
            EXPECT_EQ(parsed->encode(), test.text);
        }
    }
}

TEST(CodeCheck, SignerToolSealsABundle) {
    TempFolder folder;
    fs::path app = makeBundle(folder);
    auto run = [](std::vector<std::string> args) {
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
            return -1;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    std::string key = std::string(KESTLE_TEST_DATA_DIR) + "/test-signing.key";
    EXPECT_EQ(run({KESTLE_CODESIGN_TOOL, "sign", "--team", "K7VQ3ZD8XM", app.string()}), 2);
    EXPECT_EQ(run({KESTLE_CODESIGN_TOOL, "sign", "--team", "K7VQ3ZD8XM", "--identifier",
                   std::string(notesID), "--key", key, app.string()}),
              0);
    EXPECT_EQ(failureOf(app, developerID()), std::nullopt);
}

} // namespace
