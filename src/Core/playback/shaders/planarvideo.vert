#version 440

layout(location = 0) in vec4 position;
layout(location = 1) in vec2 texCoord;
layout(location = 0) out vec2 lumaCoord;

layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    mat4 toRgb;
    vec2 chromaScale;
    float qt_Opacity;
};

void main()
{
    lumaCoord = texCoord;
    gl_Position = qt_Matrix * position;
}
