#pragma once

#include "Code/ConversionBatch.h"
#include "Code/core/EncoderOptions.h"
#include "Code/core/TrimSpan.h"
#include "Code/core/UserSettings.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QWidget;
class TFilterGraph;
class TSourceGrid;
class TTrimBar;
namespace platform {
class SleepInhibitor;
}

// The options window's selectors that the services set and read.
struct TOptionSelectors {
    QComboBox *VideoSize = nullptr;
    QComboBox *VideoBitrate = nullptr;
    QComboBox *FrameRate = nullptr;
    QComboBox *Aspect = nullptr;
    QComboBox *AudioBitrate = nullptr;
    QComboBox *Volume = nullptr;
    QComboBox *AudioChannels = nullptr;
    QComboBox *AudioSample = nullptr;
    QComboBox *CustomProfile = nullptr;

    // The six a preset or a custom profile sets, in their stored order:
    // video size, frame rate, video bitrate, audio bitrate, channels, sample rate.
    QList<QComboBox *> PresetSelectors() const;
};

// The preview's parts: the graph that plays, the logo over the video and the
// elapsed-time label.
struct TPreviewControls {
    TFilterGraph *Graph = nullptr;
    QWidget *Logo = nullptr;
    QLabel *Clock = nullptr;
};

// What a conversion reads from the windows besides the list.
struct TConversionRequest {
    int OutputType = -1;
    TOptionSelectors Options;
    TUserSettings Settings;
};

// Program logic that carries state between events: user settings, output
// selection and custom profiles, the conversion batch, the player and the trim
// bar. Its operations take the controls they work on.
class TCustomProc {
public:
    TCustomProc();
    ~TCustomProc();

    // --- Output selection: fill the selectors from the catalogue and apply presets.
    void FillOptionSelectors(QComboBox *outputType, QComboBox *quality, const TOptionSelectors &options);
    void FillOutputTypeSelector(QComboBox *selector);
    void FillQualitySelector(QComboBox *selector);
    void FillAspectRatioSelector(QComboBox *selector);
    void FillVideoBitrateSelector(QComboBox *selector);
    void FillAudioBitrateSelector(QComboBox *selector);
    void FillAudioChannelsSelector(QComboBox *selector);
    void FillFrameRateSelector(QComboBox *selector);
    void FillAudioSampleSelector(QComboBox *selector);
    void FillVolumeGainSelector(QComboBox *selector);
    void FillVideoSizeSelector(QComboBox *selector);
    // Sets the option selectors from the chosen quality of the chosen output
    // type, or from the chosen custom profile.
    void ApplyQualityPreset(int outputType, int quality, const TOptionSelectors &options);

    // --- Custom profiles, stored in Config/UserProfileInfo.ini.
    QString GetCustomProfileValue(const QComboBox *customProfile);
    // Throws EConvertError, setting nothing, when a stored piece is not a number.
    void ApplyCustomProfile(const TOptionSelectors &options);
    void AddCustomProfile(QWidget *owner, const TOptionSelectors &options);
    void SaveCustomProfile(const TOptionSelectors &options);
    void DeleteCustomProfile(const QComboBox *customProfile);

    // --- Preview player. Each operation returns its state word: "Playing",
    // "Paused" or "Stoped".
    QString StartPreview(const TPreviewControls &preview, const QString &file, std::optional<qint64> startSeconds);
    QString ResumePlayback(const TPreviewControls &preview);
    QString PausePlayback(const TPreviewControls &preview);
    QString StopPlayback(const TPreviewControls &preview);
    bool IsPlaying = false;

    // --- Trim bar and trim times.
    // Lays the trim bar out for the selected rows whose file is not playing.
    void SyncTrimBarToSelection(TTrimBar *bar, const TSourceGrid *list, const TPreviewControls &preview);
    // End minus start of the last row holding the file (letter case ignored).
    qint64 GetCutSeconds(const TSourceGrid *list, const QString &file);
    // Brings the selected rows' start and end inside their duration and
    // recomputes their cut time; seeks a playing preview to the new start.
    void ValidateTrimTimes(TSourceGrid *list, const TTrimBar *bar, TFilterGraph *graph);

    // --- Conversion.
    // Fills the parameter set for the row holding `sourceFile`, writes the
    // script and returns the encoder command line.
    QString BuildEncoderCommand(const TSourceGrid *list, const TConversionRequest &request, const QString &sourceFile);
    QString GetTrimStart(const TSourceGrid *list, const QString &sourceFile, const TOptionSelectors &options);
    QString GetTrimDuration(const TSourceGrid *list, const QString &sourceFile);
    // The output folder with a trailing separator, created.
    QString PrepareOutputFolder(const QString &outputFolderText);
    // Converts every checked row, one after another.
    void StartBatchConversion(TSourceGrid *list, const TConversionRequest &request);

    // The last built row: its trim, its output file and whether the script
    // for it was written.
    std::optional<TTrimSpan> CurrentTrim;
    QString OutputPath;
    bool ScriptWritten = false;

    // The running or last batch.
    TConversionBatch Batch;

    // --- User settings.
    // The settings file in the Config folder.
    QString UserSettingsFile() const;
    // Replaces what the file holds; keys it lacks leave the output folder as
    // given and clear the two boxes.
    void LoadUserSettings(TUserSettings &settings);
    // Throws EFCreateError when the file cannot be written.
    void SaveUserSettings(const TUserSettings &settings);
    // The folder the open-file dialog starts in.
    QString ReadInitDir();
    // Stores the folder of the open-file dialog's last chosen file, if any.
    void WriteInitDir(const QString &chosenFile);

private:
    // Holds the screen saver off while the preview plays.
    void HoldScreenWhilePlaying();
    std::unique_ptr<platform::SleepInhibitor> m_screenHold;

    void ConvertRow(const TSourceGrid *list, const TConversionRequest &request, const QString &file);
    void RunEncoder(const QString &file);
    // Reads the row's output back and records what it falls short of.
    void CheckOutput(const QString &file);
    // The last row holding the file (letter case ignored); nothing when no row
    // holds it. A time cell that is not three whole numbers raises
    // EConvertError, or with `tolerant` keeps the previous row's value.
    std::optional<TTrimSpan> TrimSpanOf(const TSourceGrid *list, const QString &file, bool tolerant) const;
};

// The selectors' current indices with the output type.
TEncoderOptions ReadEncoderOptions(int outputType, const TOptionSelectors &options);

// Defaults that stand for the system drive elsewhere: the home folder.
QString DefaultInitDir();
QString DefaultOutputFolderText();
