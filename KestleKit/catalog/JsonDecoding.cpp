#include "catalog/JsonDecoding.hpp"

#include <cmath>
#include <limits>
#include <vector>

namespace kestle::json {
namespace {

DecodingError missing(std::string_view path, std::string_view key) {
    return {joinPath(path, key), "No value associated with key \"" + std::string(key) + "\""};
}

DecodingError typeMismatch(std::string_view path, std::string_view key, std::string_view expected) {
    return {joinPath(path, key), "Expected to decode " + std::string(expected)};
}

// Stops a document at the first container that would open beyond maxDepth, before
// the events below it cost anything.
class DepthLimit final : public nlohmann::json_sax<Value> {
public:
    explicit DepthLimit(Events& events) : events_(events) {}

    bool null() override { return events_.null(); }
    bool boolean(bool value) override { return events_.boolean(value); }
    bool number_integer(number_integer_t value) override { return events_.number_integer(value); }
    bool number_unsigned(number_unsigned_t value) override {
        return events_.number_unsigned(value);
    }
    bool number_float(number_float_t value, const string_t& text) override {
        return events_.number_float(value, text);
    }
    bool string(string_t& value) override { return events_.string(value); }
    bool binary(binary_t& value) override { return events_.binary(value); }
    bool start_object(std::size_t size) override { return open() && events_.start_object(size); }
    bool key(string_t& value) override { return events_.key(value); }
    bool end_object() override {
        --depth_;
        return events_.end_object();
    }
    bool start_array(std::size_t size) override { return open() && events_.start_array(size); }
    bool end_array() override {
        --depth_;
        return events_.end_array();
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::json::exception&) override {
        return false;
    }

private:
    bool open() { return ++depth_ <= maxDepth; }

    Events& events_;
    size_t depth_ = 0;
};

// Builds the tree as the library's own parser does (a repeated key keeps its last
// value), holding no more than the path to the value being read.
class TreeBuilder final : public Events {
public:
    Value take() { return std::move(root_); }

    bool null() override { return place(nullptr); }
    bool boolean(bool value) override { return place(value); }
    bool number_integer(number_integer_t value) override { return place(value); }
    bool number_unsigned(number_unsigned_t value) override { return place(value); }
    bool number_float(number_float_t value, const string_t&) override { return place(value); }
    bool string(string_t& value) override { return place(std::move(value)); }
    bool start_object(std::size_t) override { return openContainer(Value::object()); }
    bool key(string_t& value) override {
        key_ = std::move(value);
        return true;
    }
    bool end_object() override { return closeContainer(); }
    bool start_array(std::size_t) override { return openContainer(Value::array()); }
    bool end_array() override { return closeContainer(); }

private:
    Value* add(Value value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        Value& parent = *open_.back();
        if (parent.is_array()) {
            auto& elements = parent.get_ref<Value::array_t&>();
            elements.push_back(std::move(value));
            return &elements.back();
        }
        Value& slot = parent.get_ref<Value::object_t&>()[std::move(key_)];
        slot = std::move(value);
        return &slot;
    }
    bool place(Value value) {
        add(std::move(value));
        return true;
    }
    // The containers on the path stay where they are while a child is being filled.
    bool openContainer(Value empty) {
        open_.push_back(add(std::move(empty)));
        return true;
    }
    bool closeContainer() {
        open_.pop_back();
        return true;
    }

    Value root_;
    std::vector<Value*> open_;
    std::string key_;
};

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

bool read(std::string_view bytes, Events& events) {
    DepthLimit limited(events);
    try {
        return Value::sax_parse(bytes.begin(), bytes.end(), &limited);
    } catch (const std::exception&) {
        // Out of memory: the document is unusable.
        return false;
    }
}

std::optional<Value> parse(std::string_view bytes) {
    TreeBuilder builder;
    if (!read(bytes, builder)) {
        return std::nullopt;
    }
    return builder.take();
}

} // namespace kestle::json
