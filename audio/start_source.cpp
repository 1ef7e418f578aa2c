// The first source of a run, from the command line or the settings file, and the choices kept in it.
#include "audio/start_source.h"

#include <portaudio.h>

#include <cstdio>

#include "audio/audio_devices.h"
#include "audio/sound_sources.h"
#include "platform/remembered_source.h"

namespace {

// The selection a remembered choice stands for now; a device no longer present is the default device.
int selectionRemembered(const RememberedSource& source)
{
    if (source.kind == RememberedKind::speakers) return speakersSource;
    if (source.kind == RememberedKind::device) return inputSelectionNamed(source.device, source.hostApi);
    return defaultDeviceSource;
}

RememberedSource choiceOf(int selection)
{
    RememberedSource source;
    if (selection == speakersSource) {
        source.kind = RememberedKind::speakers;
    } else if (selection == defaultDeviceSource) {
        source.kind = RememberedKind::defaultDevice;
    } else if (inputDeviceIdentity(selection, source.device, source.hostApi, rememberedNameCapacity)) {
        source.kind = RememberedKind::device;
    }
    return source;
}

}  // namespace

int openStartSource(AudioContext& context, bool speakersFirst)
{
    if (speakersFirst) return selectInputSource(speakersSource, context);
    const int remembered = selectionRemembered(loadRememberedSource());
    const int opened = selectInputSource(remembered, context);
    if (opened != noSource || remembered == defaultDeviceSource) return opened;
    return selectInputSource(defaultDeviceSource, context);
}

void rememberChosenSource(int selection)
{
    const RememberedSource source = choiceOf(selection);
    if (source.kind != RememberedKind::none) storeRememberedSource(source);
}
