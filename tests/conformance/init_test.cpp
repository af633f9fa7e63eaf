// MQInit against the stand-in host and against hosts that cannot serve.
#include <gtest/gtest.h>

#include "standin/core/document.h"
#include "tests/support/plugin_module.h"

namespace {

using testsupport::PluginModule;

TEST(Init, UnloadableModuleFails) {
    PluginModule m;
    ASSERT_TRUE(m.Loaded());
    EXPECT_EQ(m.MQInit("/nonexistent/host.so"), 0);
    EXPECT_EQ(m.MQInit(nullptr), 0);
}

TEST(Init, HostLackingTheFirstOrLastNameIsRefused) {
#if defined(STANDIN_HOST_NO_FIRST_PATH) && defined(STANDIN_HOST_NO_LAST_PATH)
    PluginModule m;
    EXPECT_EQ(m.MQInit(STANDIN_HOST_NO_FIRST_PATH), 0);
    EXPECT_EQ(m.MQInit(STANDIN_HOST_NO_LAST_PATH), 0);
    // A refused host leaves the plug-in unable to run.
    standin::Document doc;
    EXPECT_EQ(m.MQModifySelect(0, doc.Handle()), 0);
#else
    GTEST_SKIP() << "host variants are built on Linux only";
#endif
}

TEST(Init, CompleteHostIsAccepted) {
    PluginModule m;
    EXPECT_EQ(m.MQInit(STANDIN_HOST_PATH), 1);
}

TEST(Run, IndexOtherThanZeroReturnsZero) {
    PluginModule &m = testsupport::BoundPlugin();
    standin::Document doc;
    doc.AddObject("a");
    EXPECT_EQ(m.MQModifySelect(1, doc.Handle()), 0);
    EXPECT_EQ(m.MQModifySelect(-1, doc.Handle()), 0);
}

} // namespace
