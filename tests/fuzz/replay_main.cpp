// Runs a fuzz target over the files of its seed corpus, without libFuzzer: the normal and the
// sanitizer builds replay every seed, so a target that stops compiling or a seed that starts
// failing shows up in the ordinary test run.
//
//   replay_<target> FILE_OR_FOLDER...
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> inputs;
    for (int a = 1; a < argc; ++a) {
        if (!std::filesystem::is_directory(argv[a]))
            inputs.emplace_back(argv[a]);
        else
            for (const auto& entry : std::filesystem::directory_iterator(argv[a]))
                if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    for (const auto& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return 1;
        }
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}
