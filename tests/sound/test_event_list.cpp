// The event list: firing order, seeking past the start time, capacity and names.
#include "VEK_Events.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The list is large (a fixed array of records), so tests keep it on the heap.
std::unique_ptr<EventList> ListOf(const std::vector<float>& starts)
{
    auto list = std::make_unique<EventList>();
    for (size_t i = 0; i < starts.size(); ++i) {
        const std::string name = "ev" + std::to_string(i);
        list->Append(0, 0, starts[i], starts[i] + 1.0f, name.c_str(), nullptr);
    }
    return list;
}

// Calls Fire once per "frame" at the given times; returns the index fired on each, -1
// when nothing fired.
std::vector<int> FireAt(EventList& list, const std::vector<float>& times)
{
    std::vector<int> fired;
    for (float t : times) fired.push_back(list.Fire(t) ? list.current : -1);
    return fired;
}

TEST(EventListFire, DueEventsFireOnePerCallInListOrder)
{
    auto list = ListOf({1.0f, 1.0f, 2.0f});
    EXPECT_EQ(FireAt(*list, {0.5f, 1.0f, 1.0f, 1.5f, 2.0f, 9.0f}), (std::vector<int>{-1, 0, 1, -1, 2, -1}));
}

TEST(EventListFire, EventsWhoseStartHasLongPassedFireOnConsecutiveFrames)
{
    auto list = ListOf({0.1f, 0.2f, 0.3f});
    EXPECT_EQ(FireAt(*list, {5.0f, 5.0f, 5.0f, 5.0f}), (std::vector<int>{0, 1, 2, -1}));
}

TEST(EventListFire, AnEventListedAfterALaterOneWaitsForIt)
{
    auto list = ListOf({5.0f, 1.0f});
    EXPECT_EQ(FireAt(*list, {1.0f, 4.9f, 5.0f, 5.0f}), (std::vector<int>{-1, -1, 0, 1}));
}

TEST(EventListFire, FiringClearsTheFiredByteAndMarkFiredSetsIt)
{
    const float parameters[EventList::kParameterCount] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    auto holder = std::make_unique<EventList>();
    EventList& list = *holder;
    list.Append(1, 20, 2.5f, 4.0f, "Camera01", parameters);
    list.entries[0].fired = 1;   // as left by an earlier run over the same record
    ASSERT_TRUE(list.Fire(3.0f));
    EXPECT_EQ(list.entries[0].fired, 0);
    EXPECT_EQ(list.CurrentType(), 1);
    EXPECT_EQ(list.CurrentClass(), 20);
    EXPECT_STREQ(list.CurrentName(), "Camera01");
    EXPECT_FLOAT_EQ(list.CurrentDuration(), 1.5f);
    for (int i = 0; i < EventList::kParameterCount; ++i) EXPECT_EQ(list.CurrentParameters()[i], parameters[i]);
    list.MarkFired();
    EXPECT_EQ(list.entries[0].fired, 1);
}

TEST(EventListSeek, SkipsTheLeadingEventsThatStartAtOrBeforeTheTime)
{
    struct Case {
        float time;
        int next;   // index Fire gives next
    };
    const Case cases[] = {{0.0f, 0}, {0.1f, 1}, {0.2f, 3}, {0.49f, 3}, {0.5f, 4}, {7.0f, 4}};
    for (const Case& c : cases) {
        auto list = ListOf({0.1f, 0.2f, 0.2f, 0.5f});
        list->Seek(c.time);
        EXPECT_EQ(list->cursor, c.next) << "seek to " << c.time;
    }
}

TEST(EventListSeek, StopsAtTheFirstLaterEventEvenIfEarlierOnesFollow)
{
    auto list = ListOf({0.1f, 0.9f, 0.3f});
    list->Seek(0.5f);
    EXPECT_EQ(FireAt(*list, {0.5f, 0.9f, 0.9f}), (std::vector<int>{-1, 1, 2}));
}

TEST(EventListSeek, DoesNothingOnceEveryEventHasFired)
{
    auto list = ListOf({0.1f, 0.2f});
    FireAt(*list, {1.0f, 1.0f});
    list->Seek(0.15f);
    EXPECT_EQ(list->cursor, 2);
    EXPECT_FALSE(list->Fire(1.0f));
}

