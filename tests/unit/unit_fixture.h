// A test bound to the stand-in host, with one empty document.
#pragma once

#include <gtest/gtest.h>

#include "host/host_api.h"
#include "mesh/cmq_object.h"
#include "standin/core/document.h"

namespace testsupport {

class HostTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(hostapi::Bind(STANDIN_HOST_PATH)); }

    // Adds an object and returns its wrapper as the plug-in sees it.
    cmq::CMQObject AddObject(const char *name = "obj") {
        const int32_t i = doc.AddObject(name);
        return {standin::Document::HandleOf(doc.ObjectAt(i)), doc.Handle()};
    }
    standin::Object &Obj(int32_t i = 0) { return *doc.ObjectAt(i); }

    standin::Document doc;
};

} // namespace testsupport
