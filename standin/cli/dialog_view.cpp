#include "standin/cli/dialog_view.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include <cairo.h>

#include "standin/cli/dialog_commands.h"
#include "standin/cli/obj_loader.h"
#include "standin/cli/png_bytes.h"

namespace vexcli {

namespace tk = standin::toolkit;

std::optional<bool> DialogNode::Bool(const std::string &keyword) const {
    const auto it = props.find(keyword);
    if (it == props.end() || !std::holds_alternative<bool>(it->second)) return std::nullopt;
    return std::get<bool>(it->second);
}

std::optional<int32_t> DialogNode::Int(const std::string &keyword) const {
    const auto it = props.find(keyword);
    if (it == props.end() || !std::holds_alternative<int32_t>(it->second)) return std::nullopt;
    return std::get<int32_t>(it->second);
}

std::optional<double> DialogNode::Number(const std::string &keyword) const {
    const auto it = props.find(keyword);
    if (it == props.end()) return std::nullopt;
    if (const auto *d = std::get_if<double>(&it->second)) return *d;
    if (const auto *i = std::get_if<int32_t>(&it->second)) return *i;
    return std::nullopt;
}

std::string DialogNode::Keyword(const std::string &keyword) const {
    const auto it = props.find(keyword);
    if (it == props.end() || !std::holds_alternative<std::string>(it->second)) return {};
    return std::get<std::string>(it->second);
}

DialogNode CaptureWidgetTree(int32_t widget) {
    DialogNode node;
    node.id = widget;
    node.kind = tk::KindOf(widget).value_or(tk::Kind::Frame);
    node.text = tk::Text(widget);
    // Every property a widget of the dialog can hold; Property answers
    // nothing for those its kind does not have.
    static const char *const kKeywords[] = {
        "alignment",   "multicolumn", "matrixcolumn", "vertlayout", "horzlayout", "hintsizeratex",
        "hintsizeratey", "cancel",    "modalresult",  "checked",    "position",   "min",
        "max",         "increment",   "decimaldigit", "visiblecolumn", "pos_x",   "pos_y"};
    for (const char *k : kKeywords)
        if (auto v = tk::Property(widget, k)) node.props.emplace(k, std::move(*v));
    for (int32_t child : tk::ChildrenOf(widget)) node.children.push_back(CaptureWidgetTree(child));
    return node;
}

char Mnemonic(const std::string &label) {
    for (size_t i = 0; i + 1 < label.size(); ++i) {
        if (label[i] != '&') continue;
        if (label[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(label[i + 1])));
    }
    return 0;
}

std::string ShownLabel(const std::string &label) {
    std::string out;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&' && i + 1 < label.size()) ++i;
        out += label[i];
    }
    return out;
}

