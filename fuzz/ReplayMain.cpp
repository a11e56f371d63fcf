// Stands in for libFuzzer's main in the test suite: feeds every file named,
// and every file in every folder named (by name order), to the fuzz entry
// once. The name goes out before each run, so a crash shows its input.
// Exit code 1 when there was nothing to feed: a lost corpus must not pass.

#include "FuzzEntry.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsOf(const fs::path &given)
{
    if (!fs::is_directory(given))
        return fs::is_regular_file(given) ? std::vector<fs::path>{given} : std::vector<fs::path>{};
    std::vector<fs::path> files;
    for (const fs::directory_entry &entry : fs::directory_iterator(given)) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string contentOf(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::vector<fs::path> found = inputsOf(argv[i]);
        inputs.insert(inputs.end(), found.begin(), found.end());
    }
    for (const fs::path &input : inputs) {
        std::printf("%s\n", input.c_str());
        std::fflush(stdout);
        const std::string data = contentOf(input);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(data.data()), data.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}
