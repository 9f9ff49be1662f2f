#include "feeds/Feed.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>
#include <string>

#include <expat.h>

#include "feeds/FeedDate.hpp"
#include "feeds/Version.hpp"
#include "feeds/XmlMemoryBudget.hpp"
#include "support/TextTrim.hpp"

namespace kestle {
namespace {

// Bounds on what a feed may make the reader hold, far above anything publishers write.
constexpr int kMaxDepth = 256;
// Release notes kept per item, language codes included; the rest is dropped.
constexpr size_t kMaxItemNotes = 1 << 20;
// A version, date, address or language code longer than this is left out.
constexpr size_t kMaxValue = 64 << 10;
// Items past this many are dropped.
constexpr size_t kMaxItems = 10'000;
// Expat may hold as much as the feed's size plus this: its buffer, one chunk, names.
constexpr size_t kParserSlack = 4 << 20;
// Bytes handed to expat at a time, so that it copies only what it has not finished
// instead of the whole feed.
constexpr size_t kChunk = 512 << 10;

// The element texts and enclosure attributes items are built from. Anything else in
// an item is never read, so it is not kept.
enum Field {
    fieldVersion,
    fieldShortVersion,
    fieldMinimumSystem,
    fieldHardware,
    fieldChannel,
    fieldDate,
    fieldCount
};
constexpr std::array<std::string_view, fieldCount> kFieldNames = {"sparkle:version",
                                                                  "sparkle:shortVersionString",
                                                                  "sparkle:minimumSystemVersion",
                                                                  "sparkle:hardwareRequirements",
                                                                  "sparkle:channel",
                                                                  "pubDate"};

enum Attribute {
    attributeUrl,
    attributeLength,
    attributeVersion,
    attributeShortVersion,
    attributeSignature,
    attributeCount
};
constexpr std::array<std::string_view, attributeCount> kAttributeNames = {
    "url", "length", "sparkle:version", "sparkle:shortVersionString", "sparkle:edSignature"};

template <size_t N>
int indexOf(const std::array<std::string_view, N>& names, std::string_view name) {
    for (size_t i = 0; i < N; ++i) {
        if (names[i] == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// An optional text whose buffer outlives being emptied, so items after the first
// allocate nothing while they are read.
struct Slot {
    std::string value;
    bool present = false;

    void set(std::string_view text) {
        value.assign(text);
        present = true;
    }
    std::optional<std::string> get() const {
        return present ? std::optional<std::string>(value) : std::nullopt;
    }
};

// The text without white space or line breaks at its ends. Feed text is nearly always
// ASCII there, so the Unicode-aware trim runs only when an end is not.
std::string_view trimmed(std::string_view text) {
    auto isAsciiSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!text.empty() && isAsciiSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isAsciiSpace(text.back())) {
        text.remove_suffix(1);
    }
    if (!text.empty() && (static_cast<unsigned char>(text.front()) >= 0x80 ||
                          static_cast<unsigned char>(text.back()) >= 0x80)) {
        return trimmedWhitespaceAndNewlines(text);
    }
    return text;
}

// The longest start of text, at most limit bytes, that ends at a character boundary.
std::string_view cutAtCharacter(std::string_view text, size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    while (limit > 0 && (static_cast<unsigned char>(text[limit]) & 0xC0) == 0x80) {
        --limit;
    }
    return text.substr(0, limit);
}

// Decimal with an optional sign, digits only, within 64 bits.
std::optional<int64_t> parseLength(std::string_view text) {
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    // from_chars takes a '-' but not a '+'.
    std::string_view number = text.front() == '+' ? digits : text;
    int64_t value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc{} || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return value;
}

// Pieces between white space of any kind, line breaks included.
std::vector<std::string> splitAtWhitespace(std::string_view text) {
    std::vector<std::string> pieces;
    size_t i = 0;
    while (i < text.size()) {
        i += leadingSpaceLength(text.substr(i), true);
        size_t start = i;
        while (i < text.size() && leadingSpaceLength(text.substr(i), true) == 0) {
            // Step over one whole UTF-8 sequence so a break is only looked for at the
            // start of a character.
            ++i;
            while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) {
                ++i;
            }
        }
        if (i > start) {
            pieces.emplace_back(text.substr(start, i - start));
        }
    }
    return pieces;
}

struct ParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

// The state of one parse, driven by expat's callbacks.
class FeedReader {
public:
    std::expected<std::vector<FeedItem>, FeedError> read(std::string_view bytes) {
        // Declared first so that it outlives the parser.
        XmlMemoryBudget memory(bytes.size() + kParserSlack);
        // Namespace processing stays off: names arrive with their prefixes, as written.
        std::unique_ptr<XML_ParserStruct, ParserFree> parser(
            XML_ParserCreate_MM(nullptr, XmlMemoryBudget::hooks(), nullptr));
        if (!parser) {
            return std::unexpected(FeedError::malformed);
        }
        parser_ = parser.get();
        // No external entity handler is set, so external entities are never loaded;
        // parameter entities (the external DTD subset included) are not parsed either.
        XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
        XML_SetUserData(parser_, this);
        XML_SetStartDoctypeDeclHandler(parser_, &FeedReader::onDoctype);
        XML_SetElementHandler(parser_, &FeedReader::onStart, &FeedReader::onEnd);
        XML_SetCharacterDataHandler(parser_, &FeedReader::onText);

        XML_Status status = XML_STATUS_OK;
        size_t offset = 0;
        do {
            size_t length = std::min(kChunk, bytes.size() - offset);
            bool last = offset + length == bytes.size();
            status = XML_Parse(parser_, bytes.data() + offset, static_cast<int>(length),
                               last ? XML_TRUE : XML_FALSE);
            offset += length;
        } while (status == XML_STATUS_OK && offset < bytes.size());
        if (status != XML_STATUS_OK || failed_ || !sawChannel_) {
            return std::unexpected(FeedError::malformed);
        }
        return std::move(items_);
    }

private:
    // Exceptions must not unwind through expat's C frames: each callback stops the
    // parse instead, and the whole feed counts as malformed.
    template <typename Body> static void guarded(void* data, Body&& body) {
        auto* reader = static_cast<FeedReader*>(data);
        if (reader->failed_) {
            return;
        }
        try {
            body(*reader);
        } catch (...) {
            reader->refuse();
        }
    }

    // Feeds never declare anything: declarations of their own (an internal subset) are
    // what entity expansion and default attributes need, so the feed is refused before
    // any is read. A document type that only names an outside definition is harmless,
    // as that is never loaded.
    static void XMLCALL onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
                                  int hasInternalSubset) {
        if (hasInternalSubset) {
            static_cast<FeedReader*>(data)->refuse();
        }
    }

    static void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
        guarded(data, [&](FeedReader& r) { r.start(name, attributes); });
    }
    static void XMLCALL onEnd(void* data, const XML_Char* name) {
        guarded(data, [&](FeedReader& r) { r.end(name); });
    }
    static void XMLCALL onText(void* data, const XML_Char* text, int length) {
        // Text outside an item is always emptied by the item's start before anything
        // reads it, so it is not collected.
        auto* reader = static_cast<FeedReader*>(data);
        if (reader->inItem_) {
            guarded(data, [&](FeedReader& r) {
                r.collect(std::string_view(text, static_cast<size_t>(length)));
            });
        }
    }

