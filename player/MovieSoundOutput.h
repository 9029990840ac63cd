#pragma once

#include "player/GstHandles.h"
#include "swf/SoundOutput.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

namespace swf {
class SoundMixer;
}

// Plays a movie's mixed sound through GStreamer: an app source pulls the
// mixer in small blocks, so what is queued ahead stays short. The process's
// wave-output volume scales each channel. Where no audio device opens,
// GStreamer's automatic sink falls back to a clock-synchronised fake one,
// so the sound is still consumed in real time.
class MovieSoundOutput : public swf::SoundOutput {
public:
    static constexpr int BlockFrames = 1024;

    static constexpr const char *DefaultSink = "autoaudiosink";

    // sink is a GStreamer description of where the sound goes.
    explicit MovieSoundOutput(swf::SoundMixer &mixer, const QString &sink = QLatin1String(DefaultSink));
    ~MovieSoundOutput() override;
    MovieSoundOutput(const MovieSoundOutput &) = delete;
    MovieSoundOutput &operator=(const MovieSoundOutput &) = delete;

    qint64 heardFrames() const override;
    // The pipeline, for a test that taps its sink.
    GstElement *pipeline() const { return m_pipeline.get(); }

    static swf::SoundOutputFactory factory();

private:
    static void onNeedData(GstElement *source, guint length, gpointer self);
    void pushBlock();

    swf::SoundMixer &m_mixer;
    GstElementPtr m_pipeline;
    GstElement *m_source = nullptr; // owned by the pipeline
    qint64 m_pushed = 0;            // streaming thread only
    qint64 m_base = 0;              // the mix position this output started at
    std::atomic<std::uint32_t> m_volume;
    std::unique_ptr<QObject> m_connections;
};
