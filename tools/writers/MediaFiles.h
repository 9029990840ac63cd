#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gst/gst.h>

// Makes small media files with real GStreamer pipelines, offline.
namespace MediaFiles {

// Runs a gst-launch style description (with %1 for the output file) to its end.
inline bool make(const QString &description, const QString &file)
{
    GError *error = nullptr;
    GstElement *pipeline = gst_parse_launch(description.arg(file).toUtf8().constData(), &error);
    if (!pipeline) {
        g_clear_error(&error);
        return false;
    }
    g_clear_error(&error);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus *bus = gst_element_get_bus(pipeline);
    GstMessage *message = gst_bus_timed_pop_filtered(bus, 60 * GST_SECOND,
                                                     GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool done = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message)
        gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return done && QFile(file).size() > 0;
}

// Stereo test tone: 882-sample buffers at 44.1 kHz, 50 buffers a second.
inline QString tone(double seconds)
{
    return QStringLiteral("audiotestsrc num-buffers=%1 samplesperbuffer=882 ! audio/x-raw,rate=44100,channels=2")
        .arg(int(seconds * 50));
}

inline const QString Wav = tone(2) + QStringLiteral(" ! wavenc ! filesink location=\"%1\"");
inline const QString Mp3 = tone(2) + QStringLiteral(" ! lamemp3enc target=bitrate bitrate=128 cbr=true ! xingmux"
                                                    " ! id3v2mux ! filesink location=\"%1\"");
inline const QString Wma = tone(2) + QStringLiteral(" ! audioconvert ! avenc_wmav2 ! asfmux ! filesink location=\"%1\"");
// Solid red picture (ARGB 0xffff0000) with sound, 2 s at 25 fps: video
// through encodeAndMux (ending in an element named mux), sound through
// encodeSound into mux.
inline QString redPicture(const QString &encodeAndMux, const QString &encodeSound)
{
    return QStringLiteral("videotestsrc num-buffers=50 pattern=solid-color foreground-color=0xffff0000"
                          " ! video/x-raw,width=320,height=240,framerate=25/1 ! ") +
           encodeAndMux + QStringLiteral(" ! filesink location=\"%1\" ") + tone(2) + encodeSound +
           QStringLiteral(" ! queue ! mux.");
}
inline const QString Avi = redPicture(QStringLiteral("jpegenc ! queue ! avimux name=mux"), QString());
inline const QString Mpg =
    QStringLiteral("videotestsrc num-buffers=50 ! video/x-raw,width=352,height=288,framerate=25/1"
                   " ! mpeg2enc format=0 ! queue ! mpegpsmux name=mux ! filesink location=\"%1\" ") +
    tone(2) + QStringLiteral(" ! twolamemp2enc ! mpegaudioparse ! queue ! mux.");
// Bare MP3 frames with no header that tells the length.
inline const QString BareMp3 = tone(2) + QStringLiteral(" ! lamemp3enc ! filesink location=\"%1\"");
// Matroska written for live streaming carries no length.
inline const QString StreamMka =
    tone(2) + QStringLiteral(" ! audioconvert ! vorbisenc ! matroskamux streamable=true ! filesink location=\"%1\"");

// Today's formats, each from the encoders Debian ships.
inline const QString Flac = tone(2) + QStringLiteral(" ! audioconvert ! flacenc ! filesink location=\"%1\"");
inline const QString Opus =
    tone(2) + QStringLiteral(" ! audioconvert ! audioresample ! opusenc ! oggmux ! filesink location=\"%1\"");
// H.264 and AAC in MP4, and VP8 and Vorbis in WebM, pictured as the AVI.
inline const QString Mp4 = redPicture(QStringLiteral("x264enc ! h264parse ! queue ! mp4mux name=mux"),
                                      QStringLiteral(" ! audioconvert ! avenc_aac ! aacparse"));
inline const QString Webm = redPicture(QStringLiteral("vp8enc deadline=1 ! queue ! webmmux name=mux"),
                                       QStringLiteral(" ! audioconvert ! vorbisenc"));

// A General MIDI tune of four half-second notes.
inline QByteArray midiTune()
{
    QByteArray track;
    track += QByteArray::fromHex("00C000"); // piano
    for (const char *note : {"3C", "40", "43", "48"}) {
        track += QByteArray::fromHex(QByteArray("0090") + note + "64");
        track += QByteArray::fromHex(QByteArray("6080") + note + "40"); // 96 ticks later
    }
    track += QByteArray::fromHex("00FF2F00");
    QByteArray file = QByteArray::fromHex("4D54686400000006000000010060");
    file += "MTrk";
    const quint32 size = quint32(track.size());
    file += char(size >> 24);
    file += char((size >> 16) & 0xFF);
    file += char((size >> 8) & 0xFF);
    file += char(size & 0xFF);
    return file + track;
}

} // namespace MediaFiles
