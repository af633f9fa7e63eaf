// The widget layer against the stand-in toolkit: registry, creation,
// factories, properties and the order of destruction.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "abi/mq_host_declarations.h"
#include "standin/toolkit/toolkit.h"
#include "tests/unit/unit_fixture.h"
#include "ui/widgets.h"

namespace {

namespace tk = standin::toolkit;

class Widgets : public testsupport::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        tk::Reset();
    }

    static std::vector<int32_t> DeletedIds(const std::vector<tk::WidgetCall> &log) {
        std::vector<int32_t> ids;
        for (const auto &c : log)
            if (c.code == MQ_WIDGET_DELETE) ids.push_back(c.id);
        return ids;
    }
};

// A widget whose creation the host refuses: an unknown kind.
class RefusedWidget : public MQWidgetBase {
public:
    RefusedWidget() { CreateHostWidget("no-such-kind"); }
};

TEST_F(Widgets, RegistryKeepsTheFirstMappingAndEitherDeletionRemovesIt) {
    {
        auto *first = new MQWindow;
        auto *second = new MQWindow;
        ASSERT_EQ(first->GetID(), tk::kMainWindowId);
        ASSERT_EQ(second->GetID(), tk::kMainWindowId);
        EXPECT_EQ(MQWidgetBase::FindWidget(tk::kMainWindowId), first);
        delete second;
        EXPECT_EQ(MQWidgetBase::FindWidget(tk::kMainWindowId), nullptr);
        delete first;
        EXPECT_EQ(MQWidgetBase::FindWidget(tk::kMainWindowId), nullptr);
    }
    {
        auto *first = new MQWindow;
        auto *second = new MQWindow;
        delete first;
        EXPECT_EQ(MQWidgetBase::FindWidget(tk::kMainWindowId), nullptr);
        delete second;
    }
    EXPECT_EQ(MQWidgetBase::FindWidget(0), nullptr);
    EXPECT_EQ(tk::FirstViolation(), "");
}

TEST_F(Widgets, MainWindowWrapperIsNeverDestroyed) {
    tk::StartWidgetLog();
    {
        MQWindow main;
        EXPECT_FALSE(main.IsOwned());
        EXPECT_EQ(MQWidgetBase::FindWidget(main.GetID()), &main);
    }
    const auto log = tk::StopWidgetLog();
    EXPECT_TRUE(DeletedIds(log).empty());
    EXPECT_TRUE(tk::Exists(tk::kMainWindowId));
    EXPECT_EQ(MQWidgetBase::FindWidget(tk::kMainWindowId), nullptr);
}

TEST_F(Widgets, DeletingADialogDestroysItsControlsByAddressThenItself) {
    MQWindow main;
    auto *dialog = new MQDialog(main);
    const int32_t dialogId = dialog->GetID();
    ASSERT_NE(dialogId, 0);
    EXPECT_EQ(tk::ParentOf(dialogId), tk::kMainWindowId);

    std::vector<MQWidgetBase *> made;
    MQFrame *frame = dialog->CreateVertFrame(dialog);
    made.push_back(frame);
    made.push_back(dialog->CreateGroupBox(frame, u"group"));
    made.push_back(dialog->CreateButton(made.back(), u"go"));
    made.push_back(dialog->CreateCheckBox(frame, u"check"));
    made.push_back(dialog->CreateLabel(frame, u"label"));
    made.push_back(dialog->CreateSpinBox(frame));
    made.push_back(dialog->CreateDoubleSpinBox(frame));
    made.push_back(dialog->CreateHorzFrame(nullptr));
    EXPECT_EQ(dialog->CreatedCount(), made.size());

    std::sort(made.begin(), made.end(), std::less<MQWidgetBase *>());
    std::vector<int32_t> expected;
    for (MQWidgetBase *w : made) expected.push_back(w->GetID());
    expected.push_back(dialogId);

    tk::StartWidgetLog();
    delete dialog;
    const auto log = tk::StopWidgetLog();
    EXPECT_EQ(DeletedIds(log), expected);
    for (const auto &c : log) EXPECT_TRUE(c.accepted) << c.id;
    for (int32_t id : expected) EXPECT_EQ(MQWidgetBase::FindWidget(id), nullptr);
    EXPECT_EQ(tk::WidgetCount(), 1);
    EXPECT_EQ(tk::FirstViolation(), "");
}

