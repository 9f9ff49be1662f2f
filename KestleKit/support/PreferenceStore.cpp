#include "support/PreferenceStore.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <limits>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <plist/plist.h>

#include "support/AtomicFile.hpp"
#include "support/PropertyList.hpp"

namespace kestle {
namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

// Property-list dates count from 2001-01-01 00:00:00 UTC.
constexpr int64_t referenceDateUnixSeconds = 978307200;

template <typename T> std::optional<T> typed(const PreferenceStore& store, std::string_view key) {
    try {
        auto found = store.value(key);
        if (auto* value = found ? std::get_if<T>(&*found) : nullptr) {
            return std::move(*value);
        }
    } catch (...) {
        // Only allocation can throw here; an unreadable value is an absent one.
    }
    return std::nullopt;
}

bool hasNul(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

std::string text(plist_t node) {
    uint64_t length = 0;
    const char* bytes = plist_get_string_ptr(node, &length);
    return bytes ? std::string(bytes, static_cast<size_t>(length)) : std::string();
}

PreferenceDate dateFrom(plist_t node) {
    int32_t sec = 0;
    int32_t usec = 0;
    plist_get_date_val(node, &sec, &usec);
    // libplist 2.2 truncates toward zero and drops the fraction's sign: before the
    // reference date the fraction counts back. Our own files hold whole seconds.
    auto fraction = std::chrono::microseconds(sec < 0 ? -int64_t(usec) : int64_t(usec));
    return PreferenceDate(seconds(referenceDateUnixSeconds + sec)) +
           std::chrono::duration_cast<PreferenceDate::duration>(fraction);
}

plist_t dateNode(PreferenceDate date) {
    // The XML form keeps whole seconds: round down here so that the value read back
    // now is the one read after a reopen.
    int64_t sec =
        std::chrono::floor<seconds>(date.time_since_epoch()).count() - referenceDateUnixSeconds;
    sec = std::clamp<int64_t>(sec, std::numeric_limits<int32_t>::min(),
                              std::numeric_limits<int32_t>::max());
    return plist_new_date(static_cast<int32_t>(sec), 0);
}

// The value a node holds, when it is one of the five types.
std::optional<PreferenceValue> valueOf(plist_t node) {
    switch (plist_get_node_type(node)) {
    case PLIST_STRING:
        return text(node);
    case PLIST_BOOLEAN: {
        uint8_t flag = 0;
        plist_get_bool_val(node, &flag);
        return flag != 0;
    }
    case PLIST_DATE:
        return dateFrom(node);
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        auto* begin = reinterpret_cast<const uint8_t*>(bytes);
        return bytes ? std::vector<uint8_t>(begin, begin + length) : std::vector<uint8_t>();
    }
    case PLIST_ARRAY: {
        std::vector<std::string> list;
        uint32_t size = plist_array_get_size(node);
        for (uint32_t i = 0; i < size; ++i) {
            plist_t element = plist_array_get_item(node, i);
            if (element == nullptr || plist_get_node_type(element) != PLIST_STRING) {
                return std::nullopt;
            }
            list.push_back(text(element));
        }
        return list;
    }
    default:
        return std::nullopt;
    }
}

struct NodeFree {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using Node = std::unique_ptr<void, NodeFree>;

// A new node for value; nothing for text libplist would cut at a NUL.
Node nodeOf(const PreferenceValue& value) {
    struct Make {
        Node operator()(const std::string& s) const {
            return hasNul(s) ? nullptr : Node(plist_new_string(s.c_str()));
        }
        Node operator()(bool b) const { return Node(plist_new_bool(b ? 1 : 0)); }
        Node operator()(PreferenceDate d) const { return Node(dateNode(d)); }
        Node operator()(const std::vector<uint8_t>& d) const {
            const char* bytes = d.empty() ? "" : reinterpret_cast<const char*>(d.data());
            return Node(plist_new_data(bytes, d.size()));
        }
        Node operator()(const std::vector<std::string>& list) const {
            Node array(plist_new_array());
            for (const auto& s : list) {
                if (hasNul(s)) {
                    return nullptr;
                }
                plist_array_append_item(array.get(), plist_new_string(s.c_str()));
            }
            return array;
        }
    };
    return std::visit(Make{}, value);
}

std::string utcStamp() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    char stamp[32] = "unknown-time";
    if (::gmtime_r(&now, &parts) != nullptr) {
        std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &parts);
    }
    return stamp;
}

