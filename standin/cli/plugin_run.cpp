#include "standin/cli/plugin_run.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <system_error>

#include "abi/mq_host_declarations.h"
#include "standin/cli/obj_loader.h"
#include "standin/settings/settings_store.h"
#include "standin/toolkit/toolkit.h"

namespace standin::cli {

namespace tk = standin::toolkit;

struct PluginRunner::Exports {
#define VEXCLI_EXPORT_POINTER(ret, name, params) name##_fn name = nullptr;
    MQ_PLUGIN_EXPORTS(VEXCLI_EXPORT_POINTER)
#undef VEXCLI_EXPORT_POINTER
};

namespace {

// The host version this stand-in host reports, and the answer it needs.
constexpr MQDWORD kHostVersion = 0x4400;

// A value as the store holds it, read without the process locale: the
// plug-in writes integers as "%d" and numbers as "%e" in the C locale.
std::optional<double> StoredNumber(const pugi::xml_node &section, const char *key) {
    const std::string text = section.child(key).text().as_string();
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data()) return std::nullopt;
    return value;
}

bool StoredBool(const pugi::xml_node &section, const char *key, bool fallback) {
    const std::optional<double> value = StoredNumber(section, key);
    return value ? *value != 0.0 : fallback;
}

double StoredFloat(const pugi::xml_node &section, const char *key, double fallback) {
    const std::optional<double> value = StoredNumber(section, key);
    return value ? static_cast<double>(static_cast<float>(*value)) : fallback;
}

// The dialog's option controls, found in its widget tree by what a user
// sees: check boxes by their text, number fields by the label before them,
// the index field as the spin box of the group "select by index".
struct OptionControls {
    const DialogNode *supplement = nullptr;
    const DialogNode *face = nullptr;
    const DialogNode *local = nullptr;
    const DialogNode *allObjects = nullptr;
    const DialogNode *range = nullptr;
    const DialogNode *angle1 = nullptr;
    const DialogNode *angle2 = nullptr;
    const DialogNode *index = nullptr;
};

bool IsSpin(const DialogNode &n) { return n.kind == tk::Kind::SpinBox || n.kind == tk::Kind::DoubleSpinBox; }

void FindControls(const DialogNode &node, const std::string &group, OptionControls &found) {
    const std::string &inner = node.kind == tk::Kind::GroupBox ? node.text : group;
    const std::string *label = nullptr; // the latest label among the children
    for (const DialogNode &c : node.children) {
        if (c.kind == tk::Kind::Label) {
            label = &c.text;
        } else if (IsSpin(c) && label != nullptr) {
            const DialogNode **slot = *label == vexolin::kRangeLabel     ? &found.range
                                      : *label == vexolin::kAngleLabel   ? &found.angle1
                                      : *label == vexolin::kAngleToLabel ? &found.angle2
                                                                         : nullptr;
            if (slot != nullptr && *slot == nullptr) *slot = &c;
            label = nullptr;
        }
        if (c.kind == tk::Kind::SpinBox && inner == vexolin::kIndexGroup && found.index == nullptr) found.index = &c;
        if (c.kind == tk::Kind::CheckBox) {
            if (c.text == vexolin::kSupplementSwitch.label && inner == vexolin::kEdgeRidgeGroup) found.supplement = &c;
            if (c.text == vexolin::kFaceSwitch.label) found.face = &c;
            if (c.text == vexolin::kLocalSwitch.label) found.local = &c;
            if (c.text == vexolin::kAllObjectsSwitch.label) found.allObjects = &c;
        }
        FindControls(c, inner, found);
    }
}

// The control, or an InputError naming what the dialog lacks.
const DialogNode &Need(const DialogNode *control, const char *what) {
    if (control == nullptr) throw InputError(std::string("the dialog has no ") + what);
    return *control;
}

bool Checked(const DialogNode &box) { return box.Bool("checked").value_or(false); }

std::string OnOff(bool b) { return b ? "on" : "off"; }

} // namespace

std::string HostModulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&MQDoc_GetObjectCount), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return std::filesystem::absolute(info.dli_fname).string();
}

