// The tool as a user runs it: exit status, the one-line messages, and that
// a failed run leaves no output file behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;

namespace {

struct Ran {
    int status = -1;
    std::string out;  // stdout and stderr together
};

class VexolinRun : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(::testing::TempDir()) /
               ("vexolin_run_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        Write("good.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n");
    }

    void Write(const std::string &name, const std::string &text) { std::ofstream(dir_ / name) << text; }
    std::string PathOf(const std::string &name) const { return (dir_ / name).string(); }

    // Runs the tool with its own settings file and the outputs in dir_.
    Ran Run(const std::string &args) {
        const std::string command = std::string("'") + VEXOLIN_RUN_PATH + "' --settings '" + PathOf("settings.xml") +
                                    "' --json '" + PathOf("out.json") + "' --png '" + PathOf("out.png") + "' " + args +
                                    " 2>&1";
        Ran ran;
        FILE *pipe = popen(command.c_str(), "r");
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) ran.out.append(buffer, n);
        const int raw = pclose(pipe);
        ran.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return ran;
    }

    void ExpectFailedCleanly(const Ran &ran, const std::string &message) {
        EXPECT_EQ(ran.status, 2) << ran.out;
        EXPECT_EQ(ran.out.rfind("vexolin-run: ", 0), 0u) << ran.out;
        EXPECT_EQ(std::count(ran.out.begin(), ran.out.end(), '\n'), 1) << ran.out;
        EXPECT_NE(ran.out.find(message), std::string::npos) << ran.out;
        EXPECT_FALSE(fs::exists(dir_ / "out.json"));
        EXPECT_FALSE(fs::exists(dir_ / "out.png"));
    }

    fs::path dir_;
};

TEST_F(VexolinRun, BadInputGivesOneLineStatus2AndNoOutput) {
    Write("bad.obj", "v 0 0 0\nv 1 0 0\nf 1 2 7\n");
    Write("broken.json", "{\"objects\": [");
    ExpectFailedCleanly(Run("'" + PathOf("none.obj") + "' --press 'Ridge(&R)'"), PathOf("none.obj") + ": no such file");
    ExpectFailedCleanly(Run("'" + PathOf("bad.obj") + "' --press 'Ridge(&R)'"),
                        PathOf("bad.obj") + ":3: vertex index 7 is out of range");
    ExpectFailedCleanly(Run("'" + PathOf("good.obj") + "' --press 'Ridge'"),
                        "unknown button \"Ridge\"; the buttons are");
    ExpectFailedCleanly(Run("'" + PathOf("good.obj") + "' --press Vertex"), "more than one group");
    ExpectFailedCleanly(Run("'" + PathOf("good.obj") + "' --press 'Edge(&E)' --range -1"), "invalid range");
    ExpectFailedCleanly(Run("'" + PathOf("good.obj") + "' --press 'Edge(&E)' --range abc"), "--range");
    ExpectFailedCleanly(Run("'" + PathOf("good.obj") + "' --press 'Edge(&E)' --face perhaps"),
                        "invalid value 'perhaps'");
    ExpectFailedCleanly(Run("'" + PathOf("good.obj") + "' --press 'Edge(&E)' --view back"), "invalid view 'back'");
    ExpectFailedCleanly(Run("'" + PathOf("good.obj") + "' --press 'Edge(&E)' --select-faces 3"),
                        "face 3 is out of range (the object has 1 faces)");
    ExpectFailedCleanly(Run("'" + PathOf("good.obj") + "' --press 'Edge(&E)' --select-lines 0:4"),
                        "line 0:4 is out of range (face 0 has 4 lines)");
    ExpectFailedCleanly(Run("'" + PathOf("good.obj") + "' --press 'Edge(&E)' --scene '" + PathOf("broken.json") + "'"),
                        "not valid JSON");
    ExpectFailedCleanly(Run("'" + PathOf("good.obj") + "' --press 'Edge(&E)' --plugin '" + PathOf("nothing.so") + "'"),
                        "no such plug-in module");
    // Files other programs save: refused with the line, never read as empty.
    Write("nobom16.obj", std::string("v\0 \0" "0\0 \0" "0\0 \0" "0\0\n\0", 16));
    ExpectFailedCleanly(Run("'" + PathOf("nobom16.obj") + "' --press 'Edge(&E)'"),
                        PathOf("nobom16.obj") + ":1: a NUL byte in the text");
    Write("inf.obj", "v 0 0 0\nv 1 0 0\nv 1 1 +inf\nf 1 2 3\n");
    ExpectFailedCleanly(Run("'" + PathOf("inf.obj") + "' --press 'Edge(&E)'"),
                        PathOf("inf.obj") + ":3: '+inf' is not a finite number");
    Write("empty.obj", "# nothing\r\n");
    ExpectFailedCleanly(Run("'" + PathOf("empty.obj") + "' --press 'Edge(&E)'"), PathOf("empty.obj") + ": no objects");
}

