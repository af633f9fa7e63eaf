// A one-pass OBJ reader. The file is mapped into memory and scanned once,
// statement by statement; the structures it fills grow with the elements
// read (positions, one corner list per object), never with objects x
// vertices. Objects are then built one at a time, with two arrays sized by
// the file's vertex count that every object reuses.
//
// Why not tinyobjloader, which this loader used before: the library reads
// no byte-order mark, no UTF-16 and no `\` continuations; it reads indices
// with atoi (so "1x" is 1) and its errors carry no line; it splits shapes
// at `o`/`g` by rules of its own, and its callback interface, the only one
// that tells where statements are, reports neither `l` nor `p`. The earlier
// loader therefore scanned the text itself and handed the library a
// rewritten copy: three passes over the file. bench/obj_load_bench.cpp
// measures the library's whole-file loader beside this reader on the same
// 1M-quad file (the library fills no document, this reader's peak includes
// the document it fills).
#include "standin/cli/obj_loader.h"

#include "abi/utf_text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <locale.h>
#include <memory>
#include <unordered_map>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace standin::cli {
namespace {

[[noreturn]] void Fail(const std::string &file, int32_t line, const std::string &what) {
    throw InputError(file + ":" + std::to_string(line) + ": " + what);
}

// ---- text encodings --------------------------------------------------------

// UTF-16 after its byte-order mark, as UTF-8 (the boundary's codec, strict).
// Decoded a line at a time, so that an unpaired surrogate is reported with
// its line number; line breaks stay where they were.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian, const std::string &file) {
    if (bytes.size() % 2 != 0) throw InputError(file + ": UTF-16 text with an odd number of bytes (cut short?)");
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        const auto a = static_cast<uint8_t>(bytes[2 * i]), b = static_cast<uint8_t>(bytes[2 * i + 1]);
        units[i] = static_cast<char16_t>(bigEndian ? a << 8 | b : b << 8 | a);
    }
    std::string out;
    out.reserve(units.size());
    std::u16string_view rest = units;
    for (int32_t line = 1; !rest.empty(); ++line) {
        const size_t end = std::min(rest.find(u'\n'), rest.size() - 1) + 1;
        if (!vexolin::utf::Utf16ToUtf8(rest.substr(0, end), out, vexolin::utf::Malformed::Reject))
            Fail(file, line, "invalid UTF-16 (a lone surrogate)");
        rest.remove_prefix(end);
    }
    return out;
}

// The text to parse: `bytes` past a UTF-8 byte-order mark, or `storage`
// holding UTF-16 decoded. Encodings this reader does not take are refused.
std::string_view DecodeText(std::string_view bytes, std::string &storage, const std::string &file) {
    auto startsWith = [&](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
    using namespace std::string_view_literals;
    if (startsWith("\xEF\xBB\xBF"sv)) return bytes.substr(3);
    if (startsWith("\xFF\xFE\0\0"sv) || startsWith("\0\0\xFE\xFF"sv))
        throw InputError(file + ": UTF-32 text is not supported; save the file as UTF-8");
    if (startsWith("\xFF\xFE"sv)) return storage = Utf16ToUtf8(bytes.substr(2), false, file);
    if (startsWith("\xFE\xFF"sv)) return storage = Utf16ToUtf8(bytes.substr(2), true, file);
    return bytes;
}

// ---- numbers ---------------------------------------------------------------

// strtod in the C locale, for the rare numbers from_chars leaves to it.
double CLocaleStrtod(const std::string &text) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (c == static_cast<locale_t>(nullptr)) return std::strtod(text.c_str(), nullptr);
    return strtod_l(text.c_str(), nullptr, c);
}

