#include "standin/cli/plugin_run.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>

#include "abi/mq_host_declarations.h"
#include "standin/cli/obj_loader.h"
#include "standin/settings/settings_store.h"
#include "standin/toolkit/toolkit.h"

namespace vexcli {

namespace tk = standin::toolkit;

struct PluginRunner::Exports {
#define VEXCLI_EXPORT_POINTER(ret, name, params) name##_fn name = nullptr;
    MQ_PLUGIN_EXPORTS(VEXCLI_EXPORT_POINTER)
#undef VEXCLI_EXPORT_POINTER
};

namespace {

// The host version this stand-in host reports, and the answer it needs.
constexpr MQDWORD kHostVersion = 0x4400;

bool StoredBool(const pugi::xml_node &section, const char *key, bool fallback) {
    const std::string text = section.child(key).text().as_string();
    if (text.empty()) return fallback;
    return std::atoi(text.c_str()) != 0;
}

double StoredFloat(const pugi::xml_node &section, const char *key, double fallback) {
    const std::string text = section.child(key).text().as_string();
    if (text.empty()) return fallback;
    return static_cast<double>(static_cast<float>(std::strtod(text.c_str(), nullptr)));
}

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
    const StoredOptions before = ReadStored(store);

    // The check boxes toggle, so each is clicked only when the dialog will
    // show it otherwise than asked.
    std::vector<tk::Action> script;
    bool suppl = before.suppl, face = before.face, local = before.local, all = allObjects_;
    if (o.supplement && *o.supplement != suppl) {
        script.push_back(tk::Action::Click("Supplement", "select Edge/Ridge"));
        suppl = *o.supplement;
    }
    CheckOptions(o, suppl);
    if (o.range) script.push_back(tk::Action::SetSpinAfterLabel("Range", *o.range));
    if (o.angle1) script.push_back(tk::Action::SetSpinAfterLabel("Angle", *o.angle1));
    if (o.angle2) script.push_back(tk::Action::SetSpinAfterLabel("->", *o.angle2));
    // The index spin box has no label of its own: it is the dialog's fourth
    // spin box, after "Range" and the two angles.
    if (o.index) script.push_back(tk::Action::SetSpinAt(3, *o.index));
    if (o.face && *o.face != face) {
        script.push_back(tk::Action::Click("(&F)ace"));
        face = *o.face;
    }
    if (o.local && *o.local != local) {
        script.push_back(tk::Action::Click("(&L)ocal"));
        local = *o.local;
    }
    if (o.allObjects && *o.allObjects != all) {
        script.push_back(tk::Action::Click("All objects(&A)"));
        all = *o.allObjects;
    }
    for (const std::string &k : choice.altKeys) {
        const AltKey key = FindAltKey(k);
        if (key.key == 'F') face = !face;
        if (key.key == 'A') all = !all;
        script.push_back(tk::Action::Key(key.key, tk::Modifiers{false, false, true}));
    }
    if (!choice.button.empty()) script.push_back(tk::Action::Click(command.label, command.group));

    const size_t runsBefore = tk::ModalRuns().size();
    tk::SetScript(std::move(script));
    if (seen != nullptr) tk::SetModalObserver([seen](int32_t dialog) { *seen = CaptureWidgetTree(dialog); });
    Result result;
    result.carriedOut = exports_->MQModifySelect(0, document.Handle()) != 0;
    tk::SetModalObserver(nullptr);
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
    allObjects_ = all;

    // What the plug-in saved is what the dialog showed at its close.
    const StoredOptions after = ReadStored(store);
    auto mismatch = [&](const char *what, const std::string &asked, const std::string &saved) {
        if (result.problem.empty())
            result.problem = std::string("the dialog kept ") + what + " " + saved + " where " + asked + " was asked";
    };
    if (after.face != face) mismatch("(&F)ace", OnOff(face), OnOff(after.face));
    if (after.local != local) mismatch("(&L)ocal", OnOff(local), OnOff(after.local));
    if (after.suppl != suppl) mismatch("Supplement", OnOff(suppl), OnOff(after.suppl));
    auto sameFloat = [](double a, double b) { return static_cast<float>(a) == static_cast<float>(b); };
    if (o.range && !sameFloat(*o.range, after.range)) mismatch("Range", std::to_string(*o.range), std::to_string(after.range));
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

} // namespace vexcli
