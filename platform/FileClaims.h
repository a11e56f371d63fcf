#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace platform {

// Which file a name stands for: another file put at the name later has
// another identity, even with the same content, even where the system gives
// it the number a removed file had.
struct FileIdentity {
    quint64 device = 0;
    quint64 file = 0;
    qint64 changedNs = 0; // when its metadata last changed (Windows: when it was made)
    bool operator==(const FileIdentity &other) const = default;
};

// The file at `path` itself (a link is not followed); nothing when there is none.
std::optional<FileIdentity> fileIdentity(const QString &path);

// Creates `path` as a new, empty file, never opening one that is already
// there. `taken` tells a name already in use from other failures.
std::optional<FileIdentity> createNewFile(const QString &path, bool &taken);

// Removes the file at `path` only while it is still the file `identity`
// names; false, leaving the name alone, when another file stands there.
bool removeIfSameFile(const QString &path, const FileIdentity &identity);

// A file held for one user alone, in this process or another, for as long
// as the object lives: its content can be replaced while nobody else may.
class HeldFile {
public:
    virtual ~HeldFile() = default;
    // The file holds `content` and nothing else afterwards; false on failure.
    virtual bool replaceContent(const QByteArray &content) = 0;
};

// Creates `path` if needed and holds it; nullptr when it cannot be opened,
// with `heldElsewhere` set when someone else holds it.
std::unique_ptr<HeldFile> holdFile(const QString &path, bool &heldElsewhere);

} // namespace platform
