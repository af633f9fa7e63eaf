// A dialog built with the factories, run modally in the stand-in toolkit and
// driven by the scripted user: clicks and keys reach its handlers through
// the event callback, and the run ends with the right modal result.
#include <gtest/gtest.h>

#include <memory>

#include "standin/toolkit/toolkit.h"
#include "tests/unit/unit_fixture.h"
#include "ui/widgets.h"

namespace {

namespace tk = standin::toolkit;
using tk::Action;

class TestDialog : public MQDialog {
public:
    explicit TestDialog(MQWindowBase &parent) : MQDialog(parent) {
        SetTitle(u"Test");
        MQFrame *column = CreateVertFrame(this);
        MQGroupBox *a = CreateGroupBox(column, u"A");
        MQGroupBox *b = CreateGroupBox(column, u"B");
        MQButton *goA = CreateButton(a, u"Go");
        goA->AddExecuteEvent(this, &TestDialog::OnGoA);
        goA->SetModalResult(1);
        MQButton *goB = CreateButton(b, u"Go");
        goB->AddExecuteEvent(this, &TestDialog::OnGoB);
        goB->SetModalResult(1);
        MQFrame *row = CreateHorzFrame(column);
        CreateLabel(row, u"Range");
        range = CreateDoubleSpinBox(row);
        range->SetDecimalDigit(3);
        range->SetMin(0.0);
        range->SetMax(1000.0);
        CreateLabel(row, u"Index");
        index = CreateSpinBox(row);
        index->SetMax(9999999);
        flag = CreateCheckBox(column, u"(&F)lag");
        flag->AddExecuteEvent(this, &TestDialog::OnFlag);
        MQButton *cancel = CreateButton(this, u"Cancel");
        cancel->SetCancelButton();
        cancel->SetModalResult(2);
        AddKeyDownEvent(this, &TestDialog::OnKey);
    }

    int OnGoA(MQWidgetBase *, void *) {
        command = 1;
        return 0;
    }
    int OnGoB(MQWidgetBase *, void *) {
        command = 2;
        return 0;
    }
    int OnFlag(MQWidgetBase *sender, void *) {
        flagSeen = flag->GetChecked();
        flagSender = sender;
        return 1;
    }
    int OnKey(MQWidgetBase *, void *, KeyState &state) {
        ++keys;
        if (!state.alt) return 0;
        if (state.key == 'Z') {
            command = 9;
            Close();
        } else if (state.key == 'F') {
            flag->SetChecked(!flag->GetChecked());
        }
        return 0;
    }

    int command = 0;
    int keys = 0;
    bool flagSeen = false;
    MQWidgetBase *flagSender = nullptr;
    MQCheckBox *flag = nullptr;
    MQDoubleSpinBox *range = nullptr;
    MQSpinBox *index = nullptr;
};

class ModalRun : public testsupport::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        tk::Reset();
        main = std::make_unique<MQWindow>();
        dialog = std::make_unique<TestDialog>(*main);
    }

    void TearDown() override {
        dialog.reset();
        main.reset();
        EXPECT_EQ(tk::WidgetCount(), 1); // the main window only
        EXPECT_EQ(tk::FirstViolation(), "");
    }

    tk::ModalRun LastRun() {
        const auto runs = tk::ModalRuns();
        return runs.empty() ? tk::ModalRun{} : runs.back();
    }

    std::unique_ptr<MQWindow> main;
    std::unique_ptr<TestDialog> dialog;
};

TEST_F(ModalRun, AButtonInAGroupEndsTheRunWithItsModalResult) {
    tk::SetScript({Action::Click("Go", "B")});
    EXPECT_EQ(dialog->RunModal(), 1);
    EXPECT_EQ(dialog->command, 2);
    EXPECT_EQ(LastRun().end, tk::RunEnd::ModalResult);
    EXPECT_EQ(LastRun().dialog, dialog->GetID());

    tk::SetScript({Action::Click("Go", "A")});
    EXPECT_EQ(dialog->RunModal(), 1);
    EXPECT_EQ(dialog->command, 1);
}

