#pragma once

#include "Code/OptionSelectors.h"
#include "Code/PlayerState.h"
#include "Code/conversion/ConversionRequest.h"
#include "Code/core/EncoderOptions.h"
#include "Code/core/UserSettings.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

class QComboBox;
class TConversionBatch;
struct TBatchOutcome;
class QLabel;
class QWidget;
class TFilterGraph;
class TSourceGrid;
class TTrimBar;
namespace platform {
class SleepInhibitor;
}

// The preview's parts: the graph that plays, the logo over the video and the
// elapsed-time label.
struct TPreviewControls {
    TFilterGraph *Graph = nullptr;
    QWidget *Logo = nullptr;
    QLabel *Clock = nullptr;
};

// Program logic that carries state between events: user settings, output
// selection and custom profiles, starting a batch, the player and the trim
// bar. Its operations take the controls they work on.
class TCustomProc {
public:
    TCustomProc();
    ~TCustomProc();

    // --- Output selection: fill the selectors from the catalogue and apply presets.
    void FillOptionSelectors(QComboBox *outputType, QComboBox *quality, const TOptionSelectors &options);
    void FillOutputTypeSelector(QComboBox *selector);
    void FillQualitySelector(QComboBox *selector);
    // The selector of one encoder option, from its catalogue table.
    void FillOptionSelector(TEncoderOption option, QComboBox *selector);
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
    TPlayerState PlayerState;

    // --- Trim bar and trim times.
    // Lays the trim bar out for the selected rows whose file is not playing.
    void SyncTrimBarToSelection(TTrimBar *bar, const TSourceGrid *list, const TPreviewControls &preview);
    // End minus start of the last row holding the file (letter case ignored).
    qint64 GetCutSeconds(const TSourceGrid *list, const QString &file);
    // Brings the selected rows' start and end inside their duration and
    // recomputes their cut time; seeks a playing preview to the new start.
    void ValidateTrimTimes(TSourceGrid *list, TFilterGraph *graph);

    // --- Conversion.
    // Converts every checked row with `batch`, one after another, on the
    // event loop; an empty list only gets a warning.
    void StartBatchConversion(TConversionBatch &batch, const QList<TConversionRow> &rows,
                              const TConversionRequest &request);
    // What follows a batch that was not stopped by the user, with the two
    // boxes as they are when it ends: the output folder is shown, then the
    // computer is powered off. True when the program is ending.
    bool RunEndActions(const TBatchOutcome &outcome, const TUserSettings &settings);
    // Tells the desktop that the batch is done, for a user who is working
    // elsewhere; nothing where the desktop has no notification service.
    void AnnounceBatchEnd(const TBatchOutcome &outcome);

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
};

// Defaults that stand for the system drive elsewhere: the home folder.
QString DefaultInitDir();
QString DefaultOutputFolderText();
