#include "FlashControl.h"

#include "platform/BoundedFile.h"
#include "swf/KeyCodes.h"
#include "swf/TextFieldState.h"

#include <QFileInfo>

#include <algorithm>

namespace swf {

namespace {
constexpr double MinFrameRate = 0.01;
constexpr double MaxFrameRate = 120;
constexpr int MaxStageSide = 8192;
// Frames run (not drawn) in one tick to catch up with the sound.
constexpr int MaxCatchUpFrames = 120;

QColor fromColorRef(int color)
{
    const auto bits = uint32_t(color);
    return QColor(bits & 0xFF, (bits >> 8) & 0xFF, (bits >> 16) & 0xFF);
}
} // namespace

FlashControl::FlashControl(QObject *parent)
    : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &FlashControl::advanceFrame);
    m_caretTimer.setInterval(CaretBlinkMs);
    connect(&m_caretTimer, &QTimer::timeout, this, &FlashControl::blinkCaret);
    m_player.onFSCommand = [this](const QString &command, const QString &args) { emit FSCommand(command, args); };
    m_player.onTrace = [this](const QString &line) { emit Trace(line); };
    m_player.onPointerShown = [this](bool shown) { emit pointerShown(shown); };
}

FlashControl::~FlashControl()
{
    m_output.reset(); // stops pulling the mixer before anything else goes
    m_player.unload(); // what the movie keeps between runs is written now
}

void FlashControl::setSharedObjectFolder(const QString &folder)
{
    m_player.sharedObjects().setFolder(folder);
}

void FlashControl::setSoundOutput(SoundOutputFactory factory)
{
    m_outputFactory = std::move(factory);
    m_player.setSoundMixer(m_outputFactory ? &m_mixer : nullptr);
}

void FlashControl::startOutputIfSounding()
{
    if (m_outputFactory && !m_output && m_mixer.active())
        m_output = m_outputFactory(m_mixer);
}

void FlashControl::releaseOutputWhenSilent()
{
    if (!m_output || m_mixer.active()) {
        m_silentSince.invalidate();
        return;
    }
    if (!m_silentSince.isValid())
        m_silentSince.start();
    else if (m_silentSince.elapsed() >= OutputIdleMs)
        m_output.reset();
}

void FlashControl::setMovie(const QString &path)
{
    m_movieName = path;
    m_renderer.reset();
    m_output.reset(); // nothing sounds, or runs, without a movie
    m_player.unload();
    updateTimer();
    emit changed();
    if (path == NoMovie)
        return;

    m_player.sharedObjects().setMovie(QFileInfo(path).absoluteFilePath());
    m_player.setMovieFile(QFileInfo(path).absoluteFilePath());
    const BoundedRead file = ReadBoundedFile(path, MaxFileSize);
    if (file.status == BoundedRead::TooLarge)
        throw MovieError(QStringLiteral("The movie \"%1\" is too large.").arg(path).toStdString());
    if (!file.ok())
        throw MovieError(QStringLiteral("Cannot open movie \"%1\". %2").arg(path, file.error).toStdString());
    QString reason;
    if (!m_player.load(file.bytes, &reason)) {
        emit changed();
        throw MovieError(QStringLiteral("Cannot play \"%1\": %2.").arg(path, reason).toStdString());
    }
    makeRenderer();
    updateTimer();
    startOutputIfSounding();
    notifyIfChanged();
}

void FlashControl::makeRenderer()
{
    m_renderedMovie = m_player.generation();
    m_renderer = std::make_unique<Renderer>(*m_player.movie());
    m_renderer->textOf = [this](const DisplayObject &field) { return m_player.boundText(field); };
}

int FlashControl::FrameNum() const
{
    return m_player.loaded() ? m_player.currentFrame() : -1;
}

void FlashControl::setBackgroundColor(int color)
{
    if (color == m_backgroundColor)
        return;
    m_backgroundColor = color;
    emit changed();
}

int FlashControl::TotalFrames() const
{
    return m_player.loaded() ? m_player.totalFrames() : 0;
}

bool FlashControl::Playing() const
{
    return m_player.loaded() && m_player.playing();
}

void FlashControl::Play()
{
    if (m_player.loaded())
        m_player.play();
    startOutputIfSounding();
}

void FlashControl::Stop()
{
    if (m_player.loaded())
        m_player.stop();
}

void FlashControl::GotoFrame(int frame)
{
    if (!m_player.loaded())
        return;
    m_player.gotoFrame(frame);
    startOutputIfSounding();
    notifyIfChanged();
}

void FlashControl::keyPress(Qt::Key key, const QString &text)
{
    const int ascii = text.size() == 1 && text.at(0).unicode() < 128 ? text.at(0).unicode() : 0;
    const int code = MovieKeyCode(key);
    if (!m_player.loaded() || (code == 0 && text.isEmpty()))
        return;
    if (code != 0 || ascii != 0)
        m_player.keyDown(code, KeyPressCode(key, ascii), ascii);
    m_player.typeIntoFocus(code, text);
    startOutputIfSounding();
    notifyIfChanged();
}

void FlashControl::keyRelease(Qt::Key key)
{
    if (!m_player.loaded())
        return;
    m_player.keyUp(MovieKeyCode(key));
    notifyIfChanged();
}

double FlashControl::frameRate() const
{
    return m_player.loaded() ? std::clamp(m_player.movie()->frameRate, MinFrameRate, MaxFrameRate) : 0;
}

