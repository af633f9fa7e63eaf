// Replays fuzz inputs through a target without libFuzzer: every file named on
// the command line, and every file below every directory named there (in
// name order), is read into a buffer of exactly its size and handed to the
// target once. A fault stops the run under the sanitizers, naming the file
// first; a file that cannot be read fails the run. No file at all fails it
// too, so an emptied corpus cannot pass unnoticed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace fs = std::filesystem;

namespace {

bool ReadFile(const fs::path &path, std::vector<char> &out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

int main(int argc, char **argv) {
    if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg = argv[i];
        std::error_code ec;
        if (fs::is_directory(arg, ec)) {
            for (const auto &entry : fs::recursive_directory_iterator(arg, ec))
                if (entry.is_regular_file()) files.push_back(entry.path());
            if (ec) {
                std::fprintf(stderr, "replay: cannot list %s: %s\n", arg.c_str(), ec.message().c_str());
                return 1;
            }
        } else {
            files.push_back(arg);
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "replay: no input files\n");
        return 1;
    }
    std::vector<char> bytes;
    for (const fs::path &file : files) {
        if (!ReadFile(file, bytes)) {
            std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
            return 1;
        }
        std::fprintf(stderr, "replay: %s (%zu bytes)\n", file.c_str(), bytes.size());
        // A heap block of exactly the input's size, so a read past its end
        // is caught by AddressSanitizer, as under libFuzzer.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
        std::copy(bytes.begin(), bytes.end(), exact.get());
        LLVMFuzzerTestOneInput(exact.get(), bytes.size());
    }
    std::printf("replay: %zu files through %s, no fault\n", files.size(), VEXOLIN_FUZZ_TARGET);
    return 0;
}
