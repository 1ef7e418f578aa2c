// Reading a render's command line.
#include "app/render_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/exit_codes.h"

namespace {

const char* const x264Presets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                   "medium",    "slow",      "slower",   "veryslow", "placebo"};

constexpr int smallestSide = 16;
constexpr int largestSide = 7680;
constexpr long long largestArea = 7680LL * 4320LL;

// Options that take no value, and those of the live program, which a render accepts and ignores.
const char* const flagNames[] = {"--render", "--overwrite", "--draw-only", "--fullscreen", "-f",
                                 "--viz", "-v", "--speakers", "-s"};
const char* const valueNames[] = {"--output", "--size", "--fps", "--quality", "--preset",
                                  "--from", "--to", "--seed", "--supersample", "--display"};

template <size_t count>
bool isOneOf(const char* word, const char* const (&names)[count])
{
    for (const char* name : names)
        if (std::strcmp(word, name) == 0) return true;
    return false;
}

bool readWhole(const char* text, long long low, long long high, long long& value)
{
    if (*text < '0' || *text > '9') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 10);
    return errno == 0 && *end == '\0' && value >= low && value <= high;
}

bool readSeed(const char* text, uint64_t& seed)
{
    if (*text < '0' || *text > '9') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    seed = value;
    return errno == 0 && *end == '\0';
}

bool readPreset(const char* text, const char*& preset)
{
    for (const char* known : x264Presets) {
        if (std::strcmp(text, known) == 0) {
            preset = known;
            return true;
        }
    }
    return false;
}

int refuse(char* error, size_t capacity, const char* name, const char* value, const char* reason)
{
    std::snprintf(error, capacity, "%s %s: %s", name, value, reason);
    return codeBadOption;
}

int readSize(const char* value, RenderOptions& options, char* error, size_t capacity)
{
    int width = 0;
    int height = 0;
    char tail = 0;
    if (std::sscanf(value, "%dx%d%c", &width, &height, &tail) != 2)
        return refuse(error, capacity, "--size", value, "give the size as WIDTHxHEIGHT, for example 1920x1080");
    if (width < smallestSide || height < smallestSide || width > largestSide || height > largestSide ||
        static_cast<long long>(width) * height > largestArea)
        return refuse(error, capacity, "--size", value, "the size must lie between 16x16 and 7680x4320");
    if (width % 2 != 0 || height % 2 != 0)
        return refuse(error, capacity, "--size", value, "the width and the height must be even");
    options.width = width;
    options.height = height;
    return 0;
}

// One option with its value.
int readValue(const char* name, const char* value, RenderOptions& options, char* error, size_t capacity)
{
    long long number = 0;
    if (std::strcmp(name, "--output") == 0) {
        if (*value == '\0') return refuse(error, capacity, name, "\"\"", "the name is empty");
        std::snprintf(options.output, sizeof options.output, "%s", value);
    } else if (std::strcmp(name, "--size") == 0) {
        return readSize(value, options, error, capacity);
    } else if (std::strcmp(name, "--fps") == 0) {
        if (!readWhole(value, 1, 240, number)) return refuse(error, capacity, name, value, "must be 1 to 240");
        options.fps = static_cast<int>(number);
    } else if (std::strcmp(name, "--quality") == 0) {
        // 0 would be lossless, which High profile, the one players take, cannot hold.
        if (!readWhole(value, 1, 51, number)) return refuse(error, capacity, name, value, "must be 1 to 51");
        options.crf = static_cast<int>(number);
    } else if (std::strcmp(name, "--preset") == 0) {
        if (!readPreset(value, options.preset))
            return refuse(error, capacity, name, value, "must be one of x264's presets, ultrafast to placebo");
    } else if (std::strcmp(name, "--from") == 0 || std::strcmp(name, "--to") == 0) {
        double& time = name[2] == 'f' ? options.fromSeconds : options.toSeconds;
        if (!parseSongTime(value, time)) return refuse(error, capacity, name, value, "give seconds or m:ss");
    } else if (std::strcmp(name, "--seed") == 0) {
        if (!readSeed(value, options.seed)) return refuse(error, capacity, name, value, "must be a whole number");
    } else if (std::strcmp(name, "--supersample") == 0) {
        if (!readWhole(value, 1, 4, number)) return refuse(error, capacity, name, value, "must be 1 to 4");
        options.supersample = static_cast<int>(number);
    } else if (std::strcmp(name, "--display") == 0) {
        // The live program's monitor, which a render has no use for.
    } else {
        return refuse(error, capacity, name, value, "unknown option");
    }
    return 0;
}

// "--name=value" or "--name value"; i moves past what was read.
int readWord(int argc, const char* const* argv, int& i, RenderOptions& options, char* error, size_t capacity)
{
    const char* word = argv[i];
    if (std::strcmp(word, "--render") == 0 && options.song == nullptr && i + 1 < argc) {
        options.song = argv[++i];
        return 0;
    }
    if (isOneOf(word, flagNames)) {
        options.overwrite = options.overwrite || std::strcmp(word, "--overwrite") == 0;
        options.drawOnly = options.drawOnly || std::strcmp(word, "--draw-only") == 0;
        return 0;
    }
    const char* equals = std::strchr(word, '=');
    if (equals != nullptr) {
        char name[32];
        std::snprintf(name, sizeof name, "%.*s", static_cast<int>(equals - word), word);
        if (isOneOf(name, valueNames)) return readValue(name, equals + 1, options, error, capacity);
    } else if (isOneOf(word, valueNames)) {
        if (i + 1 >= argc) return refuse(error, capacity, word, "", "needs a value");
        return readValue(word, argv[++i], options, error, capacity);
    }
    return refuse(error, capacity, word, "", "unknown option (see --help)");
}

