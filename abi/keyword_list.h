// Keyword lists, the one reader of them for both sides of the boundary:
// arrays of pointer-sized words read in pairs (keyword, value), ended by the
// first pair whose keyword is null. Keywords are ASCII text, compared
// exactly; the first match wins. The plug-in writes them (widget requests,
// the settings request) and reads the host's (widget events, the answer to
// the settings request); the stand-in host reads the plug-in's and writes
// the events. Header-only, like the rest of abi/: the stand-in host links
// no plug-in code.
//
// A reader never trusts a list to end: it reads at most kMaxPairs pairs and
// keywords of at most kMaxKeyword characters, and says when a list does not
// end within them.
#pragma once

#include <cstddef>
#include <string_view>

namespace vexolin::keyword_list {

inline constexpr std::size_t kMaxPairs = 256;  // a list whose null keyword is not among this many pairs does not end
inline constexpr std::size_t kMaxKeyword = 64; // longest keyword text read

// A value word built from a pointer to constant data: the reader only reads it.
inline void *Word(const void *p) { return const_cast<void *>(p); }

// How a walk over a list ended.
enum class Walked {
    Ended,        // at the null keyword
    Stopped,      // the visitor asked to stop
    Unterminated, // no null keyword within kMaxPairs pairs
    BadKeyword,   // a keyword that is not printable ASCII of at most kMaxKeyword characters
};

struct WalkResult {
    Walked how = Walked::Ended;
    std::size_t pairs = 0; // pairs visited; for a bad keyword, its pair's index
};

// Reads the NUL-terminated text at `word` into `text`: true when it is
// printable ASCII (0x20 to 0x7E) of at most kMaxKeyword characters, false
// for null, other or longer text. Reads no byte past the terminator or the
// limit. (Keywords, and the keyword values of widget requests, are such
// texts.)
inline bool AsciiText(const void *word, std::string_view &text) {
    if (word == nullptr) return false;
    const auto *s = static_cast<const char *>(word);
    for (std::size_t i = 0; i <= kMaxKeyword; ++i) {
        const char c = s[i];
        if (c == '\0') {
            text = {s, i};
            return true;
        }
        if (c < 0x20 || c > 0x7E) return false;
    }
    return false;
}

// Visits the pairs of `values` (null: an empty list) in order, calling
// visit(keyword, valueWord) with the keyword text and a reference to the
// pair's value word (which the visitor may write, as the host answers the
// settings request). A visitor that returns false stops the walk.
template <class Visit> WalkResult Walk(void **values, Visit &&visit) {
    WalkResult result;
    if (values == nullptr) return result;
    for (std::size_t i = 0;; ++i) {
        if (i == kMaxPairs) return {Walked::Unterminated, i};
        void *keyword = values[2 * i];
        if (keyword == nullptr) return {Walked::Ended, i};
        std::string_view text;
        if (!AsciiText(keyword, text)) return {Walked::BadKeyword, i};
        if (!visit(text, values[2 * i + 1])) return {Walked::Stopped, i + 1};
    }
}

// The value word of the first pair named `keyword`, or null when the list
// (possibly null) has none before it ends or becomes unreadable.
inline void **Find(void **values, std::string_view keyword) {
    void **found = nullptr;
    Walk(values, [&](std::string_view text, void *&value) {
        if (text != keyword) return true;
        found = &value;
        return false;
    });
    return found;
}

} // namespace vexolin::keyword_list