// A coordinate in any form strtod takes in the C locale: an optional sign,
// decimal digits with an optional point and exponent, or 0x and hexadecimal
// digits with an optional binary exponent. Infinities and NaN are refused:
// no mesh has them, and every geometric command would go wrong on them.
// Values too small for a float become 0 or subnormal, as strtof makes them.
bool ParseCoordinate(std::string_view token, float &out, std::string &why) {
    std::string_view s = token;
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    auto format = std::chars_format::general;
    if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        format = std::chars_format::hex;
    }
    const auto digit = [&](size_t i) {
        if (i >= s.size()) return false;
        const auto c = static_cast<unsigned char>(s[i]);
        return format == std::chars_format::hex ? std::isxdigit(c) != 0 : std::isdigit(c) != 0;
    };
    if (!digit(0) && !(s.size() > 1 && s[0] == '.' && digit(1))) {
        std::string lower(s);
        for (char &c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const bool special = format == std::chars_format::general &&
                             (lower == "inf" || lower == "infinity" || lower == "nan" || lower.rfind("nan(", 0) == 0);
        why = "'" + std::string(token) + (special ? "' is not a finite number" : "' is not a number");
        return false;
    }
    float value = 0;
    const char *end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data(), end, value, format);
    if (ptr != end || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
        why = "'" + std::string(token) + "' is not a number";
        return false;
    }
    if (ec == std::errc::result_out_of_range) {
        // Too large for a float, or so small that it rounds to 0 or a
        // subnormal; strtod tells the two apart.
        const double wide = CLocaleStrtod((format == std::chars_format::hex ? "0x" : "") + std::string(s));
        if (!(std::fabs(wide) <= static_cast<double>(std::numeric_limits<float>::max()))) {
            why = "'" + std::string(token) + "' is out of range for a single-precision number";
            return false;
        }
        value = static_cast<float>(wide);
    }
    out = negative ? -value : value;
    return true;
}

// An integer with an optional sign; false when it is not one, or too large.
bool ParseInteger(std::string_view s, int32_t &out) {
    if (s.size() > 1 && s[0] == '+' && s[1] != '-') s.remove_prefix(1);
    const char *end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data(), end, out);
    return ec == std::errc() && ptr == end && !s.empty();
}

// ---- statements ------------------------------------------------------------

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// The next token of a statement, or an empty view at its end or at a
// comment.
std::string_view NextToken(std::string_view &rest) {
    size_t i = 0;
    while (i < rest.size() && IsBlank(rest[i])) ++i;
    size_t j = i;
    while (j < rest.size() && !IsBlank(rest[j])) ++j;
    std::string_view token = rest.substr(i, j - i);
    rest.remove_prefix(j);
    if (!token.empty() && token[0] == '#') {
        rest = {};
        return {};
    }
    return token;
}

// The rest of a statement's tokens joined by single spaces: an object name.
std::string NameOf(std::string_view rest) {
    std::string name;
    for (std::string_view t = NextToken(rest); !t.empty(); t = NextToken(rest)) {
        if (!name.empty()) name += ' ';
        name += t;
    }
    return name;
}

// Splits text into statements: physical lines end at LF, CRLF or CR; a
// line ending in `\` (blanks may follow it) goes on on the next one.
class StatementReader {
public:
    explicit StatementReader(std::string_view text) : text_(text) {}

