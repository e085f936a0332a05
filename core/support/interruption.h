// Long work that its caller may want stopped (the host's Ctrl-C). The caller names a probe for the
// call; the work polls stop_requested() between pieces, and window by window where one window
// costs much, and on a yes leaves its loops at once, its outputs unspecified. The caller then
// reports the interruption.
#ifndef PLORVENT_CORE_SUPPORT_INTERRUPTION_H
#define PLORVENT_CORE_SUPPORT_INTERRUPTION_H

// Whether the host has an interruption pending; it may be asked from any thread.
typedef bool (*InterruptionProbe)();

// Names the probe of the calls that follow (null: nothing ever interrupts), and forgets any
// earlier interruption.
void watch_for_interruption(InterruptionProbe probe);

// True once the probe has said yes, until the next watch_for_interruption. Cheap enough to ask
// every few thousand samples.
bool stop_requested();

#endif
