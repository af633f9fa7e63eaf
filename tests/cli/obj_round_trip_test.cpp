// OBJ files as other programs write them: random multi-object meshes
// written in many styles and encodings, read back and compared exactly;
// number forms; encodings that are decoded or refused.
#include "standin/cli/obj_loader.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace cli = standin::cli;

namespace {

using cli::InputError;
using cli::LoadObjText;

// One statement that makes elements: `f` (one face), `l` (a chain of
// two-point faces) or `p` (one-point faces), over object-local vertices.
struct Statement {
    char kind;
    std::vector<int32_t> points;
};

struct ModelObject {
    std::string name;
    std::vector<MQPoint> vertices;
    std::vector<Statement> statements;
    std::vector<std::vector<int32_t>> Faces() const {
        std::vector<std::vector<int32_t>> faces;
        for (const Statement &s : statements) {
            if (s.kind == 'f') faces.push_back(s.points);
            for (size_t i = 0; s.kind == 'l' && i + 1 < s.points.size(); ++i) faces.push_back({s.points[i], s.points[i + 1]});
            for (size_t i = 0; s.kind == 'p' && i < s.points.size(); ++i) faces.push_back({s.points[i]});
        }
        return faces;
    }
};

enum class Layout {
    Grouped,        // o/g NAME, its vertices, its elements
    VertexBlocks,   // the vertices of object k, then g k and its elements (vertex blocks between groups)
    AllFirst,       // every vertex in one block under "g default", then the groups
    Interleaved,    // each group's elements in two parts, the groups visited twice
};

struct Style {
    Layout layout;
    bool useO;          // o instead of g for the objects
    bool negative;      // relative indices
    int attributes;     // 0: v, 1: v/t, 2: v//n, 3: v/t/n
    bool extraValues;   // v with w, or with colours
    bool unused;        // vertices no element uses (only where they stay with their object)
    const char *eol;
    int continuations;  // how many statements are split over lines
    int encoding;       // 0: plain, 1: UTF-8 BOM, 2: UTF-16 LE, 3: UTF-16 BE
};

std::string FormatFloat(float value, std::mt19937 &rng) {
    char buffer[64];
    switch (rng() % 5) {
    case 0: std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value)); break;
    case 1: std::snprintf(buffer, sizeof buffer, "%+.8e", static_cast<double>(value)); break;
    case 2: std::snprintf(buffer, sizeof buffer, "%a", static_cast<double>(value)); break;
    case 3: std::snprintf(buffer, sizeof buffer, "%+.9G", static_cast<double>(value)); break;
    default:
        // "2." and "+2." for whole numbers, which other writers produce.
        if (value == std::trunc(value) && std::fabs(value) < 1e6f)
            std::snprintf(buffer, sizeof buffer, "%+.0f.", static_cast<double>(value));
        else
            std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    }
    return buffer;
}

std::string Utf8ToUtf16(const std::string &utf8, bool bigEndian) {
    std::string out;
    auto unit = [&](uint32_t u) {
        const auto hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    unit(0xFEFF);
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        uint32_t cp = n == 1 ? c : n == 2 ? (c & 0x1Fu) : n == 3 ? (c & 0x0Fu) : (c & 0x07u);
        for (int k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]) & 0x3Fu);
        i += static_cast<size_t>(n);
        if (cp >= 0x10000) {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unit(cp);
        }
    }
    return out;
}

