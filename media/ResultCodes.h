#pragma once

// Result codes of the media engine. They keep the values of the platform's
// media framework so that logs and error texts read the same everywhere.

#include <QString>
#include <QtGlobal>

namespace media::result {

constexpr quint32 Ok = 0x00000000;
// Some streams of the file were rendered, others had no decoder.
constexpr quint32 PartialRender = 0x00040242;

constexpr quint32 Fail = 0x80004005;
constexpr quint32 FileNotFound = 0x80070002;
constexpr quint32 AccessDenied = 0x80070005;
// No decoder could be found for any stream of the file.
constexpr quint32 CannotRender = 0x80040218;
// The graph is inactive, holds no file, or is bound to no window.
constexpr quint32 WrongState = 0x80040227;
// The file is not in a container the engine can read.
constexpr quint32 UnsupportedStream = 0x80040265;

// The engine's own text for a code; a general text for codes it does not know.
QString Text(quint32 code);

} // namespace media::result