namespace {

// ---------------------------------------------------------------------------
// The list
// ---------------------------------------------------------------------------

std::string Number(double v, int decimals) {
    char buffer[64];
    if (decimals >= 0) std::snprintf(buffer, sizeof buffer, "%.*f", std::min(decimals, 15), v);
    else if (v == std::floor(v) && std::fabs(v) < 1e15) std::snprintf(buffer, sizeof buffer, "%.0f", v);
    else std::snprintf(buffer, sizeof buffer, "%.10g", v);
    return buffer;
}

std::string Quoted(const std::string &s) { return "\"" + s + "\""; }

std::string Pad(std::string s, size_t width) {
    if (s.size() < width) s.append(width - s.size(), ' ');
    return s + "  ";
}

// The Alt key that really acts on this widget: the label's mnemonic, when
// the dialog's key handler knows it for the same label.
std::string AltOf(const std::string &label) {
    const char m = Mnemonic(label);
    if (m == 0) return {};
    try {
        const AltKey key = FindAltKey(std::string(1, m));
        const char *target = key.command != nullptr ? key.command->label : key.toggles;
        if (target != nullptr && label == target) return std::string("Alt+") + m;
    } catch (const InputError &) {
    }
    return "no Alt key";
}

// The command-line option that sets a control, by what precedes it.
std::string OptionOf(const DialogNode &node, const std::string &labelBefore, const std::string &group) {
    if (node.kind == tk::Kind::CheckBox) {
        if (node.text == "(&F)ace") return "--face";
        if (node.text == "(&L)ocal") return "--local";
        if (node.text == "Supplement") return "--supplement";
        if (node.text == "All objects(&A)") return "--all-objects";
        return {};
    }
    if (labelBefore == "Range") return "--range";
    if (labelBefore == "Angle") return "--angle1";
    if (labelBefore == "->") return "--angle2";
    if (group == "select by index" && node.kind == tk::Kind::SpinBox) return "--index";
    return {};
}

void ListNode(const DialogNode &node, int depth, const std::string &group, const std::string &labelBefore,
              std::string &out) {
    const std::string indent(static_cast<size_t>(depth) * 2, ' ');
    auto children = [&](int childDepth, const std::string &childGroup) {
        std::string before;
        for (const DialogNode &c : node.children) {
            ListNode(c, childDepth, childGroup, before, out);
            before = c.kind == tk::Kind::Label ? c.text : std::string();
        }
    };
    switch (node.kind) {
    case tk::Kind::MainWindow:
    case tk::Kind::Frame: children(depth, group); return;
    case tk::Kind::Dialog:
        out += "dialog " + Quoted(node.text) + "\n";
        children(depth + 1, {});
        return;
    case tk::Kind::GroupBox:
        out += indent + "group " + Quoted(node.text) + "\n";
        children(depth + 1, node.text);
        return;
    case tk::Kind::Label: out += indent + "label " + Quoted(node.text) + "\n"; return;
    case tk::Kind::Button: {
        std::string line = indent + "button " + Pad(Quoted(node.text), 26 - indent.size());
        std::string what;
        if (node.Bool("cancel").value_or(false)) {
            what = "cancels the dialog";
        } else {
            try {
                const DialogCommand &c = FindCommand(node.text, group);
                what = "command " + std::to_string(c.number);
            } catch (const InputError &) {
                what = "modal result " + std::to_string(node.Int("modalresult").value_or(0));
            }
        }
        line += Pad(AltOf(node.text), 10) + what;
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
        return;
    }
    case tk::Kind::CheckBox: {
        std::string line = indent + "check box " + (node.Bool("checked").value_or(false) ? "[x] " : "[ ] ") +
                           Pad(Quoted(node.text), 22 - indent.size());
        line += Pad(AltOf(node.text), 10) + OptionOf(node, labelBefore, group);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
        return;
    }
    case tk::Kind::SpinBox:
    case tk::Kind::DoubleSpinBox: {
        const bool isDouble = node.kind == tk::Kind::DoubleSpinBox;
        const int decimals = isDouble ? node.Int("decimaldigit").value_or(2) : 0;
        std::string line = indent + (isDouble ? "number " : "integer ");
        if (!labelBefore.empty()) line += "after " + Quoted(labelBefore) + " ";
        line += "= " + Number(node.Number("position").value_or(0), decimals);
        line += "  (" + Number(node.Number("min").value_or(0), -1) + " to " +
                Number(node.Number("max").value_or(0), -1);
        if (const auto step = node.Number("increment")) line += ", step " + Number(*step, -1);
        line += ")";
        if (const std::string option = OptionOf(node, labelBefore, group); !option.empty()) line += "  " + option;
        out += line + "\n";
        return;
    }
    }
}

// ---------------------------------------------------------------------------
// Layout
// ---------------------------------------------------------------------------

constexpr double kFontSize = 13;
constexpr double kGap = 6;           // between the children of a frame
constexpr double kGroupPad = 8;      // inside a group box's border
constexpr double kGroupTitle = 18;   // a group box's title above its contents
constexpr double kTitleBar = 28;     // the dialog's title bar
constexpr double kMargin = 10;       // inside the dialog
constexpr double kControlHeight = 24;
constexpr double kCheckSize = 14;
constexpr double kArrows = 16;       // a spin box's arrow column

struct Size {
    double w = 0, h = 0;
};

class Measurer {
public:
    Measurer() : surface_(MakeSurface(1, 1)), cr_(cairo_create(surface_.get())) {
        cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr_, kFontSize);
    }
    ~Measurer() { cairo_destroy(cr_); }
    Measurer(const Measurer &) = delete;
    Measurer &operator=(const Measurer &) = delete;

