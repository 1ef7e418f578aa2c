#version 140
// Iterates the chosen formula from the fragment's plane point and turns the escape count and the
// fourth iterate into a colour, then applies fade, cross-blend and the inverting highlight.
// Orbits that fall into an exact cycle end early as interior.

// Plane point of the fragment (real, imaginary): the start of its orbit.
in vec2 z0;
// Window pixel position of the fragment, origin bottom left.
in vec2 pxl;

// Iteration formula: 0 z^2, 1 z^3, 2 z^4, 3 exp(z^2), 4 exp(z^3), 5 exp(z^4), 6 cosh(z^2),
// 7 and every other value sinh(z^2).
uniform int fractalmode;
// Colour mode: how the 24-bit colour values are split into red, green and blue, 0..6.
uniform int colormode;
// Iteration cap: an orbit that stays within the threshold for max_iterations + 1 steps is black.
uniform int max_iterations;
// Escape threshold on the squared distance of the orbit from its start point z0.
uniform float divergence_thresh2;
// Weight of the background colour against the count colour, 0..1.
uniform float bgfractalblend;
// Constant added after each step (real, imaginary).
uniform vec2 c;
// Highlight rectangle x0, y0, x1, y1 in window pixels, origin bottom left, x0 <= x1, y0 <= y1.
uniform ivec4 mouse_motion_rect;
// The highlight rectangle is shown (its fragments are inverted).
uniform bool draw_mouse_rect;
// Overall brightness, 0..1.
uniform float fade;

// Final colour; alpha is always 1.
out vec4 outColor;

// e^u.x * (cos u.y, sin u.y)
vec2 complexExp(vec2 u)
{
    return exp(u.x) * vec2(cos(u.y), sin(u.y));
}

vec2 complexMul(vec2 a, vec2 b)
{
    return vec2(a.x * b.x - a.y * b.y, a.x * b.y + a.y * b.x);
}

vec2 square(vec2 z)
{
    return vec2(z.x * z.x - z.y * z.y, 2.0 * z.x * z.y);
}

vec2 cube(vec2 z)
{
    return complexMul(square(z), z);
}

vec2 fourthPower(vec2 z)
{
    return square(square(z));
}

vec2 complexCosh(vec2 u)
{
    return 0.5 * (complexExp(u) + complexExp(-u));
}

vec2 complexSinh(vec2 u)
{
    return 0.5 * (complexExp(u) - complexExp(-u));
}

float squaredDistance(vec2 a, vec2 b)
{
    vec2 d = a - b;
    return d.x * d.x + d.y * d.y;
}

// The byte whose high nibble is nibble `high` of value and whose low nibble is nibble `low`
// (nibble 0 holds bits 0-3).
int nibblePair(int value, int high, int low)
{
    return (((value >> (4 * high)) & 15) << 4) | ((value >> (4 * low)) & 15);
}

// Red, green and blue bytes of a 24-bit colour value, by colour mode.
vec3 splitColor(int value)
{
    int r = (value >> 16) & 255;
    int g = (value >> 8) & 255;
    int b = value & 255;
    if (colormode == 0) return vec3(r, g, b);
    if (colormode == 1) return vec3(b, r, g);
    if (colormode == 2) return vec3(g, b, r);
    if (colormode == 3) return vec3(nibblePair(value, 2, 5), nibblePair(value, 0, 3), nibblePair(value, 4, 1));
    if (colormode == 4) return vec3(nibblePair(value, 4, 1), nibblePair(value, 2, 5), nibblePair(value, 0, 3));
    if (colormode == 5) return vec3(nibblePair(value, 0, 3), nibblePair(value, 4, 1), nibblePair(value, 2, 5));
    return vec3(nibblePair(value, 1, 2), nibblePair(value, 3, 4), nibblePair(value, 5, 0));
}

// 1 where the fourth iterate's squared distance d equals the threshold, falling towards 0 on both
// sides. A d that overflowed (infinite or not a number) takes the limit 0 instead of an undefined
// integer conversion later on.
float backgroundFraction(float d, float threshold)
{
    if (!(d <= 3.402823466e38)) return 0.0;
    return 1.0 - abs(d - threshold) / (d + threshold);
}