TEST_F(Widgets, FactoriesSetTheirPropertyAndAttachOnlyWithAParent) {
    MQWindow main;
    MQDialog dialog(main);
    MQFrame *horz = dialog.CreateHorzFrame(&dialog);
    MQFrame *vert = dialog.CreateVertFrame(horz);
    MQButton *loose = dialog.CreateButton(nullptr, u"Loose \u00e9");
    MQLabel *label = dialog.CreateLabel(vert, u"Range");

    EXPECT_TRUE(loose->IsOwned());
    EXPECT_EQ(MQWidgetBase::FindWidget(loose->GetID()), loose);
    EXPECT_EQ(tk::ParentOf(loose->GetID()), 0);
    EXPECT_EQ(tk::ParentOf(vert->GetID()), horz->GetID());
    EXPECT_EQ(tk::ChildrenOf(dialog.GetID()), std::vector<int32_t>{horz->GetID()});
    EXPECT_EQ(tk::ChildrenOf(vert->GetID()), std::vector<int32_t>{label->GetID()});
    EXPECT_EQ(tk::Property(horz->GetID(), "alignment"), tk::Value(std::string("horz")));
    EXPECT_EQ(tk::Property(vert->GetID(), "alignment"), tk::Value(std::string("vert")));
    EXPECT_EQ(tk::Text(loose->GetID()), "Loose \xc3\xa9");
    EXPECT_EQ(tk::FirstViolation(), "");
}

TEST_F(Widgets, AddChildWidgetReturnsTheHostResult) {
    MQWindow main;
    MQDialog dialog(main);
    MQFrame *frame = dialog.CreateVertFrame();
    MQButton *button = dialog.CreateButton(nullptr, u"b");

    tk::StartWidgetLog();
    EXPECT_EQ(frame->AddChildWidget(nullptr), -1);
    EXPECT_TRUE(tk::StopWidgetLog().empty());

    EXPECT_EQ(frame->AddChildWidget(button), 1);
    EXPECT_EQ(tk::FirstViolation(), "");
    // The host refuses a dialog as a child widget and writes nothing.
    MQDialog other(main);
    EXPECT_EQ(frame->AddChildWidget(&other), -1);
    EXPECT_NE(tk::FirstViolation(), "");
    EXPECT_EQ(tk::ParentOf(other.GetID()), tk::kMainWindowId);
}

TEST_F(Widgets, RefusedCreationLeavesAnEmptyUnownedWidget) {
    tk::StartWidgetLog();
    {
        RefusedWidget w;
        EXPECT_EQ(w.GetID(), 0);
        EXPECT_FALSE(w.IsOwned());
        EXPECT_EQ(MQWidgetBase::FindWidget(0), nullptr);
    }
    const auto log = tk::StopWidgetLog();
    ASSERT_EQ(log.size(), 1u); // the creation only; destruction sends nothing
    EXPECT_EQ(log[0].code, MQ_WIDGET_CREATE);
    EXPECT_NE(tk::FirstViolation().find("no-such-kind"), std::string::npos);
}

TEST_F(Widgets, GetsKeepTheirPresetWhenTheHostWritesNothing) {
    MQWindow main;
    auto *dialog = new MQDialog(main);
    MQCheckBox *check = dialog->CreateCheckBox(nullptr, u"c");
    MQSpinBox *spin = dialog->CreateSpinBox();
    MQDoubleSpinBox *dspin = dialog->CreateDoubleSpinBox();
    check->SetChecked(true);
    spin->SetPosition(7);
    dspin->SetPosition(7.5);
    ASSERT_TRUE(check->GetChecked());

    // The host forgets the widgets behind the plug-in's back.
    for (int32_t id : {check->GetID(), spin->GetID(), dspin->GetID(), dialog->GetID()})
        ASSERT_EQ(MQWidget_Value(id, MQ_WIDGET_DELETE, nullptr), 1);
    EXPECT_FALSE(check->GetChecked());
    EXPECT_EQ(spin->GetPosition(), 0);
    EXPECT_EQ(dspin->GetPosition(), 0.0);
    EXPECT_EQ(dialog->RunModal(), 0);
    EXPECT_EQ(dialog->GetPosX(), 0);
    EXPECT_NE(tk::FirstViolation().find("no widget with ID"), std::string::npos);
    delete dialog;
}

