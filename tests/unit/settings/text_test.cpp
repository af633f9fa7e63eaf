// The text conversions and the number texts of the settings store.
#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <locale>
#include <stdexcept>
#include <string>

#include "settings/text.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace {

using settings::text::FormatFloat;
using settings::text::FormatInt;
using settings::text::ParseDouble;
using settings::text::ParseFloat;
using settings::text::ParseInt;
using settings::text::Utf8ToWide;
using settings::text::WideToUtf8;

constexpr char16_t R = 0xFFFD;

// `text` without its replacement characters.
[[maybe_unused]] std::u16string WithoutReplacements(const std::u16string &text) {
    std::u16string out;
    for (char16_t c : text)
        if (c != R) out.push_back(c);
    return out;
}

// No unpaired surrogates.
[[maybe_unused]] bool IsWellFormedUtf16(const std::u16string &text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

TEST(SettingsText, Utf8ToWideDecodesEveryLength) {
    EXPECT_EQ(Utf8ToWide("face"), u"face");
    EXPECT_EQ(Utf8ToWide("\xC3\xA9"), std::u16string(1, char16_t{0xE9}));
    EXPECT_EQ(Utf8ToWide("\xE2\x82\xAC"), std::u16string(1, char16_t{0x20AC}));
    EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), (std::u16string{char16_t{0xD83D}, char16_t{0xDE00}}));
    EXPECT_EQ(Utf8ToWide("\xF4\x8F\xBF\xBF"), (std::u16string{char16_t{0xDBFF}, char16_t{0xDFFF}}));
    EXPECT_EQ(Utf8ToWide(static_cast<const char *>(nullptr)), u"");
    EXPECT_EQ(Utf8ToWide(""), u"");
}

TEST(SettingsText, MalformedUtf8BecomesReplacementCharacters) {
    struct Case {
        const char *input;
        std::u16string expected;
    };
    const Case cases[] = {
        {"\xFF", {R}},
        {"a\xC3", {u'a', R}},                      // cut short at the end
        {"\xE2\x82", {R}},                         // one maximal part, one replacement
        {"\xE2\x82x", {R, u'x'}},                  // decoding resumes at the offending byte
        {"\xC0\xAF", {R, R}},                      // overlong lead, stray continuation
        {"\xE0\x80\x80", {R, R, R}},               // overlong three-byte form
        {"\xED\xA0\x80", {R, R, R}},               // an encoded surrogate
        {"\xF4\x90\x80\x80", {R, R, R, R}},        // above U+10FFFF
        {"\x80\xBF", {R, R}},                      // continuation bytes alone
        {"1\xF0\x9F\x98", {u'1', R}},
    };
    for (const Case &c : cases) {
#ifdef _WIN32
        // Windows' own decoder (MultiByteToWideChar) does the decoding there,
        // and its releases (and Wine) differ in how many replacement
        // characters a malformed sequence gives. What must hold everywhere:
        // the ASCII characters come through in order, the bad bytes become
        // at least one replacement character and nothing else, and the
        // result is well-formed UTF-16.
        const std::u16string got = Utf8ToWide(c.input);
        EXPECT_EQ(WithoutReplacements(got), WithoutReplacements(c.expected)) << c.input;
        EXPECT_NE(got.find(R), std::u16string::npos) << c.input;
        EXPECT_LE(got.size(), std::strlen(c.input)) << c.input;
        EXPECT_TRUE(IsWellFormedUtf16(got)) << c.input;
#else
        EXPECT_EQ(Utf8ToWide(c.input), c.expected) << c.input;
#endif
    }
}

TEST(SettingsText, DecoderStopsAtTheEndOfAView) {
    // The third byte that would complete the sequence lies outside the view.
    const char euro[] = "\xE2\x82\xAC";
    EXPECT_EQ(Utf8ToWide(std::string_view(euro, 2)), std::u16string(1, R));
}

TEST(SettingsText, WideToUtf8EncodesPairsAndRepairsLoneSurrogates) {
    EXPECT_EQ(WideToUtf8(u"PosX"), "PosX");
    EXPECT_EQ(WideToUtf8(std::u16string{char16_t{0xD83D}, char16_t{0xDE00}}), "\xF0\x9F\x98\x80");
    EXPECT_EQ(WideToUtf8(std::u16string{char16_t{0xD83D}}), "\xEF\xBF\xBD");
    EXPECT_EQ(WideToUtf8(std::u16string{char16_t{0xDE00}, u'a'}), "\xEF\xBF\xBD"
                                                                   "a");
    EXPECT_EQ(WideToUtf8(std::u16string{char16_t{0xD83D}, u'a'}), "\xEF\xBF\xBD"
                                                                   "a");
    EXPECT_EQ(WideToUtf8(static_cast<const char16_t *>(nullptr)), "");
}

