// The start-up dialog's keys: a tap (press and release before the dialog draws again)
// acts as surely as a held key.
#include "VEK_Player.h"
#include "VEK_StartupDialog.h"
#include "vekPlatform.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

constexpr int kEscapeKey = 27;
constexpr int kReturnKey = 13;

struct TapCase {
    const char* what;
    std::vector<std::pair<int, bool>> keys;   // posted before the dialog's first frame
    bool quitAfter;                           // a closing window ends the dialog if the keys did not
    bool starts;
};

TEST(StartupDialog, KeyTapsWithinOneFrameAct)
{
    const TapCase cases[] = {
        {"Enter tapped", {{kReturnKey, true}, {kReturnKey, false}}, true, true},
        {"Escape tapped, then Enter held", {{kEscapeKey, true}, {kEscapeKey, false}, {kReturnKey, true}}, false, false},
        {"Enter tapped, then Escape held", {{kReturnKey, true}, {kReturnKey, false}, {kEscapeKey, true}}, false, true},
    };
    for (const TapCase& c : cases) {
        for (const auto& [key, down] : c.keys) plat::PostKey(key, down);
        if (c.quitAfter) plat::PostQuit();
        StartupSettings settings;
        EXPECT_EQ(RunStartupDialog(settings), c.starts) << c.what;
        EXPECT_EQ(plat::KeyTable()[kEscapeKey], 0) << c.what;
        EXPECT_EQ(plat::KeyTable()[kReturnKey], 0) << c.what;
        while (plat::PollMessage() != plat::Message::none) {}   // what the dialog left for the show
        plat::KeyTable()[kEscapeKey] = plat::KeyTable()[kReturnKey] = 0;
    }
    plat::Quit();
}

}  // namespace