    void refuse() {
        if (!failed_) {
            failed_ = true;
            XML_StopParser(parser_, XML_FALSE);
        }
    }

    // No element keeps more than an item's notes may hold, so text past that is
    // dropped as it arrives.
    void collect(std::string_view piece) {
        if (textFull_) {
            return;
        }
        std::string_view kept = cutAtCharacter(piece, kMaxItemNotes - text_.size());
        textFull_ = kept.size() < piece.size();
        text_.append(kept);
    }

    void clearText() {
        text_.clear();
        textFull_ = false;
    }

    void start(std::string_view name, const XML_Char** attributes) {
        if (++depth_ > kMaxDepth) {
            refuse();
            return;
        }
        clearText();
        if (name == "channel") {
            sawChannel_ = true;
        } else if (name == "item") {
            inItem_ = true;
            for (Slot& slot : fields_) {
                slot.present = false;
            }
            for (Slot& slot : enclosure_) {
                slot.present = false;
            }
            notes_.clear();
            notesSize_ = 0;
        } else if (inItem_ && name == "description") {
            noteLanguage_.set("en");
            for (const XML_Char** a = attributes; a[0] != nullptr; a += 2) {
                if (std::string_view(a[0]) == "xml:lang") {
                    if (std::string_view language(a[1]); language.size() <= kMaxValue) {
                        noteLanguage_.set(language);
                    } else {
                        noteLanguage_.present = false;
                    }
                }
            }
        } else if (inItem_ && name == "enclosure") {
            // A later enclosure replaces the whole of an earlier one.
            for (Slot& slot : enclosure_) {
                slot.present = false;
            }
            for (const XML_Char** a = attributes; a[0] != nullptr; a += 2) {
                int index = indexOf(kAttributeNames, a[0]);
                if (std::string_view value(a[1]); index >= 0 && value.size() <= kMaxValue) {
                    enclosure_[static_cast<size_t>(index)].set(value);
                }
            }
        }
    }

    void end(std::string_view name) {
        --depth_;
        if (!inItem_) {
            return;
        }
        if (name == "item") {
            inItem_ = false;
            addItem();
        } else if (name == "description") {
            if (noteLanguage_.present) {
                addNote(noteLanguage_.value, trimmed(text_));
            }
            noteLanguage_.present = false;
        } else if (int index = indexOf(kFieldNames, name); index >= 0) {
            // A value too long to mean anything counts as not written.
            if (std::string_view value = trimmed(text_); value.size() <= kMaxValue) {
                fields_[static_cast<size_t>(index)].set(value);
            }
        }
        clearText();
    }

