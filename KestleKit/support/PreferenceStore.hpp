#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kestle {

using PreferenceDate = std::chrono::system_clock::time_point;
using PreferenceValue =
    std::variant<std::string, bool, PreferenceDate, std::vector<uint8_t>, std::vector<std::string>>;

// An application's lasting settings: keys to property-list values (text, boolean,
// date, data, list of text). Safe to use from any thread.
class PreferenceStore {
public:
    virtual ~PreferenceStore() = default;

    virtual std::optional<PreferenceValue> value(std::string_view key) const = 0;
    virtual void set(std::string_view key, PreferenceValue value) = 0;
    virtual void remove(std::string_view key) = 0;

    // Typed reads: nothing when absent or when the stored value has another type.
    std::optional<std::string> string(std::string_view key) const;
    std::optional<bool> boolean(std::string_view key) const;
    std::optional<PreferenceDate> date(std::string_view key) const;
    std::optional<std::vector<uint8_t>> data(std::string_view key) const;
    std::optional<std::vector<std::string>> strings(std::string_view key) const;
};

// In memory, for tests and for running without a writable home. Keeps every value
// exactly as given.
class MemoryPreferences final : public PreferenceStore {
public:
    MemoryPreferences() = default;
    explicit MemoryPreferences(std::map<std::string, PreferenceValue, std::less<>> values);

    std::optional<PreferenceValue> value(std::string_view key) const override;
    void set(std::string_view key, PreferenceValue value) override;
    void remove(std::string_view key) override;

private:
    mutable std::mutex mutex_;
    std::map<std::string, PreferenceValue, std::less<>> values_;
};

// One XML property-list file, read once when opened and rewritten atomically on every
// change. What the file holds beyond the five types (numbers, nested dictionaries,
// arrays of other things) reads as absent but is written back untouched.
//
// The file's format bounds what it keeps: dates to whole seconds (earlier moment)
// between 1932-12-13 and 2069-01-19 (clamped), and no NUL in keys or text (such a
// set is refused and reported like a failed write).
class FilePreferences final : public PreferenceStore {
public:
    // A file that exists but cannot be read, does not parse or whose root is not a
    // dictionary is renamed to "<name>.corrupt-<UTC time>" (never deleted) and the
    // store starts empty. If it cannot be moved aside, the store never writes over it.
    explicit FilePreferences(std::filesystem::path file);
    ~FilePreferences() override;
    FilePreferences(const FilePreferences&) = delete;
    FilePreferences& operator=(const FilePreferences&) = delete;

    const std::filesystem::path& file() const { return file_; }
    // Where an unreadable file was moved when the store was opened, for a warning.
    const std::optional<std::filesystem::path>& keptAside() const { return keptAside_; }
    // Whether the last set or remove failed to reach the file. The value stays set in
    // memory and the file keeps its previous content.
    bool lastWriteFailed() const;

    std::optional<PreferenceValue> value(std::string_view key) const override;
    void set(std::string_view key, PreferenceValue value) override;
    void remove(std::string_view key) override;

private:
    struct Tree;

    bool write(); // with mutex_ held

    std::filesystem::path file_;
    std::optional<std::filesystem::path> keptAside_;
    bool writable_ = true;
    bool lastWriteFailed_ = false;
    mutable std::mutex mutex_;
    std::unique_ptr<Tree> tree_;
};

} // namespace kestle