// The song's path with its extension (if any) replaced by .mp4.
void defaultOutputFor(const char* song, char* output, size_t capacity)
{
    const char* base = song;
    for (const char* p = song; *p != '\0'; ++p)
        if (*p == '/' || *p == '\\') base = p + 1;
    const char* dot = std::strrchr(base, '.');
    const size_t stem = dot != nullptr && dot != base ? static_cast<size_t>(dot - song) : std::strlen(song);
    std::snprintf(output, capacity, "%.*s.mp4", static_cast<int>(stem), song);
}

}  // namespace

CommandKind commandKind(int argc, const char* const* argv)
{
    bool render = false;
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == nullptr) continue;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return CommandKind::help;
        render = render || std::strcmp(argv[i], "--render") == 0;
    }
    return render ? CommandKind::render : CommandKind::live;
}

int readRenderOptions(int argc, const char* const* argv, RenderOptions& options, char* error, size_t capacity)
{
    for (int i = 1; i < argc; ++i) {
        const int code = readWord(argc, argv, i, options, error, capacity);
        if (code != 0) return code;
    }
    if (options.song == nullptr || *options.song == '\0')
        return refuse(error, capacity, "--render", "", "name the song to render");
    if (options.toSeconds >= 0.0 && options.toSeconds <= options.fromSeconds)
        return refuse(error, capacity, "--to", "", "must come after --from");
    if (options.output[0] == '\0') defaultOutputFor(options.song, options.output, sizeof options.output);
    return 0;
}

bool parseSongTime(const char* text, double& seconds)
{
    double total = 0.0;
    const char* part = text;
    for (int fields = 0; fields < 3; ++fields) {
        if (*part < '0' || *part > '9') return false;
        char* end = nullptr;
        const double value = std::strtod(part, &end);
        if (!std::isfinite(value)) return false;
        total = total * 60.0 + value;
        if (*end == '\0') {
            seconds = total;
            return true;
        }
        // Minutes and hours are whole and come before a colon.
        if (*end != ':' || std::memchr(part, '.', static_cast<size_t>(end - part)) != nullptr) return false;
        part = end + 1;
    }
    return false;
}

void printUsage(FILE* stream)
{
    std::fputs(
        "Usage: quasarine [--fullscreen] [--viz] [--speakers] [--display N] [--fps N] [SONG...]\n"
        "       quasarine --render SONG [--output VIDEO] [--size WxH] [--fps N] [--quality CRF]\n"
        "                 [--preset P] [--from TIME] [--to TIME] [--seed N] [--supersample K] [--overwrite]\n"
        "\n"
        "Live visualizer:\n"
        "  -f, --fullscreen     start in desktop full-screen mode\n"
        "  -v, --viz            start with the visualization selected\n"
        "  -s, --speakers       start with the Speakers source: what the default output device plays\n"
        "  --display N          open on monitor N, counted from 1 (default: the monitor used last)\n"
        "  --fps N              draw at most N frames a second, 1 to 240, 0 for no cap (default: the\n"
        "                       cap chosen last with L, else none); the analysis is not affected\n"
        "  -h, --help           print this text and exit\n"
        "  SONG...              play these songs in order, then go back to the sound source before them;\n"
        "                       files dropped on the window join the list. While songs play: Page Down\n"
        "                       and Page Up for the next and previous song, P to pause, Tab to mute\n"
        "\n"
        "Rendering a song into an MP4 video (H.264 and AAC), without real-time limits:\n"
        "  --render SONG        the song: MP3, AAC/M4A, FLAC, Ogg Vorbis, Opus, WAV, ALAC or a video's sound\n"
        "  --output VIDEO       the video file (default: the song's name with .mp4, in the song's folder)\n"
        "  --size WxH           frame size, even, 16x16 to 7680x4320 (default 1920x1080)\n"
        "  --fps N              frames a second, 1 to 240 (default 60)\n"
        "  --quality CRF        H.264 constant rate factor, 1 (best) to 51 (default 18)\n"
        "  --preset P           x264 speed preset, ultrafast to placebo (default medium)\n"
        "  --from TIME          start at TIME, in seconds or m:ss (default: the song's start)\n"
        "  --to TIME            end at TIME (default: the song's end)\n"
        "  --seed N             the random generator's seed; the same seed gives the same video (default 1)\n"
        "  --supersample K      each pixel is the mean of K x K samples, 1 to 4 (default 1)\n"
        "  --overwrite          replace VIDEO if it exists (it is never replaced otherwise)\n"
        "  --draw-only          draw every frame but write nothing (to measure the drawing)\n"
        "\n"
        "Esc, closing the window or Ctrl+C cancels a render; nothing is left behind.\n",
        stream);
}
