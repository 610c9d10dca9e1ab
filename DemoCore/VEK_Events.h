// EventList: the show's timed events (the FX entries of the project script) in the order
// they were appended. Once per frame the player asks Fire whether the next event is due
// and applies the event it fired.
#pragma once

// Codes of the record's type and class fields.
namespace EventCode {
constexpr unsigned char kType2D = 0;
constexpr unsigned char kType3D = 1;
// 2D classes.
constexpr unsigned char kFlash = 0;
constexpr unsigned char kSkin = 1;
constexpr unsigned char kLayer = 2;
constexpr unsigned char kGlow = 3;
constexpr unsigned char kRadial = 4;
constexpr unsigned char kR2txt = 5;
// 3D classes.
constexpr unsigned char kHitcam = 0;
constexpr unsigned char kNone = 20;
}  // namespace EventCode

struct EventRecord {
    float start;                 // music time in seconds at which the event fires
    float end;                   // end - start is the hold time of flashes and skins
    float parameters[12];        // p0 .. p11 from the FX attributes
    char name[10];               // target of the event, zero-terminated
    unsigned char type;          // 0 a 2D event, 1 a 3D event
    unsigned char eventClass;    // 2D: 0 flash .. 5 r2txt; 3D: 0 hitcam, 20 none
    unsigned char fired;         // set once the event has been applied
};

class EventList {
public:
    static constexpr int kCapacity = 4096;
    static constexpr int kParameterCount = 12;
    static constexpr int kNameLength = 9;   // characters kept of a name; longer ones are cut

    EventList() { Reset(); }
    virtual ~EventList() = default;

    // Empties the list: cursor, count and current to 0, every record cleared.
    void Reset();
    // Adds an event at the end. parameters points to kParameterCount values (null: all 0).
    // A full list keeps what it has and refuses the event: returns false and counts it in
    // Dropped().
    bool Append(unsigned char type, unsigned char eventClass, float start, float end, const char* name,
                const float* parameters);
    // Fires the next event if the time has reached its start: it becomes the current
    // event with its fired byte cleared. At most one event per call, in list order: the
    // list is not sorted, so an event after a later-starting one waits for it.
    bool Fire(float time);
    // Moves the cursor past the leading events that start at or before the time (only
    // while events are left to fire).
    void Seek(float time);
    void MarkFired();   // the current event has been applied
    // Re-arms every event: the cursor back to the first, no event fired (a show run again
    // from its start).
    void Rewind();

    // The current event (the one fired last; the first record before any has fired).
    int CurrentType() const { return entries[current].type; }
    int CurrentClass() const { return entries[current].eventClass; }
    const char* CurrentName() const { return entries[current].name; }
    const float* CurrentParameters() const { return entries[current].parameters; }
    float CurrentDuration() const { return entries[current].end - entries[current].start; }

    int Count() const { return count; }
    int Dropped() const { return dropped; }   // events refused since Reset

    EventRecord entries[kCapacity];
    int cursor = 0;    // index of the next event to fire
    int count = 0;     // events appended
    int current = 0;   // index of the event fired last
    int dropped = 0;
};
