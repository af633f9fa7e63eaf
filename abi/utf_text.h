// The text encodings that cross the binary boundary: wide texts (widget
// labels and values) are UTF-16, the settings store's names and values are
// UTF-8. Both sides must agree on what well-formed text is, so the one codec
// lives here, header-only, with the boundary's other definitions: the
// plug-in's settings/ and the stand-in host (which links abi/ and nothing
// else of the plug-in) read the same rules.
//
// Well-formed means the Unicode standard's definition: no overlong UTF-8
// forms, no encoded surrogates, nothing above U+10FFFF, no unpaired UTF-16
// surrogate. What a caller wants done with malformed input differs, so it is
// named at each call:
//   Malformed::Replace  each maximal ill-formed part becomes one U+FFFD and
//                       conversion goes on (the plug-in's settings texts,
//                       which must never fail);
//   Malformed::Reject   the conversion fails and the output is unspecified
//                       (the stand-in toolkit, which refuses a request with
//                       malformed text as a protocol violation).
// Only the characters inside the given views are read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vexolin::utf {

enum class Malformed { Replace, Reject };

inline constexpr char32_t kReplacement = 0xFFFD;

// Length of the well-formed UTF-8 sequence at the start of `text` (1 to 4),
// storing its code point in `cp`; 0 when `text` is empty or starts with an
// ill-formed part.
constexpr size_t DecodeUtf8Sequence(std::string_view text, char32_t &cp) {
    if (text.empty()) return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    size_t length = 0;
    unsigned char low = 0x80; // range of the first continuation byte
    unsigned char high = 0xBF;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
        if (lead == 0xE0) low = 0xA0;  // overlong
        if (lead == 0xED) high = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
        if (lead == 0xF0) low = 0x90;  // overlong
        if (lead == 0xF4) high = 0x8F; // above U+10FFFF
    } else {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        if (k >= text.size()) return 0;
        const auto b = static_cast<unsigned char>(text[k]);
        if (b < low || b > high) return 0;
        low = 0x80;
        high = 0xBF;
        value = (value << 6) | (b & 0x3Fu);
    }
    cp = value;
    return length;
}

// Length of the maximal ill-formed part at the start of `text` (which
// DecodeUtf8Sequence refused): the lead byte and the continuation bytes that
// were in range before the sequence broke off. At least 1.
constexpr size_t IllFormedUtf8Length(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 1;
    }
    size_t k = 1;
    for (; k < length && k < text.size(); ++k) {
        const auto b = static_cast<unsigned char>(text[k]);
        if (b < low || b > high) break;
        low = 0x80;
        high = 0xBF;
    }
    return k;
}

inline void AppendUtf8(std::string &out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

inline void AppendUtf16(std::u16string &out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// Whether `text` is well-formed UTF-8.
constexpr bool IsUtf8(std::string_view text) {
    char32_t cp = 0;
    while (!text.empty()) {
        const size_t length = DecodeUtf8Sequence(text, cp);
        if (length == 0) return false;
        text.remove_prefix(length);
    }
    return true;
}

// UTF-8 to UTF-16, appended to `out`. False only under Malformed::Reject,
// for ill-formed input.
inline bool Utf8ToUtf16(std::string_view text, std::u16string &out, Malformed policy) {
    out.reserve(out.size() + text.size());
    while (!text.empty()) {
        char32_t cp = 0;
        size_t length = DecodeUtf8Sequence(text, cp);
        if (length == 0) {
            if (policy == Malformed::Reject) return false;
            cp = kReplacement;
            length = IllFormedUtf8Length(text);
        }
        AppendUtf16(out, cp);
        text.remove_prefix(length);
    }
    return true;
}

// UTF-16 to UTF-8, appended to `out`. False only under Malformed::Reject,
// for an unpaired surrogate.
inline bool Utf16ToUtf8(std::u16string_view text, std::string &out, Malformed policy) {
    out.reserve(out.size() + text.size());
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = text[i];
        char32_t cp = c;
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                cp = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
                ++i;
            } else if (policy == Malformed::Reject) {
                return false;
            } else {
                cp = kReplacement;
            }
        }
        AppendUtf8(out, cp);
    }
    return true;
}

} // namespace vexolin::utf
