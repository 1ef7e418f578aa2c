// Audio library messages on Linux: ALSA's, JACK's and PortAudio's reports dropped, as far as each
// library lets them be.
#include "platform/audio_library_messages.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <jack/jack.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// JACK may report from its own threads.
std::atomic<bool> probing{false};

// ALSA reports every card, plug-in and configuration entry it cannot resolve while PortAudio lists
// devices, even where another one (the PulseAudio plug-in) serves the program well, and its plug-ins
// report a sound server that went away under a running stream, which the program recovers from.
void dropAlsaMessage(const char*, int, const char*, int, const char*, ...)
{
}

// JACK reports that no server runs, once for PortAudio's own probe and again for ALSA's JACK plug-in.
// JACK offers no way back to its own printer, so outside the probe this one prints as it does.
void reportJackMessageOutsideTheProbe(const char* message)
{
    if (!probing.load(std::memory_order_relaxed)) {
        std::fprintf(stderr, "%s\n", message);
    }
}

// The form of PortAudio's report of a failed call inside its host APIs ("Expression 'call' failed in
// 'src/hostapi/alsa/pa_linux_alsa.c', line: N").
bool isPortAudioFailureReport(FILE* stream, const char* format)
{
    static const char opening[] = "Expression '";
    return stream == stderr && format != nullptr && std::strncmp(format, opening, sizeof opening - 1) == 0 &&
           std::strstr(format, "' failed in 'src/") != nullptr;
}

}  // namespace

// PortAudio's ALSA host API prints a failure report to stderr when a stream's device or sound server
// fails, and again at every open tried while it is gone, and offers no hook to silence it. The program
// recovers from those failures by itself, so its own vfprintf, which the dynamic linker gives the
// libraries before the C library's, drops exactly those reports and passes everything else on.
extern "C" int vfprintf(FILE* stream, const char* format, va_list arguments)
{
    using Printer = int (*)(FILE*, const char*, va_list);
    static const Printer next = reinterpret_cast<Printer>(dlsym(RTLD_NEXT, "vfprintf"));
    if (isPortAudioFailureReport(stream, format)) return 0;
    return next != nullptr ? next(stream, format, arguments) : -1;
}

void beginQuietAudioProbe()
{
    probing.store(true, std::memory_order_relaxed);
    snd_lib_error_set_handler(dropAlsaMessage);
    jack_set_error_function(reportJackMessageOutsideTheProbe);
    jack_set_info_function(reportJackMessageOutsideTheProbe);
    // A probe must not launch a JACK server the user never asked for; a user's own setting stands.
    setenv("JACK_NO_START_SERVER", "1", 0);
}

void endQuietAudioProbe()
{
    probing.store(false, std::memory_order_relaxed);
}
