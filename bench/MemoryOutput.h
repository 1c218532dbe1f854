#pragma once

// libVLC's memory output as a bare baseline: each displayed picture is written into memory that
// nobody reads, in the decoder's own planar layout (I420: libVLC only copies it) or converted to
// packed RGB (RV32, what the surface takes on the software scene graph). A callback may hear of
// each picture as libVLC displays it.
#include "playback/VideoFrameSink.h"

#include <cstring>
#include <functional>
#include <memory>
#include <vector>
#include <vlc/vlc.h>

class MemoryOutput
{
public:
    enum class Chroma { I420, Rv32 };

    // onDisplay runs on libVLC's video output thread, once per displayed picture.
    explicit MemoryOutput(Chroma chroma, std::function<void()> onDisplay = {})
        : m_planar(chroma == Chroma::I420), m_onDisplay(std::move(onDisplay))
    {
    }
    MemoryOutput(const MemoryOutput &) = delete;
    MemoryOutput &operator=(const MemoryOutput &) = delete;

    // Before the player plays; this object must outlive the player.
    void attachTo(libvlc_media_player_t *player)
    {
        m_player = player;
        libvlc_video_set_callbacks(player, &MemoryOutput::lock, nullptr, &MemoryOutput::display, this);
        libvlc_video_set_format_callbacks(player, &MemoryOutput::setup, nullptr);
    }

private:
    static void *lock(void *opaque, void **planes)
    {
        auto *self = static_cast<MemoryOutput *>(opaque);
        uchar *at = self->m_bytes.data();
        for (int plane = 0; plane < self->planeCount(); ++plane) {
            planes[plane] = at;
            at += size_t(self->m_pitches[plane]) * self->m_lines[plane];
        }
        return nullptr;
    }

    static void display(void *opaque, void *)
    {
        auto *self = static_cast<MemoryOutput *>(opaque);
        if (self->m_onDisplay)
            self->m_onDisplay();
    }

    static unsigned setup(void **opaque, char *chroma, unsigned *width, unsigned *height, unsigned *pitches,
                          unsigned *lines)
    {
        auto *self = static_cast<MemoryOutput *>(*opaque);
        // The picture's own size, as the surface asks it: libVLC then converts (or copies) without
        // scaling the decoder's padded picture.
        unsigned visibleWidth = 0;
        unsigned visibleHeight = 0;
        if (libvlc_video_get_size(self->m_player, 0, &visibleWidth, &visibleHeight) == 0 &&
            visibleWidth > 0 && visibleHeight > 0 && visibleWidth <= *width && visibleHeight <= *height) {
            *width = visibleWidth;
            *height = visibleHeight;
        }
        const auto align32 = [](unsigned v) { return (v + 31) / 32 * 32; };
        if (self->m_planar) {
            std::memcpy(chroma, "I420", 4);
            pitches[0] = align32(*width);
            pitches[1] = pitches[2] = align32((*width + 1) / 2);
            lines[0] = align32(*height);
            lines[1] = lines[2] = align32((*height + 1) / 2);
        } else {
            std::memcpy(chroma, "RV32", 4);
            pitches[0] = *width * 4;
            lines[0] = *height;
        }
        size_t total = 0;
        for (int plane = 0; plane < self->planeCount(); ++plane) {
            self->m_pitches[plane] = pitches[plane];
            self->m_lines[plane] = lines[plane];
            total += size_t(pitches[plane]) * lines[plane];
        }
        self->m_bytes.assign(total, 0);
        return VideoFrameSink::playerBufferCount; // as many as the engine's path
    }

    int planeCount() const { return m_planar ? 3 : 1; }

    const bool m_planar;
    const std::function<void()> m_onDisplay;
    libvlc_media_player_t *m_player = nullptr;
    std::vector<uchar> m_bytes;
    unsigned m_pitches[3] = {};
    unsigned m_lines[3] = {};
};
