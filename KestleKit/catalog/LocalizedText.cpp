#include "catalog/LocalizedText.hpp"

namespace kestle {

std::string LocalizedText::text(std::string_view language) const {
    if (auto it = values.find(language); it != values.end()) {
        return it->second;
    }
    if (auto it = values.find("en"); it != values.end()) {
        return it->second;
    }
    return {};
}

std::expected<LocalizedText, DecodingError> LocalizedText::decode(json::Value& value,
                                                                  std::string_view path) {
    if (!value.is_object()) {
        return std::unexpected(DecodingError{std::string(path), "Expected to decode Dictionary"});
    }
    LocalizedText out;
    for (auto& [code, text] : value.get_ref<json::Value::object_t&>()) {
        if (!text.is_string()) {
            return std::unexpected(
                DecodingError{json::joinPath(path, code), "Expected to decode String"});
        }
        out.values.emplace_hint(out.values.end(), code, std::move(text.get_ref<std::string&>()));
    }
    if (!out.values.contains("en")) {
        return std::unexpected(DecodingError{std::string(path), "No English text"});
    }
    return out;
}

} // namespace kestle
