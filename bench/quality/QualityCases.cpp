#include "QualityCases.h"

#include "Code/core/EncoderCommand.h"
#include "Code/core/Unit_ConfigInfo.h"

namespace {

// The options a freshly filled set of selectors shows: each table's default.
TEncoderOptions defaultOptions(int outputType)
{
    TEncoderOptions options;
    options.OutputType = outputType;
    for (const TEncoderOptionSpec &option : EncoderOptionTable())
        options[option.Option] = option.Catalogue().last().toInt();
    return options;
}

TEncoderOptions presetOptions(int outputType, const QString &preset)
{
    TEncoderOptions options = defaultOptions(outputType);
    if (const std::optional<TProfileFields> fields = ReadPresetFields(preset))
        ApplyProfileFields(*fields, options);
    return options;
}

// The options the command builder gives, without the input and output paths.
QualityCase caseOf(const QString &quality, const TEncoderOptions &options)
{
    TConvertParameterStruct parameters;
    parameters.Options = options;
    const QStringList arguments = EncoderArguments(parameters);
    QualityCase result;
    result.extension = OutputExtensionOf(options.OutputType);
    result.type = result.extension.mid(1);
    result.quality = quality;
    // -y -i <input> ... <output>
    result.options = arguments.mid(3, arguments.size() - 4);
    const auto valueOf = [&](const char *option) {
        const qsizetype at = result.options.indexOf(QLatin1String(option));
        return at >= 0 ? result.options.value(at + 1) : QString();
    };
    result.videoKbit = valueOf("-b").toInt();
    result.audioKbit = valueOf("-ab").toInt();
    result.channels = valueOf("-ac").toInt();
    result.sampleRate = valueOf("-ar").toInt();
    result.frameRate = valueOf("-r");
    return result;
}

} // namespace

QList<QualityCase> qualityCases()
{
    QList<QualityCase> cases;
    const QStringList qualities = GetQualityList();
    for (const int type : {cstiPodProfile, cstMOVProfile}) {
        const QStringList presets = GetPresetList(type);
        for (qsizetype quality = 0; quality < presets.size(); ++quality)
            cases.append(caseOf(qualities.at(quality).section(QLatin1Char(' '), 0, 0),
                                presetOptions(type, presets.at(quality))));
    }
    // A custom profile: the lowest rate at the highest frame rate the tables offer.
    const QString lowest = GetPresetList(cstiPodProfile).first();
    TEncoderOptions custom = presetOptions(cstiPodProfile, lowest);
    custom[TEncoderOption::FrameRate] = int(GetFrameRateList().indexOf(QStringLiteral("29.97")));
    cases.append(caseOf(QStringLiteral("40k@29.97"), custom));
    // A rate only a hand-written command line asks: below what the codec can reach.
    QualityCase belowFloor = caseOf(QStringLiteral("8k@14.985"), presetOptions(cstiPodProfile, lowest));
    belowFloor.options[belowFloor.options.indexOf(QLatin1String("-b")) + 1] = QStringLiteral("8");
    belowFloor.videoKbit = 8;
    cases.append(belowFloor);
    return cases;
}

QStringList encoderArguments(const QualityCase &qualityCase, const QString &input, const QString &output, int videoKbit)
{
    QStringList options = qualityCase.options;
    if (videoKbit > 0)
        options[options.indexOf(QLatin1String("-b")) + 1] = QString::number(videoKbit);
    return QStringList{QStringLiteral("-y"), QStringLiteral("-i"), input} + options + QStringList{output};
}
