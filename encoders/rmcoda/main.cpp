// rmcoda: like vidcoda, but "-i" names a one-line DirectShowSource script
// whose source is converted to the script's constant frame rate first.

#include "encoders/core/EncoderMain.h"

int main(int argc, char **argv)
{
    return encoder::encoderMain("rmcoda", encoder::InputKind::Script, argc, argv);
}
