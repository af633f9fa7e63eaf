#include "standin/cli/output_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "standin/cli/obj_loader.h"

namespace cli = standin::cli;

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(OutputFiles, AllOrNothing) {
    const fs::path dir = fs::path(::testing::TempDir()) / "cli_outputs";
    fs::remove_all(dir);
    fs::create_directories(dir);

    cli::OutputSet ok;
    ok.Add((dir / "a.json").string(), "{}\n");
    ok.Add((dir / "a.png").string(), std::string("\x89PNG\0x", 6));
    ok.Commit();
    EXPECT_EQ(Read(dir / "a.json"), "{}\n");
    EXPECT_EQ(Read(dir / "a.png").size(), 6u);

    // The second target's folder is missing: the first is not written
    // either, an existing file is not touched, and no temporary file stays.
    cli::OutputSet bad;
    bad.Add((dir / "a.json").string(), "new");
    bad.Add((dir / "missing" / "b.png").string(), "x");
    EXPECT_THROW(bad.Commit(), cli::InputError);
    EXPECT_EQ(Read(dir / "a.json"), "{}\n");
    size_t files = 0;
    for ([[maybe_unused]] const auto &e : fs::directory_iterator(dir)) ++files;
    EXPECT_EQ(files, 2u);
}

} // namespace
