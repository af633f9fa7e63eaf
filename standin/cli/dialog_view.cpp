// The dialog as a value: its widget tree copied out of the toolkit, and the
// mnemonic rules of its labels.
#include "standin/cli/dialog_view.h"

#include <cctype>

namespace standin::cli {

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

} // namespace standin::cli