    // The next statement and the line it starts on; false at the end.
    bool Next(std::string_view &statement, int32_t &line) {
        if (pos_ >= text_.size()) return false;
        line = ++line_;
        std::string_view physical = Physical();
        if (!Continues(physical)) {
            statement = physical;
            return true;
        }
        joined_.clear();
        while (Continues(physical) && pos_ < text_.size()) {
            joined_.append(physical.substr(0, physical.find_last_of('\\')));
            joined_ += ' ';
            ++line_;
            physical = Physical();
        }
        if (Continues(physical)) physical = physical.substr(0, physical.find_last_of('\\'));
        joined_.append(physical);
        statement = joined_;
        return true;
    }

private:
    std::string_view Physical() {
        const size_t start = pos_;
        const char *base = text_.data();
        // The next LF is remembered, so that a file with CR line ends is
        // not searched to its end once per line.
        if (nextLf_ < start || nextLf_ == kUnknown) {
            const auto *nl = static_cast<const char *>(std::memchr(base + start, '\n', text_.size() - start));
            nextLf_ = nl == nullptr ? text_.size() : static_cast<size_t>(nl - base);
        }
        size_t end = nextLf_;
        if (const auto *cr = static_cast<const char *>(std::memchr(base + start, '\r', end - start)))
            end = static_cast<size_t>(cr - base);
        pos_ = end;
        if (pos_ < text_.size()) pos_ += (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ? 2 : 1;
        return text_.substr(start, end - start);
    }

    static bool Continues(std::string_view s) {
        size_t k = s.size();
        while (k > 0 && IsBlank(s[k - 1])) --k;
        return k > 0 && s[k - 1] == '\\';
    }

    static constexpr size_t kUnknown = static_cast<size_t>(-1);
    std::string_view text_;
    size_t pos_ = 0;
    size_t nextLf_ = kUnknown;
    int32_t line_ = 0;
    std::string joined_;
};

enum class SectionKind : uint8_t { Outside, Object, Group };

// The elements under one `o` or `g` name (or outside any), as read.
struct Section {
    std::string name;
    SectionKind kind = SectionKind::Outside;
    std::vector<int32_t> corners;   // 0-based file vertex per point, element after element
    std::vector<int32_t> faceSize;  // points per element
    std::vector<int32_t> faceLine;  // line of the statement that made each element
};

struct ForwardReference {
    int32_t line;
    int32_t index;  // 1-based
};

// Everything one pass over the text learns.
struct Parsed {
    std::vector<MQPoint> positions;
    std::vector<int32_t> vertexSection;  // file vertex -> section it was declared in
    std::vector<Section> sections;       // [0] is the section outside any name
    std::vector<ForwardReference> forward;
    bool hasObjectStatements = false;
};

class Parser {
public:
    Parser(const std::string &file, std::string defaultName) : file_(file) {
        parsed_.sections.emplace_back();
        parsed_.sections[0].name = std::move(defaultName);
    }

    Parsed Run(std::string_view text) {
        StatementReader reader(text);
        std::string_view statement;
        int32_t line = 0;
        while (reader.Next(statement, line)) Statement(statement, line);
        return std::move(parsed_);
    }

private:
    void Statement(std::string_view rest, int32_t line) {
        const std::string_view key = NextToken(rest);
        if (key.empty()) return;
        if (key.find('\0') != std::string_view::npos)
            Fail(file_, line, "a NUL byte in the text: not an OBJ file, or UTF-16 without a byte-order mark");
        if (key == "v") return Vertex(rest, line);
        if (key == "f") return Element(rest, line, 'f');
        if (key == "l") return Element(rest, line, 'l');
        if (key == "p") return Element(rest, line, 'p');
        if (key == "o") {
            parsed_.hasObjectStatements = true;
            return Enter(NameOf(rest), SectionKind::Object);
        }
        // With an `o` before it, `g` only groups faces inside that object.
        if (key == "g" && !parsed_.hasObjectStatements) return Enter(NameOf(rest), SectionKind::Group);
        // vt, vn, vp, usemtl, mtllib, s and the rest: nothing a selection needs.
    }

    void Vertex(std::string_view rest, int32_t line) {
        float xyz[3] = {0, 0, 0};
        int count = 0;
        for (std::string_view t = NextToken(rest); !t.empty(); t = NextToken(rest)) {
            float value = 0;
            if (!ParseCoordinate(t, value, why_)) Fail(file_, line, why_);
            if (count < 3) xyz[count] = value;
            ++count;
        }
        if (count < 3) Fail(file_, line, "a vertex needs three coordinates");
        if (parsed_.positions.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max()))
            Fail(file_, line, "too many vertices");
        parsed_.positions.push_back({xyz[0], xyz[1], xyz[2]});
        parsed_.vertexSection.push_back(current_);
    }

