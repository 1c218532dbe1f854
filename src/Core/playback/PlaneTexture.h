#pragma once

#include <QSize>
#include <QtGui/qopengl.h>
#include <memory>

class QQuickWindow;
class QSGTexture;

// One plane of a planar picture (luma or one chroma plane) as a single-channel OpenGL texture that
// the scene graph samples. Only touched on the scene graph's render thread with its OpenGL context
// current: made on the first upload, remade when the plane's size changes, written in place after.
class PlaneTexture
{
public:
    PlaneTexture();
    ~PlaneTexture();
    PlaneTexture(const PlaneTexture &) = delete;
    PlaneTexture &operator=(const PlaneTexture &) = delete;

    // Writes the plane (rows of `pitch` bytes, one byte a sample) into the texture.
    void upload(QQuickWindow *window, const uchar *samples, QSize size, int pitch);
    // Null until the first upload.
    QSGTexture *texture() const { return m_texture.get(); }

private:
    void release();

    GLuint m_id = 0;
    QSize m_size;
    std::unique_ptr<QSGTexture> m_texture;
};
