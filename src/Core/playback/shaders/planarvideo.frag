#version 440

// One I420 picture in three single-channel textures, converted to RGB with the stream's matrix and
// range (VideoColour).
layout(location = 0) in vec2 lumaCoord;
layout(location = 0) out vec4 fragColor;

layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    mat4 toRgb;
    vec2 chromaScale;
    float qt_Opacity;
};

layout(binding = 1) uniform sampler2D yPlane;
layout(binding = 2) uniform sampler2D cbPlane;
layout(binding = 3) uniform sampler2D crPlane;

void main()
{
    // The chroma planes cover an even number of luma samples: with an odd width or height they
    // reach half a luma sample beyond the picture.
    vec2 chromaCoord = lumaCoord * chromaScale;
    vec4 ycbcr = vec4(texture(yPlane, lumaCoord).r, texture(cbPlane, chromaCoord).r,
                      texture(crPlane, chromaCoord).r, 1.0);
    fragColor = vec4(clamp((toRgb * ycbcr).rgb, 0.0, 1.0), 1.0) * qt_Opacity;
}
