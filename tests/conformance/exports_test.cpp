// The module's dynamic symbol table holds exactly the fourteen exports.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace {

std::set<std::string> DefinedDynamicSymbols(const std::string &path) {
    const std::string command = "nm -D --defined-only --format=posix '" + path + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(command.c_str(), "r"), pclose);
    std::set<std::string> names;
    if (!pipe) return names;
    char line[1024];
    while (fgets(line, sizeof line, pipe.get()) != nullptr) {
        std::istringstream fields(line);
        std::string name, type;
        fields >> name >> type;
        if (!name.empty()) names.insert(name);
    }
    return names;
}

TEST(ModuleExports, ExactlyTheFourteenNames) {
    const std::set<std::string> expected = {
        "MQGetPlugInID", "MQGetPlugInName", "MQGetPlugInType", "MQEnumString", "MQEnumFileType",
        "MQEnumFileExt", "MQImportFile",    "MQExportFile",    "MQCreate",     "MQModifyObject",
        "MQModifySelect", "MQOnEvent",      "MQCheckVersion",  "MQInit"};
    EXPECT_EQ(DefinedDynamicSymbols(VEXOLIN_MODULE_PATH), expected);
}

} // namespace
