#include "media/ResultCodes.h"

namespace media::result {

QString Text(quint32 code)
{
    switch (code) {
    case Ok:
        return QStringLiteral("The operation completed successfully.");
    case PartialRender:
        return QStringLiteral("Some of the streams in this movie are in an unsupported format.");
    case FileNotFound:
        return QStringLiteral("The system cannot find the file specified.");
    case AccessDenied:
        return QStringLiteral("Access is denied.");
    case CannotRender:
        return QStringLiteral("No combination of filters could be found to render the stream.");
    case WrongState:
        return QStringLiteral("The operation could not be performed because the filter is in the wrong state.");
    case UnsupportedStream:
        return QStringLiteral("Cannot play back the file. The format is not supported.");
    default:
        return QStringLiteral("Unspecified error");
    }
}

} // namespace media::result