// At start-up the music (and its seek) comes before the events are loaded; on a loop
// restart the events are loaded first. The same script therefore starts differently.
TEST(EventListSeek, StartUpOrderFiresEarlyEventsWhileTheLoopRestartSkipsThem)
{
    const std::vector<float> starts = {0.0f, 0.1f, 0.15f, 1.0f};
    const float startTime = 0.2f;

    auto startUp = std::make_unique<EventList>();
    startUp->Seek(startTime);   // empty: nothing to skip
    for (float s : starts) startUp->Append(0, 0, s, s, "x", nullptr);
    EXPECT_EQ(FireAt(*startUp, {0.2f, 0.21f, 0.22f, 0.23f, 1.0f}), (std::vector<int>{0, 1, 2, -1, 3}));

    auto restart = std::make_unique<EventList>();
    for (float s : starts) restart->Append(0, 0, s, s, "x", nullptr);
    restart->Seek(startTime);
    EXPECT_EQ(FireAt(*restart, {0.2f, 0.21f, 1.0f}), (std::vector<int>{-1, -1, 3}));
}

TEST(EventListRecords, ResetEmptiesTheListAndClearsEveryRecord)
{
    auto list = ListOf({0.1f, 0.2f});
    list->Fire(1.0f);
    list->MarkFired();
    list->Reset();
    EXPECT_EQ(list->count, 0);
    EXPECT_EQ(list->cursor, 0);
    EXPECT_EQ(list->current, 0);
    const EventRecord zero{};
    EXPECT_EQ(std::memcmp(&list->entries[0], &zero, sizeof zero), 0);
    EXPECT_EQ(std::memcmp(&list->entries[1], &zero, sizeof zero), 0);
    EXPECT_FALSE(list->Fire(1.0f));
}

TEST(EventListRecords, ParametersAreCopiedAndAbsentOnesAreZero)
{
    float parameters[EventList::kParameterCount] = {};
    parameters[0] = 0.5f;
    parameters[11] = -69.0f;
    auto holder = std::make_unique<EventList>();
    EventList& list = *holder;
    list.Append(0, 1, 0.0f, 1.0f, "skin", parameters);
    list.Append(0, 1, 0.0f, 1.0f, "skin", nullptr);
    parameters[0] = 9.0f;   // the list keeps its own copy
    EXPECT_EQ(list.entries[0].parameters[0], 0.5f);
    EXPECT_EQ(list.entries[0].parameters[11], -69.0f);
    for (float p : list.entries[1].parameters) EXPECT_EQ(p, 0.0f);
}

TEST(EventListRecords, NamesLongerThanNineCharactersAreCut)
{
    struct Case {
        const char* given;
        const char* kept;
    };
    const Case cases[] = {
        {"flash1", "flash1"}, {"123456789", "123456789"}, {"1234567890", "123456789"},
        {"a_very_long_layer_name_indeed", "a_very_lo"}, {"", ""}, {nullptr, ""},
    };
    auto holder = std::make_unique<EventList>();
    EventList& list = *holder;
    for (const Case& c : cases) {
        ASSERT_TRUE(list.Append(0, 7, 0.0f, 0.0f, c.given, nullptr));
        const EventRecord& record = list.entries[list.count - 1];
        EXPECT_STREQ(record.name, c.kept);
        EXPECT_EQ(record.type, 0) << "the name must not spill into the next field";
        EXPECT_EQ(record.eventClass, 7);
    }
}

TEST(EventListRecords, AFullListRefusesFurtherEventsAndKeepsItsOwn)
{
    auto list = std::make_unique<EventList>();
    for (int i = 0; i < EventList::kCapacity; ++i)
        ASSERT_TRUE(list->Append(0, 0, float(i), float(i), "e", nullptr)) << "event " << i;
    EXPECT_FALSE(list->Append(1, 1, -1.0f, 0.0f, "extra", nullptr));
    EXPECT_FALSE(list->Append(1, 1, -1.0f, 0.0f, "extra", nullptr));
    EXPECT_EQ(list->count, EventList::kCapacity);
    EXPECT_EQ(list->Dropped(), 2);
    EXPECT_EQ(list->entries[EventList::kCapacity - 1].start, float(EventList::kCapacity - 1));

    list->Seek(float(EventList::kCapacity - 2));
    EXPECT_TRUE(list->Fire(1e9f));
    EXPECT_EQ(list->current, EventList::kCapacity - 1);
    EXPECT_FALSE(list->Fire(1e9f)) << "the refused events are not behind the last one";

    list->Reset();
    EXPECT_EQ(list->Dropped(), 0);
}

}  // namespace
