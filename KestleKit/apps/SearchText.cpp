#include "apps/SearchText.hpp"

#include <algorithm>
#include <array>
#include <vector>

#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

namespace kestle {
namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// ASCII texts have no marks and fold by lower-casing: searched without copying.
bool asciiContains(std::string_view text, std::string_view query) {
    if (query.size() > text.size()) {
        return false;
    }
    for (size_t start = 0; start + query.size() <= text.size(); ++start) {
        size_t k = 0;
        while (k < query.size() && asciiLower(text[start + k]) == asciiLower(query[k])) {
            ++k;
        }
        if (k == query.size()) {
            return true;
        }
    }
    return false;
}

std::u16string toUtf16(std::string_view text) {
    std::u16string out(text.size(), u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                         &length, text.data(), static_cast<int32_t>(text.size()), 0xFFFD, nullptr,
                         &status);
    out.resize(U_SUCCESS(status) ? static_cast<size_t>(length) : 0);
    return out;
}

std::string toUtf8(const std::u16string& text) {
    std::string out(text.size() * 3, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length,
                       reinterpret_cast<const UChar*>(text.data()),
                       static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    out.resize(U_SUCCESS(status) ? static_cast<size_t>(length) : 0);
    return out;
}

// Runs an ICU transformation that may need a larger output than its input.
template <typename Transform> std::u16string transformed(const std::u16string& in, Transform f) {
    std::u16string out(in.size() + 8, u'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t length =
            f(reinterpret_cast<const UChar*>(in.data()), static_cast<int32_t>(in.size()),
              reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            out.assign(static_cast<size_t>(length), u'\0');
            continue;
        }
        if (U_FAILURE(status)) {
            return in;
        }
        out.resize(static_cast<size_t>(length));
        return out;
    }
    return in;
}

std::string foldWithIcu(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfd = unorm2_getNFDInstance(&status);
    if (U_FAILURE(status)) {
        return std::string(text);
    }
    std::u16string decomposed = transformed(
        toUtf16(text), [nfd](const UChar* in, int32_t n, UChar* out, int32_t cap, UErrorCode* s) {
            return unorm2_normalize(nfd, in, n, out, cap, s);
        });
    // Drop the combining marks that carry the diacritics.
    std::u16string bare;
    bare.reserve(decomposed.size());
    for (size_t i = 0; i < decomposed.size();) {
        UChar32 c = 0;
        size_t start = i;
        U16_NEXT(decomposed.data(), i, decomposed.size(), c);
        if (u_charType(c) != U_NON_SPACING_MARK) {
            bare.append(decomposed, start, i - start);
        }
    }
    std::u16string folded =
        transformed(bare, [](const UChar* in, int32_t n, UChar* out, int32_t cap, UErrorCode* s) {
            return u_strFoldCase(out, cap, in, n, U_FOLD_CASE_DEFAULT, s);
        });
    return toUtf8(folded);
}

// Latin letters (up to U+024F) fold one code point at a time; their folded forms
// are worked out once with the full rules and then looked up.
constexpr char32_t kTableEnd = 0x250;

const std::array<std::string, kTableEnd>& latinTable() {
    static const auto table = [] {
        std::array<std::string, kTableEnd> t;
        for (char32_t c = 0; c < kTableEnd; ++c) {
            std::string utf8;
            if (c < 0x80) {
                utf8 = std::string(1, asciiLower(static_cast<char>(c)));
            } else {
                utf8 += static_cast<char>(0xC0 | (c >> 6));
                utf8 += static_cast<char>(0x80 | (c & 0x3F));
                utf8 = foldWithIcu(utf8);
            }
            t[c] = utf8;
        }
        return t;
    }();
    return table;
}

// Folds into out; false when text holds anything beyond the table.
bool foldLatin(std::string_view text, std::string& out) {
    const auto& table = latinTable();
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += asciiLower(static_cast<char>(b));
            continue;
        }
        if ((b & 0xE0) != 0xC0 || i + 1 >= text.size()) {
            return false;
        }
        auto b1 = static_cast<unsigned char>(text[i + 1]);
        char32_t c = (static_cast<char32_t>(b & 0x1F) << 6) | (b1 & 0x3F);
        if ((b1 & 0xC0) != 0x80 || c < 0x80 || c >= kTableEnd) {
            return false;
        }
        out += table[c];
        ++i;
    }
    return true;
}

void foldInto(std::string_view text, std::string& out) {
    if (!foldLatin(text, out)) {
        out = foldWithIcu(text);
    }
}

} // namespace

std::string SearchText::fold(std::string_view text) {
    std::string out;
    foldInto(text, out);
    return out;
}

bool SearchText::contains(std::string_view text, std::string_view query) {
    return SearchQuery(query).matches(text);
}

SearchQuery::SearchQuery(std::string_view query) : folded_(SearchText::fold(query)) {
    ascii_ = isAscii(folded_);
}

bool SearchQuery::matches(std::string_view text) const {
    if (folded_.empty()) {
        return true;
    }
    if (ascii_ && isAscii(text)) {
        return asciiContains(text, folded_);
    }
    thread_local std::string buffer;
    foldInto(text, buffer);
    return buffer.find(folded_) != std::string::npos;
}

} // namespace kestle
