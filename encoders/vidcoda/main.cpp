// vidcoda: converts a media file through ffmpeg, taking the option syntax of
// Movarel's command builder and printing the status lines it reads.

#include "encoders/core/EncoderMain.h"

int main(int argc, char **argv)
{
    return encoder::encoderMain("vidcoda", encoder::InputKind::MediaFile, argc, argv);
}