std::vector<ModelObject> RandomModel(std::mt19937 &rng, bool unused) {
    const char *names[] = {"Base", "Site_2", "Dach\xC3\xBC", "r\xF0\x9F\x8F\xA0of", "mesh.7", "Part-9"};
    std::vector<ModelObject> objects(2 + rng() % 4);
    for (size_t o = 0; o < objects.size(); ++o) {
        ModelObject &object = objects[o];
        object.name = names[o];
        const int32_t n = 3 + static_cast<int32_t>(rng() % 12);
        for (int32_t v = 0; v < n; ++v) {
            auto coordinate = [&] {
                switch (rng() % 4) {
                case 0: return static_cast<float>(static_cast<int>(rng() % 21) - 10);
                case 1: return std::ldexp(static_cast<float>(rng() % 1000), -static_cast<int>(rng() % 140));
                default: return std::uniform_real_distribution<float>(-1e4f, 1e4f)(rng);
                }
            };
            object.vertices.push_back({coordinate(), coordinate(), coordinate()});
        }
        // Every vertex used unless unused ones are wanted; then the last
        // two are left out.
        const int32_t usable = unused ? n - 2 : n;
        std::vector<uint8_t> covered(static_cast<size_t>(usable), 0);
        const int statements = 1 + static_cast<int>(rng() % 6);
        for (int s = 0; s < statements || std::count(covered.begin(), covered.end(), 0) > 0; ++s) {
            Statement st;
            const auto r = rng() % 10;
            st.kind = r < 7 ? 'f' : r < 9 ? 'l' : 'p';
            const size_t count = st.kind == 'l' ? 2 + rng() % 4 : 1 + rng() % 6;
            for (size_t k = 0; k < count; ++k) {
                // Prefer vertices not yet used, so that the loop ends.
                auto v = static_cast<int32_t>(rng() % static_cast<uint32_t>(usable));
                const auto it = std::find(covered.begin(), covered.end(), 0);
                if (it != covered.end() && rng() % 2 == 0) v = static_cast<int32_t>(it - covered.begin());
                covered[static_cast<size_t>(v)] = 1;
                st.points.push_back(v);
            }
            object.statements.push_back(std::move(st));
        }
    }
    return objects;
}

// Writes the model in one style; the text as a program would save it.
std::string WriteObj(const std::vector<ModelObject> &objects, const Style &style, std::mt19937 &rng) {
    std::vector<std::string> lines = {"# written by the round-trip test", "mtllib scene.mtl"};
    int32_t declared = 0;
    std::vector<int32_t> firstVertex(objects.size());
    auto vertexBlock = [&](size_t o) {
        firstVertex[o] = declared;
        for (const MQPoint &p : objects[o].vertices) {
            std::string line = "v " + FormatFloat(p.x, rng) + " " + FormatFloat(p.y, rng) + "  " + FormatFloat(p.z, rng);
            if (style.extraValues) line += rng() % 2 ? " 1.0" : " 0.5 0.25 1";
            lines.push_back(line);
            ++declared;
        }
        lines.push_back("vt 0.5 0.5");
        lines.push_back("vn 0 0 1");
    };
    auto statements = [&](size_t o, size_t from, size_t to) {
        lines.push_back(style.useO ? "o " + objects[o].name : "g " + objects[o].name);
        lines.push_back("usemtl m" + std::to_string(o));
        lines.push_back(rng() % 2 ? "s off" : "s 1");
        for (size_t s = from; s < to; ++s) {
            const Statement &st = objects[o].statements[s];
            std::string line(1, st.kind);
            for (int32_t v : st.points) {
                const int32_t file = firstVertex[o] + v;
                std::string index = style.negative ? std::to_string(file - declared) : std::to_string(file + 1);
                if (!style.negative && rng() % 4 == 0) index = "+" + index;
                if (st.kind == 'f' || st.kind == 'l') {
                    if (style.attributes == 1) index += "/1";
                    if (style.attributes == 2 && st.kind == 'f') index += "//1";
                    if (style.attributes == 3 && st.kind == 'f') index += "/1/1";
                }
                line += (rng() % 3 ? " " : " \t") + index;
            }
            lines.push_back(line);
        }
    };
    switch (style.layout) {
    case Layout::Grouped:
        for (size_t o = 0; o < objects.size(); ++o) {
            lines.push_back(style.useO ? "o " + objects[o].name : "g " + objects[o].name);
            vertexBlock(o);
            statements(o, 0, objects[o].statements.size());
        }
        break;
    case Layout::VertexBlocks:
        for (size_t o = 0; o < objects.size(); ++o) {
            vertexBlock(o);
            statements(o, 0, objects[o].statements.size());
        }
        break;
    case Layout::AllFirst:
        lines.push_back("g default");
        for (size_t o = 0; o < objects.size(); ++o) vertexBlock(o);
        for (size_t o = 0; o < objects.size(); ++o) statements(o, 0, objects[o].statements.size());
        break;
    case Layout::Interleaved:
        for (size_t o = 0; o < objects.size(); ++o) vertexBlock(o);
        for (size_t o = 0; o < objects.size(); ++o) statements(o, 0, objects[o].statements.size() / 2);
        for (size_t o = 0; o < objects.size(); ++o)
            statements(o, objects[o].statements.size() / 2, objects[o].statements.size());
        break;
    }
    for (int c = 0; c < style.continuations; ++c) {
        std::string &line = lines[rng() % lines.size()];
        const size_t space = line.find(' ', 2);
        if (line[0] == '#' || space == std::string::npos || line.find('\\') != std::string::npos) continue;
        line.replace(space, 1, rng() % 2 ? " \\\n" : "\\ \n");  // a line ending is put in below
    }
    std::string text;
    for (const std::string &line : lines) {
        for (char ch : line) {
            if (ch == '\n') text += style.eol;
            else text += ch;
        }
        text += style.eol;
    }
    if (style.encoding == 1) return "\xEF\xBB\xBF" + text;
    if (style.encoding >= 2) return Utf8ToUtf16(text, style.encoding == 3);
    return text;
}