    double Width(const std::string &text) const {
        cairo_text_extents_t e;
        cairo_text_extents(cr_, text.c_str(), &e);
        return e.x_advance;
    }

private:
    Surface surface_;
    cairo_t *cr_;
};

bool IsContainer(const DialogNode &n) { return n.kind == tk::Kind::Frame || n.kind == tk::Kind::GroupBox; }

bool Horizontal(const DialogNode &n) {
    const std::string a = n.Keyword("alignment");
    if (a.empty()) return n.kind == tk::Kind::Frame;
    return a == "horz";
}

// Columns of a "multicolumn" grid, 0 when the frame is not one.
int GridColumns(const DialogNode &n) {
    if (!n.Bool("multicolumn").value_or(false)) return 0;
    return std::max(0, n.Int("matrixcolumn").value_or(0));
}

std::string SpinText(const DialogNode &n) {
    if (n.kind == tk::Kind::DoubleSpinBox)
        return Number(n.Number("position").value_or(0), n.Int("decimaldigit").value_or(2));
    return Number(n.Number("position").value_or(0), 0);
}

class Layouter {
public:
    explicit Layouter(DialogLayout &layout) : layout_(layout) {}

    Size Measure(const DialogNode &n) {
        Size s = MeasureOwn(n);
        sizes_[n.id] = s;
        return s;
    }

    void Place(const DialogNode &n, double x, double y, double w, double h) {
        layout_.boxes[n.id] = Box{x, y, w, h};
        if (n.kind == tk::Kind::Dialog) {
            PlaceChildren(n, false, x + kMargin, y + kTitleBar + kMargin, w - 2 * kMargin,
                          h - kTitleBar - 2 * kMargin);
        } else if (n.kind == tk::Kind::GroupBox) {
            PlaceChildren(n, Horizontal(n), x + kGroupPad, y + kGroupTitle + 4, w - 2 * kGroupPad,
                          h - kGroupTitle - 4 - kGroupPad);
        } else if (n.kind == tk::Kind::Frame) {
            PlaceChildren(n, Horizontal(n), x, y, w, h);
        }
    }

private:
    Size MeasureOwn(const DialogNode &n) {
        Size s;
        switch (n.kind) {
        case tk::Kind::MainWindow:
        case tk::Kind::Dialog: {
            const Size c = Content(n, false);
            s = {std::max(c.w, measure_.Width(n.text) + 40) + 2 * kMargin, c.h + kTitleBar + 2 * kMargin};
            return s;
        }
        case tk::Kind::GroupBox: {
            const Size c = Content(n, Horizontal(n));
            return {std::max(c.w, measure_.Width(n.text) + 12) + 2 * kGroupPad, c.h + kGroupTitle + 4 + kGroupPad};
        }
        case tk::Kind::Frame: return Content(n, Horizontal(n));
        case tk::Kind::Label: s = {measure_.Width(n.text) + 4, kControlHeight}; break;
        case tk::Kind::Button: s = {std::max(measure_.Width(ShownLabel(n.text)) + 20, 56.0), kControlHeight + 2}; break;
        case tk::Kind::CheckBox: s = {kCheckSize + 6 + measure_.Width(ShownLabel(n.text)) + 4, kControlHeight}; break;
        case tk::Kind::SpinBox:
        case tk::Kind::DoubleSpinBox: {
            const int columns = n.Int("visiblecolumn").value_or(0);
            const double digits = measure_.Width("0");
            const double text = columns > 0 ? columns * digits : std::max(7 * digits, measure_.Width(SpinText(n)));
            s = {text + 12 + kArrows, kControlHeight};
            break;
        }
        }
        // A control asked to take a multiple of its natural size.
        if (n.Keyword("vertlayout") == "hintsize") s.h *= n.Number("hintsizeratey").value_or(1.0);
        if (n.Keyword("horzlayout") == "hintsize") s.w *= n.Number("hintsizeratex").value_or(1.0);
        return s;
    }