const DialogCommand &ChosenCommand(const DialogChoice &choice) {
    const DialogCommand *chosen = nullptr;
    for (size_t i = 0; i < choice.altKeys.size(); ++i) {
        const AltKey key = FindAltKey(choice.altKeys[i]);
        if (key.command == nullptr) continue;
        if (i + 1 != choice.altKeys.size() || !choice.button.empty())
            throw InputError(std::string("Alt+") + key.key + " ends the dialog with \"" + key.command->label +
                             "\"; nothing after it would happen");
        chosen = key.command;
    }
    if (!choice.button.empty()) chosen = &FindCommand(choice.button, choice.group);
    if (chosen == nullptr)
        throw InputError("no command chosen: give --press LABEL (see --list) or an Alt key that chooses a command");
    return *chosen;
}

PluginRunner::PluginRunner(const std::string &modulePath) {
    std::error_code ec;
    if (!std::filesystem::exists(modulePath, ec)) throw InputError(modulePath + ": no such plug-in module");
    handle_ = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) throw InputError(modulePath + ": cannot be loaded: " + dlerror());
    exports_ = new Exports;
#define VEXCLI_EXPORT_BIND(ret, name, params)                                                                    \
    exports_->name = reinterpret_cast<name##_fn>(dlsym(handle_, #name));                                         \
    if (exports_->name == nullptr) throw InputError(modulePath + ": not a plug-in module (no " #name ")");
    MQ_PLUGIN_EXPORTS(VEXCLI_EXPORT_BIND)
#undef VEXCLI_EXPORT_BIND
    if (exports_->MQCheckVersion(kHostVersion) == 0)
        throw InputError(modulePath + ": the plug-in refuses this host's version");
    const std::string host = HostModulePath();
    if (host.empty() || exports_->MQInit(host.c_str()) == 0)
        throw InputError(modulePath + ": the plug-in could not bind to the stand-in host module " + host);
}

PluginRunner::~PluginRunner() {
    // The module stays loaded until the process ends, as in the modeller:
    // its plug-in object is destroyed at unload.
    delete exports_;
}

std::string PluginRunner::SettingsSection() const {
    MQDWORD product = 0, id = 0;
    exports_->MQGetPlugInID(&product, &id);
    char name[64];
    std::snprintf(name, sizeof name, "Plugin-%08X-%08X", product, id);
    return name;
}

StoredOptions PluginRunner::ReadStored(standin::SettingsStore &store) const {
    const pugi::xml_node section = store.PluginSettings().child(SettingsSection().c_str());
    StoredOptions s;
    s.face = StoredBool(section, "face", s.face);
    s.local = StoredBool(section, "local", s.local);
    s.suppl = StoredBool(section, "suppl", s.suppl);
    s.range = StoredFloat(section, "range", s.range);
    s.angle1 = StoredFloat(section, "angle1", s.angle1);
    s.angle2 = StoredFloat(section, "angle2", s.angle2);
    return s;
}