TEST(SettingsText, WellFormedTextRoundTrips) {
    std::u16string all;
    for (char32_t c = 1; c < 0x10000; c += 7) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        all.push_back(static_cast<char16_t>(c));
    }
    all += u"\U0001F600\U00010000\U0010FFFF";
    EXPECT_EQ(Utf8ToWide(WideToUtf8(all)), all);
}

TEST(SettingsText, AnsiToUtf8PassesKeysAndRepairsBadBytes) {
    EXPECT_EQ(settings::text::AnsiToUtf8("Plugin-6D2B5F14-39C4E8A7"), "Plugin-6D2B5F14-39C4E8A7");
#ifdef _WIN32
    // Windows converts from its ANSI code page, where (in the usual Western
    // code page 1252) 0xFF is a letter, not a bad byte; other code pages
    // give another character. Either way the result is UTF-8 that keeps the
    // "a" and replaces the byte by one character.
    const std::string converted = settings::text::AnsiToUtf8("a\xFF");
    if (GetACP() == 1252) {
        EXPECT_EQ(converted, "a\xC3\xBF"); // U+00FF
    }
    ASSERT_GE(converted.size(), 2u);
    EXPECT_EQ(converted[0], 'a');
    EXPECT_EQ(settings::text::Utf8ToWide(converted).size(), 2u);
    EXPECT_EQ(settings::text::WideToUtf8(settings::text::Utf8ToWide(converted)), converted) << "well-formed UTF-8";
#else
    EXPECT_EQ(settings::text::AnsiToUtf8("a\xFF"), "a\xEF\xBF\xBD");
#endif
    EXPECT_EQ(settings::text::AnsiToUtf8(nullptr), "");
}

TEST(SettingsText, ParseIntFollowsLeadingNumberRules) {
    struct Case {
        const char16_t *text;
        int32_t expected;
    };
    const Case cases[] = {
        {u"0", 0},           {u"1", 1},          {u"2", 2},
        {u" 1", 1},          {u"\t\n\v\f\r-7", -7}, {u"+12", 12},
        {u"-1", -1},         {u"12abc", 12},     {u"abc", 0},
        {u"", 0},            {u"-", 0},          {u"- 1", 0},
        {u"0x1F", 0},        {u"1.9", 1},        {u"-2147483648", INT32_MIN},
        {u"2147483647", INT32_MAX}, {u"2147483648", INT32_MAX}, {u"-99999999999999999999", INT32_MIN},
        {u"\u30001", 0}, // only ASCII blanks are skipped
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ParseInt(c.text), c.expected) << WideToUtf8(c.text);
    }
}

TEST(SettingsText, ParseFloatReadsBothExponentWidths) {
    EXPECT_EQ(ParseFloat(u"1.000000e-003"), 0.001f);
    EXPECT_EQ(ParseFloat(u"1.000000e-03"), 0.001f);
    EXPECT_EQ(ParseFloat(u"5.000000e-001"), 0.5f);
    EXPECT_EQ(ParseFloat(u"9.000000e+001"), 90.0f);
    EXPECT_EQ(ParseFloat(u"9.000000E+01"), 90.0f);
}

TEST(SettingsText, ParseDoubleStopsAtTheFirstOtherCharacter) {
    struct Case {
        const char16_t *text;
        double expected;
    };
    const Case cases[] = {
        {u"  -2.5E+2", -250.0}, {u"2.5e+001xyz", 25.0}, {u"1e", 1.0},   {u"1e+", 1.0},
        {u"1e-x", 1.0},         {u".5", 0.5},           {u"5.", 5.0},   {u"5.e1", 50.0},
        {u".", 0.0},            {u"-", 0.0},            {u"", 0.0},     {u"abc", 0.0},
        {u"1,5", 1.0},          {u"+.25", 0.25},        {u"0x10", 0.0}, {u"0001.5000", 1.5},
        {u"1e0400", std::numeric_limits<double>::infinity()},
        {u"-1e400", -std::numeric_limits<double>::infinity()},
        {u"1000e306", std::numeric_limits<double>::infinity()},
        {u"0.0001e310", 1e306},
        {u"1e-400", 0.0},
        {u"0.001e-322", 0.0},
        {u"inf", std::numeric_limits<double>::infinity()},
        {u"-Infinity", -std::numeric_limits<double>::infinity()},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ParseDouble(c.text), c.expected) << WideToUtf8(c.text);
    }
    EXPECT_TRUE(std::isnan(ParseDouble(u"NaN")));
    EXPECT_TRUE(std::signbit(ParseDouble(u"-0.0")));
}

