// Text conversions and number texts for the settings store.
//
// Inside the plug-in, keys and names are 8-bit text in the system code page
// and numbers are formatted as wide (UTF-16) text; the host's settings store
// takes and returns UTF-8. The conversions never fail: malformed input turns
// into U+FFFD, and a null pointer reads as empty text. Off Windows they are
// the boundary's codec (abi/utf_text.h) with its repairing policy; on
// Windows the system API converts, as the modeller's own texts do.
//
// The number texts never depend on the process locale: a host that runs
// with a decimal comma still reads and writes "1.000000e-03".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace settings::text {

// System code page to UTF-8. On Windows through the ANSI code page; elsewhere
// the system code page is UTF-8, so the text is only checked and repaired.
std::string AnsiToUtf8(const char *text);
// UTF-8 to UTF-16.
std::u16string Utf8ToWide(const char *text);
std::u16string Utf8ToWide(std::string_view text);
// UTF-16 to UTF-8. Unpaired surrogates become U+FFFD.
std::string WideToUtf8(const char16_t *text);
std::string WideToUtf8(std::u16string_view text);

// The decimal integer at the start of `text`: leading blanks, an optional
// sign, then digits up to the first other character. Text without digits
// there reads 0; values beyond the 32-bit range are clamped to it.
int32_t ParseInt(std::u16string_view text);

// The decimal number at the start of `text`: leading blanks, an optional
// sign, digits with an optional point, and an optional exponent ("e" or
// "E", optional sign, digits) of any width; "inf", "infinity" and "nan" in
// any case. Text that is no number reads 0.
double ParseDouble(std::u16string_view text);
// ParseDouble narrowed to single precision.
float ParseFloat(std::u16string_view text);

// Signed decimal, as printf's "%d".
std::u16string FormatInt(int32_t value);
// printf's "%e" of the value widened to double: one digit, a point, six
// digits, "e", the exponent's sign and at least two exponent digits
// ("1.000000e-03"); "inf", "-inf", "nan" for the special values.
std::u16string FormatFloat(float value);

} // namespace settings::text
