// Picture windows, wave playback and CD audio.
#include "mediaplayer.h"

#include <platform/waveout.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace yv::lexdisc {

namespace {

constexpr std::size_t kFramesPerWrite = 4096;
constexpr int kFramesPerSecond = 75;  // CD frames
constexpr int kFramePlacementDelayMs = 100;

// Shown when a sound cannot be played on this computer.
constexpr const char* kNoSoundDevice = "音声を再生できません。サウンドデバイスを開けませんでした。";
constexpr const char* kBadSound = "音声データを読み込めませんでした。CD-ROMが壊れている可能性があります。";
constexpr const char* kNoCdDrive = "CD音声を再生できません。この書籍はCDドライブにありません。";

// A window that paints its picture unscaled at its top left and frees it when closed.
class PictureWindow final : public QWidget {
public:
    PictureWindow(QImage image, const char* windowClass, const QString& title)
        : m_image(std::move(image))
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setObjectName(QString::fromLatin1(windowClass));
        setWindowTitle(title);
        setFixedSize(m_image.size() / m_image.devicePixelRatio());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(QPoint(0, 0), m_image);
    }

private:
    QImage m_image;
};

// The block device mounted at the longest mount point that holds `path`.
std::string deviceOf(const std::filesystem::path& path)
{
    std::ifstream mounts("/proc/self/mounts");
    std::string best;
    std::size_t bestLength = 0;
    const std::string target = path.lexically_normal().string();
    for (std::string line; std::getline(mounts, line);) {
        std::istringstream fields(line);
        std::string device;
        std::string mountPoint;
        fields >> device >> mountPoint;
        const bool holds = target == mountPoint || mountPoint == "/"
                        || (target.rfind(mountPoint, 0) == 0 && target.size() > mountPoint.size()
                            && target[mountPoint.size()] == '/');
        if (holds && mountPoint.size() >= bestLength && device.rfind("/dev/", 0) == 0) {
            best = device;
            bestLength = mountPoint.size();
        }
    }
    return best;
}

} // namespace

MediaPlayer::MediaPlayer(QWidget* frame)
    : QObject(frame), m_frame(frame)
{
}

MediaPlayer::~MediaPlayer()
{
    stopSound();
    closePictures();
}

void MediaPlayer::addPicture(QWidget* window)
{
    if (m_pictures.size() >= kPictureListTidy)
        std::erase_if(m_pictures, [](const QPointer<QWidget>& w) { return w.isNull(); });
    m_pictures.emplace_back(window);
}

void MediaPlayer::showColourGraphic(const book::BookFile& text, const book::ColourGraphicItem& item)
{
    const auto data = book::readColourGraphic(text, item.position);
    if (const auto* error = std::get_if<book::PictureError>(&data)) {
        emit failed(QString::fromUtf8(book::pictureErrorText(*error).data()),
                    QString::fromUtf8(book::kPictureErrorCaption.data()));
        return;
    }
    const auto& bytes = std::get<std::vector<std::uint8_t>>(data);
    QImage image;
    if (!image.loadFromData(bytes.data(), static_cast<int>(bytes.size()))) {
        emit failed(QString::fromUtf8(book::pictureErrorText(book::PictureError::ImageData).data()),
                    QString::fromUtf8(book::kPictureErrorCaption.data()));
        return;
    }
    auto* window = new PictureWindow(std::move(image), kColourWindowClass, QStringLiteral("画像"));
    const QScreen* screen = m_frame->screen() ? m_frame->screen() : QGuiApplication::primaryScreen();
    window->show();
    if (screen) {
        // The window manager's frame is known once the window is up.
        const QRect area = screen->availableGeometry();
        auto place = [window, area] {
            const QSize outer = window->frameGeometry().size();
            window->move(area.right() - outer.width() + 1, area.bottom() - outer.height() + 1);
        };
        place();
        QTimer::singleShot(kFramePlacementDelayMs, window, place);
    }
    addPicture(window);
}

void MediaPlayer::showMonochromeGraphic(const book::BookFile& text, const book::MonochromeGraphicItem& item)
{
    const auto picture = book::readMonochromeGraphic(text, item);
    if (!picture) {
        emit failed(QString::fromUtf8(book::pictureErrorText(book::PictureError::ImageData).data()),
                    QString::fromUtf8(book::kPictureErrorCaption.data()));
        return;
    }
    QImage image(picture->width, picture->height, QImage::Format_Mono);
    image.setColor(0, qRgb(255, 255, 255));
    image.setColor(1, qRgb(0, 0, 0));
    for (int y = 0; y < picture->height; ++y) {
        for (int x = 0; x < picture->width; ++x)
            image.setPixel(x, y, picture->ink(x, y) ? 1 : 0);
    }
    auto* window = new PictureWindow(std::move(image), kMonochromeWindowClass, QStringLiteral("図版"));
    const QScreen* screen = m_frame->screen() ? m_frame->screen() : QGuiApplication::primaryScreen();
    window->show();
    if (screen)
        window->move(screen->availableGeometry().topLeft());
    addPicture(window);
}