std::string Describe(const Style &s) {
    return "layout " + std::to_string(static_cast<int>(s.layout)) + (s.useO ? " o" : " g") +
           (s.negative ? " negative" : "") + " attributes " + std::to_string(s.attributes) +
           (s.extraValues ? " extra" : "") + (s.unused ? " unused" : "") + " eol " +
           (s.eol[0] == '\r' ? (s.eol[1] == '\n' ? "CRLF" : "CR") : "LF") + " continuations " +
           std::to_string(s.continuations) + " encoding " + std::to_string(s.encoding);
}

TEST(ObjRoundTrip, RandomMeshesInEveryStyleReadBackExactly) {
    std::mt19937 rng(20240517);
    const char *eols[] = {"\n", "\r\n", "\r"};
    for (int round = 0; round < 400; ++round) {
        Style style;
        style.layout = static_cast<Layout>(rng() % 4);
        style.useO = style.layout != Layout::AllFirst && rng() % 3 == 0;
        style.negative = rng() % 2 == 0;
        style.attributes = static_cast<int>(rng() % 4);
        style.extraValues = rng() % 3 == 0;
        style.unused = style.layout == Layout::Grouped && rng() % 2 == 0;
        style.eol = eols[rng() % 3];
        style.continuations = static_cast<int>(rng() % 4);
        style.encoding = static_cast<int>(rng() % 4);
        const auto model = RandomModel(rng, style.unused);
        const std::string bytes = WriteObj(model, style, rng);
        SCOPED_TRACE(Describe(style));

        standin::Document doc;
        std::vector<cli::LoadedObject> loaded;
        try {
            loaded = LoadObjText(bytes, "dir/round.obj", doc);
        } catch (const InputError &e) {
            FAIL() << e.what();
        }
        ASSERT_EQ(doc.ObjectCount(), static_cast<int32_t>(model.size()));
        ASSERT_EQ(loaded.size(), model.size());
        for (size_t o = 0; o < model.size(); ++o) {
            const standin::Object &object = *doc.ObjectAt(static_cast<int32_t>(o));
            ASSERT_EQ(object.Name(), model[o].name);
            ASSERT_EQ(object.VertexCount(), static_cast<int32_t>(model[o].vertices.size()));
            for (int32_t v = 0; v < object.VertexCount(); ++v) {
                const MQPoint got = object.Position(v), want = model[o].vertices[static_cast<size_t>(v)];
                ASSERT_EQ(std::bit_cast<uint32_t>(got.x), std::bit_cast<uint32_t>(want.x)) << "object " << o << " vertex " << v;
                ASSERT_EQ(std::bit_cast<uint32_t>(got.y), std::bit_cast<uint32_t>(want.y)) << "object " << o << " vertex " << v;
                ASSERT_EQ(std::bit_cast<uint32_t>(got.z), std::bit_cast<uint32_t>(want.z)) << "object " << o << " vertex " << v;
            }
            const auto faces = model[o].Faces();
            ASSERT_EQ(object.FaceCount(), static_cast<int32_t>(faces.size())) << "object " << o;
            for (int32_t f = 0; f < object.FaceCount(); ++f) {
                const auto p = object.Points(f);
                ASSERT_EQ(std::vector<int32_t>(p.begin(), p.end()), faces[static_cast<size_t>(f)]) << "object " << o << " face " << f;
            }
            ASSERT_EQ(loaded[o].sourceLine.size(), faces.size());
            ASSERT_TRUE(std::is_sorted(loaded[o].sourceLine.begin(), loaded[o].sourceLine.end()));
        }
    }
}

