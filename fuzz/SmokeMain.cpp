// Without libFuzzer: runs a fuzz target once on every file of the folders and files
// given, so that the seed corpora run in the test suite (and under the sanitizers).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int RunFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path p(argv[i]);
        if (std::filesystem::is_directory(p)) {
            for (auto& e : std::filesystem::recursive_directory_iterator(p))
                if (e.is_regular_file()) inputs += RunFile(e.path());
        } else {
            inputs += RunFile(p);
        }
    }
    // An empty input as well: every reader must take it.
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::printf("%d inputs\n", inputs + 1);
    return inputs > 0 ? 0 : 1;
}
