#include "catalog/JsonDecoding.hpp"

#include <cmath>
#include <limits>

namespace kestle::json {
namespace {

DecodingError missing(std::string_view path, std::string_view key) {
    return {joinPath(path, key), "No value associated with key \"" + std::string(key) + "\""};
}

DecodingError typeMismatch(std::string_view path, std::string_view key, std::string_view expected) {
    return {joinPath(path, key), "Expected to decode " + std::string(expected)};
}

} // namespace

std::string joinPath(std::string_view path, std::string_view key) {
    if (path.empty()) {
        return std::string(key);
    }
    std::string out(path);
    out += '.';
    out += key;
    return out;
}

std::expected<Value*, DecodingError> member(Value& object, std::string_view key,
                                            std::string_view path) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        return std::unexpected(missing(path, key));
    }
    return &*it;
}

std::expected<std::string, DecodingError> requiredString(Value& object, std::string_view key,
                                                         std::string_view path) {
    auto value = member(object, key, path);
    if (!value) {
        return std::unexpected(value.error());
    }
    if (!(*value)->is_string()) {
        return std::unexpected(typeMismatch(path, key, "String"));
    }
    return std::move((*value)->get_ref<std::string&>());
}

std::expected<int64_t, DecodingError> requiredInteger(Value& object, std::string_view key,
                                                      std::string_view path) {
    auto value = member(object, key, path);
    if (!value) {
        return std::unexpected(value.error());
    }
    const Value& v = **value;
    if (v.is_number_integer() && !v.is_number_unsigned()) {
        return v.get<int64_t>();
    }
    if (v.is_number_unsigned() &&
        v.get<uint64_t>() <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
        return static_cast<int64_t>(v.get<uint64_t>());
    }
    if (v.is_number_float()) {
        // A number written as 1.0 or 1e0 still names an integer exactly.
        double d = v.get<double>();
        if (std::isfinite(d) && d == std::trunc(d) && d >= -9.2233720368547758e18 &&
            d < 9.2233720368547758e18) {
            return static_cast<int64_t>(d);
        }
    }
    return std::unexpected(typeMismatch(path, key, "Int"));
}

std::expected<std::optional<std::string>, DecodingError>
optionalString(Value& object, std::string_view key, std::string_view path) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        return std::optional<std::string>{};
    }
    if (!it->is_string()) {
        return std::unexpected(typeMismatch(path, key, "String"));
    }
    return std::optional<std::string>(std::move(it->get_ref<std::string&>()));
}

std::expected<bool, DecodingError> optionalBool(Value& object, std::string_view key,
                                                std::string_view path) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        return false;
    }
    if (!it->is_boolean()) {
        return std::unexpected(typeMismatch(path, key, "Bool"));
    }
    return it->get<bool>();
}

std::optional<Value> parse(std::string_view bytes) {
    try {
        // nlohmann parses and frees without recursion, so deep nesting costs
        // memory in proportion to the input and nothing more; the decoders
        // never descend into members they do not read.
        Value value = Value::parse(bytes.begin(), bytes.end(), nullptr, false);
        if (value.is_discarded()) {
            return std::nullopt;
        }
        return value;
    } catch (const std::exception&) {
        // Out of memory: the document is unusable.
        return std::nullopt;
    }
}

} // namespace kestle::json
