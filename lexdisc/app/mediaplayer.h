// The book's pictures in windows of their own, wave sounds on the sound device and CD audio
// on the drive: one sound of each kind at a time.
#pragma once

#include <book/bookshelf.h>
#include <book/media.h>

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace yv::lexdisc {

inline constexpr const char* kMonochromeWindowClass = "CDROMDisplayImageWClass";
inline constexpr const char* kColourWindowClass = "CDROMDisplayColorImageWClass";
// Picture windows kept before closed ones are dropped from the list.
inline constexpr int kPictureListTidy = 100;

class MediaPlayer final : public QObject {
    Q_OBJECT
public:
    explicit MediaPlayer(QWidget* frame);
    ~MediaPlayer() override;

    // "画像" at the bottom right of the screen; the loader's messages on failure.
    void showColourGraphic(const book::BookFile& text, const book::ColourGraphicItem& item);
    // "図版" at the top left of the screen.
    void showMonochromeGraphic(const book::BookFile& text, const book::MonochromeGraphicItem& item);
    // Plays the wave data unless a wave is playing already.
    void playWave(const book::BookFile& text, const book::WaveItem& item);
    // Plays the CD-audio range on the drive of the book unless one is playing.
    void playCdAudio(const std::filesystem::path& bookRoot, const book::CdAudioItem& item);

    void closePictures();
    void stopSound();
    bool wavePlaying() const { return m_playing.load(); }
    const std::vector<QPointer<QWidget>>& pictures() const { return m_pictures; }

signals:
    // A message to show, with its caption (empty: the suite's).
    void failed(const QString& text, const QString& caption);

private:
    void addPicture(QWidget* window);

    QWidget* m_frame;
    std::vector<QPointer<QWidget>> m_pictures;
    std::thread m_wave;
    std::atomic<bool> m_playing{false};
    std::atomic<bool> m_stop{false};
    std::string m_cdDevice;  // where this viewer started CD audio
};

} // namespace yv::lexdisc