// The host refuses a bad call of the plug-in quietly; vexolin-run shows each
// one and fails with status 3, even where the run would otherwise end
// another way (here the module never opens its dialog), and writes nothing.
// The real module run the same way makes no such call (every other test
// here expects status 0).
TEST_F(VexolinRun, AMisbehavingPluginIsShownAndFailsTheRun) {
    const Ran ran = Run("'" + PathOf("good.obj") + "' --press 'Edge(&E)' --plugin '" + MISBEHAVING_PLUGIN_PATH + "'");
    EXPECT_EQ(ran.status, 3) << ran.out;
    EXPECT_NE(ran.out.find("vexolin-run: the plug-in misbehaved: MQ_SendMessage(505): no \"pluginsettings\" pair"),
              std::string::npos)
        << ran.out;
    EXPECT_NE(ran.out.find("vexolin-run: the plug-in misbehaved: MQXmlElem_Value(code 0x302): an element handle the "
                           "store did not hand out"),
              std::string::npos)
        << ran.out;
    EXPECT_FALSE(fs::exists(dir_ / "out.json"));
}

// Out of memory is a failure like any other: one line, status 2, no output
// file (nor a temporary one) left behind. The address space is limited so
// that a small run fits and the load of a 20 MB file does not. Sanitizer
// builds reserve terabytes of address space and cannot run under a limit.
TEST_F(VexolinRun, OutOfMemoryIsOneLineStatus2AndNoOutput) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "address-space limits do not apply to sanitizer builds";
#else
    {
        std::ofstream big(dir_ / "big.obj");
        const int n = 700;
        for (int y = 0; y <= n; ++y)
            for (int x = 0; x <= n; ++x) big << "v " << x << ' ' << y << " 0\n";
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const int a = y * (n + 1) + x + 1;
                big << "f " << a << ' ' << a + 1 << ' ' << a + n + 2 << ' ' << a + n + 1 << "\n";
            }
    }
    const std::string limit = "ulimit -v 60000; ";
    auto limited = [&](const std::string &obj) {
        const std::string command = limit + "'" + VEXOLIN_RUN_PATH + "' --settings '" + PathOf("settings.xml") +
                                    "' --json '" + PathOf("out.json") + "' --png '" + PathOf("out.png") + "' '" +
                                    PathOf(obj) + "' --press 'Edge(&E)' 2>&1";
        Ran ran;
        FILE *pipe = popen(command.c_str(), "r");
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) ran.out.append(buffer, n);
        const int raw = pclose(pipe);
        ran.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return ran;
    };
    const Ran small = limited("good.obj");
    ASSERT_EQ(small.status, 0) << "the limit leaves no room for a normal run:\n" << small.out;
    fs::remove(dir_ / "out.json");
    fs::remove(dir_ / "out.png");
    ExpectFailedCleanly(limited("big.obj"), "vexolin-run: out of memory");
    for (const auto &entry : fs::directory_iterator(dir_))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
#endif
}