TEST_F(Widgets, SpinBoxesClampAndRoundAsTheToolkitDoes) {
    MQWindow main;
    MQDialog dialog(main);
    MQDoubleSpinBox *range = dialog.CreateDoubleSpinBox();
    range->SetDecimalDigit(3);
    range->SetMin(0.0);
    range->SetMax(1000.0);
    range->SetPosition(static_cast<double>(0.001f));
    EXPECT_EQ(range->GetPosition(), 0.001);
    EXPECT_EQ(static_cast<float>(range->GetPosition()), 0.001f);
    range->SetPosition(5000.0);
    EXPECT_EQ(range->GetPosition(), 1000.0);

    MQDoubleSpinBox *angle = dialog.CreateDoubleSpinBox();
    angle->SetDecimalDigit(1);
    angle->SetMin(-180.0);
    angle->SetMax(180.0);
    angle->SetPosition(12.36);
    EXPECT_DOUBLE_EQ(angle->GetPosition(), 12.4);
    angle->SetMin(0.0); // the position follows the new lower bound
    angle->SetMax(360.0);
    angle->SetPosition(-5.0);
    EXPECT_EQ(angle->GetPosition(), 0.0);
    EXPECT_EQ(angle->GetMin(), 0.0);
    EXPECT_EQ(angle->GetMax(), 360.0);

    MQSpinBox *index = dialog.CreateSpinBox();
    index->SetMax(9999999);
    index->SetPosition(12345678);
    EXPECT_EQ(index->GetPosition(), 9999999);
    index->SetMax(-3); // bounds stay ordered
    EXPECT_EQ(index->GetMin(), -3);
    EXPECT_EQ(index->GetPosition(), -3);
    EXPECT_EQ(tk::FirstViolation(), "");
}

TEST_F(Widgets, DialogPropertiesRoundTrip) {
    MQWindow main;
    MQDialog dialog(main);
    EXPECT_EQ(dialog.GetPosX(), tk::kDefaultDialogX);
    dialog.SetTitle(u"Vexolin");
    dialog.SetPosX(100);
    dialog.SetPosY(-20);
    EXPECT_EQ(dialog.GetPosX(), 100);
    EXPECT_EQ(dialog.GetPosY(), -20);
    EXPECT_EQ(tk::Text(dialog.GetID()), "Vexolin");

    MQButton *cancel = dialog.CreateButton(&dialog, u"Cancel");
    cancel->SetVertLayout();
    cancel->SetHintSizeRateY(3.0);
    cancel->SetCancelButton();
    cancel->SetModalResult(2);
    MQFrame *grid = dialog.CreateHorzFrame(&dialog);
    grid->SetMultiColumn(true);
    grid->SetMatrixColumn(3);
    EXPECT_EQ(tk::Property(cancel->GetID(), "vertlayout"), tk::Value(std::string("hintsize")));
    EXPECT_EQ(tk::Property(cancel->GetID(), "hintsizeratey"), tk::Value(3.0));
    EXPECT_EQ(tk::Property(cancel->GetID(), "cancel"), tk::Value(true));
    EXPECT_EQ(tk::Property(cancel->GetID(), "modalresult"), tk::Value(int32_t{2}));
    EXPECT_EQ(tk::Property(grid->GetID(), "multicolumn"), tk::Value(true));
    EXPECT_EQ(tk::Property(grid->GetID(), "matrixcolumn"), tk::Value(int32_t{3}));
    EXPECT_EQ(tk::FirstViolation(), "");
}

} // namespace
