// The number texts the plug-in reads back from the host's settings store and
// writes into it. Any UTF-16 text is parsed from a buffer of exactly its
// length (AddressSanitizer catches a read past the end); the results are
// compared with the C library's strtol, strtod and printf in the C locale,
// which the parsers and formatters promise to match; and saving and loading
// a value again and again settles on one text within a few rounds.
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "settings/text.h"
#include "tests/fuzz/support/fuzz_support.h"

namespace {

std::string Narrow(std::u16string_view text) {
    // The parsers read ASCII only; any other unit stops them, as '#' stops
    // the C library. A NUL stops both.
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '#');
    return out;
}

std::string Printable(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[12];
            std::snprintf(hex, sizeof hex, "\\u%04x", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}

uint32_t Bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

uint64_t Bits(double d) {
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

// Same value, NaNs equal to NaNs of the same sign.
template <class F> bool SameNumber(F a, F b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    return Bits(a) == Bits(b);
}

// After blanks and a sign, "0x": the C library reads hexadecimal, which the
// settings texts never hold and the parsers do not read.
bool HexadecimalPrefix(const std::string &s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    return i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X');
}

std::u16string Widen(const char *s) {
    std::u16string out;
    for (; *s != 0; ++s) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*s)));
    return out;
}

void CheckInt(std::u16string_view text) {
    const int32_t value = settings::text::ParseInt(text);
    const std::string narrow = Narrow(text);
    errno = 0;
    long long expected = std::strtoll(narrow.c_str(), nullptr, 10);
    if (expected > INT32_MAX) expected = INT32_MAX;
    if (expected < INT32_MIN) expected = INT32_MIN;
    FUZZ_CHECK(value == expected, "ParseInt(\"%s\") = %d, strtol reads %lld", Printable(text).c_str(), value, expected);

    char printed[16];
    std::snprintf(printed, sizeof printed, "%d", value);
    const std::u16string formatted = settings::text::FormatInt(value);
    FUZZ_CHECK(formatted == Widen(printed), "FormatInt(%d) = \"%s\"", value, Printable(formatted).c_str());
    FUZZ_CHECK(settings::text::ParseInt(formatted) == value, "FormatInt(%d) reads back as %d", value,
               settings::text::ParseInt(formatted));
}

// The text written for `value`, checked against printf's "%e".
std::u16string Formatted(float value) {
    const std::u16string formatted = settings::text::FormatFloat(value);
    char printed[64];
    std::snprintf(printed, sizeof printed, "%e", static_cast<double>(value));
    FUZZ_CHECK(formatted == Widen(printed), "FormatFloat(%a) = \"%s\", printf writes \"%s\"",
               static_cast<double>(value), Printable(formatted).c_str(), printed);
    return formatted;
}

// Writing a value and reading it back settles: every text read back is the
// float nearest it, and saving and loading again soon writes the text it
// read. Not always at once: seven digits are fewer than a float needs at the
// top of some decades (1e28 reads back as the float just below, which is
// written "9.999999e+27"). Each round moves the text toward the value, so the
// rounds end; a few are allowed.
void CheckFloatRoundTrip(float value) {
    std::u16string text = Formatted(value);
    for (int round = 1;; ++round) {
        const float back = settings::text::ParseFloat(text);
        const float nearest = std::strtof(Narrow(text).c_str(), nullptr);
        FUZZ_CHECK(SameNumber(back, nearest), "\"%s\" reads as %a, strtof reads %a", Printable(text).c_str(),
                   static_cast<double>(back), static_cast<double>(nearest));
        const std::u16string again = Formatted(back);
        if (again == text) return;
        FUZZ_CHECK(round < 4, "%a: saved and loaded %d times, still written \"%s\" then \"%s\"",
                   static_cast<double>(value), round, Printable(text).c_str(), Printable(again).c_str());
        text = again;
    }
}

void CheckDouble(std::u16string_view text) {
    const double value = settings::text::ParseDouble(text);
    const float single = settings::text::ParseFloat(text);
    const std::string narrow = Narrow(text);
    if (!HexadecimalPrefix(narrow)) {
        const double expected = std::strtod(narrow.c_str(), nullptr);
        FUZZ_CHECK(SameNumber(value, expected), "ParseDouble(\"%s\") = %a, strtod reads %a", Printable(text).c_str(),
                   value, expected);
        // Narrowed as the processor narrows a double: to nearest, beyond the
        // largest float to infinity from halfway on.
        const float narrowed = static_cast<float>(expected);
        FUZZ_CHECK(SameNumber(single, narrowed), "ParseFloat(\"%s\") = %a, the narrowed strtod is %a",
                   Printable(text).c_str(), static_cast<double>(single), static_cast<double>(narrowed));
    }
    CheckFloatRoundTrip(single);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The input as UTF-16 code units, in a block of exactly their size.
    const size_t units = size / 2;
    std::unique_ptr<char16_t[]> exact(new char16_t[units]);
    std::memcpy(exact.get(), data, units * 2);
    const std::u16string_view text(exact.get(), units);
    CheckInt(text);
    CheckDouble(text);
    // The same bytes read as ASCII, one unit per byte: most number texts are
    // plain ASCII, and libFuzzer finds those faster this way.
    std::unique_ptr<char16_t[]> ascii(new char16_t[size]);
    for (size_t i = 0; i < size; ++i) ascii[i] = data[i];
    CheckInt({ascii.get(), size});
    CheckDouble({ascii.get(), size});
    // The first four bytes as a float's bits: every value, subnormals and
    // NaN payloads included, goes through the writer and back.
    if (size >= 4) {
        float bits;
        std::memcpy(&bits, data, sizeof bits);
        CheckFloatRoundTrip(bits);
    }
    return 0;
}
