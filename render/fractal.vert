#version 140
// Places the full-screen quad (tilt and screen offsets) and gives every vertex its plane point.

// Quad coordinates of the vertex, -4..4 on both axes.
in vec2 v;

// Rotation of the plane, radians, counter-clockwise.
uniform float theta;
// Tilt, radians: squashes the picture by cos(alpha) towards the window's bottom edge.
uniform float alpha;
// Vertical offset of the picture, normalised device units.
uniform float ws;
// Horizontal offset of the picture, normalised device units.
uniform float ad;
// Translation applied to the quad point before rotation and zoom.
uniform vec2 zitrans;
// Translation applied to the plane point after rotation and zoom.
uniform vec2 zftrans;
// Drawable width in pixels.
uniform float main_window_width;
// Drawable height in pixels.
uniform float main_window_height;
// Plane units per quad unit.
uniform float zzoom;

// Plane point of the vertex (real, imaginary); interpolated, it is the fragment's start point.
out vec2 z0;
// Window pixel position of the vertex, origin bottom left.
out vec2 pxl;

void main()
{
    // The plane point depends on the quad point alone, so the picture moves with the quad.
    vec2 p = v + zitrans;
    float ct = cos(theta);
    float st = sin(theta);
    z0 = vec2(ct * zzoom * p.x - st * zzoom * p.y + zftrans.x,
              st * zzoom * p.x + ct * zzoom * p.y + zftrans.y);

    // Tipped back about the bottom edge (y = -1) and seen without perspective, then shifted.
    float x = v.x + ad;
    float y = (v.y + 1.0) * cos(alpha) - 1.0 + ws;
    gl_Position = vec4(x, y, 0.0, 1.0);

    pxl = vec2((x + 1.0) * 0.5 * (main_window_width - 1.0),
               (y + 1.0) * 0.5 * (main_window_height - 1.0));
}