    Size Content(const DialogNode &n, bool horizontal) {
        std::vector<Size> kids;
        for (const DialogNode &c : n.children) kids.push_back(Measure(c));
        if (kids.empty()) return {};
        if (const int columns = GridColumns(n); columns > 0) {
            const Grid g = GridOf(n, kids, horizontal, columns);
            return {g.cellW * g.cols + kGap * (g.cols - 1), Sum(g.rowH) + kGap * (g.rows - 1)};
        }
        Size s;
        for (const Size &k : kids) {
            if (horizontal) {
                s.w += k.w;
                s.h = std::max(s.h, k.h);
            } else {
                s.h += k.h;
                s.w = std::max(s.w, k.w);
            }
        }
        (horizontal ? s.w : s.h) += kGap * static_cast<double>(kids.size() - 1);
        return s;
    }

    struct Grid {
        int cols = 0, rows = 0;
        double cellW = 0;
        std::vector<double> rowH;
        // Cell of child i.
        bool rowMajor = true;
        std::pair<int, int> Cell(int i) const {
            return rowMajor ? std::pair{i / cols, i % cols} : std::pair{i % rows, i / rows};
        }
    };

    // A horizontal frame fills rows of `columns` cells; a vertical one
    // fills columns of `columns` cells.
    static Grid GridOf(const DialogNode &, const std::vector<Size> &kids, bool horizontal, int columns) {
        Grid g;
        const int count = static_cast<int>(kids.size());
        const int across = (count + columns - 1) / columns;
        g.rowMajor = horizontal;
        g.cols = horizontal ? std::min(columns, count) : across;
        g.rows = horizontal ? across : std::min(columns, count);
        g.rowH.assign(static_cast<size_t>(g.rows), 0.0);
        for (int i = 0; i < count; ++i) {
            const auto [row, col] = g.Cell(i);
            (void)col;
            g.cellW = std::max(g.cellW, kids[static_cast<size_t>(i)].w);
            g.rowH[static_cast<size_t>(row)] = std::max(g.rowH[static_cast<size_t>(row)], kids[static_cast<size_t>(i)].h);
        }
        return g;
    }

    static double Sum(const std::vector<double> &v) {
        double s = 0;
        for (double d : v) s += d;
        return s;
    }

    void PlaceChildren(const DialogNode &n, bool horizontal, double x, double y, double w, double h) {
        if (n.children.empty()) return;
        std::vector<Size> kids;
        for (const DialogNode &c : n.children) kids.push_back(sizes_.at(c.id));

        if (const int columns = GridColumns(n); columns > 0) {
            Grid g = GridOf(n, kids, horizontal, columns);
            g.cellW = std::max(g.cellW, (w - kGap * (g.cols - 1)) / g.cols);
            std::vector<double> rowY(static_cast<size_t>(g.rows), y);
            for (size_t r = 1; r < rowY.size(); ++r) rowY[r] = rowY[r - 1] + g.rowH[r - 1] + kGap;
            for (size_t i = 0; i < n.children.size(); ++i) {
                const auto [row, col] = g.Cell(static_cast<int>(i));
                Place(n.children[i], x + col * (g.cellW + kGap), rowY[static_cast<size_t>(row)], g.cellW,
                      g.rowH[static_cast<size_t>(row)]);
            }
            return;
        }

        if (horizontal) {
            // Spare width goes to the buttons of the row, shared equally.
            double natural = kGap * static_cast<double>(kids.size() - 1);
            int buttons = 0;
            for (size_t i = 0; i < kids.size(); ++i) {
                natural += kids[i].w;
                buttons += n.children[i].kind == tk::Kind::Button;
            }
            const double extra = buttons > 0 ? std::max(0.0, w - natural) / buttons : 0.0;
            double at = x;
            for (size_t i = 0; i < kids.size(); ++i) {
                const DialogNode &c = n.children[i];
                double cw = kids[i].w + (c.kind == tk::Kind::Button ? extra : 0.0);
                double ch = IsContainer(c) ? h : kids[i].h;
                Place(c, at, y + (h - ch) / 2, cw, ch);
                at += cw + kGap;
            }
            return;
        }

        double at = y;
        for (size_t i = 0; i < kids.size(); ++i) {
            const DialogNode &c = n.children[i];
            const bool fill = IsContainer(c) || c.kind == tk::Kind::Button;
            Place(c, x, at, fill ? w : kids[i].w, kids[i].h);
            at += kids[i].h + kGap;
        }
    }

