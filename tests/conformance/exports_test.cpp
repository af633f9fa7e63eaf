// The module's export table holds exactly the listed exports
// (plugin/exports.txt): the dynamic symbol table of the Linux module, the
// export name table of the Windows DLL.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/support/plugin_module.h"
#include "vexolin_export_names.h"

namespace {

TEST(ModuleExports, ExactlyTheListedNames) {
    const std::set<std::string> expected = {VEXOLIN_EXPORT_NAMES};
    EXPECT_EQ(expected.size(), 14u);
    EXPECT_EQ(testsupport::ModuleExportNames(VEXOLIN_MODULE_PATH), expected);
}

#ifdef _WIN32
// The reader itself: the stand-in host's variant that forwards all names but
// the first must show 176 names, MQ_GetWindowHandle not among them.
TEST(ModuleExports, ReaderSeesTheForwardingHostVariant) {
    const std::set<std::string> names = testsupport::ModuleExportNames(STANDIN_HOST_NO_FIRST_PATH);
    EXPECT_EQ(names.size(), 176u);
    EXPECT_EQ(names.count("MQ_GetWindowHandle"), 0u);
    EXPECT_EQ(names.count("MQ_CreateObject"), 1u);
    EXPECT_EQ(names.count("MQCanvas_Value"), 1u);
}
#endif

} // namespace
