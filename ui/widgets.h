// The widget layer: one object per host widget, over the host's single
// toolkit entry MQWidget_Value.
//
// Each object creates its host widget (or wraps an existing one), reads and
// writes its properties one at a time, and destroys it again. Nothing of a
// widget's state is kept here: every property lives in the host. A
// module-wide registry maps widget IDs back to their objects, so that the
// event callback (widget_events.h) can find the widget an event is meant for.
//
// Wide text is UTF-16 (char16_t) on every platform.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

class MQWidgetEventClosureBase;
template <class T> class MQWidgetEventClosure;
template <class T> class MQWidgetKeyEventClosure;
struct KeyState;

class MQWidgetBase {
public:
    using HandlerList = std::vector<std::shared_ptr<MQWidgetEventClosureBase>>;

    MQWidgetBase() = default;
    MQWidgetBase(const MQWidgetBase &) = delete;
    MQWidgetBase &operator=(const MQWidgetBase &) = delete;
    // Unregisters the ID, destroys the host widget when this object created
    // it, and releases the handlers.
    virtual ~MQWidgetBase();

    // The host widget ID; 0 when there is no host widget.
    int32_t GetID() const { return id_; }
    // True when this object created the host widget and will destroy it.
    bool IsOwned() const { return owned_; }

    // The registered object for an ID, or null. ID 0 is never registered.
    static MQWidgetBase *FindWidget(int32_t id);

    // Adds `child` to this widget in the host. Returns the host's "result",
    // -1 when it writes none, and -1 without a host call when `child` is null.
    int AddChildWidget(MQWidgetBase *child);

    // Layout: "vertlayout" = "hintsize", the only layout the plug-in uses.
    void SetVertLayout();
    void SetHintSizeRateY(double rate);

    // Registers `closure` for the event `name` on this widget with the host
    // (code 0x304) and keeps it in the handler list for this widget's
    // lifetime, whatever the host answers.
    void AddEventCallback(const char *name, std::shared_ptr<MQWidgetEventClosureBase> closure, bool prior);

    // "execute" (a button pressed, a check box switched) and "keydown"
    // handlers: operations of `target`, called while `target` is alive.
    template <class T> void AddExecuteEvent(T *target, int (T::*handler)(MQWidgetBase *sender, void *context));
    template <class T>
    void AddKeyDownEvent(T *target, int (T::*handler)(MQWidgetBase *sender, void *context, KeyState &state));

    const HandlerList &Handlers() const { return handlers_; }

protected:
    // Creates a host widget of the kind keyword; on success the object owns
    // it and registers its ID. A refused creation leaves ID 0.
    void CreateHostWidget(const char *kind);
    // Registers the current ID, when it is nonzero.
    void Register();

    // Single-property sets and gets (codes 0x302 and 0x301). A get returns
    // `preset` when the host writes nothing.
    void SetTextProperty(const char *keyword, const std::u16string &text);
    void SetKeywordProperty(const char *keyword, const char *value);
    void SetBoolProperty(const char *keyword, bool value);
    void SetIntProperty(const char *keyword, int32_t value);
    void SetDoubleProperty(const char *keyword, double value);
    bool GetBoolProperty(const char *keyword, bool preset = false) const;
    int32_t GetIntProperty(const char *keyword, int32_t preset = 0) const;
    double GetDoubleProperty(const char *keyword, double preset = 0.0) const;

    int32_t id_ = 0;
    bool owned_ = false;

private:
    HandlerList handlers_;
};

class MQFrame;
class MQGroupBox;
class MQLabel;
class MQButton;
class MQCheckBox;
class MQSpinBox;
class MQDoubleSpinBox;

// A window: owns every widget its factories make, and destroys them, lowest
// address first, before the window itself.
class MQWindowBase : public MQWidgetBase {
public:
    MQWindowBase() = default;
    ~MQWindowBase() override;