    DialogLayout &layout_;
    Measurer measure_;
    std::map<int32_t, Size> sizes_;
};

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

void Rgb(cairo_t *cr, const uint8_t (&c)[3]) { cairo_set_source_rgb(cr, c[0] / 255.0, c[1] / 255.0, c[2] / 255.0); }

void Grey(cairo_t *cr, double v) { cairo_set_source_rgb(cr, v, v, v); }

void RoundedRect(cairo_t *cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

double TextWidth(cairo_t *cr, const std::string &text) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e.x_advance;
}

// Draws a label with its mnemonic underlined; (x, baseline).
void DrawLabel(cairo_t *cr, const std::string &label, double x, double baseline) {
    const std::string shown = ShownLabel(label);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, shown.c_str());
    // Position of the mnemonic in the shown text.
    size_t at = std::string::npos;
    for (size_t i = 0, shownAt = 0; i + 1 < label.size(); ++i, ++shownAt) {
        if (label[i] != '&') continue;
        if (label[i + 1] != '&') at = shownAt;
        ++i;
        if (at != std::string::npos) break;
    }
    if (at == std::string::npos || at >= shown.size()) return;
    const double from = x + TextWidth(cr, shown.substr(0, at));
    const double width = TextWidth(cr, shown.substr(at, 1));
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, from, baseline + 2.5);
    cairo_line_to(cr, from + width, baseline + 2.5);
    cairo_stroke(cr);
}

double Baseline(const Box &b) { return b.y + b.h / 2 + kFontSize * 0.36; }

