#pragma once

// What every fuzz target defines and both drivers call: libFuzzer's main
// when the target is built for fuzzing, ReplayMain.cpp in the test suite.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace fuzz {

// A property the code under test must keep. A broken one ends the run like a
// crash, so that libFuzzer keeps the input and the replay test fails.
inline void check(bool holds, const char *what)
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

inline std::string_view textOf(const std::uint8_t *data, std::size_t size)
{
    return {reinterpret_cast<const char *>(data), size};
}

// The input cut at NUL bytes, as a program's argument list arrives.
inline std::vector<std::string> wordsOf(std::string_view text)
{
    std::vector<std::string> words;
    std::size_t from = 0;
    for (std::size_t at = text.find('\0'); at != std::string_view::npos; at = text.find('\0', from)) {
        words.emplace_back(text.substr(from, at - from));
        from = at + 1;
    }
    words.emplace_back(text.substr(from));
    return words;
}

} // namespace fuzz
