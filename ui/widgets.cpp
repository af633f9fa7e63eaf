#include "ui/widgets.h"

#include <map>

#include "host/host_api.h"
#include "abi/keyword_list.h"

using vexolin::keyword_list::Word;

namespace {

// The module-wide registry: widget ID to object. Keys are unique; the first
// registration of an ID stays.
std::map<int32_t, MQWidgetBase *> &Registry() {
    static std::map<int32_t, MQWidgetBase *> registry;
    return registry;
}

int CallHost(int32_t id, int code, void **values) { return hostapi::MQWidget_Value(id, code, values); }

// A bool crosses the boundary as one byte holding 0 or 1.
uint8_t Byte(bool b) { return b ? 1 : 0; }

} // namespace

// ---------------------------------------------------------------------------
// MQWidgetBase
// ---------------------------------------------------------------------------

MQWidgetBase::~MQWidgetBase() {
    if (id_ != 0) {
        Registry().erase(id_);
        if (owned_) {
            void *values[] = {nullptr, nullptr};
            CallHost(id_, MQ_WIDGET_DELETE, values);
        }
        id_ = 0;
        owned_ = false;
    }
    handlers_.clear();
}

MQWidgetBase *MQWidgetBase::FindWidget(int32_t id) {
    if (id == 0) return nullptr;
    auto it = Registry().find(id);
    return it != Registry().end() ? it->second : nullptr;
}

void MQWidgetBase::Register() {
    if (id_ != 0) Registry().emplace(id_, this);
}

void MQWidgetBase::CreateHostWidget(const char *kind) {
    void *values[] = {Word("type"), Word(kind), Word("id"), &id_, nullptr, nullptr};
    CallHost(0, MQ_WIDGET_CREATE, values);
    if (id_ != 0) {
        owned_ = true;
        Register();
    }
}

int MQWidgetBase::AddChildWidget(MQWidgetBase *child) {
    if (child == nullptr) return -1;
    int32_t childId = child->GetID();
    int32_t result = -1;
    void *values[] = {Word("child"), &childId, Word("result"), &result, nullptr, nullptr};
    CallHost(id_, MQ_WIDGET_ADD_CHILD, values);
    return result;
}

void MQWidgetBase::SetVertLayout() { SetKeywordProperty("vertlayout", "hintsize"); }

void MQWidgetBase::SetHintSizeRateY(double rate) { SetDoubleProperty("hintsizeratey", rate); }

void MQWidgetBase::AddEventCallback(const char *name, std::shared_ptr<MQWidgetEventClosureBase> closure, bool prior) {
    uint8_t priorByte = Byte(prior);
    const MQWidgetEventProc proc = &WidgetEventCallback;
    void *values[] = {Word("type"),    Word(name),    Word("proc"),  reinterpret_cast<void *>(proc),
                      Word("pointer"), closure.get(), Word("prior"), &priorByte,
                      nullptr,         nullptr};
    CallHost(id_, MQ_WIDGET_ADD_EVENT, values);
    handlers_.push_back(std::move(closure));
}

void MQWidgetBase::SetTextProperty(const char *keyword, const std::u16string &text) {
    void *values[] = {Word(keyword), Word(text.c_str()), nullptr, nullptr};
    CallHost(id_, MQ_WIDGET_SET_PROPERTY, values);
}

void MQWidgetBase::SetKeywordProperty(const char *keyword, const char *value) {
    void *values[] = {Word(keyword), Word(value), nullptr, nullptr};
    CallHost(id_, MQ_WIDGET_SET_PROPERTY, values);
}

void MQWidgetBase::SetBoolProperty(const char *keyword, bool value) {
    uint8_t b = Byte(value);
    void *values[] = {Word(keyword), &b, nullptr, nullptr};
    CallHost(id_, MQ_WIDGET_SET_PROPERTY, values);
}

void MQWidgetBase::SetIntProperty(const char *keyword, int32_t value) {
    void *values[] = {Word(keyword), &value, nullptr, nullptr};
    CallHost(id_, MQ_WIDGET_SET_PROPERTY, values);
}

void MQWidgetBase::SetDoubleProperty(const char *keyword, double value) {
    void *values[] = {Word(keyword), &value, nullptr, nullptr};
    CallHost(id_, MQ_WIDGET_SET_PROPERTY, values);
}