    // "v", "v/t", "v//n" or "v/t/n": the 0-based file vertex of v.
    int32_t Corner(std::string_view token, int32_t line) {
        const size_t slash = token.find('/');
        int32_t raw = 0;
        if (!ParseInteger(token.substr(0, slash), raw)) Fail(file_, line, "'" + std::string(token) + "' is not a vertex index");
        if (raw == 0) Fail(file_, line, "vertex index 0 (indices start at 1)");
        if (slash != std::string_view::npos) {
            const std::string_view rest = token.substr(slash + 1);
            const size_t slash2 = rest.find('/');
            const std::string_view t = rest.substr(0, slash2);
            const std::string_view n = slash2 == std::string_view::npos ? std::string_view{} : rest.substr(slash2 + 1);
            int32_t ignored = 0;
            if ((!t.empty() && !ParseInteger(t, ignored)) || (!n.empty() && !ParseInteger(n, ignored)) ||
                (slash2 != std::string_view::npos && n.empty()))
                Fail(file_, line, "'" + std::string(token) + "' is not a vertex/texture/normal index");
        }
        const auto declared = static_cast<int64_t>(parsed_.positions.size());
        if (raw < 0) {
            const int64_t index = declared + raw;
            if (index < 0)
                Fail(file_, line, "vertex index " + std::to_string(raw) + " is out of range (" +
                                      std::to_string(declared) + " vertices declared before this line)");
            return static_cast<int32_t>(index);
        }
        // A vertex declared further on: checked once the file is read.
        if (raw > declared) parsed_.forward.push_back({line, raw});
        return raw - 1;
    }

    void Element(std::string_view rest, int32_t line, char kind) {
        Section &section = parsed_.sections[static_cast<size_t>(current_)];
        const size_t first = section.corners.size();
        for (std::string_view t = NextToken(rest); !t.empty(); t = NextToken(rest))
            section.corners.push_back(Corner(t, line));
        const size_t n = section.corners.size() - first;
        if (n == 0) {
            Fail(file_, line, std::string("'") + kind + "' without points");
        }
        if (kind == 'l' && n < 2) {
            section.corners.resize(first);
            Fail(file_, line, "a line needs at least two points");
        }
        if (kind == 'f') {
            section.faceSize.push_back(static_cast<int32_t>(n));
            section.faceLine.push_back(line);
        } else if (kind == 'p') {
            section.faceSize.insert(section.faceSize.end(), n, 1);
            section.faceLine.insert(section.faceLine.end(), n, line);
        } else {
            // a b c d -> a b, b c, c d
            chain_.assign(section.corners.begin() + static_cast<ptrdiff_t>(first), section.corners.end());
            section.corners.resize(first);
            for (size_t k = 0; k + 1 < n; ++k) {
                section.corners.push_back(chain_[k]);
                section.corners.push_back(chain_[k + 1]);
            }
            section.faceSize.insert(section.faceSize.end(), n - 1, 2);
            section.faceLine.insert(section.faceLine.end(), n - 1, line);
        }
    }

    void Enter(std::string name, SectionKind kind) {
        if (name.empty()) {
            current_ = 0;
            return;
        }
        auto &names = kind == SectionKind::Object ? objectNames_ : groupNames_;
        const auto [it, added] = names.try_emplace(name, static_cast<int32_t>(parsed_.sections.size()));
        if (added) {
            parsed_.sections.emplace_back();
            parsed_.sections.back().name = std::move(name);
            parsed_.sections.back().kind = kind;
        }
        current_ = it->second;
    }

    const std::string &file_;
    Parsed parsed_;
    int32_t current_ = 0;
    std::unordered_map<std::string, int32_t> objectNames_, groupNames_;
    std::string why_;
    std::vector<int32_t> chain_;
};