// --out-dir made when missing, --quiet printing nothing on success (and
// only the table in a batch), --version naming the project's version.
TEST_F(VexolinRun, OutDirQuietAndVersion) {
    const std::string tool = std::string("'") + VEXOLIN_RUN_PATH + "' --settings '" + PathOf("settings.xml") + "' ";
    auto shell = [](const std::string &command) {
        Ran ran;
        FILE *pipe = popen((command + " 2>&1").c_str(), "r");
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) ran.out.append(buffer, n);
        const int raw = pclose(pipe);
        ran.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return ran;
    };
    Write("broken-settings.xml", "<settings");
    const Ran quiet =
        shell(std::string("'") + VEXOLIN_RUN_PATH + "' --settings '" + PathOf("broken-settings.xml") + "' -q --json '" +
              PathOf("q.json") + "' --index 99 --press Vertex --group 'select by index' '" + PathOf("good.obj") + "'");
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
    EXPECT_TRUE(fs::exists(dir_ / "q.json"));

    const Ran batch = shell(tool + "-q --batch --press 'Edge(&E)' --out-dir '" + PathOf("new/deeper") + "' '" +
                            PathOf("good.obj") + "'");
    EXPECT_EQ(batch.status, 0) << batch.out;
    EXPECT_EQ(batch.out, "file\tobjects\tvertices\tlines\tfaces\tstatus\n" + PathOf("good.obj") + "\t1\t0\t4\t0\tok\n");
    EXPECT_TRUE(fs::exists(dir_ / "new" / "deeper" / "good.json"));
    EXPECT_TRUE(fs::exists(dir_ / "new" / "deeper" / "good.png"));

    // A batch that writes nothing makes no folder; two files of one name
    // would overwrite each other's outputs and are refused.
    Write("bad.obj", "v 0 0\n");
    EXPECT_EQ(
        shell(tool + "-q --batch --press 'Edge(&E)' --out-dir '" + PathOf("unmade") + "' '" + PathOf("bad.obj") + "'")
            .status,
        2);
    EXPECT_FALSE(fs::exists(dir_ / "unmade"));
    fs::create_directories(dir_ / "other");
    fs::copy_file(dir_ / "good.obj", dir_ / "other" / "good.obj");
    const Ran twice = shell(tool + "--batch --press 'Edge(&E)' --out-dir '" + PathOf("out2") + "' '" +
                            PathOf("good.obj") + "' '" + PathOf("other/good.obj") + "'");
    EXPECT_EQ(twice.status, 2);
    EXPECT_NE(twice.out.find("would both write"), std::string::npos) << twice.out;

    const Ran version = shell(std::string("'") + VEXOLIN_RUN_PATH + "' --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("vexolin-run ") + VEXOLIN_VERSION + "\n");
}

TEST_F(VexolinRun, BatchReportsEachFileAndCarriesOnPastErrors) {
    Write("bad.obj", "v 0 0\n");
    const std::string command = std::string("'") + VEXOLIN_RUN_PATH + "' --settings '" + PathOf("settings.xml") +
                                "' --batch --press 'Edge(&E)' '" + PathOf("bad.obj") + "' '" + PathOf("good.obj") +
                                "' 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int raw = pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(raw), 2) << out;
    EXPECT_NE(out.find("[1/2] " + PathOf("bad.obj")), std::string::npos) << out;
    EXPECT_NE(out.find("[2/2] " + PathOf("good.obj")), std::string::npos) << out;
    EXPECT_NE(out.find("file\tobjects\tvertices\tlines\tfaces\tstatus"), std::string::npos) << out;
    EXPECT_NE(out.find(PathOf("bad.obj") + "\t0\t0\t0\t0\terror: " + PathOf("bad.obj") +
                       ":1: a vertex needs three coordinates"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find(PathOf("good.obj") + "\t"), std::string::npos) << out;
}

// The whole way through the plug-in's command dialog. Both slopes of the
// roof face outward and meet at 90 degrees; with nothing stored the dialog
// opens with "Supplement" on and the window 0..90, which takes the angle
// between the faces themselves, so the convex 90-degree ridge is inside it.
TEST_F(VexolinRun, RidgeOnTheSampleRoofSelectsTheRidgeLines) {
    const Ran ran = Run(std::string("'") + VEXOLIN_SAMPLES_DIR + "/roof.obj' --press 'Ridge(&R)' --current roof");
    ASSERT_EQ(ran.status, 0) << ran.out;
    EXPECT_NE(ran.out.find("Ridge(&R)"), std::string::npos) << ran.out;
    EXPECT_NE(ran.out.find("picture written to " + PathOf("out.png")), std::string::npos) << ran.out;
    std::ifstream in(dir_ / "out.json");
    const auto json = nlohmann::json::parse(in);
    EXPECT_EQ(json["command"]["number"], 15);
    const auto &roof = json["objects"][0];
    EXPECT_EQ(roof["name"], "roof");
    // The ridge joins vertices 2 and 3: line 2 of face 0 and line 0 of face 1.
    EXPECT_EQ(roof["selection"]["lines"], nlohmann::json::parse("[[0,2],[1,0]]")) << roof.dump();
    EXPECT_TRUE(fs::exists(dir_ / "out.png"));
}

} // namespace