bool MQWidgetBase::GetBoolProperty(const char *keyword, bool preset) const {
    uint8_t b = Byte(preset);
    void *values[] = {Word(keyword), &b, nullptr, nullptr};
    CallHost(id_, MQ_WIDGET_GET_PROPERTY, values);
    return b != 0;
}

int32_t MQWidgetBase::GetIntProperty(const char *keyword, int32_t preset) const {
    void *values[] = {Word(keyword), &preset, nullptr, nullptr};
    CallHost(id_, MQ_WIDGET_GET_PROPERTY, values);
    return preset;
}

double MQWidgetBase::GetDoubleProperty(const char *keyword, double preset) const {
    void *values[] = {Word(keyword), &preset, nullptr, nullptr};
    CallHost(id_, MQ_WIDGET_GET_PROPERTY, values);
    return preset;
}

// ---------------------------------------------------------------------------
// Windows
// ---------------------------------------------------------------------------

MQWindowBase::~MQWindowBase() {
    // Lowest address first; each is removed before it is deleted, so the set
    // never holds a dangling pointer.
    while (!created_.empty()) {
        MQWidgetBase *w = *created_.begin();
        created_.erase(created_.begin());
        delete w;
    }
}

template <class W> W *MQWindowBase::Adopt(std::unique_ptr<W> widget) {
    created_.insert(widget.get());
    return widget.release();
}

namespace {

// Adds the new widget to its parent, when there is one.
template <class W> W *AttachTo(MQWidgetBase *parent, W *widget) {
    if (parent != nullptr) parent->AddChildWidget(widget);
    return widget;
}

} // namespace

MQFrame *MQWindowBase::CreateHorzFrame(MQWidgetBase *parent) {
    MQFrame *w = Adopt(std::make_unique<MQFrame>());
    w->SetAlignment(MQFrameBase::Alignment::Horz);
    return AttachTo(parent, w);
}

MQFrame *MQWindowBase::CreateVertFrame(MQWidgetBase *parent) {
    MQFrame *w = Adopt(std::make_unique<MQFrame>());
    w->SetAlignment(MQFrameBase::Alignment::Vert);
    return AttachTo(parent, w);
}

MQGroupBox *MQWindowBase::CreateGroupBox(MQWidgetBase *parent, const std::u16string &text) {
    MQGroupBox *w = Adopt(std::make_unique<MQGroupBox>());
    w->SetText(text);
    return AttachTo(parent, w);
}

MQButton *MQWindowBase::CreateButton(MQWidgetBase *parent, const std::u16string &text) {
    MQButton *w = Adopt(std::make_unique<MQButton>());
    w->SetText(text);
    return AttachTo(parent, w);
}

MQCheckBox *MQWindowBase::CreateCheckBox(MQWidgetBase *parent, const std::u16string &text) {
    MQCheckBox *w = Adopt(std::make_unique<MQCheckBox>());
    w->SetText(text);
    return AttachTo(parent, w);
}

MQLabel *MQWindowBase::CreateLabel(MQWidgetBase *parent, const std::u16string &text) {
    MQLabel *w = Adopt(std::make_unique<MQLabel>());
    w->SetText(text);
    return AttachTo(parent, w);
}

MQSpinBox *MQWindowBase::CreateSpinBox(MQWidgetBase *parent) {
    return AttachTo(parent, Adopt(std::make_unique<MQSpinBox>()));
}

MQDoubleSpinBox *MQWindowBase::CreateDoubleSpinBox(MQWidgetBase *parent) {
    return AttachTo(parent, Adopt(std::make_unique<MQDoubleSpinBox>()));
}

MQWindow::MQWindow() {
    int32_t result = -1;
    void *values[] = {Word("system"), Word("main_window"), Word("result"), &result, nullptr, nullptr};
    CallHost(0, MQ_WIDGET_GET_SYSTEM, values);
    id_ = result;
    owned_ = false;
    Register();
}

MQDialog::MQDialog(MQWindowBase &parent) {
    CreateHostWidget("dialog");
    int32_t child = id_;
    int32_t result = -1;
    void *values[] = {Word("child"), &child, Word("result"), &result, nullptr, nullptr};
    CallHost(parent.GetID(), MQ_WIDGET_ADD_DIALOG, values);
}

void MQDialog::SetTitle(const std::u16string &title) { SetTextProperty("title", title); }