// Renames file out of the way without replacing anything; its new path, or nothing.
std::optional<fs::path> keepAside(const fs::path& file) {
    const std::string base = file.string() + ".corrupt-" + utcStamp();
    // Several bad opens within one second each get their own name; the bound only
    // keeps a pathological folder from spinning.
    for (int n = 1; n <= 1000; ++n) {
        std::string name = n == 1 ? base : base + "-" + std::to_string(n);
        if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) {
            return name;
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Creates folder and its missing parents, private to the user as XDG asks.
bool makeFolders(const fs::path& folder) {
    if (folder.empty()) {
        return true;
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode);
    }
    if (errno != ENOENT) {
        return false;
    }
    auto parent = folder.parent_path();
    if (parent != folder && !makeFolders(parent)) {
        return false;
    }
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

} // namespace

std::optional<std::string> PreferenceStore::string(std::string_view key) const {
    return typed<std::string>(*this, key);
}

std::optional<bool> PreferenceStore::boolean(std::string_view key) const {
    return typed<bool>(*this, key);
}

std::optional<PreferenceDate> PreferenceStore::date(std::string_view key) const {
    return typed<PreferenceDate>(*this, key);
}

std::optional<std::vector<uint8_t>> PreferenceStore::data(std::string_view key) const {
    return typed<std::vector<uint8_t>>(*this, key);
}

std::optional<std::vector<std::string>> PreferenceStore::strings(std::string_view key) const {
    return typed<std::vector<std::string>>(*this, key);
}

MemoryPreferences::MemoryPreferences(std::map<std::string, PreferenceValue, std::less<>> values)
    : values_(std::move(values)) {}

std::optional<PreferenceValue> MemoryPreferences::value(std::string_view key) const {
    try {
        std::lock_guard lock(mutex_);
        auto found = values_.find(key);
        if (found != values_.end()) {
            return found->second;
        }
    } catch (...) {
        // Only allocation can throw here.
    }
    return std::nullopt;
}

void MemoryPreferences::set(std::string_view key, PreferenceValue value) {
    try {
        std::lock_guard lock(mutex_);
        values_.insert_or_assign(std::string(key), std::move(value));
    } catch (...) {
        // Only allocation can throw here; the store keeps what it had.
    }
}

void MemoryPreferences::remove(std::string_view key) {
    std::lock_guard lock(mutex_);
    if (auto found = values_.find(key); found != values_.end()) {
        values_.erase(found);
    }
}

struct FilePreferences::Tree {
    Node root{plist_new_dict()};

    plist_t item(std::string_view key) const {
        return hasNul(key) ? nullptr : plist_dict_get_item(root.get(), std::string(key).c_str());
    }
};

FilePreferences::FilePreferences(std::filesystem::path file)
    : file_(std::move(file)), tree_(std::make_unique<Tree>()) {
    struct stat info {};
    if (::lstat(file_.c_str(), &info) != 0) {
        return; // nothing there yet (or out of reach, which the first write reports)
    }
    try {
        auto bytes = AtomicFile::read(file_, PropertyList::maxBytes);
        auto list = bytes ? PropertyList::parse(*bytes) : std::nullopt;
        if (list && list->isDictionary()) {
            tree_->root.reset(plist_copy(list->root()));
            return;
        }
        keptAside_ = keepAside(file_);
    } catch (...) {
        // Only allocation can throw here; the file stays where it is.
    }
    // What could not be moved away may still be the user's settings: never replace it.
    writable_ = keptAside_.has_value();
}

FilePreferences::~FilePreferences() = default;

bool FilePreferences::lastWriteFailed() const {
    std::lock_guard lock(mutex_);
    return lastWriteFailed_;
}

std::optional<PreferenceValue> FilePreferences::value(std::string_view key) const {
    try {
        std::lock_guard lock(mutex_);
        if (plist_t node = tree_->item(key)) {
            return valueOf(node);
        }
    } catch (...) {
        // Only allocation can throw here.
    }
    return std::nullopt;
}

void FilePreferences::set(std::string_view key, PreferenceValue value) {
    std::lock_guard lock(mutex_);
    try {
        Node node = nodeOf(value);
        if (!node || hasNul(key)) {
            lastWriteFailed_ = true;
            return;
        }
        plist_dict_set_item(tree_->root.get(), std::string(key).c_str(), node.release());
        lastWriteFailed_ = !write();
    } catch (...) {
        lastWriteFailed_ = true;
    }
}

void FilePreferences::remove(std::string_view key) {
    std::lock_guard lock(mutex_);
    try {
        if (tree_->item(key) == nullptr) {
            lastWriteFailed_ = false;
            return;
        }
        plist_dict_remove_item(tree_->root.get(), std::string(key).c_str());
        lastWriteFailed_ = !write();
    } catch (...) {
        lastWriteFailed_ = true;
    }
}

bool FilePreferences::write() {
    if (!writable_) {
        return false;
    }
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(tree_->root.get(), &xml, &length);
    if (xml == nullptr) {
        return false;
    }
    std::unique_ptr<char, decltype(&std::free)> owned(xml, &std::free);
    std::string_view bytes(xml, length);
    // Never write what the next open would refuse and move aside (too large, say).
    if (!PropertyList::parse(bytes)) {
        return false;
    }
    return makeFolders(file_.parent_path()) && AtomicFile::write(file_, bytes, 0600);
}

} // namespace kestle
