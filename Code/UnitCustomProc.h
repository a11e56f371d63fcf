#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QComboBox;
class TAdvanceSystem;
class TSourceGrid;

// Program logic that carries state between events: user settings, output
// selection and custom profiles, the conversion batch, the player and the trim bar.
class TCustomProc {
public:
    ~TCustomProc();

    // --- Output selection: fill the selectors from the catalogue and apply presets.
    void FillOptionSelectors();
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
    // Sets the option selectors from the chosen quality of the chosen output type,
    // or from the chosen custom profile.
    void ApplyQualityPreset();

    // --- Custom profiles, stored in Config/UserProfileInfo.ini.
    QString GetCustomProfileValue();
    // Throws EConvertError, setting nothing, when a stored piece is not a number.
    void ApplyCustomProfile();
    void AddCustomProfile();
    void SaveCustomProfile();
    void DeleteCustomProfile();

    // --- Preview player. Each operation returns its state word: "Playing",
    // "Paused" or "Stoped".
    QString StartPreview(const QString &file);
    QString ResumePlayback();
    QString PausePlayback();
    QString StopPlayback();
    bool IsPlaying = false;

    // --- Trim bar and trim times.
    // Lays the trim bar out for the selected rows whose file is not playing.
    void SyncTrimBarToSelection();
    // End minus start of the last row holding the file (letter case ignored).
    qint64 GetCutSeconds(const QString &file);
    // Brings the selected rows' start and end inside their duration and
    // recomputes their cut time.
    void ValidateTrimTimes();

    // --- Conversion.
    // Fills the parameter set for the row holding `sourceFile`, writes the
    // script and returns the encoder command line.
    QString BuildEncoderCommand(const QString &sourceFile);
    QString GetTrimStart(const QString &sourceFile);
    QString GetTrimDuration(const QString &sourceFile);
    // The output folder box's folder with a trailing separator, created.
    QString PrepareOutputFolder();
    // Converts every checked row, one after another.
    void StartBatchConversion(TSourceGrid *list);
    // One chunk of the running encoder's output, on the window's thread.
    void OnEncoderOutput(const QString &chunk);

    int ConvertedCount = 0;
    int CheckedCount = 0;
    int CurrentRow = 0;
    int RefreshCount = 0;
    QString CommandLine;
    bool StopRequested = false;
    QString TrimStart;
    QString TrimDuration;
    TAdvanceSystem *CurrentRunner = nullptr;
    bool BatchRunning = false;
    // The output file of the last built row and whether its script was written.
    QString OutputPath;
    bool ScriptWritten = false;
    // Waits around each encoder start; shortened only by tests.
    int PauseBeforeStartMs = 2000;
    int PauseAfterStartMs = 3000;
    // Rows of the last batch that gave no usable output: file and reason.
    QList<QPair<QString, QString>> FailedRows;
    // The running encoder's latest output, kept for the report of a failed row.
    QString LastEncoderOutput;

    // --- User settings.
    // The settings file beside the program.
    QString UserSettingsFile() const;

    // Sets the two completion boxes and the output folder box from the file.
    void LoadUserSettings();
    // Writes the two completion boxes and the output folder box.
    // Throws EFCreateError when the file cannot be written.
    void SaveUserSettings();
    // The folder the open-file dialog starts in.
    QString ReadInitDir();
    // Stores the folder of the open-file dialog's last chosen file, if any.
    void WriteInitDir();

private:
    void ConvertRow(const TSourceGrid *list, const QString &file);
    // End minus start of the last row holding the file (letter case ignored);
    // nothing when no row holds it. A time cell that is not three whole numbers
    // raises EConvertError, or with `tolerant` keeps the previous row's value.
    std::optional<qint64> TrimSpanOf(const QString &file, bool tolerant) const;
    // Lets a runner whose encoder would not end finish on its own.
    void AbandonRunner();
};

// Defaults that stand for the system drive elsewhere: the home folder.
QString DefaultInitDir();
QString DefaultOutputFolderText();