// Written files mangled at random (bytes changed, dropped, doubled, the
// file cut short): each loads whole or is refused with one line naming the
// file; nothing else is thrown, and a loaded document is consistent. Under
// the sanitizers this also reads every path of the reader for overruns.
TEST(ObjRoundTrip, MangledFilesLoadWholeOrAreRefusedInOneLine) {
    std::mt19937 rng(17);
    const char alphabet[] = "vfglpo0123456789-+./\\ #\t\r\n\xEF\xBB\xBF\xFE\xFF\0xeEinaf";
    int loaded = 0, refused = 0;
    for (int round = 0; round < 1500; ++round) {
        Style style{static_cast<Layout>(rng() % 4), false, rng() % 2 == 0, static_cast<int>(rng() % 4), rng() % 2 == 0,
                    false, "\n", static_cast<int>(rng() % 3), static_cast<int>(rng() % 4)};
        std::string bytes = WriteObj(RandomModel(rng, false), style, rng);
        for (int edits = 1 + static_cast<int>(rng() % 4); edits > 0 && !bytes.empty(); --edits) {
            const size_t at = rng() % bytes.size();
            switch (rng() % 4) {
            case 0: bytes[at] = alphabet[rng() % (sizeof alphabet - 1)]; break;
            case 1: bytes.erase(at, 1 + rng() % 8); break;
            case 2: bytes.insert(at, bytes.substr(at, 1 + rng() % 8)); break;
            default: bytes.resize(at); break;
            }
        }
        standin::Document doc;
        try {
            const auto objects = LoadObjText(bytes, "m.obj", doc);
            ++loaded;
            ASSERT_EQ(static_cast<int32_t>(objects.size()), doc.ObjectCount());
            for (const auto &info : objects) {
                const standin::Object &o = *doc.ObjectAt(info.documentIndex);
                ASSERT_EQ(static_cast<size_t>(o.FaceCount()), info.sourceLine.size()) << "a face was lost";
                ASSERT_EQ(static_cast<size_t>(o.VertexCount()), info.fileVertex.size());
                ASSERT_TRUE(o.FaceCount() > 0 || o.VertexCount() > 0) << "an empty object was made";
            }
        } catch (const InputError &e) {
            ++refused;
            const std::string what = e.what();
            ASSERT_EQ(what.rfind("m.obj", 0), 0u) << what;
            ASSERT_EQ(what.find('\n'), std::string::npos) << what;
        }
    }
    // Both outcomes happen, so neither branch is vacuous.
    EXPECT_GT(loaded, 100);
    EXPECT_GT(refused, 100);
}

float OneCoordinate(const std::string &token) {
    standin::Document doc;
    LoadObjText("v " + token + " 0 0\np 1\n", "n.obj", doc);
    return doc.ObjectAt(0)->Position(0).x;
}

std::string Refusal(const std::string &bytes) {
    standin::Document doc;
    doc.AddObject("before");
    try {
        LoadObjText(bytes, "x.obj", doc);
    } catch (const InputError &e) {
        EXPECT_EQ(doc.ObjectCount(), 1) << "the document changed on: " << e.what();
        return e.what();
    }
    return "accepted";
}

// The number forms strtod takes in the C locale, read the same under a
// locale with a decimal comma; and what is not a finite number.
TEST(ObjForms, NumbersInEveryFormTheCLibraryReadsWhateverTheLocale) {
    const char *locales[] = {"C", "de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"};
    for (const char *name : locales) {
        if (std::setlocale(LC_ALL, name) == nullptr) continue;
        SCOPED_TRACE(name);
        EXPECT_EQ(OneCoordinate("+1"), 1.0f);
        EXPECT_EQ(OneCoordinate("+2."), 2.0f);
        EXPECT_EQ(OneCoordinate("+1e+2"), 100.0f);
        EXPECT_EQ(OneCoordinate("-.5"), -0.5f);
        EXPECT_EQ(OneCoordinate("1.5E-1"), 0.15f);
        EXPECT_EQ(OneCoordinate("0x1.8p1"), 3.0f);
        EXPECT_EQ(OneCoordinate("-0X10"), -16.0f);
        EXPECT_EQ(OneCoordinate("0.1"), 0.1f);
        EXPECT_EQ(OneCoordinate("1e-50"), 0.0f);
        EXPECT_EQ(OneCoordinate("1e-40"), 1e-40f);
        EXPECT_EQ(OneCoordinate("3.4028234e38"), 3.4028234e38f);
    }
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(Refusal("v 1 2 inf\n"), "x.obj:1: 'inf' is not a finite number");
    EXPECT_EQ(Refusal("v 1 2 3\nv -NaN 2 3\n"), "x.obj:2: '-NaN' is not a finite number");
    EXPECT_EQ(Refusal("v 1e39 2 3\n"), "x.obj:1: '1e39' is out of range for a single-precision number");
    for (const char *bad : {"+-1", "1.2.3", "0x", "1e", "1,5", "--1", "."})
        EXPECT_EQ(Refusal(std::string("v ") + bad + " 0 0\n"), std::string("x.obj:1: '") + bad + "' is not a number");
}

