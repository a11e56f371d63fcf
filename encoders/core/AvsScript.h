#pragma once

#include <string>
#include <string_view>

namespace encoder {

// The source named by a one-line script
//   DirectShowSource("path", fps=29.9700898503294, convertfps=true)
// A path holding a double quote is written in the triple-quoted form
// DirectShowSource("""pa"th""", fps=...). Names of the function and of its
// arguments ignore letter case; blanks may stand between the parts.
struct ScriptSource {
    std::string path;
    std::string constantRate; // the fps text when convertfps=true, else empty
};

// Throws EncoderError with the reason when the text is not such a script.
ScriptSource parseDirectShowScript(std::string_view text);

} // namespace encoder
