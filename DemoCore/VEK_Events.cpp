#include "VEK_Events.h"

#include "VEK_Text.h"

#include <cstring>

static_assert(sizeof(EventRecord::name) == EventList::kNameLength + 1, "a name field holds kNameLength characters");

void EventList::Reset()
{
    std::memset(entries, 0, sizeof entries);
    cursor = count = current = dropped = 0;
}

bool EventList::Append(unsigned char type, unsigned char eventClass, float start, float end, const char* name,
                       const float* parameters)
{
    if (count >= kCapacity) {
        ++dropped;
        return false;
    }
    EventRecord& event = entries[count];
    event.start = start;
    event.end = end;
    for (int i = 0; i < kParameterCount; ++i) event.parameters[i] = parameters ? parameters[i] : 0.0f;
    CopyText(event.name, name);
    event.type = type;
    event.eventClass = eventClass;
    event.fired = 0;
    ++count;
    return true;
}

bool EventList::Fire(float time)
{
    if (cursor == count) return false;
    if (time < entries[cursor].start) return false;
    entries[cursor].fired = 0;
    current = cursor;
    ++cursor;
    return true;
}

void EventList::Seek(float time)
{
    if (cursor == count) return;
    int k = 0;
    while (k < count && entries[k].start <= time) ++k;
    cursor = k;
}

void EventList::MarkFired() { entries[current].fired = 1; }

void EventList::Rewind()
{
    cursor = current = 0;
    for (int i = 0; i < count; ++i) entries[i].fired = 0;
}
