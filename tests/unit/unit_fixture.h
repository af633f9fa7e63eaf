// A test bound to the stand-in host, with one empty document. The host's
// record of calls naming a deleted face or an index outside the slots, or
// made on a thread other than the test's, is reset before the test and must
// be empty after it: the host refuses such calls quietly, so without this
// check a command that makes them passes.
#pragma once

#include <gtest/gtest.h>

#include "host/host_api.h"
#include "commands/options.h"
#include "mesh/cmq_object.h"
#include "plugin/command_dispatch.h"
#include "standin/core/document.h"
#include "standin/core/host_checks.h"

namespace testsupport {

// The options record of a run of command `number`, every other option at
// its default (and the index `selectIndex` for the index commands).
inline vexolin::Options OptionsFor(int32_t number, int32_t selectIndex = 0) {
    vexolin::Options options;
    options.commandNumber = number;
    options.selectIndex = selectIndex;
    return options;
}

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        standin::ResetMisbehaviour();
        standin::CheckCallingThread(true);
        ASSERT_TRUE(hostapi::Bind(STANDIN_HOST_PATH));
    }
    void TearDown() override {
        EXPECT_EQ(standin::FirstMisbehaviour(), "") << "a call the host had to refuse";
        standin::CheckCallingThread(false);
    }

    // Adds an object and returns its wrapper as the plug-in sees it.
    cmq::CMQObject AddObject(const char *name = "obj") {
        const int32_t i = doc.AddObject(name);
        return {standin::Document::HandleOf(doc.ObjectAt(i)), doc.Handle()};
    }
    standin::Object &Obj(int32_t i = 0) { return *doc.ObjectAt(i); }

    standin::Document doc;
};

} // namespace testsupport
