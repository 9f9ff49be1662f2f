#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace kestle {

// Why a value did not decode: where in the document, and what was wrong.
struct DecodingError {
    std::string codingPath;
    std::string description;

    friend bool operator==(const DecodingError&, const DecodingError&) = default;
};

// Readers of one member of a JSON object, with the strictness of a typed decoder:
// a required member must be present, not null and of the right type. Text members
// are moved out of the document, which decoding consumes.
namespace json {

using Value = nlohmann::json;

std::expected<Value*, DecodingError> member(Value& object, std::string_view key,
                                            std::string_view path);
std::expected<std::string, DecodingError> requiredString(Value& object, std::string_view key,
                                                         std::string_view path);
std::expected<int64_t, DecodingError> requiredInteger(Value& object, std::string_view key,
                                                      std::string_view path);
// Absent or null give nothing; any other non-string is an error.
std::expected<std::optional<std::string>, DecodingError>
optionalString(Value& object, std::string_view key, std::string_view path);
// Absent or null give false.
std::expected<bool, DecodingError> optionalBool(Value& object, std::string_view key,
                                                std::string_view path);

// Deeper than any document the core reads (a catalog nests four deep), and shallow
// enough that a hostile document is refused after a few bytes instead of being built.
inline constexpr size_t maxDepth = 64;

// The events of one document, for readers that keep only what they need. Events not
// overridden are accepted and ignored; returning false from any of them stops the read.
class Events : public nlohmann::json_sax<Value> {
public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::json::exception&) final {
        return false;
    }
};

// Every JSON document the core reads goes through here. Feeds the events of bytes to
// events, refusing the document the moment it nests deeper than maxDepth. False when
// the bytes are not one well-formed document, nest too deep, or events stopped the read.
bool read(std::string_view bytes, Events& events);

// The whole document as a tree, through read; nothing when read refuses it.
std::optional<Value> parse(std::string_view bytes);

std::string joinPath(std::string_view path, std::string_view key);

} // namespace json
} // namespace kestle