    // Factories: make the widget, keep it, set the stated property, and add
    // it to `parent` when one is given.
    MQFrame *CreateHorzFrame(MQWidgetBase *parent = nullptr);
    MQFrame *CreateVertFrame(MQWidgetBase *parent = nullptr);
    MQGroupBox *CreateGroupBox(MQWidgetBase *parent, const std::u16string &text);
    MQButton *CreateButton(MQWidgetBase *parent, const std::u16string &text);
    MQCheckBox *CreateCheckBox(MQWidgetBase *parent, const std::u16string &text);
    MQLabel *CreateLabel(MQWidgetBase *parent, const std::u16string &text);
    MQSpinBox *CreateSpinBox(MQWidgetBase *parent = nullptr);
    MQDoubleSpinBox *CreateDoubleSpinBox(MQWidgetBase *parent = nullptr);

    size_t CreatedCount() const { return created_.size(); }

private:
    // Keeps a new widget in the created set; it is deleted with the window.
    template <class W> W *Adopt(std::unique_ptr<W> widget);

    std::set<MQWidgetBase *> created_;
};

// The host's main window, wrapped: looked up by "main_window", never
// destroyed by the plug-in. A failed lookup leaves the ID -1.
class MQWindow : public MQWindowBase {
public:
    MQWindow();
};

class MQDialog : public MQWindowBase {
public:
    // Creates the host dialog and attaches it to `parent`.
    explicit MQDialog(MQWindowBase &parent);

    void SetTitle(const std::u16string &title);

    // Runs the dialog modally; returns the modal result, 0 when the host
    // gives none (read as cancelled).
    int RunModal();
    // Ends a running modal loop with result 1 ("close" with code "ok").
    void Close();

    int32_t GetPosX() const;
    int32_t GetPosY() const;
    void SetPosX(int32_t x);
    void SetPosY(int32_t y);
};

class MQFrameBase : public MQWidgetBase {
public:
    enum class Alignment { Horz, Vert };
    void SetAlignment(Alignment alignment);
    void SetMultiColumn(bool on);
    void SetMatrixColumn(int32_t columns);

protected:
    MQFrameBase() = default;
};

class MQFrame : public MQFrameBase {
public:
    MQFrame();
};

class MQGroupBox : public MQFrameBase {
public:
    MQGroupBox();
    void SetText(const std::u16string &text);
};

class MQLabel : public MQWidgetBase {
public:
    MQLabel();
    void SetText(const std::u16string &text);
};

class MQButton : public MQWidgetBase {
public:
    MQButton();
    void SetText(const std::u16string &text);
    void SetCancelButton();
    void SetModalResult(int32_t result);
};

class MQCheckBox : public MQWidgetBase {
public:
    MQCheckBox();
    void SetText(const std::u16string &text);
    bool GetChecked() const;
    void SetChecked(bool checked);
};

class MQSpinBox : public MQWidgetBase {
public:
    MQSpinBox();
    int32_t GetPosition() const;
    void SetPosition(int32_t value);
    int32_t GetMin() const;
    int32_t GetMax() const;
    void SetMin(int32_t value);
    void SetMax(int32_t value);
    void SetIncrement(int32_t value);
    void SetVisibleColumn(int32_t columns);
};

class MQDoubleSpinBox : public MQWidgetBase {
public:
    MQDoubleSpinBox();
    double GetPosition() const;
    void SetPosition(double value);
    double GetMin() const;
    double GetMax() const;
    void SetMin(double value);
    void SetMax(double value);
    void SetIncrement(double value);
    void SetDecimalDigit(int32_t digits);
    void SetVisibleColumn(int32_t columns);
};

// The host canvas of one paint or draw-item event. Releases nothing in the
// host.
class MQCanvas {
public:
    explicit MQCanvas(void *handle) : handle_(handle) {}
    MQCanvas(const MQCanvas &) = delete;
    MQCanvas &operator=(const MQCanvas &) = delete;
    virtual ~MQCanvas() = default;

    void *Handle() const { return handle_; }

private:
    void *handle_;
};

// The closures and the member templates above.
#include "ui/widget_events.h"
