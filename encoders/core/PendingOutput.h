#pragma once

#include <string>
#include <sys/types.h>

namespace encoder {

// The file ffmpeg writes before it becomes the output. Where the file system
// allows, it is an unnamed file in the output's folder, so that a failed or
// killed run leaves nothing behind; elsewhere a named file beside the output
// that is removed on failure. Only a finished encode takes the output's name,
// so an earlier file of that name stays intact until then. The only file it
// ever replaces is the one that stood at the name when it was created (the
// name's claim, made by whoever started the encoder): a file another program
// put there meanwhile is left as it is, and the commit fails.
class PendingOutput {
public:
    enum class Kind { UnnamedWherePossible, Named };

    // Checks the folder and the name; throws EncoderError when the output
    // cannot be written or exists without permission to overwrite it.
    PendingOutput(const std::string &outputPath, bool overwrite, Kind kind = Kind::UnnamedWherePossible);
    ~PendingOutput();
    PendingOutput(const PendingOutput &) = delete;
    PendingOutput &operator=(const PendingOutput &) = delete;

    // The descriptor the child must inherit to reach the file (-1: none) and
    // the path by which it opens the file, given the descriptor number
    // the child sees.
    int descriptor() const { return m_descriptor; }
    std::string pathForChild(int childDescriptor) const;

    // Gives the file the output's name; throws EncoderError on failure, also
    // when the name holds another file than at the start.
    void commit();
    // Removes what was written. Also done by the destructor unless committed.
    void discard() noexcept;

    // What identifies a file while it is held open.
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        bool operator==(const Identity &) const = default;
    };

private:
    void holdClaim();
    void openUnnamed(const std::string &folder);
    void openNamed();
    void commitUnnamed();
    void commitNamed();
    void replaceClaim(const std::string &fresh);
    void releaseClaim() noexcept;

    std::string m_outputPath;
    int m_descriptor = -1;
    std::string m_namedPath; // the fallback's name; empty for an unnamed file
    // The file at the output's name at the start, held open so that its
    // inode number cannot pass to another file; -1: there was none.
    int m_claimDescriptor = -1;
    Identity m_claim;
    bool m_done = false;
};

} // namespace encoder