PluginRunner::Result PluginRunner::Run(const DialogChoice &choice, standin::Document &document,
                                       standin::SettingsStore &store, std::optional<DialogNode> *seen) {
    const DialogCommand &command = ChosenCommand(choice);
    const DialogOptions &o = choice.options;

    // The script is written when the dialog opens, from its live widget
    // tree: the check boxes toggle, so each is clicked only when the dialog
    // shows it otherwise than asked. What each option should read at the
    // close is kept for the check below.
    bool suppl = false, face = false, local = false;
    std::string refused; // an option the dialog cannot take, found while it is open
    auto script = [&](int32_t dialog) {
        DialogNode tree = CaptureWidgetTree(dialog);
        std::vector<tk::Action> actions;
        try {
            OptionControls c;
            FindControls(tree, {}, c);
            suppl = Checked(Need(c.supplement, "\"Supplement\" check box"));
            face = Checked(Need(c.face, "\"(&F)ace\" check box"));
            local = Checked(Need(c.local, "\"(&L)ocal\" check box"));
            const bool all = Checked(Need(c.allObjects, "\"All objects(&A)\" check box"));
            if (o.supplement && *o.supplement != suppl) {
                actions.push_back(tk::Action::ClickId(c.supplement->id));
                suppl = *o.supplement;
            }
            CheckOptions(o, suppl);
            if (o.range) actions.push_back(tk::Action::SetSpin(Need(c.range, "\"Range\" field").id, *o.range));
            if (o.angle1) actions.push_back(tk::Action::SetSpin(Need(c.angle1, "\"Angle\" field").id, *o.angle1));
            if (o.angle2) actions.push_back(tk::Action::SetSpin(Need(c.angle2, "\"->\" field").id, *o.angle2));
            if (o.index) actions.push_back(tk::Action::SetSpin(Need(c.index, "index field").id, *o.index));
            if (o.face && *o.face != face) {
                actions.push_back(tk::Action::ClickId(c.face->id));
                face = *o.face;
            }
            if (o.local && *o.local != local) {
                actions.push_back(tk::Action::ClickId(c.local->id));
                local = *o.local;
            }
            if (o.allObjects && *o.allObjects != all) actions.push_back(tk::Action::ClickId(c.allObjects->id));
            for (const std::string &k : choice.altKeys) {
                const AltKey key = FindAltKey(k);
                if (key.key == 'F') face = !face;
                actions.push_back(tk::Action::Key(key.key, tk::Modifiers{false, false, true}));
            }
            if (!choice.button.empty()) actions.push_back(tk::Action::Click(command.label, command.group));
        } catch (const InputError &e) {
            // Nothing may be thrown through the plug-in: the user cancels.
            refused = e.what();
            actions = {tk::Action::Cancel()};
        }
        if (seen != nullptr) *seen = std::move(tree);
        tk::SetScript(std::move(actions));
    };

    const size_t runsBefore = tk::ModalRuns().size();
    tk::SetScript({});
    // Only the first dialog is scripted; a nested one finds no script.
    bool opened = false;
    tk::SetModalObserver([&](int32_t dialog) {
        if (!opened) script(dialog);
        opened = true;
    });
    Result result;
    result.carriedOut = exports_->MQModifySelect(0, document.Handle()) != 0;
    tk::SetModalObserver(nullptr);
    if (!refused.empty()) {
        tk::SetScript({});
        throw InputError(refused);
    }
    const auto runs = tk::ModalRuns();
    const size_t left = tk::PendingActions();
    tk::SetScript({});
    result.dialogShown = runs.size() > runsBefore;

    if (!result.dialogShown) {
        result.problem = "the plug-in showed no dialog, so nothing was chosen";
        return result;
    }
    if (!tk::ScriptError().empty() && runs.back().end == tk::RunEnd::ScriptError) {
        result.problem = "the dialog did not let the user do that: " + tk::ScriptError();
        return result;
    }
    if (!result.carriedOut) {
        result.problem = "the dialog ended without carrying out \"" + std::string(command.label) + "\" (modal result " +
                         std::to_string(runs.back().result) + ")";
        return result;
    }
    if (left != 0) result.problem = std::to_string(left) + " scripted actions were left after the dialog closed";

    // What the plug-in saved is what the dialog showed at its close.
    const StoredOptions after = ReadStored(store);
    auto mismatch = [&](const char *what, const std::string &asked, const std::string &saved) {
        if (result.problem.empty())
            result.problem = std::string("the dialog kept ") + what + " " + saved + " where " + asked + " was asked";
    };
    if (after.face != face) mismatch("(&F)ace", OnOff(face), OnOff(after.face));
    if (after.local != local) mismatch(vexolin::kLocalSwitch.label, OnOff(local), OnOff(after.local));
    if (after.suppl != suppl) mismatch(vexolin::kSupplementSwitch.label, OnOff(suppl), OnOff(after.suppl));
    auto sameFloat = [](double a, double b) { return static_cast<float>(a) == static_cast<float>(b); };
    if (o.range && !sameFloat(*o.range, after.range)) mismatch(vexolin::kRangeLabel, std::to_string(*o.range), std::to_string(after.range));
    if (o.angle1 && !sameFloat(*o.angle1, after.angle1))
        mismatch("the first angle", std::to_string(*o.angle1), std::to_string(after.angle1));
    if (o.angle2 && !sameFloat(*o.angle2, after.angle2))
        mismatch("the second angle", std::to_string(*o.angle2), std::to_string(after.angle2));
    return result;
}

DialogNode PluginRunner::CaptureDialog(standin::Document &document) {
    std::optional<DialogNode> seen;
    tk::SetModalObserver([&seen](int32_t dialog) { seen = CaptureWidgetTree(dialog); });
    const size_t runsBefore = tk::ModalRuns().size();
    tk::SetScript({tk::Action::Cancel()});
    const int carriedOut = exports_->MQModifySelect(0, document.Handle());
    tk::SetScript({});
    tk::SetModalObserver(nullptr);
    if (tk::ModalRuns().size() == runsBefore || !seen) throw InputError("the plug-in showed no dialog");
    if (carriedOut != 0)
        throw InputError("the dialog carried out a command when it was cancelled (modal result " +
                         std::to_string(tk::ModalRuns().back().result) + ")");
    return std::move(*seen);
}

} // namespace standin::cli