void FlashControl::updateTimer()
{
    if (!m_player.loaded()) {
        m_timer.stop();
        return;
    }
    m_timer.start(std::max(1, int(1000.0 / frameRate())));
}

void FlashControl::advanceFrame()
{
    if (!followStream())
        m_player.advance();
    startOutputIfSounding();
    releaseOutputWhenSilent();
    notifyIfChanged();
}

std::optional<int> FlashControl::heardFrame() const
{
    const qint64 heard = m_output ? m_output->heardFrames() : -1;
    const auto position = heard >= 0 ? m_mixer.streamPosition(m_player.rootStreamKey(), heard) : std::nullopt;
    if (!position || m_player.totalFrames() <= 0)
        return std::nullopt;
    return int((position->startFrame + position->framesHeard) % m_player.totalFrames());
}

bool FlashControl::followStream()
{
    const qint64 heard = m_output ? m_output->heardFrames() : -1;
    if (heard < 0)
        return false;
    std::optional<SoundMixer::StreamPosition> position = m_mixer.streamPosition(m_player.rootStreamKey(), heard);
    if (!position)
        return false;
    for (int step = 0; step < MaxCatchUpFrames; ++step) {
        if (position->generation != m_streamGeneration) {
            // The stream began again where the timeline now is.
            m_streamGeneration = position->generation;
            m_streamAdvances = 0;
        }
        if (m_streamAdvances >= position->framesHeard)
            break;
        m_player.advance();
        ++m_streamAdvances;
        position = m_mixer.streamPosition(m_player.rootStreamKey(), heard);
        if (!position)
            break;
    }
    return true;
}

void FlashControl::notifyIfChanged()
{
    updateCaretBlink();
    if (m_player.takeChanged())
        emit changed();
}

TextFieldState *FlashControl::focusedInputField()
{
    DisplayObject *focus = m_player.loaded() ? m_player.focus() : nullptr;
    TextFieldState *field = focus ? focus->textField.get() : nullptr;
    return field && field->flag(TextFieldState::Flag::Input) ? field : nullptr;
}

void FlashControl::updateCaretBlink()
{
    if (!focusedInputField())
        m_caretTimer.stop();
    else if (!m_caretTimer.isActive())
        m_caretTimer.start();
}

void FlashControl::blinkCaret()
{
    TextFieldState *field = focusedInputField();
    if (!field) {
        m_caretTimer.stop();
        return;
    }
    field->setCaretShown(!field->caretShown());
    m_player.markChanged();
    notifyIfChanged();
}

QColor FlashControl::backgroundForPaint() const
{
    if (m_backgroundColor != -1 || !m_player.loaded())
        return m_backgroundColor == -1 ? QColor(Qt::black) : fromColorRef(m_backgroundColor);
    return m_player.background();
}

QSize FlashControl::stageSize() const
{
    if (!m_player.loaded())
        return QSize();
    const QRectF stage = m_player.movie()->frameRect;
    return QSize(std::clamp(qRound(stage.width() / 20), 1, MaxStageSide),
                 std::clamp(qRound(stage.height() / 20), 1, MaxStageSide));
}

QTransform FlashControl::stageToArea(const QRect &area) const
{
    return StageToArea(m_player.movie()->frameRect, area.size(), m_player.stageLayout()) *
           QTransform::fromTranslate(area.x(), area.y());
}

void FlashControl::paint(QPainter &painter, const QRect &area)
{
    painter.fillRect(area, backgroundForPaint());
    if (!m_player.loaded() || !m_renderer || area.isEmpty())
        return;
    // A movie loaded into the root has taken the old one's place.
    if (m_player.generation() != m_renderedMovie)
        makeRenderer();
    // The movie is drawn into an image first: blend modes and filters read
    // back what lies under them, which a widget cannot give.
    const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize size = (QSizeF(area.size()) * ratio).toSize();
    if (m_frame.size() != size)
        m_frame = QImage(size, QImage::Format_ARGB32_Premultiplied);
    if (m_frame.isNull())
        return;
    m_frame.fill(backgroundForPaint());
    m_renderer->setQuality(m_player.quality());
    const QTransform toDevice = stageToArea(QRect(QPoint(), area.size())) * QTransform::fromScale(ratio, ratio);
    for (const DisplayObject *level : m_player.levels())
        m_renderer->render(m_frame, *level, toDevice);
    painter.drawImage(QRectF(area), m_frame);
}

QImage FlashControl::renderStage()
{
    if (!m_player.loaded())
        return QImage();
    QImage image(stageSize(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    paint(painter, image.rect());
    painter.end();
    return image;
}

void FlashControl::pointerMove(const QPointF &position, const QRect &area)
{
    if (!m_player.loaded())
        return;
    m_player.pointerMove(stageToArea(area).inverted().map(position));
    notifyIfChanged();
}

void FlashControl::pointerPress(const QPointF &position, const QRect &area)
{
    if (!m_player.loaded())
        return;
    m_player.pointerPress(stageToArea(area).inverted().map(position));
    notifyIfChanged();
}

void FlashControl::pointerRelease(const QPointF &position, const QRect &area)
{
    if (!m_player.loaded())
        return;
    m_player.pointerRelease(stageToArea(area).inverted().map(position));
    notifyIfChanged();
}

} // namespace swf
