#include "settings/text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include "abi/utf_text.h"
#endif

namespace settings::text {
namespace {

#ifdef _WIN32

// Windows' wide characters are UTF-16 code units, the same size as char16_t;
// the buffers below are handed to the API as wchar_t.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must be a UTF-16 code unit");

// `text` in code page `codePage` to UTF-16. Invalid input is replaced by
// U+FFFD (the API's behaviour without MB_ERR_INVALID_CHARS).
std::u16string MultiByteToWide(UINT codePage, std::string_view text) {
    if (text.empty() || text.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return {};
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::u16string out(static_cast<size_t>(needed) + 1, u'\0');
    const int written = MultiByteToWideChar(codePage, 0, text.data(), length,
                                            reinterpret_cast<wchar_t *>(out.data()), needed + 1);
    if (written <= 0) return {};
    out.resize(static_cast<size_t>(written));
    return out;
}

// UTF-16 to UTF-8. Unpaired surrogates are replaced by U+FFFD.
std::string WideToMultiByteUtf8(std::u16string_view text) {
    if (text.empty() || text.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return {};
    const int length = static_cast<int>(text.size());
    const auto *wide = reinterpret_cast<const wchar_t *>(text.data());
    // CP_UTF8 takes neither a default character nor its used-flag.
    const int needed = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string out(static_cast<size_t>(needed) + 1, '\0');
    const int written = WideCharToMultiByte(CP_UTF8, 0, wide, length, out.data(), needed + 1, nullptr, nullptr);
    if (written <= 0) return {};
    out.resize(static_cast<size_t>(written));
    return out;
}

#else

// Elsewhere the boundary's codec converts, repairing malformed input: each
// maximal ill-formed part becomes one U+FFFD. (On Windows the system API
// above is kept: the modeller's own conversions are what the plug-in must
// match there.)
std::u16string DecodeUtf8(std::string_view text) {
    std::u16string out;
    vexolin::utf::Utf8ToUtf16(text, out, vexolin::utf::Malformed::Replace);
    return out;
}

std::string EncodeUtf8(std::u16string_view text) {
    std::string out;
    vexolin::utf::Utf16ToUtf8(text, out, vexolin::utf::Malformed::Replace);
    return out;
}

#endif

std::string_view View(const char *text) { return text != nullptr ? std::string_view(text) : std::string_view(); }

std::u16string_view View(const char16_t *text) {
    return text != nullptr ? std::u16string_view(text) : std::u16string_view();
}

// The blanks that _wtoi and _wtof skip.
bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c; }

// Whether `text` at `pos` begins with the lower-case ASCII `word`, in any case.
bool StartsWithWord(std::u16string_view text, size_t pos, std::string_view word) {
    if (text.size() - pos < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k) {
        if (Lower(text[pos + k]) != static_cast<char16_t>(word[k])) return false;
    }
    return true;
}

// Skips blanks and reads an optional sign; returns true for a minus.
bool ReadSign(std::u16string_view text, size_t &i) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) return text[i++] == u'-';
    return false;
}

std::u16string Widen(const char *begin, const char *end) {
    std::u16string out;
    out.reserve(static_cast<size_t>(end - begin));
    for (const char *p = begin; p != end; ++p) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
    return out;
}

} // namespace

#ifdef _WIN32

std::string AnsiToUtf8(const char *text) { return WideToMultiByteUtf8(MultiByteToWide(CP_ACP, View(text))); }
std::u16string Utf8ToWide(std::string_view text) { return MultiByteToWide(CP_UTF8, text); }
std::string WideToUtf8(std::u16string_view text) { return WideToMultiByteUtf8(text); }

#else

// The system code page here is UTF-8: the text passes through, repaired.
std::string AnsiToUtf8(const char *text) { return EncodeUtf8(DecodeUtf8(View(text))); }
std::u16string Utf8ToWide(std::string_view text) { return DecodeUtf8(text); }
std::string WideToUtf8(std::u16string_view text) { return EncodeUtf8(text); }

#endif

std::u16string Utf8ToWide(const char *text) { return Utf8ToWide(View(text)); }
std::string WideToUtf8(const char16_t *text) { return WideToUtf8(View(text)); }

int32_t ParseInt(std::u16string_view text) {
    size_t i = 0;
    const bool negative = ReadSign(text, i);
    constexpr int64_t kLimit = int64_t{1} << 31; // one past INT32_MAX: enough to clamp both ways
    int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i] - u'0');
        if (magnitude > kLimit) magnitude = kLimit;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value); // -2^31 at the lowest, which fits
}

double ParseDouble(std::u16string_view text) {
    size_t i = 0;
    const bool negative = ReadSign(text, i);
    const double sign = negative ? -1.0 : 1.0;

    if (StartsWithWord(text, i, "inf")) return sign * std::numeric_limits<double>::infinity();
    if (StartsWithWord(text, i, "nan")) return std::copysign(std::numeric_limits<double>::quiet_NaN(), sign);

    // Copy the longest number at the start into ASCII for from_chars, which
    // reads it the same way in every locale. Alongside, track the decimal
    // magnitude of the leading significant digit, for values out of range.
    std::string number;
    bool anyDigit = false;
    bool significant = false;
    int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        number.push_back(static_cast<char>(text[i]));
        anyDigit = true;
        if (significant) {
            ++magnitude;
        } else if (text[i] != u'0') {
            significant = true;
        }
    }
    if (i < text.size() && text[i] == u'.') {
        number.push_back('.');
        for (++i; i < text.size() && IsDigit(text[i]); ++i) {
            number.push_back(static_cast<char>(text[i]));
            anyDigit = true;
            if (!significant) {
                --magnitude;
                if (text[i] != u'0') significant = true;
            }
        }
    }
    if (!anyDigit) return 0.0;
    if (!significant) return sign * 0.0;

    int64_t exponent = 0;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        size_t j = i + 1;
        bool expNegative = false;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) expNegative = text[j++] == u'-';
        if (j < text.size() && IsDigit(text[j])) {
            number.push_back('e');
            if (expNegative) number.push_back('-');
            for (; j < text.size() && IsDigit(text[j]); ++j) {
                number.push_back(static_cast<char>(text[j]));
                if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[j] - u'0');
            }
            if (expNegative) exponent = -exponent;
        }
    }

    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        return magnitude + exponent > 0 ? sign * std::numeric_limits<double>::infinity() : sign * 0.0;
    }
    if (result.ec != std::errc()) return 0.0;
    return sign * value;
}

float ParseFloat(std::u16string_view text) {
    const double value = ParseDouble(text);
    if (std::isnan(value)) {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        return std::signbit(value) ? -nan : nan;
    }
    const double magnitude = std::fabs(value);
    if (magnitude > static_cast<double>(std::numeric_limits<float>::max())) {
        // Round to nearest: below the halfway point to 2^128 the nearest
        // float is the largest one, from there on it is infinity.
        constexpr double kHalfway = 0x1p128 - 0x1p103;
        const float big = magnitude >= kHalfway ? std::numeric_limits<float>::infinity() : std::numeric_limits<float>::max();
        return value < 0 ? -big : big;
    }
    return static_cast<float>(value);
}

std::u16string FormatInt(int32_t value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return Widen(buffer, result.ptr);
}

std::u16string FormatFloat(float value) {
    // Locale-free "%e": to_chars with scientific format and precision 6
    // writes printf's digits, with at least two exponent digits.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                      std::chars_format::scientific, 6);
    if (result.ec != std::errc()) return {}; // 64 bytes hold any double in this form
    return Widen(buffer, result.ptr);
}

} // namespace settings::text