void MediaPlayer::closePictures()
{
    for (const QPointer<QWidget>& window : m_pictures) {
        if (window)
            window->close();
    }
    m_pictures.clear();
}

void MediaPlayer::playWave(const book::BookFile& text, const book::WaveItem& item)
{
    if (m_playing.load())
        return;
    auto sound = book::readWave(text, item);
    if (!sound) {
        emit failed(QString::fromUtf8(kBadSound), {});
        return;
    }
    if (m_wave.joinable())
        m_wave.join();
    m_stop = false;
    m_playing = true;
    m_wave = std::thread([this, sound = std::move(*sound)] {
        std::string error;
        auto device = waveout::WaveOut::open(sound.format.sampleRate, sound.format.channels, &error);
        if (!device) {
            m_playing = false;
            QMetaObject::invokeMethod(this, [this] { emit failed(QString::fromUtf8(kNoSoundDevice), {}); },
                                      Qt::QueuedConnection);
            return;
        }
        const std::vector<std::int16_t> pcm = sound.pcm16();
        const auto channels = static_cast<std::size_t>(sound.format.channels);
        const std::size_t frames = pcm.size() / channels;
        for (std::size_t at = 0; at < frames && !m_stop.load(); at += kFramesPerWrite) {
            if (!device->write(pcm.data() + at * channels, std::min(kFramesPerWrite, frames - at), m_stop))
                break;
        }
        device->drain(m_stop);
        m_playing = false;
    });
}

void MediaPlayer::playCdAudio(const std::filesystem::path& bookRoot, const book::CdAudioItem& item)
{
    const std::string device = deviceOf(bookRoot);
    const int fd = device.empty() ? -1 : ::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || ::ioctl(fd, CDROM_GET_CAPABILITY, 0) < 0) {
        if (fd >= 0)
            ::close(fd);
        emit failed(QString::fromUtf8(kNoCdDrive), {});
        return;
    }
    cdrom_subchnl status{};
    status.cdsc_format = CDROM_MSF;
    const bool playing = ::ioctl(fd, CDROMSUBCHNL, &status) == 0 && status.cdsc_audiostatus == CDROM_AUDIO_PLAY;
    cdrom_tocentry track{};
    track.cdte_track = static_cast<__u8>(item.track);
    track.cdte_format = CDROM_MSF;
    if (!playing && ::ioctl(fd, CDROMREADTOCENTRY, &track) == 0) {
        const book::CdPlayRange range = book::cdPlayRange(item);
        const int trackStart = (track.cdte_addr.msf.minute * 60 + track.cdte_addr.msf.second) * kFramesPerSecond
                             + track.cdte_addr.msf.frame;
        const int from = trackStart + (range.startMinutes * 60 + range.startSeconds) * kFramesPerSecond;
        const int to = trackStart + (range.endMinutes * 60 + range.endSeconds) * kFramesPerSecond;
        cdrom_msf msf{};
        msf.cdmsf_min0 = static_cast<__u8>(from / kFramesPerSecond / 60);
        msf.cdmsf_sec0 = static_cast<__u8>(from / kFramesPerSecond % 60);
        msf.cdmsf_frame0 = static_cast<__u8>(from % kFramesPerSecond);
        msf.cdmsf_min1 = static_cast<__u8>(to / kFramesPerSecond / 60);
        msf.cdmsf_sec1 = static_cast<__u8>(to / kFramesPerSecond % 60);
        msf.cdmsf_frame1 = static_cast<__u8>(to % kFramesPerSecond);
        if (::ioctl(fd, CDROMPLAYMSF, &msf) == 0)
            m_cdDevice = device;
        else
            emit failed(QString::fromUtf8(kNoCdDrive), {});
    }
    ::close(fd);
}

void MediaPlayer::stopSound()
{
    m_stop = true;
    if (m_wave.joinable())
        m_wave.join();
    m_playing = false;
    if (!m_cdDevice.empty()) {
        const int fd = ::open(m_cdDevice.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            ::ioctl(fd, CDROMSTOP, 0);
            ::close(fd);
        }
        m_cdDevice.clear();
    }
}

} // namespace yv::lexdisc