int MQDialog::RunModal() {
    int32_t result = 0;
    void *values[] = {Word("type"), Word("modal"), Word("result"), &result, nullptr, nullptr};
    CallHost(id_, MQ_WIDGET_WINDOW_COMMAND, values);
    return result;
}

void MQDialog::Close() {
    void *values[] = {Word("type"), Word("close"), Word("code"), Word("ok"), nullptr, nullptr};
    CallHost(id_, MQ_WIDGET_WINDOW_COMMAND, values);
}

int32_t MQDialog::GetPosX() const { return GetIntProperty("pos_x"); }
int32_t MQDialog::GetPosY() const { return GetIntProperty("pos_y"); }
void MQDialog::SetPosX(int32_t x) { SetIntProperty("pos_x", x); }
void MQDialog::SetPosY(int32_t y) { SetIntProperty("pos_y", y); }

// ---------------------------------------------------------------------------
// Controls
// ---------------------------------------------------------------------------

void MQFrameBase::SetAlignment(Alignment alignment) {
    SetKeywordProperty("alignment", alignment == Alignment::Horz ? "horz" : "vert");
}
void MQFrameBase::SetMultiColumn(bool on) { SetBoolProperty("multicolumn", on); }
void MQFrameBase::SetMatrixColumn(int32_t columns) { SetIntProperty("matrixcolumn", columns); }

MQFrame::MQFrame() { CreateHostWidget("frame"); }

MQGroupBox::MQGroupBox() { CreateHostWidget("groupbox"); }
void MQGroupBox::SetText(const std::u16string &text) { SetTextProperty("text", text); }

MQLabel::MQLabel() { CreateHostWidget("label"); }
void MQLabel::SetText(const std::u16string &text) { SetTextProperty("text", text); }

MQButton::MQButton() { CreateHostWidget("button"); }
void MQButton::SetText(const std::u16string &text) { SetTextProperty("text", text); }
void MQButton::SetCancelButton() { SetBoolProperty("cancel", true); }
void MQButton::SetModalResult(int32_t result) { SetIntProperty("modalresult", result); }

MQCheckBox::MQCheckBox() { CreateHostWidget("checkbox"); }
void MQCheckBox::SetText(const std::u16string &text) { SetTextProperty("text", text); }
bool MQCheckBox::GetChecked() const { return GetBoolProperty("checked", false); }
void MQCheckBox::SetChecked(bool checked) { SetBoolProperty("checked", checked); }

MQSpinBox::MQSpinBox() { CreateHostWidget("spinbox"); }
int32_t MQSpinBox::GetPosition() const { return GetIntProperty("position"); }
void MQSpinBox::SetPosition(int32_t value) { SetIntProperty("position", value); }
int32_t MQSpinBox::GetMin() const { return GetIntProperty("min"); }
int32_t MQSpinBox::GetMax() const { return GetIntProperty("max"); }
void MQSpinBox::SetMin(int32_t value) { SetIntProperty("min", value); }
void MQSpinBox::SetMax(int32_t value) { SetIntProperty("max", value); }
void MQSpinBox::SetIncrement(int32_t value) { SetIntProperty("increment", value); }
void MQSpinBox::SetVisibleColumn(int32_t columns) { SetIntProperty("visiblecolumn", columns); }

MQDoubleSpinBox::MQDoubleSpinBox() { CreateHostWidget("doublespinbox"); }
double MQDoubleSpinBox::GetPosition() const { return GetDoubleProperty("position"); }
void MQDoubleSpinBox::SetPosition(double value) { SetDoubleProperty("position", value); }
double MQDoubleSpinBox::GetMin() const { return GetDoubleProperty("min"); }
double MQDoubleSpinBox::GetMax() const { return GetDoubleProperty("max"); }
void MQDoubleSpinBox::SetMin(double value) { SetDoubleProperty("min", value); }
void MQDoubleSpinBox::SetMax(double value) { SetDoubleProperty("max", value); }
void MQDoubleSpinBox::SetIncrement(double value) { SetDoubleProperty("increment", value); }
void MQDoubleSpinBox::SetDecimalDigit(int32_t digits) { SetIntProperty("decimaldigit", digits); }
void MQDoubleSpinBox::SetVisibleColumn(int32_t columns) { SetIntProperty("visiblecolumn", columns); }
