#ifndef CLICKTRACK_H
#define CLICKTRACK_H

#include <QFile>
#include <QString>
#include <QVector>

#include <sndfile.h>

#include <cmath>
#include <random>
#include <vector>

// A click track written with libsndfile in any format it writes: two seconds of faint noise,
// then a click (a 1 kHz burst dying away in 30 ms) on every beat over louder noise, to the
// end. Returns the clicks' times in ms; empty when the file could not be written.
inline QVector<double> writeClickTrack(const QString &path, double bpm, double seconds, int format,
                                       int rate, int channels)
{
    constexpr double kIntro = 2.0;
    constexpr double kClick = 0.03;
    const qint64 frames = qint64(seconds * rate);
    std::vector<float> samples(size_t(frames * channels));
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 1.0f);
    const double period = 60.0 / bpm;
    QVector<double> clicks;
    for (double t = kIntro; t + kClick <= seconds; t += period)
        clicks << t * 1000;
    for (qint64 i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        double value = (t < kIntro ? 0.005 : 0.02) * noise(random);
        const double since = t < kIntro ? -1 : std::fmod(t - kIntro, period);
        if (since >= 0 && since < kClick && t - since + kClick <= seconds)
            value += 0.6 * std::exp(-since * 150) * std::sin(2 * M_PI * 1000 * since);
        for (int c = 0; c < channels; ++c)
            samples[size_t(i * channels + c)] = float(value);
    }
    SF_INFO info = {0, rate, channels, format, 0, 0};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return {};
    const bool written = sf_writef_float(file, samples.data(), frames) == frames;
    sf_close(file);
    return written ? clicks : QVector<double>();
}

#endif
