// The UTF-8 / UTF-16 converters between the plug-in and the host's settings
// store. Any bytes are read as UTF-8 and, two at a time, as UTF-16, from
// buffers of exactly their size. Valid input converts exactly as the C
// library's iconv converts it, and back again unchanged; any input converts
// to well-formed output of bounded length (one unit per byte at most from
// UTF-8, three bytes per unit at most from UTF-16), which converts back to
// itself. The strict policy of the shared codec (used by the stand-in
// toolkit) accepts exactly what iconv accepts, and then converts exactly as
// the repairing one does.
#include <iconv.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "abi/utf_text.h"
#include "settings/text.h"
#include "tests/fuzz/support/fuzz_support.h"

namespace {

// Converts with iconv; nothing when the input is not valid in `from`.
std::optional<std::string> Iconv(const char *to, const char *from, const char *data, size_t size) {
    iconv_t cd = iconv_open(to, from);
    FUZZ_CHECK(cd != reinterpret_cast<iconv_t>(-1), "iconv cannot convert %s to %s", from, to);
    std::string out(size * 4 + 4, '\0');
    char *in = const_cast<char *>(data);
    size_t inLeft = size;
    char *outPtr = out.data();
    size_t outLeft = out.size();
    const size_t done = iconv(cd, size > 0 ? &in : nullptr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

std::u16string FromLittleEndianBytes(const std::string &bytes) {
    std::u16string out(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return out;
}

std::string ToLittleEndianBytes(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

bool HasUnpairedSurrogate(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF) {
            if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                ++i;
                continue;
            }
            return true;
        }
        if (text[i] >= 0xDC00 && text[i] <= 0xDFFF) return true;
    }
    return false;
}

void CheckFromUtf8(std::string_view bytes) {
    const std::u16string wide = settings::text::Utf8ToWide(bytes);
    FUZZ_CHECK(wide.size() <= bytes.size(), "%zu bytes of UTF-8 gave %zu UTF-16 units", bytes.size(), wide.size());
    FUZZ_CHECK(!HasUnpairedSurrogate(wide), "UTF-8 decoded to an unpaired surrogate");
    const std::optional<std::string> valid = Iconv("UTF-16LE", "UTF-8", bytes.data(), bytes.size());
    if (valid) {
        FUZZ_CHECK(wide == FromLittleEndianBytes(*valid), "valid UTF-8 of %zu bytes decoded unlike iconv",
                   bytes.size());
        FUZZ_CHECK(settings::text::WideToUtf8(wide) == bytes, "valid UTF-8 of %zu bytes did not survive a round trip",
                   bytes.size());
    } else {
        FUZZ_CHECK(wide.find(u'\xFFFD') != std::u16string::npos,
                   "invalid UTF-8 of %zu bytes decoded without a replacement character", bytes.size());
    }
    std::u16string strict;
    const bool accepted = vexolin::utf::Utf8ToUtf16(bytes, strict, vexolin::utf::Malformed::Reject);
    FUZZ_CHECK(accepted == valid.has_value(), "strict UTF-8 decoding %s %zu bytes that iconv %s",
               accepted ? "accepted" : "refused", bytes.size(), valid ? "accepts" : "refuses");
    FUZZ_CHECK(accepted == vexolin::utf::IsUtf8(bytes), "IsUtf8 disagrees with strict decoding");
    FUZZ_CHECK(!accepted || strict == wide, "strict and repairing UTF-8 decoding differ on valid input");

    // The repaired text is well-formed: it encodes and decodes to itself.
    const std::string repaired = settings::text::WideToUtf8(wide);
    FUZZ_CHECK(Iconv("UTF-16LE", "UTF-8", repaired.data(), repaired.size()).has_value(),
               "UTF-8 written from decoded text is not valid");
    FUZZ_CHECK(settings::text::Utf8ToWide(repaired) == wide, "decoded text did not survive a round trip");

    // The system code page (UTF-8 here) to UTF-8 repairs the same way, up to
    // the first NUL of the C string.
    const std::string cString(bytes.substr(0, bytes.find('\0')));
    FUZZ_CHECK(settings::text::AnsiToUtf8(cString.c_str()) == settings::text::WideToUtf8(settings::text::Utf8ToWide(cString)),
               "AnsiToUtf8 repaired a C string differently from the UTF-8 decoder");
}

void CheckFromUtf16(std::u16string_view wide) {
    const std::string narrow = settings::text::WideToUtf8(wide);
    FUZZ_CHECK(narrow.size() <= 3 * wide.size(), "%zu UTF-16 units gave %zu bytes of UTF-8", wide.size(),
               narrow.size());
    FUZZ_CHECK(Iconv("UTF-16LE", "UTF-8", narrow.data(), narrow.size()).has_value(),
               "UTF-8 written from %zu UTF-16 units is not valid", wide.size());
    const std::u16string back = settings::text::Utf8ToWide(narrow);
    std::string strict;
    const bool accepted = vexolin::utf::Utf16ToUtf8(wide, strict, vexolin::utf::Malformed::Reject);
    FUZZ_CHECK(accepted == !HasUnpairedSurrogate(wide), "strict UTF-16 encoding %s %zu units",
               accepted ? "accepted" : "refused", wide.size());
    FUZZ_CHECK(!accepted || strict == narrow, "strict and repairing UTF-16 encoding differ on valid input");
    if (!HasUnpairedSurrogate(wide)) {
        const std::string bytes = ToLittleEndianBytes(wide);
        const std::optional<std::string> expected = Iconv("UTF-8", "UTF-16LE", bytes.data(), bytes.size());
        FUZZ_CHECK(expected.has_value(), "iconv refused well-formed UTF-16");
        FUZZ_CHECK(narrow == *expected, "well-formed UTF-16 of %zu units encoded unlike iconv", wide.size());
        FUZZ_CHECK(back == wide, "well-formed UTF-16 of %zu units did not survive a round trip", wide.size());
    } else {
        // Each unpaired surrogate, and nothing else, became U+FFFD.
        FUZZ_CHECK(back.size() == wide.size(), "%zu units with unpaired surrogates came back as %zu", wide.size(),
                   back.size());
        for (size_t i = 0; i < wide.size(); ++i) {
            const bool surrogate = wide[i] >= 0xD800 && wide[i] <= 0xDFFF;
            FUZZ_CHECK(back[i] == wide[i] || (surrogate && back[i] == 0xFFFD), "unit %zu: %04x came back as %04x", i,
                       static_cast<unsigned>(wide[i]), static_cast<unsigned>(back[i]));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::unique_ptr<char[]> bytes(new char[size]);
    std::memcpy(bytes.get(), data, size);
    CheckFromUtf8({bytes.get(), size});

    const size_t units = size / 2;
    std::unique_ptr<char16_t[]> wide(new char16_t[units]);
    std::memcpy(wide.get(), data, units * 2);
    CheckFromUtf16({wide.get(), units});
    return 0;
}
