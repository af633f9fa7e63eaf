// Runs vexolin-run as a user would, in a folder of its own with its own
// settings file, and reads back what it wrote.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include <nlohmann/json.hpp>

namespace clitest {

namespace fs = std::filesystem;

struct Ran {
    int status = -1;
    std::string out;  // stdout and stderr together
};

inline Ran Shell(const std::string &command) {
    Ran ran;
    FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return ran;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) ran.out.append(buffer, n);
    const int raw = pclose(pipe);
    ran.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return ran;
}

inline std::string Slurp(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(::testing::TempDir()) /
               ("vexolin_tool_" + std::string(::testing::UnitTest::GetInstance()->current_test_suite()->name()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }

    void Write(const std::string &name, const std::string &text) { std::ofstream(dir_ / name) << text; }
    // `name` in this test's folder, and the same quoted for the shell.
    std::string PathOf(const std::string &name) const { return (dir_ / name).string(); }
    std::string QuotedPath(const std::string &name) const { return "'" + PathOf(name) + "'"; }

    // The tool with this test's settings file; `args` as a shell would take them.
    Ran Tool(const std::string &args) {
        return Shell(std::string("'") + VEXOLIN_RUN_PATH + "' --settings " + QuotedPath("settings.xml") + " " + args);
    }

    // A run on `obj` that writes out.json; the JSON, or null when the run failed.
    nlohmann::json RunJson(const std::string &obj, const std::string &args) {
        fs::remove(dir_ / "out.json");
        last_ = Tool(QuotedPath(obj) + " --json " + QuotedPath("out.json") + " " + args);
        EXPECT_EQ(last_.status, 0) << args << "\n" << last_.out;
        if (last_.status != 0 || !fs::exists(dir_ / "out.json")) return nullptr;
        return nlohmann::json::parse(Slurp(dir_ / "out.json"));
    }

    // The selection of object `index` in a run's JSON.
    static nlohmann::json Selection(const nlohmann::json &json, int index = 0) {
        if (json.is_null()) return nullptr;
        return json["objects"][index]["selection"];
    }

    fs::path dir_;
    Ran last_;
};

} // namespace clitest