    // Files the note under its language, cut to what the item's notes may still hold.
    void addNote(const std::string& language, std::string_view value) {
        size_t held = notesSize_;
        auto existing = notes_.find(language);
        if (existing != notes_.end()) {
            held -= existing->first.size() + existing->second.size();
        }
        size_t room = kMaxItemNotes - std::min(kMaxItemNotes, held + language.size());
        value = cutAtCharacter(value, room);
        if (value.empty()) {
            return;
        }
        notes_.insert_or_assign(language, std::string(value));
        notesSize_ = held + language.size() + value.size();
    }

    // Builds the item in place at the end of the list; an item without a usable build
    // is dropped.
    void addItem() {
        const Slot& versionField = fields_[fieldVersion];
        const Slot& versionAttribute = enclosure_[attributeVersion];
        // An element, even an empty one, takes precedence over the attribute.
        const Slot* build = versionField.present       ? &versionField
                            : versionAttribute.present ? &versionAttribute
                                                       : nullptr;
        if (build == nullptr || build->value.empty() || items_.size() == kMaxItems) {
            return;
        }

        FeedItem& item = items_.emplace_back();
        item.build = build->value;
        if (fields_[fieldShortVersion].present) {
            item.version = fields_[fieldShortVersion].value;
        } else if (enclosure_[attributeShortVersion].present) {
            item.version = enclosure_[attributeShortVersion].value;
        } else {
            item.version = item.build;
        }
        item.minimumSystem = fields_[fieldMinimumSystem].get();
        if (fields_[fieldHardware].present) {
            item.hardware = splitAtWhitespace(fields_[fieldHardware].value);
        }
        item.channel = fields_[fieldChannel].get();
        if (fields_[fieldDate].present) {
            item.date = parseFeedDate(fields_[fieldDate].value);
        }
        item.notes = std::move(notes_);
        notes_.clear(); // a moved-from map holds no particular contents
        notesSize_ = 0;
        if (enclosure_[attributeUrl].present) {
            item.download = Url::parse(enclosure_[attributeUrl].value);
        }
        if (enclosure_[attributeLength].present) {
            item.length = parseLength(enclosure_[attributeLength].value);
        }
        item.edSignature = enclosure_[attributeSignature].get();
    }

    XML_Parser parser_ = nullptr;
    bool failed_ = false;
    int depth_ = 0;

    std::vector<FeedItem> items_;
    bool sawChannel_ = false;
    bool inItem_ = false;
    std::string text_;
    bool textFull_ = false;
    std::array<Slot, fieldCount> fields_;
    std::map<std::string, std::string> notes_;
    size_t notesSize_ = 0; // bytes of codes and texts in notes_
    Slot noteLanguage_;
    std::array<Slot, attributeCount> enclosure_;
};

} // namespace

std::expected<std::vector<FeedItem>, FeedError> Feed::items(std::string_view bytes) {
    try {
        FeedReader reader;
        return reader.read(bytes);
    } catch (...) {
        return std::unexpected(FeedError::malformed);
    }
}

namespace {

bool isOffered(const FeedItem& item, std::string_view system, std::string_view architecture) {
    return !item.channel && item.download && item.runs(system, architecture);
}

} // namespace

std::optional<FeedItem> Feed::latest(const std::vector<FeedItem>& items, std::string_view system,
                                     std::string_view architecture) {
    const FeedItem* choice = nullptr;
    for (const FeedItem& item : items) {
        if (!isOffered(item, system, architecture)) {
            continue;
        }
        if (choice == nullptr ||
            Version::compare(choice->build, item.build) == ComparisonResult::ascending) {
            choice = &item;
        }
    }
    if (choice == nullptr) {
        return std::nullopt;
    }
    return *choice;
}

std::vector<const FeedItem*> Feed::earlier(const std::vector<FeedItem>& items,
                                           std::string_view system, std::string_view architecture) {
    std::vector<const FeedItem*> offered;
    for (const FeedItem& item : items) {
        if (isOffered(item, system, architecture)) {
            offered.push_back(&item);
        }
    }
    // Stable, so the first of equal builds comes first; a merge sort also stays within
    // the list whatever odd build texts make of the order.
    std::stable_sort(offered.begin(), offered.end(), [](const FeedItem* a, const FeedItem* b) {
        return Version::isNewer(a->build, b->build);
    });
    std::vector<const FeedItem*> out;
    for (size_t i = 1; i < offered.size(); ++i) {
        // Compared with the newest rather than the previous, so nothing kept is ever
        // as new as the latest, even where the texts do not order consistently.
        const FeedItem* previous = out.empty() ? offered.front() : out.back();
        if (Version::isNewer(offered.front()->build, offered[i]->build) &&
            Version::isNewer(previous->build, offered[i]->build)) {
            out.push_back(offered[i]);
        }
    }
    return out;
}

} // namespace kestle
