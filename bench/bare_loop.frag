#version 140
// The floor of the frame benchmarks: z = z^2 + c with the escape test alone, no repeat check and no
// colouring beyond the escape count in red.

in vec2 z0;
in vec2 pxl;

uniform int max_iterations;
uniform float divergence_thresh2;
uniform vec2 c;
// The renderer stage insists on finding every uniform of the program's shaders: these and pxl, which
// the window size gives, take part once, outside the loop.
uniform int fractalmode;
uniform int colormode;
uniform float bgfractalblend;
uniform ivec4 mouse_motion_rect;
uniform bool draw_mouse_rect;
uniform float fade;

out vec4 outColor;

void main()
{
    int n = 0;
    vec2 z = z0;
    vec2 d = vec2(0.0);
    while (d.x * d.x + d.y * d.y < divergence_thresh2 && n <= max_iterations) {
        z = vec2(z.x * z.x - z.y * z.y, 2.0 * z.x * z.y) + c;
        d = z - z0;
        n = n + 1;
    }
    float unused = float(fractalmode + colormode + mouse_motion_rect.x) + pxl.x + pxl.y + bgfractalblend +
                   float(draw_mouse_rect);
    outColor = vec4(fade * float(n) / float(max_iterations), 1e-30 * unused, 0.0, 1.0);
}
