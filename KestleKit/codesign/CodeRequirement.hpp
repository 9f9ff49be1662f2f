#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestle {

// A compiled code-signing requirement: clauses that must all hold.
//
//   requirement := clause ("and" clause)*
//   clause      := "identifier" ["="] STRING
//                | "anchor" "apple" "generic"
//                | ("certificate" | "cert") REF "[" KEY "]" ("exists" | "=" STRING)
//                | "notarized"
//   REF         := "leaf" | "root" | "anchor" | INTEGER   (0 is the leaf, -1 the root)
//   KEY         := "field." OID | "subject." NAME
//
// STRING is text between double quotes, with no escapes: a double quote always ends
// it. Anything else (other clauses, "or", "!", parentheses) does not compile.
struct CodeRequirement {
    struct Clause {
        enum class Kind { identifier, anchorAppleGeneric, certificate, notarized };
        Kind kind = Kind::identifier;
        std::string value;   // identifier; certificate with "="
        int certificate = 0; // certificate: index from the leaf, negative from the root
        std::string key;     // certificate: "field.1.2.3" or "subject.OU"
        bool exists = false; // certificate: "exists" rather than "= STRING"

        friend bool operator==(const Clause&, const Clause&) = default;
    };

    std::vector<Clause> clauses;

    static std::optional<CodeRequirement> parse(std::string_view text);

    friend bool operator==(const CodeRequirement&, const CodeRequirement&) = default;
};

} // namespace kestle
