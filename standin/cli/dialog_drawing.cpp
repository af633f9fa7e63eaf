// The dialog drawn with cairo at its layout: frames, group boxes, buttons,
// check boxes and spin boxes as the modeller shows them, as PNG bytes.
#include "standin/cli/dialog_view.h"

#include <cmath>

#include <cairo.h>

#include "standin/cli/dialog_view_parts.h"
#include "standin/cli/obj_loader.h"
#include "standin/cli/png_bytes.h"

namespace standin::cli {

namespace tk = standin::toolkit;

namespace {

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

} // namespace standin::cli