// The elements of several sections that make one object, in file order.
Section Merge(std::vector<Section *> parts) {
    struct Ref {
        int32_t line;
        int32_t part;
        size_t face;
        size_t start;
    };
    std::vector<Ref> refs;
    for (size_t p = 0; p < parts.size(); ++p) {
        size_t start = 0;
        for (size_t f = 0; f < parts[p]->faceSize.size(); ++f) {
            refs.push_back({parts[p]->faceLine[f], static_cast<int32_t>(p), f, start});
            start += static_cast<size_t>(parts[p]->faceSize[f]);
        }
    }
    std::stable_sort(refs.begin(), refs.end(), [](const Ref &a, const Ref &b) { return a.line < b.line; });
    Section merged;
    for (const Ref &r : refs) {
        const Section &s = *parts[static_cast<size_t>(r.part)];
        const auto size = s.faceSize[r.face];
        merged.corners.insert(merged.corners.end(), s.corners.begin() + static_cast<ptrdiff_t>(r.start),
                              s.corners.begin() + static_cast<ptrdiff_t>(r.start) + size);
        merged.faceSize.push_back(size);
        merged.faceLine.push_back(r.line);
    }
    merged.name = parts[0]->name;
    merged.kind = parts[0]->kind;
    for (Section *p : parts) *p = Section{};
    return merged;
}

std::vector<LoadedObject> Build(Parsed &parsed, const std::string &file, standin::Document &document) {
    const auto vertexCount = static_cast<int32_t>(parsed.positions.size());
    for (const ForwardReference &ref : parsed.forward)
        if (ref.index > vertexCount)
            Fail(file, ref.line, "vertex index " + std::to_string(ref.index) + " is out of range (" +
                                     std::to_string(vertexCount) + " vertices in the file)");

    // Which object each section's elements go to: its own, but with `o` in
    // the file, groups met before the first `o` belong to the elements
    // outside any object.
    auto &sections = parsed.sections;
    const auto sectionCount = sections.size();
    std::vector<int32_t> owner(sectionCount);
    for (size_t s = 0; s < sectionCount; ++s)
        owner[s] = parsed.hasObjectStatements && sections[s].kind == SectionKind::Group ? 0 : static_cast<int32_t>(s);
    std::vector<Section *> folded = {&sections[0]};
    for (size_t s = 1; s < sectionCount; ++s)
        if (owner[s] != static_cast<int32_t>(s) && !sections[s].faceSize.empty()) folded.push_back(&sections[s]);
    if (folded.size() > 1) {
        Section merged = Merge(folded);
        sections[0] = std::move(merged);
    }

    // Unused vertices stay with the object they were declared in.
    std::vector<uint8_t> used(static_cast<size_t>(vertexCount), 0);
    for (const Section &s : sections)
        for (int32_t v : s.corners) used[static_cast<size_t>(v)] = 1;
    std::vector<std::vector<int32_t>> unused(sectionCount);
    for (int32_t v = 0; v < vertexCount; ++v)
        if (!used[static_cast<size_t>(v)])
            unused[static_cast<size_t>(owner[static_cast<size_t>(parsed.vertexSection[static_cast<size_t>(v)])])].push_back(v);
    std::vector<uint8_t>().swap(used);
    std::vector<int32_t>().swap(parsed.vertexSection);

    // The objects: named sections with something of their own; the one
    // outside any name when it has elements, or when there is nothing else.
    std::vector<size_t> made;
    for (size_t s = 1; s < sectionCount; ++s)
        if (owner[s] == static_cast<int32_t>(s) && (!sections[s].faceSize.empty() || !unused[s].empty())) made.push_back(s);
    if (!sections[0].faceSize.empty() || (made.empty() && !unused[0].empty())) {
        made.insert(made.begin(), 0);
    } else if (!unused[0].empty()) {
        auto &first = unused[made.front()];
        first.insert(first.end(), unused[0].begin(), unused[0].end());
        std::sort(first.begin(), first.end());
        std::vector<int32_t>().swap(unused[0]);
    }

    // One object at a time; `stamp` and `local` are shared by all of them.
    std::vector<int32_t> stamp(static_cast<size_t>(vertexCount), -1);
    std::vector<int32_t> local(static_cast<size_t>(vertexCount), -1);
    std::vector<LoadedObject> loaded;
    loaded.reserve(made.size());
    for (size_t k = 0; k < made.size(); ++k) {
        Section &section = sections[made[k]];
        LoadedObject info;
        info.name = section.name;
        info.file = file;
        std::vector<int32_t> &vertices = info.fileVertex;
        vertices = std::move(unused[made[k]]);
        for (int32_t v : section.corners) {
            if (stamp[static_cast<size_t>(v)] == static_cast<int32_t>(k)) continue;
            stamp[static_cast<size_t>(v)] = static_cast<int32_t>(k);
            vertices.push_back(v);
        }
        std::sort(vertices.begin(), vertices.end());
        info.documentIndex = document.AddObject(section.name);
        standin::Object &object = *document.ObjectAt(info.documentIndex);
        for (size_t i = 0; i < vertices.size(); ++i) {
            local[static_cast<size_t>(vertices[i])] = static_cast<int32_t>(i);
            object.AddVertex(parsed.positions[static_cast<size_t>(vertices[i])]);
        }
        for (int32_t &v : section.corners) v = local[static_cast<size_t>(v)];
        size_t start = 0;
        for (int32_t size : section.faceSize) {
            object.AddFace(std::span<const int32_t>(section.corners).subspan(start, static_cast<size_t>(size)));
            start += static_cast<size_t>(size);
        }
        info.sourceLine = std::move(section.faceLine);
        section = Section{};
        loaded.push_back(std::move(info));
    }
    return loaded;
}

