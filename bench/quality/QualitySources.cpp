#include "QualitySources.h"

#include <QProcess>
#include <QTextStream>

namespace {

// A chord with vibrato, notes that come and go and a little pink noise:
// something the AAC encoder spends its bits on as it would on music.
const QString music = QStringLiteral("aevalsrc='0.25*sin(2*PI*(220+20*sin(2*PI*0.3*t))*t)*(0.6+0.4*sin(2*PI*2*t))"
                                     "+0.15*sin(2*PI*330*t)*lt(mod(t,1),0.5)+0.12*sin(2*PI*554*t+3*sin(2*PI*5*t))"
                                     "+0.1*sin(2*PI*1760*t)*exp(-4*mod(t,0.5))"
                                     "|0.25*sin(2*PI*(221+20*sin(2*PI*0.3*t))*t)*(0.6+0.4*sin(2*PI*2*t))"
                                     "+0.15*sin(2*PI*440*t)*gte(mod(t,1),0.5)+0.12*sin(2*PI*660*t)"
                                     "+0.1*sin(2*PI*2637*t)*exp(-4*mod(t+0.25,0.5))':s=44100");
const QString noise = QStringLiteral("anoisesrc=c=pink:a=0.03:r=44100");

struct Recipe {
    const char *name;
    const char *video;
};

const Recipe recipes[] = {
    {"zoom", "mandelbrot=s=1280x960:maxiter=512:start_scale=1.2:start_x=-0.75:start_y=0.1,trim=end_frame=1,"
             "zoompan=z='1+0.0012*on':x='iw/2-iw/zoom/2+60*sin(on/90)':y='ih/2-ih/zoom/2':d=100000:s=640x480:fps=30,"
             "noise=alls=6:allf=t"},
    {"life", "life=s=80x60:r=6:seed=1:mold=25:ratio=0.3:death_color=#203050:life_color=#f0d090,"
             "scale=640:480:flags=neighbor,fps=30,gblur=sigma=1.5,noise=alls=4:allf=t"},
    {"grain", "testsrc2=s=800x600:r=30,scroll=h=0.001:v=0.0005,crop=640:480,noise=alls=12:allf=t+u"},
};

bool makeClip(const Recipe &recipe, const QString &path, int seconds)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ffmpeg.start(QStringLiteral("ffmpeg"), {"-hide_banner",
                                            "-nostdin",
                                            "-loglevel",
                                            "error",
                                            "-y",
                                            "-f",
                                            "lavfi",
                                            "-i",
                                            QString::fromLatin1(recipe.video) + ",format=yuv420p",
                                            "-f",
                                            "lavfi",
                                            "-i",
                                            music,
                                            "-f",
                                            "lavfi",
                                            "-i",
                                            noise,
                                            "-filter_complex",
                                            "[2]aformat=channel_layouts=stereo[n];[1][n]amix=inputs=2:normalize=0[a]",
                                            "-map",
                                            "0:v",
                                            "-map",
                                            "[a]",
                                            "-t",
                                            QString::number(seconds),
                                            "-c:v",
                                            "mpeg4",
                                            "-q:v",
                                            "2",
                                            "-c:a",
                                            "pcm_s16le",
                                            path});
    return ffmpeg.waitForFinished(-1) && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

} // namespace

QList<QualitySource> makeQualitySources(const QString &folder, int seconds)
{
    QList<QualitySource> sources;
    for (const Recipe &recipe : recipes) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(recipe.name) + QStringLiteral(".avi");
        QTextStream(stdout) << "making " << path << '\n' << Qt::flush;
        if (!makeClip(recipe, path, seconds))
            return {};
        sources.append({QLatin1String(recipe.name), path});
    }
    return sources;
}