void Draw(cairo_t *cr, const DialogNode &n, const DialogLayout &layout) {
    const Box &b = layout.boxes.at(n.id);
    switch (n.kind) {
    case tk::Kind::MainWindow:
    case tk::Kind::Frame: break;
    case tk::Kind::Dialog: {
        Rgb(cr, kDialogBackground);
        cairo_rectangle(cr, b.x, b.y, b.w, b.h);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0.24, 0.35, 0.55);
        cairo_rectangle(cr, b.x, b.y, b.w, kTitleBar);
        cairo_fill(cr);
        cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_move_to(cr, b.x + 10, b.y + kTitleBar / 2 + kFontSize * 0.36);
        cairo_show_text(cr, n.text.c_str());
        cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        Grey(cr, 0.35);
        cairo_set_line_width(cr, 1);
        cairo_rectangle(cr, b.x + 0.5, b.y + 0.5, b.w - 1, b.h - 1);
        cairo_stroke(cr);
        break;
    }
    case tk::Kind::GroupBox: {
        Grey(cr, 0.62);
        cairo_set_line_width(cr, 1);
        RoundedRect(cr, b.x + 0.5, b.y + kGroupTitle / 2 + 0.5, b.w - 1, b.h - kGroupTitle / 2 - 1, 4);
        cairo_stroke(cr);
        cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        const double tw = TextWidth(cr, n.text);
        Rgb(cr, kDialogBackground);
        cairo_rectangle(cr, b.x + 8, b.y, tw + 8, kGroupTitle);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0.15, 0.2, 0.35);
        cairo_move_to(cr, b.x + 12, b.y + kGroupTitle / 2 + kFontSize * 0.36);
        cairo_show_text(cr, n.text.c_str());
        cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        break;
    }
    case tk::Kind::Label:
        Grey(cr, 0.1);
        DrawLabel(cr, n.text, b.x + 2, Baseline(b));
        break;
    case tk::Kind::Button: {
        Rgb(cr, kButtonFace);
        RoundedRect(cr, b.x + 0.5, b.y + 0.5, b.w - 1, b.h - 1, 3);
        cairo_fill_preserve(cr);
        Grey(cr, n.Bool("cancel").value_or(false) ? 0.2 : 0.5);
        cairo_set_line_width(cr, n.Bool("cancel").value_or(false) ? 2 : 1);
        cairo_stroke(cr);
        Grey(cr, 0.05);
        const std::string shown = ShownLabel(n.text);
        DrawLabel(cr, n.text, b.x + (b.w - TextWidth(cr, shown)) / 2, Baseline(b));
        break;
    }
    case tk::Kind::CheckBox: {
        const double top = b.y + (b.h - kCheckSize) / 2;
        Rgb(cr, kFieldFace);
        cairo_rectangle(cr, b.x + 0.5, top + 0.5, kCheckSize, kCheckSize);
        cairo_fill_preserve(cr);
        Grey(cr, 0.35);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        if (n.Bool("checked").value_or(false)) {
            cairo_set_source_rgb(cr, 0.1, 0.3, 0.7);
            cairo_set_line_width(cr, 2.2);
            cairo_move_to(cr, b.x + 3, top + kCheckSize * 0.55);
            cairo_line_to(cr, b.x + kCheckSize * 0.42, top + kCheckSize - 3);
            cairo_line_to(cr, b.x + kCheckSize - 2, top + 3);
            cairo_stroke(cr);
        }
        Grey(cr, 0.1);
        DrawLabel(cr, n.text, b.x + kCheckSize + 6, Baseline(b));
        break;
    }
    case tk::Kind::SpinBox:
    case tk::Kind::DoubleSpinBox: {
        Rgb(cr, kFieldFace);
        cairo_rectangle(cr, b.x + 0.5, b.y + 0.5, b.w - 1, b.h - 1);
        cairo_fill_preserve(cr);
        Grey(cr, 0.45);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        const double ax = b.x + b.w - kArrows;
        cairo_move_to(cr, ax + 0.5, b.y + 1);
        cairo_line_to(cr, ax + 0.5, b.y + b.h - 1);
        cairo_stroke(cr);
        Grey(cr, 0.3);
        const double mid = b.y + b.h / 2;
        cairo_move_to(cr, ax + 4, mid - 2);
        cairo_line_to(cr, ax + kArrows - 4, mid - 2);
        cairo_line_to(cr, ax + kArrows / 2, mid - 7);
        cairo_close_path(cr);
        cairo_move_to(cr, ax + 4, mid + 2);
        cairo_line_to(cr, ax + kArrows - 4, mid + 2);
        cairo_line_to(cr, ax + kArrows / 2, mid + 7);
        cairo_close_path(cr);
        cairo_fill(cr);
        Grey(cr, 0.05);
        const std::string text = SpinText(n);
        // Clip so that a long number stays inside its field.
        cairo_save(cr);
        cairo_rectangle(cr, b.x + 2, b.y, b.w - kArrows - 4, b.h);
        cairo_clip(cr);
        cairo_move_to(cr, ax - 5 - TextWidth(cr, text), Baseline(b));
        cairo_show_text(cr, text.c_str());
        cairo_restore(cr);
        break;
    }
    }
    for (const DialogNode &c : n.children) Draw(cr, c, layout);
}

} // namespace

std::string ListDialog(const DialogNode &dialog) {
    std::string out;
    ListNode(dialog, 0, {}, {}, out);
    return out;
}

DialogLayout LayoutDialog(const DialogNode &dialog) {
    DialogLayout layout;
    Layouter l(layout);
    const Size s = l.Measure(dialog);
    layout.width = static_cast<int>(std::ceil(s.w));
    layout.height = static_cast<int>(std::ceil(s.h));
    l.Place(dialog, 0, 0, layout.width, layout.height);
    return layout;
}

std::string RenderDialogPng(const DialogNode &dialog) {
    const DialogLayout layout = LayoutDialog(dialog);
    if (layout.width <= 0 || layout.height <= 0 || layout.width > 8192 || layout.height > 8192)
        throw InputError("the dialog's layout has no drawable size (" + std::to_string(layout.width) + "x" +
                         std::to_string(layout.height) + ")");
    Surface surface = MakeSurface(layout.width, layout.height);
    cairo_t *cr = cairo_create(surface.get());
    Rgb(cr, kDialogBackground);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kFontSize);
    Draw(cr, dialog, layout);
    cairo_destroy(cr);
    return EncodePng(surface.get());
}

} // namespace vexcli
