#pragma once

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

// Parses bytes without throwing; nothing for malformed documents.
std::optional<Value> parse(std::string_view bytes);

std::string joinPath(std::string_view path, std::string_view key);

} // namespace json
} // namespace kestle
