#pragma once

#include <QString>
#include <QStringList>

// The fixed catalogue of output types, quality presets and option tables.
// Lists that fill a selector carry, as their last element, the index of the
// entry a freshly filled selector selects.

QStringList GetOutputTypeList();
QStringList GetQualityList();
QStringList GetVideoSizeList();
QStringList GetVideoBitrateList();
QStringList GetFrameRateList();
QStringList GetAspectRatioList();
QStringList GetAudioBitrateList();
QStringList GetAudioSampleList();
QStringList GetAudioChannelsList();
QStringList GetVolumeGainList();
QStringList GetCodecParamList();
QStringList GetFormatNameList();
QStringList GetExtensionList();
// The five preset strings of an output type, Low to Superb; empty outside 0..4.
QStringList GetPresetList(int outputType);

// Output type indices.
enum TOutputType { cstiPodProfile = 0, cstMOVProfile = 1, cstAACProfile = 2, cstM4AProfile = 3, cstMP3Profile = 4 };

// A preset string that changes nothing.
inline const char *const EmptyPreset = "none|none|none|none|none|none";

// Fragments keyed by output type index.
QString CodecParamOf(int outputType);
QString FormatParamOf(int outputType);
QString OutputExtensionOf(int outputType);