std::string DefaultObjectName(const std::string &displayName) {
    const std::string stem = std::filesystem::path(displayName).stem().string();
    return stem.empty() ? "object" : stem;
}

// Parses `bytes`, then calls `release` (which may free them) before the
// document is built.
template <typename Release>
std::vector<LoadedObject> Load(std::string_view bytes, const std::string &displayName, standin::Document &document,
                               Release release) {
    std::string decoded;
    const std::string_view text = DecodeText(bytes, decoded, displayName);
    Parsed parsed = Parser(displayName, DefaultObjectName(displayName)).Run(text);
    std::string().swap(decoded);
    release();
    // Nothing can fail past this check but allocation; on that, the objects
    // added so far are removed again.
    const int32_t before = document.ObjectCount();
    try {
        return Build(parsed, displayName, document);
    } catch (const std::bad_alloc &) {
        for (int32_t i = document.ObjectCount() - 1; i >= before; --i) document.RemoveObject(i);
        throw;
    }
}

// A read-only private mapping of a whole file, its pages read in at once
// (one fault per page costs more than the parse on some machines).
class MappedFile {
public:
    explicit MappedFile(const std::string &path) {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) throw InputError(path + ": cannot be read: " + std::strerror(errno));
        struct stat st {};
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            close(fd);
            throw InputError(path + ": cannot be read: not a regular file");
        }
        size_ = static_cast<size_t>(st.st_size);
        if (size_ > 0) {
            data_ = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
            const int error = errno;
            close(fd);
            if (data_ == MAP_FAILED) {
                data_ = nullptr;
                if (error == ENOMEM) throw std::bad_alloc();
                throw InputError(path + ": cannot be read: " + std::strerror(error));
            }
        } else {
            close(fd);
        }
    }
    ~MappedFile() { Release(); }
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    std::string_view Bytes() const { return {static_cast<const char *>(data_), data_ == nullptr ? 0 : size_}; }
    void Release() {
        if (data_ != nullptr) munmap(data_, size_);
        data_ = nullptr;
    }

private:
    void *data_ = nullptr;
    size_t size_ = 0;
};

} // namespace

std::vector<LoadedObject> LoadObjText(std::string_view bytes, const std::string &displayName,
                                      standin::Document &document) {
    return Load(bytes, displayName, document, [] {});
}

std::vector<LoadedObject> LoadObjFile(const std::string &path, standin::Document &document) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) throw InputError(path + ": no such file");
    if (std::filesystem::is_directory(path, ec)) throw InputError(path + ": is a directory, not an OBJ file");
    MappedFile file(path);
    return Load(file.Bytes(), path, document, [&file] { file.Release(); });
}

} // namespace standin::cli
