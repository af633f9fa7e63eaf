// Identity, version and event exports of the real module.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/plugin_module.h"

namespace {

using testsupport::PluginModule;

PluginModule &Module() {
    static PluginModule module;
    return module;
}

TEST(Identity, IdPairNameKindAndMenu) {
    PluginModule &m = Module();
    ASSERT_TRUE(m.Loaded());
    MQDWORD ids[4] = {1, 0xAAAAAAAA, 0xBBBBBBBB, 2};
    m.MQGetPlugInID(&ids[1], &ids[2]);
    EXPECT_EQ(ids[1], 0x6D2B5F14u);
    EXPECT_EQ(ids[2], 0x39C4E8A7u);
    EXPECT_EQ(ids[0], 1u); // nothing written around them
    EXPECT_EQ(ids[3], 2u);
    EXPECT_EQ(std::strncmp(m.MQGetPlugInName(), "Vexolin ver.1.2 ", 16), 0) << m.MQGetPlugInName();
    EXPECT_EQ(m.MQGetPlugInType(), 5);
    EXPECT_STREQ(m.MQEnumString(0), "Vexolin");
    EXPECT_EQ(m.MQEnumString(1), nullptr);
    EXPECT_EQ(m.MQEnumString(-1), nullptr);
    EXPECT_EQ(m.MQEnumFileType(0), nullptr);
    EXPECT_EQ(m.MQEnumFileExt(0), nullptr);
}

TEST(Identity, NullIdPointersAreSkipped) {
    PluginModule &m = Module();
    MQDWORD id = 0;
    m.MQGetPlugInID(nullptr, &id);
    EXPECT_EQ(id, 0x39C4E8A7u);
    MQDWORD product = 0;
    m.MQGetPlugInID(&product, nullptr);
    EXPECT_EQ(product, 0x6D2B5F14u);
}

TEST(Identity, VersionThreshold) {
    PluginModule &m = Module();
    EXPECT_EQ(m.MQCheckVersion(0), 0u);
    EXPECT_EQ(m.MQCheckVersion(0x43FF), 0u);
    EXPECT_EQ(m.MQCheckVersion(0x4400), 0x440u);
    EXPECT_EQ(m.MQCheckVersion(0xFFFFFFFFu), 0x440u);
}

TEST(Identity, EventsAreNeverHandled) {
    PluginModule &m = Module();
    void *list[] = {const_cast<char *>("index"), nullptr, nullptr, nullptr};
    for (int code : {0, 1, 4, 100, 141, 250, 300, 301, -1}) {
        EXPECT_EQ(m.MQOnEvent(nullptr, code, nullptr), 0) << code;
        EXPECT_EQ(m.MQOnEvent(nullptr, code, list), 0) << code;
    }
}

TEST(Identity, FileOperationsFail) {
    PluginModule &m = Module();
    EXPECT_EQ(m.MQImportFile(0, "x.obj", nullptr), 0);
    EXPECT_EQ(m.MQExportFile(0, "x.obj", nullptr), 0);
}

TEST(Identity, RunBeforeInitDoesNothing) {
    PluginModule &m = Module();
    // The host table is empty until MQInit: nothing may be called.
    EXPECT_EQ(m.MQModifySelect(0, nullptr), 0);
}

} // namespace