TEST(SettingsText, NarrowingToFloatRoundsAtTheTopOfTheRange) {
    EXPECT_EQ(ParseFloat(u"3.4028235e38"), FLT_MAX);
    EXPECT_EQ(ParseFloat(u"3.40282356e38"), FLT_MAX); // below the halfway point to 2^128
    EXPECT_EQ(ParseFloat(u"3.4028236e38"), std::numeric_limits<float>::infinity());
    EXPECT_EQ(ParseFloat(u"-1e39"), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(ParseFloat(u"1e-50"), 0.0f);
    EXPECT_TRUE(std::isnan(ParseFloat(u"nan")));
}

TEST(SettingsText, FormatFloatWritesPrintfScientific) {
    struct Case {
        float value;
        const char16_t *expected;
    };
    const Case cases[] = {
        {0.001f, u"1.000000e-03"},   {0.5f, u"5.000000e-01"},     {90.0f, u"9.000000e+01"},
        {0.0f, u"0.000000e+00"},     {-0.0f, u"-0.000000e+00"},   {-7.25f, u"-7.250000e+00"},
        {FLT_MAX, u"3.402823e+38"},  {FLT_MIN, u"1.175494e-38"},  {1.4e-45f, u"1.401298e-45"},
        {123456789.0f, u"1.234568e+08"},
        {std::numeric_limits<float>::infinity(), u"inf"},
        {-std::numeric_limits<float>::infinity(), u"-inf"},
    };
    for (const Case &c : cases) EXPECT_EQ(FormatFloat(c.value), c.expected) << WideToUtf8(c.expected);
}

TEST(SettingsText, FormatIntIsSignedDecimal) {
    EXPECT_EQ(FormatInt(0), u"0");
    EXPECT_EQ(FormatInt(-1), u"-1");
    EXPECT_EQ(FormatInt(INT32_MIN), u"-2147483648");
    EXPECT_EQ(FormatInt(INT32_MAX), u"2147483647");
}

TEST(SettingsText, FloatsKeepSevenSignificantDigits) {
    const float values[] = {0.001f, 0.1f, 1.0f / 3.0f, 123.456f, -7.5f, 1e-30f, 3.0e38f, 89.99999f, 16777215.0f};
    for (float v : values) {
        const float back = ParseFloat(FormatFloat(v));
        EXPECT_LE(std::fabs(back - v), std::fabs(v) * 1e-6f) << v;
    }
    for (int32_t v : {0, -1, 1, 640, -32768, INT32_MIN, INT32_MAX}) EXPECT_EQ(ParseInt(FormatInt(v)), v);
}

// A process that runs with a decimal comma still writes and reads points.
TEST(SettingsText, NumberTextsIgnoreADecimalCommaLocale) {
    const std::locale saved = std::locale::global(std::locale::classic());
    std::string used;
    for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8"}) {
        try {
            std::locale::global(std::locale(name));
        } catch (const std::runtime_error &) {
            continue;
        }
        if (std::setlocale(LC_ALL, name) != nullptr && std::localeconv()->decimal_point[0] == ',') {
            used = name;
            break;
        }
    }
    if (used.empty()) {
        std::locale::global(saved);
        std::setlocale(LC_ALL, "C");
        GTEST_SKIP() << "no locale with a decimal comma is installed (tried de_DE, fr_FR, nl_NL)";
    }
    EXPECT_EQ(FormatFloat(0.001f), u"1.000000e-03") << used;
    EXPECT_EQ(ParseFloat(u"1.000000e-03"), 0.001f) << used;
    EXPECT_EQ(ParseFloat(u"2,5"), 2.0f) << used;
    EXPECT_EQ(FormatInt(-1234567), u"-1234567") << used;
    std::locale::global(saved);
    std::setlocale(LC_ALL, "C");
}

} // namespace
