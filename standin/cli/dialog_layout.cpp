// The dialog's layout: where each widget lies in its picture, from the
// widget tree's frames, alignments and grids and the width of its texts.
#include "standin/cli/dialog_view.h"

#include <algorithm>
#include <cmath>

#include <cairo.h>

#include "standin/cli/dialog_view_parts.h"
#include "standin/cli/png_bytes.h"

namespace standin::cli {

namespace tk = standin::toolkit;

std::string SpinText(const DialogNode &n) {
    if (n.kind == tk::Kind::DoubleSpinBox)
        return FormatNumber(n.Number("position").value_or(0), n.Int("decimaldigit").value_or(2));
    return FormatNumber(n.Number("position").value_or(0), 0);
}

namespace {

constexpr double kGap = 6;           // between the children of a frame
constexpr double kGroupPad = 8;      // inside a group box's border
constexpr double kMargin = 10;       // inside the dialog
constexpr double kControlHeight = 24;

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

} // namespace

DialogLayout LayoutDialog(const DialogNode &dialog) {
    DialogLayout layout;
    Layouter l(layout);
    const Size s = l.Measure(dialog);
    layout.width = static_cast<int>(std::ceil(s.w));
    layout.height = static_cast<int>(std::ceil(s.h));
    l.Place(dialog, 0, 0, layout.width, layout.height);
    return layout;
}

} // namespace standin::cli