TEST_F(ModalRun, ACheckBoxFlipsBeforeItsHandlerRuns) {
    tk::SetScript({Action::Click("(&F)lag"), Action::Click("Go", "A")});
    EXPECT_EQ(dialog->RunModal(), 1);
    EXPECT_TRUE(dialog->flagSeen);
    EXPECT_EQ(dialog->flagSender, dialog->flag);
    EXPECT_TRUE(dialog->flag->GetChecked());
    EXPECT_EQ(LastRun().actions, 2);
}

TEST_F(ModalRun, AltKeysReachTheKeyHandlerAndCloseEndsWithOne) {
    tk::SetScript({Action::Key('Z'), Action::Key('F', {.alt = true}), Action::Key('F', {.alt = true}),
                   Action::Key('F', {.alt = true}), Action::Key('Z', {.alt = true})});
    EXPECT_EQ(dialog->RunModal(), 1);
    EXPECT_EQ(dialog->command, 9);
    EXPECT_EQ(dialog->keys, 5);
    EXPECT_TRUE(dialog->flag->GetChecked());
    EXPECT_EQ(LastRun().end, tk::RunEnd::Closed);
    EXPECT_EQ(tk::PendingActions(), 0u);
}

TEST_F(ModalRun, CancelPressesTheCancelButton) {
    tk::SetScript({Action::Cancel(), Action::Click("Go", "A")});
    EXPECT_EQ(dialog->RunModal(), 2);
    EXPECT_EQ(dialog->command, 0);
    EXPECT_EQ(LastRun().end, tk::RunEnd::ModalResult);
    EXPECT_EQ(tk::PendingActions(), 1u);
}

TEST_F(ModalRun, AnExhaustedScriptEndsTheRunWithZero) {
    tk::SetScript({Action::Key('Q', {.alt = true})});
    EXPECT_EQ(dialog->RunModal(), 0);
    EXPECT_EQ(LastRun().end, tk::RunEnd::ScriptExhausted);
    EXPECT_EQ(dialog->RunModal(), 0); // no script at all
    EXPECT_EQ(tk::ScriptError(), "");
}

TEST_F(ModalRun, AnAmbiguousOrMissingLabelIsAScriptError) {
    tk::SetScript({Action::Click("Go"), Action::Click("Go", "A")});
    EXPECT_EQ(dialog->RunModal(), 0);
    EXPECT_EQ(LastRun().end, tk::RunEnd::ScriptError);
    EXPECT_NE(tk::ScriptError().find("more than one"), std::string::npos);
    EXPECT_EQ(LastRun().error, tk::ScriptError());
    EXPECT_EQ(dialog->command, 0);
    EXPECT_EQ(tk::PendingActions(), 1u);

    tk::SetScript({Action::Click("Stop")});
    EXPECT_EQ(dialog->RunModal(), 0);
    EXPECT_EQ(LastRun().end, tk::RunEnd::ScriptError);
    EXPECT_NE(LastRun().error.find("\"Stop\""), std::string::npos); // the first error stays in ScriptError()
    EXPECT_NE(tk::ScriptError(), LastRun().error);
}

TEST_F(ModalRun, SpinBoxesAreSetByLabelByOrderAndById) {
    tk::SetScript({Action::SetSpinAfterLabel("Range", 1.23456), Action::SetSpinAt(1, 12345678.0),
                   Action::Click("Go", "A")});
    EXPECT_EQ(dialog->RunModal(), 1);
    EXPECT_EQ(dialog->range->GetPosition(), 1.235);
    EXPECT_EQ(dialog->index->GetPosition(), 9999999);

    tk::SetScript({Action::SetSpin(dialog->range->GetID(), -4.0), Action::SetSpinAfterLabel("Index", 41.6),
                   Action::Cancel()});
    EXPECT_EQ(dialog->RunModal(), 2);
    EXPECT_EQ(dialog->range->GetPosition(), 0.0);
    EXPECT_EQ(dialog->index->GetPosition(), 42);
}

} // namespace
