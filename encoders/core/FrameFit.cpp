#include "FrameFit.h"

#include <algorithm>

namespace encoder {

namespace {

// The -aspect text as an ffmpeg expression: "16:9" reads as a division. Its
// parts are plain decimals (checked by the command line), valid as numbers
// in ffmpeg's expressions.
std::string aspectExpression(std::string text)
{
    std::replace(text.begin(), text.end(), ':', '/');
    return "(" + text + ")";
}

// One side of the scaled picture: the whole side, or less when the picture's
// shape leaves bars across it. "dar" is the picture's display ratio as it
// reaches the filter: after ffmpeg's autorotation, with an unknown pixel
// aspect counting as square.
std::string sideExpression(int evenSide, const std::string &shareOfSide)
{
    const std::string side = std::to_string(evenSide);
    return "'max(2,2*round(" + side + "*min(1," + shareOfSide + ")/2))'";
}

// The encoders store yuv420p, whose chroma halves both sides: the picture and
// the bars get even sides, and ffmpeg's own scaling to -s adds the odd pixel
// of an odd frame.
int evenPart(int side)
{
    return side - side % 2;
}

std::string fitToSize(int width, int height, const std::string &aspect)
{
    const std::string w = std::to_string(evenPart(width));
    const std::string h = std::to_string(evenPart(height));
    const std::string scale = "scale=w=" + sideExpression(evenPart(width), "dar/" + aspect) +
                              ":h=" + sideExpression(evenPart(height), aspect + "/dar");
    // x and y of -1 centre the picture.
    const std::string pad = "pad=" + w + ":" + h + ":-1:-1:black";
    // Pixels of the frame's shape that show it at the asked ratio; 255 keeps
    // both parts within what MPEG-4 video can store.
    const std::string sar = "setsar=r=" + aspect + "*" + h + "/" + w + ":max=255";
    return scale + "," + pad + "," + sar;
}

std::string fitToAspect(const std::string &aspect)
{
    // The pad filter needs a known pixel aspect; setsar's "sar" is 1 for an
    // unknown one.
    return "setsar=r=sar:max=255,pad=w=iw:h=ih:x=-1:y=-1:color=black:aspect=" + aspect;
}

} // namespace

std::string frameFitFilters(const EncodeRequest &request)
{
    if (request.noVideo)
        return {};
    if (request.width && request.height) {
        const std::string aspect =
            request.aspect.empty() ? "(" + std::to_string(*request.width) + "/" + std::to_string(*request.height) + ")"
                                   : aspectExpression(request.aspect);
        return fitToSize(*request.width, *request.height, aspect);
    }
    if (!request.aspect.empty())
        return fitToAspect(aspectExpression(request.aspect));
    return {};
}

} // namespace encoder
