#include "ClockTick.h"

namespace {
constexpr std::int64_t MsPerDay = 86'400'000;
constexpr std::int64_t UnitsPerMs = 10'000; // 100 ns units in a millisecond
} // namespace

const QString ZeroTime = QStringLiteral("0:00:00");

QString TimeText(std::int64_t ms)
{
    const std::int64_t t = ((ms % MsPerDay) + MsPerDay) % MsPerDay;
    const int seconds = int(t / 1000);
    // Written digit by digit: the clock asks on every tick, and this makes
    // one string where a chain of arg() makes several.
    QChar text[8];
    int length = 0;
    const int hours = seconds / 3600;
    if (hours >= 10)
        text[length++] = QLatin1Char(char('0' + hours / 10));
    text[length++] = QLatin1Char(char('0' + hours % 10));
    for (const int part : {(seconds / 60) % 60, seconds % 60}) {
        text[length++] = QLatin1Char(':');
        text[length++] = QLatin1Char(char('0' + part / 10));
        text[length++] = QLatin1Char(char('0' + part % 10));
    }
    return QString(text, length);
}

MediaTickOutcome MediaTick(REFERENCE_TIME position, REFERENCE_TIME duration, REFERENCE_TIME unknownDuration)
{
    MediaTickOutcome outcome;
    if (position >= duration) {
        outcome.ended = true;
        return outcome;
    }
    // An unknown length keeps the thumb where it is.
    if (duration != unknownDuration)
        outcome.view.bar = Progress{position, duration};
    outcome.view.time = TimeText(position / UnitsPerMs);
    return outcome;
}

MovieTickOutcome MovieTick(const MovieState &movie)
{
    MovieTickOutcome outcome;
    outcome.lastFrame = movie.lastFrame;
    if (movie.currentFrame >= movie.totalFrames - 1) {
        outcome.ended = true;
        return outcome;
    }
    outcome.resume = !movie.playing && movie.autoSkip;
    if (movie.disLoop && movie.currentFrame < movie.lastFrame) {
        // The movie jumped back: it looped. The step that follows sets the panel.
        outcome.ended = true;
        return outcome;
    }
    outcome.lastFrame = movie.currentFrame;
    if (movie.totalFrames != 0)
        outcome.view.bar = Progress{outcome.lastFrame, movie.totalFrames};
    outcome.view.time = ZeroTime;
    return outcome;
}
