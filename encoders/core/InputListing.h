#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace encoder {

enum class StreamKind { Video, Audio, Other };

// One stream of the input as ffmpeg lists it.
struct ListedStream {
    int index = -1;
    StreamKind kind = StreamKind::Other;
    std::string codec; // "aac", "amr_nb"; "none" when ffmpeg knows no codec
    std::string tag;   // the container's name for the codec ("mp4a", "drms"); empty when not shown
    bool isDefault = false;
    bool attachedPicture = false;
};

// The first input's streams, read from the listing ffmpeg prints at info
// level ("Input #0, <formats>, from ...", its "  Stream #0:N..." lines)
// before it starts converting ("Stream mapping:"). Lines come without their
// level tag.
class InputListing {
public:
    void takeLine(std::string_view line);

    // The listing has ended: every stream ffmpeg found at the start is known.
    bool complete() const { return m_state == State::Done && !m_container.empty(); }
    // The demuxer's names, "mov,mp4,m4a,3gp,3g2,mj2".
    const std::string &container() const { return m_container; }
    const std::vector<ListedStream> &streams() const { return m_streams; }
    const ListedStream *stream(int index) const;
    // Audio streams with a codec ffmpeg knows.
    std::vector<ListedStream> audioStreams() const;
    // Seconds, as the container's header tells; unset when it does not.
    std::optional<double> duration() const { return m_duration; }

private:
    enum class State { Before, InFirstInput, Done };
    void takeStreamLine(std::string_view line);
    void takeDurationLine(std::string_view line);

    State m_state = State::Before;
    std::string m_container;
    std::vector<ListedStream> m_streams;
    std::optional<double> m_duration;
};

} // namespace encoder