vec3 escapeColor(int n, vec2 zbg)
{
    float frac = float(n) / float(max_iterations);
    float fracbg = backgroundFraction(squaredDistance(zbg, z0), divergence_thresh2);
    vec3 countColor = splitColor(int(frac * 16777215.0)) / 255.0;
    vec3 backgroundColor = splitColor(int(fracbg * 16777215.0)) / 255.0;
    return fade * (countColor * (1.0 - bgfractalblend) + backgroundColor * bgfractalblend);
}

bool insideHighlight()
{
    return draw_mouse_rect &&
           float(mouse_motion_rect.x) <= pxl.x && pxl.x <= float(mouse_motion_rect.z) &&
           float(mouse_motion_rect.y) <= pxl.y && pxl.y <= float(mouse_motion_rect.w);
}

// One orbit while it is iterated.
struct Orbit {
    vec2 z;        // the latest iterate
    vec2 zbg;      // the fourth iterate, z0 until it is reached
    vec2 saved;    // the earlier iterate each new one is compared with
    int n;         // steps taken
    int nextSave;  // the step whose iterate is saved next
    bool repeats;  // an iterate came back exactly
};

Orbit startOrbit()
{
    return Orbit(z0, z0, z0, 0, 1, false);
}

// Both conditions are tested before every step; an overflowed distance fails the test too. A cap of
// -1 ends the loop before its first step.
bool keepsIterating(Orbit orbit, int cap)
{
    return !orbit.repeats && squaredDistance(orbit.z, z0) < divergence_thresh2 && orbit.n <= cap;
}

// The iteration cap of the loop of a formula: the real one for the chosen formula, -1 for the others.
int capFor(bool chosen)
{
    return chosen ? max_iterations : -1;
}

// An orbit that comes back to an earlier iterate exactly repeats that stretch forever, and every
// iterate of it has already passed the threshold test: it would run out the cap and be drawn black.
// The iterate compared with is re-saved at steps that double (Brent), so a cycle is found within a
// few times its length after it is entered. Not a number never compares equal.
void takeStep(inout Orbit orbit, vec2 next)
{
    orbit.z = next;
    orbit.n = orbit.n + 1;
    if (orbit.n == 4) orbit.zbg = next;
    if (next == orbit.saved) {
        orbit.repeats = true;
    } else if (orbit.n == orbit.nextSave) {
        orbit.saved = next;
        orbit.nextSave = 2 * orbit.nextSave;
    }
}

// The formula is the same for every fragment of a frame, so it is chosen once, not at every step:
// each formula has a loop of its own, whose body is the bare step, and only the chosen formula's
// loop gets a cap that lets it run. The loops follow each other rather than sit in branches of a
// choice, which llvmpipe runs at a third less cost.
Orbit iterateFormula()
{
    Orbit orbit = startOrbit();
    int cap = capFor(fractalmode == 0);
    while (keepsIterating(orbit, cap)) takeStep(orbit, square(orbit.z) + c);
    cap = capFor(fractalmode == 1);
    while (keepsIterating(orbit, cap)) takeStep(orbit, cube(orbit.z) + c);
    cap = capFor(fractalmode == 2);
    while (keepsIterating(orbit, cap)) takeStep(orbit, fourthPower(orbit.z) + c);
    cap = capFor(fractalmode == 3);
    while (keepsIterating(orbit, cap)) takeStep(orbit, complexExp(square(orbit.z)) + c);
    cap = capFor(fractalmode == 4);
    while (keepsIterating(orbit, cap)) takeStep(orbit, complexExp(cube(orbit.z)) + c);
    cap = capFor(fractalmode == 5);
    while (keepsIterating(orbit, cap)) takeStep(orbit, complexExp(fourthPower(orbit.z)) + c);
    cap = capFor(fractalmode == 6);
    while (keepsIterating(orbit, cap)) takeStep(orbit, complexCosh(square(orbit.z)) + c);
    cap = capFor(fractalmode < 0 || fractalmode > 6);
    while (keepsIterating(orbit, cap)) takeStep(orbit, complexSinh(square(orbit.z)) + c);
    return orbit;
}

void main()
{
    Orbit orbit = iterateFormula();
    vec3 color = vec3(0.0);
    if (!orbit.repeats && orbit.n <= max_iterations) color = escapeColor(orbit.n, orbit.zbg);
    if (insideHighlight()) color = vec3(1.0) - color;
    outColor = vec4(color, 1.0);
}
