// The key track: keys pressed at show times reach the key table through the message queue,
// stay down for at least one presented frame, and re-arm when the show time goes back.
#include "VEK_KeyTrack.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kShift = 16;
constexpr int kControl = 17;

// Handles every queued message, as the frame loop does before it renders.
void HandleMessages()
{
    while (plat::PollMessage() != plat::Message::none) {
    }
}

bool Down(int key) { return plat::KeyTable()[key] != 0; }

TEST(KeyTrack, ReadsPressesAndNamesTheFirstBadLine)
{
    struct Case {
        const char* text;
        const char* error;   // nullptr: accepted
        std::size_t presses;
    };
    const Case cases[] = {
        {"", nullptr, 0},
        {"# only a comment\n\n   \n", nullptr, 0},
        {"36.1 Shift+O\n52.5 Up 1.5  # walk\n", nullptr, 2},
        {"1 Ctrl+L\n2 F9\n3 F12\n4 Home\n5 7\n6 Shift+Ctrl+Space\n7 Escape\n", nullptr, 7},
        {"1 O\nx Shift+O\n", "track line 2: 'x' is not a show time in seconds", 0},
        {"-1 O\n", "track line 1: '-1' is not a show time in seconds", 0},
        {"nan O\n", "track line 1: 'nan' is not a show time in seconds", 0},
        {"1\n", "track line 1: no keys after the time", 0},
        {"1 Alt+O\n", "track line 1: unknown keys 'Alt+O'", 0},
        {"1 o\n", "track line 1: unknown keys 'o'", 0},
        {"1 F13\n", "track line 1: unknown keys 'F13'", 0},
        {"1 F01\n", "track line 1: unknown keys 'F01'", 0},
        {"1 Shift+\n", "track line 1: unknown keys 'Shift+'", 0},
        {"1 O soon\n", "track line 1: 'soon' is not a holding time in seconds", 0},
        {"1 O 2 3\n", "track line 1: unexpected '3' after the holding time", 0},
    };
    for (const Case& c : cases) {
        KeyTrack track;
        std::string error;
        const bool ok = track.Parse(c.text, "track", error);
        EXPECT_EQ(ok, c.error == nullptr) << c.text << error;
        if (c.error) EXPECT_EQ(error, c.error) << c.text;
        else EXPECT_EQ(track.Size(), c.presses) << c.text;
    }
}

TEST(KeyTrack, APressLastsAtLeastOnePresentedFrameAndHoldsAsLongAsAsked)
{
    KeyTrack track;
    std::string error;
    ASSERT_TRUE(track.Parse("1.0 Shift+O\n2.0 Up 0.5\n", "track", error)) << error;

    track.Apply(0.9f, 10);
    HandleMessages();
    EXPECT_FALSE(Down('O'));

    track.Apply(1.0f, 10);   // due: pressed, modifiers with it
    HandleMessages();
    EXPECT_TRUE(Down(kShift));
    EXPECT_TRUE(Down('O'));
    track.Apply(1.5f, 10);   // no frame presented since: still down
    HandleMessages();
    EXPECT_TRUE(Down('O'));
    track.Apply(1.5f, 11);   // one frame saw it
    HandleMessages();
    EXPECT_FALSE(Down('O'));
    EXPECT_FALSE(Down(kShift));

    track.Apply(2.0f, 20);
    HandleMessages();
    EXPECT_TRUE(Down(0x26));
    track.Apply(2.4f, 30);   // held for half a second
    HandleMessages();
    EXPECT_TRUE(Down(0x26));
    track.Apply(2.5f, 31);
    HandleMessages();
    EXPECT_FALSE(Down(0x26));
}

TEST(KeyTrack, GoingBackOrJumpingReleasesHeldKeysAndArmsOnlyLaterPresses)
{
    KeyTrack track;
    std::string error;
    ASSERT_TRUE(track.Parse("1.0 Ctrl+L 5\n3.0 Ctrl+H\n", "track", error)) << error;
    track.Apply(1.0f, 1);
    HandleMessages();
    EXPECT_TRUE(Down(kControl));
    EXPECT_TRUE(Down('L'));

    track.Apply(0.2f, 2);   // the show restarted
    HandleMessages();
    EXPECT_FALSE(Down('L'));
    EXPECT_FALSE(Down(kControl));

    track.Apply(1.0f, 3);   // the press comes again
    HandleMessages();
    EXPECT_TRUE(Down('L'));
    track.Apply(3.0f, 4);   // a later press goes down while the first is still held
    HandleMessages();
    EXPECT_TRUE(Down('H'));

    track.Apply(2.0f, 5);   // a seek back between them keeps the first one done
    HandleMessages();
    EXPECT_FALSE(Down('L'));
    EXPECT_FALSE(Down('H'));
    track.Apply(2.5f, 6);
    HandleMessages();
    EXPECT_FALSE(Down('L'));

    track.Seek(4.0f);       // a jump ahead passes over the second press: it is not pressed
    track.Apply(4.0f, 7);
    HandleMessages();
    EXPECT_FALSE(Down('H'));
    EXPECT_FALSE(Down(kControl));
}

}  // namespace
