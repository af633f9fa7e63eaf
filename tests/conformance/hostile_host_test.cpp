// The real module against a host that answers with values no document has:
// counts that are negative or too large to allocate, point lists naming
// vertex -1, arrays left unwritten. Needs no allocation hooks, so it runs
// wherever the module loads. A count the module cannot use makes the run
// fail whole: 0, and the selection as it was. Other hostile answers must
// not crash the module.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "commands/command_table.h"
#include "tests/support/dialog_fixture.h"

namespace {

namespace tk = standin::toolkit;
using testsupport::Selection;

class HostileHost : public ::testing::Test {
protected:
    void SetUp() override {
        module = &testsupport::BoundPlugin();
        standin::DefaultSettings().Clear();
        standin::SetHostSettings(&standin::DefaultSettings());
        testsupport::BuildRichDocument(doc);
        before = testsupport::SelectionOf(doc);
    }
    void TearDown() override {
        standin::ClearHostileAnswers();
        standin::ResetMisbehaviour();
        tk::Reset();
    }
    // Presses one button with the hostile answers in force.
    int Press(const standin::HostileAnswers &answers, const char *label, const char *group = "") {
        tk::Reset();
        tk::SetScript({tk::Action::Click(label, group)});
        standin::SetHostileAnswers(answers);
        const int result = module->MQModifySelect(0, doc.Handle());
        standin::ClearHostileAnswers();
        return result;
    }

    testsupport::PluginModule *module = nullptr;
    standin::Document doc;
    Selection before;
};

// Commands that size working arrays from the counts, one per family.
const char *const kTableCommands[] = {"Edge(&E)", "Ridge(&R)", "Vertex -> Face(&W)", "Face => Line(&H)",
                                      "Face => Dup Vertex(&Q)", "Line => Dup Vertex(&1)"};
// Commands that only walk the slots, one per family.
const char *const kWalkCommands[] = {"X<0(&Z)", "5(&5)"};

TEST_F(HostileHost, ImpossibleCountsFailTheRunAndChangeNothing) {
    standin::HostileAnswers negative;
    negative.faceCount = -5;
    negative.vertexCount = -5;
    standin::HostileAnswers negativePoints;
    negativePoints.facePointCount = -3;
    for (const char *label : kTableCommands) {
        EXPECT_EQ(Press(negative, label), 0) << label;
        EXPECT_EQ(testsupport::SelectionOf(doc), before) << label;
        EXPECT_EQ(Press(negativePoints, label), 0) << label;
        EXPECT_EQ(testsupport::SelectionOf(doc), before) << label;
    }
    // A walk does not take a negative count for an empty object.
    for (const char *label : kWalkCommands) {
        EXPECT_EQ(Press(negative, label), 0) << label;
        EXPECT_EQ(testsupport::SelectionOf(doc), before) << label;
    }
}

TEST_F(HostileHost, NegativeVertexCountFailsTheFaceStepToo) {
    // Taken for "no vertices", the count would let "(&F)ace" with an axis
    // button select the faces on the true geometry and none of the vertices.
    standin::HostileAnswers vertices;
    vertices.vertexCount = -5;
    tk::Reset();
    tk::SetScript({tk::Action::Click("(&F)ace"), tk::Action::Click("X<0(&Z)")});
    standin::SetHostileAnswers(vertices);
    const int result = module->MQModifySelect(0, doc.Handle());
    standin::ClearHostileAnswers();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(testsupport::SelectionOf(doc), before);
}

TEST_F(HostileHost, FaceTooLargeForTheAddressSpaceFailsTheRun) {
    // INT_MAX points of four bytes each are more than a 32-bit process can
    // address: the allocation throws and the export returns 0. A 64-bit
    // process could try to fill 8 GB, which a test must not do.
    if (sizeof(void *) > 4) GTEST_SKIP() << "a 64-bit process can address such a face";
    standin::HostileAnswers huge;
    huge.facePointCount = INT_MAX;
    for (const char *label : kTableCommands) {
        EXPECT_EQ(Press(huge, label), 0) << label;
        EXPECT_EQ(testsupport::SelectionOf(doc), before) << label;
    }
}

TEST_F(HostileHost, BadIndicesAndUnwrittenArraysDoNotCrash) {
    standin::HostileAnswers minusOne;
    minusOne.pointsNameVertex = -1;
    standin::HostileAnswers unwritten;
    unwritten.arraysLeftUnwritten = true;
    standin::HostileAnswers manySlots;
    manySlots.vertexCount = 1 << 20; // far more slots than the document has
    for (const standin::HostileAnswers &answers : {minusOne, unwritten, manySlots}) {
        for (const char *label : kTableCommands) {
            const int result = Press(answers, label);
            EXPECT_TRUE(result == 0 || result == 1) << label;
        }
        for (const char *label : {"X<0(&Z)", "5(&5)", "Vertex => Face(&S)", "Face => Vertex(&G)"})
            EXPECT_TRUE(Press(answers, label) <= 1) << label;
    }
}

// A point list naming a vertex slot the host does not have: below 0, just
// past the slot count, or far past it. Every command that reads points fails
// whole: 0, the selection as it was, and no index outside the counts passed
// back to the host (which the host's checks would record).
TEST_F(HostileHost, PointsNamingNoVertexSlotFailTheRunAndChangeNothing) {
    int32_t slots = 0;
    for (int32_t i = 0; i < doc.ObjectCount(); ++i)
        if (const standin::Object *o = doc.ObjectAt(i)) slots = std::max(slots, o->VertexCount());
    for (const int32_t named : {-1, slots, int32_t{1} << 30}) {
        standin::HostileAnswers answers;
        answers.pointsNameVertex = named;
        for (const vexolin::CommandInfo &command : vexolin::kCommands) {
            const bool readsPoints = command.family == vexolin::Family::EdgeRidge ||
                                     command.family == vexolin::Family::Neighbor ||
                                     command.family == vexolin::Family::Duplicate;
            if (!readsPoints) continue;
            EXPECT_EQ(Press(answers, command.label, command.group), 0) << command.label << ", points " << named;
            EXPECT_EQ(testsupport::SelectionOf(doc), before) << command.label << ", points " << named;
        }
    }
    EXPECT_TRUE(standin::RecordedMisbehaviour().empty());
}

} // namespace
