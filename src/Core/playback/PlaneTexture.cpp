#include "playback/PlaneTexture.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGTexture>
#include <QtQuick/qsgtexture_platform.h>

#ifndef GL_RED
#define GL_RED 0x1903
#endif
#ifndef GL_R8
#define GL_R8 0x8229
#endif
#ifndef GL_UNPACK_ROW_LENGTH
#define GL_UNPACK_ROW_LENGTH 0x0CF2
#endif

namespace {

// OpenGL 3 and OpenGL ES 3 have one-channel textures; older contexts use luminance, which the
// shader reads the same way (its red channel).
bool hasRedTextures(const QOpenGLContext *context)
{
    return context->format().majorVersion() >= 3;
}

} // namespace

PlaneTexture::PlaneTexture() = default;

PlaneTexture::~PlaneTexture()
{
    release();
}

void PlaneTexture::release()
{
    m_texture.reset();
    // Without a current context (the window's scene graph already gone) the texture went with it.
    if (m_id != 0)
        if (QOpenGLContext *context = QOpenGLContext::currentContext())
            context->functions()->glDeleteTextures(1, &m_id);
    m_id = 0;
    m_size = {};
}

void PlaneTexture::upload(QQuickWindow *window, const uchar *samples, QSize size, int pitch)
{
    QOpenGLContext *context = QOpenGLContext::currentContext();
    if (!context || !samples || size.isEmpty())
        return;
    QOpenGLFunctions *gl = context->functions();
    const bool red = hasRedTextures(context);
    // Rows longer than the plane are skipped by the row length, which OpenGL ES 2 lacks; the frame
    // sink's planes are tightly packed anyway.
    const bool rowLength = pitch != size.width() && red;
    if (size != m_size) {
        release();
        gl->glGenTextures(1, &m_id);
        gl->glBindTexture(GL_TEXTURE_2D, m_id);
        gl->glTexImage2D(GL_TEXTURE_2D, 0, red ? GL_R8 : GL_LUMINANCE, size.width(), size.height(), 0,
                         red ? GL_RED : GL_LUMINANCE, GL_UNSIGNED_BYTE, nullptr);
        m_size = size;
        m_texture.reset(QNativeInterface::QSGOpenGLTexture::fromNative(m_id, window, size));
        m_texture->setFiltering(QSGTexture::Linear);
        m_texture->setHorizontalWrapMode(QSGTexture::ClampToEdge);
        m_texture->setVerticalWrapMode(QSGTexture::ClampToEdge);
    }
    gl->glBindTexture(GL_TEXTURE_2D, m_id);
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (rowLength)
        gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, pitch);
    gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, size.width(), size.height(), red ? GL_RED : GL_LUMINANCE,
                        GL_UNSIGNED_BYTE, samples);
    if (rowLength)
        gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl->glBindTexture(GL_TEXTURE_2D, 0);
}
