#pragma once

// The encoder options a row is converted with: the output type and the index
// each option selector shows (-1 for none). Indices, not texts, travel; the
// catalogue turns them into command-line fragments.
struct TEncoderOptions {
    int OutputType = -1;
    int VideoSize = -1;
    int VideoBitrate = -1;
    int FrameRate = -1;
    int Aspect = -1;
    int AudioBitrate = -1;
    int Volume = -1;
    int AudioChannels = -1;
    int AudioSample = -1;
};