// Files of the kinds other programs save, each as its own small case.
TEST(ObjForms, ForeignFilesReadRightOrAreRefusedClearly) {
    // Vertex blocks between groups make no objects of their own.
    standin::Document doc;
    LoadObjText("g default\nv 0 0 0\nv 1 0 0\nv 1 1 0\ng Base\nf 1 2 3\ng default\nv 2 2 2\nv 3 3 3\n"
                "g Site\nf -1 -2 1\n",
                "site.obj", doc);
    ASSERT_EQ(doc.ObjectCount(), 2);
    EXPECT_EQ(doc.ObjectAt(0)->Name(), "Base");
    EXPECT_EQ(doc.ObjectAt(1)->Name(), "Site");
    EXPECT_EQ(doc.ObjectAt(1)->VertexCount(), 3);

    // A byte-order mark before the first vertex keeps that vertex.
    standin::Document bom;
    LoadObjText("\xEF\xBB\xBFv 7 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\n", "bom.obj", bom);
    EXPECT_EQ(bom.ObjectAt(0)->Position(0).x, 7.0f);

    // A statement continued at the end of the file, and a trailing comment.
    standin::Document cont;
    LoadObjText("v 0 0 0\nv 1 0 0\nv 1 1 \\\n 0 # apex\nf 1 2 \\", "c.obj", cont);
    EXPECT_EQ(cont.ObjectAt(0)->FaceCount(), 1);
    EXPECT_EQ(cont.ObjectAt(0)->PointCount(0), 2);

    // A folder name for the object of elements outside any group.
    standin::Document outside;
    LoadObjText("v 0 0 0\np 1\n", "/tmp/some where/pts.obj", outside);
    EXPECT_EQ(outside.ObjectAt(0)->Name(), "pts");

    // Encodings that cannot be read are refused, never read as empty.
    const std::string utf16NoBom("v\0 \0001\0 \0002\0 \0003\0\n\0", 16);
    EXPECT_EQ(Refusal(utf16NoBom),
              "x.obj:1: a NUL byte in the text: not an OBJ file, or UTF-16 without a byte-order mark");
    EXPECT_EQ(Refusal(std::string("\xFF\xFEv\0 ", 5)), "x.obj: UTF-16 text with an odd number of bytes (cut short?)");
    EXPECT_EQ(Refusal(std::string("\xFF\xFE\x00\xD8v\0", 6)), "x.obj:1: invalid UTF-16 (a lone surrogate)");
    // ... on the line it stands on: a pair is read on line 1 (inside a
    // comment), a low surrogate alone on line 3, a high one before a line
    // break on line 2.
    EXPECT_EQ(Refusal(std::string("\xFE\xFF\0#\xD8\x3D\xDE\x00\0\n\0\n\0v\xDC\x00", 16)),
              "x.obj:3: invalid UTF-16 (a lone surrogate)");
    EXPECT_EQ(Refusal(std::string("\xFF\xFE#\0\n\0v\0\x00\xD8\n\0", 12)), "x.obj:2: invalid UTF-16 (a lone surrogate)");
    EXPECT_EQ(Refusal(std::string("\xFF\xFE\0\0v\0\0\0", 8)), "x.obj: UTF-32 text is not supported; save the file as UTF-8");
    // A continued statement keeps the number of the line it started on.
    EXPECT_EQ(Refusal("v 0 0 0\nf 1 \\\r\n 2 \\\r\n 9\r\nf 1 x\r\n"), "x.obj:5: 'x' is not a vertex index");
    EXPECT_EQ(Refusal("v 0 0 0\nf 1 \\\n 9\n"), "x.obj:2: vertex index 9 is out of range (1 vertices in the file)");
}

} // namespace
