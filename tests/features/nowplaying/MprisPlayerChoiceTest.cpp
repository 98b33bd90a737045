#include "MprisPlayerChoice.h"

#include <gtest/gtest.h>

using Status = MprisPlayerChoice::Status;

TEST(MprisPlayerChoice, TheLatestToStartPlayingWinsThenTheLatestToPause)
{
    MprisPlayerChoice choice;
    EXPECT_TRUE(choice.chosen().isEmpty());
    choice.add(QStringLiteral(":1.1"), QStringLiteral("vlc"));
    choice.add(QStringLiteral(":1.2"), QStringLiteral("spotify"));
    EXPECT_TRUE(choice.chosen().isEmpty()); // status not yet known
    // Both found paused: the order of names decides, the same every time.
    choice.setStatus(QStringLiteral(":1.2"), Status::paused);
    choice.setStatus(QStringLiteral(":1.1"), Status::paused);
    EXPECT_EQ(choice.chosen(), QStringLiteral(":1.1"));

    choice.setStatus(QStringLiteral(":1.2"), Status::playing);
    EXPECT_EQ(choice.chosen(), QStringLiteral(":1.2"));
    choice.setStatus(QStringLiteral(":1.1"), Status::playing);
    EXPECT_EQ(choice.chosen(), QStringLiteral(":1.1"));
    // The newest pauses: the other still plays and is shown.
    choice.setStatus(QStringLiteral(":1.1"), Status::paused);
    EXPECT_EQ(choice.chosen(), QStringLiteral(":1.2"));
    // Both paused: the one paused last.
    choice.setStatus(QStringLiteral(":1.2"), Status::paused);
    EXPECT_EQ(choice.chosen(), QStringLiteral(":1.2"));
    // Played and paused again, the other is now the one paused last.
    choice.setStatus(QStringLiteral(":1.1"), Status::playing);
    choice.setStatus(QStringLiteral(":1.1"), Status::paused);
    EXPECT_EQ(choice.chosen(), QStringLiteral(":1.1"));
    // A stopped player is never shown; one that goes away hands over.
    choice.setStatus(QStringLiteral(":1.2"), Status::stopped);
    EXPECT_EQ(choice.chosen(), QStringLiteral(":1.1"));
    choice.remove(QStringLiteral(":1.1"));
    EXPECT_TRUE(choice.chosen().isEmpty());
}

TEST(MprisPlayerChoice, PreferredPlayersWinOnlyWhilePlayingAndIgnoredOnesNeverShow)
{
    MprisPlayerChoice choice;
    choice.add(QStringLiteral(":1.1"), QStringLiteral("firefox"));
    choice.add(QStringLiteral(":1.2"), QStringLiteral("firefox")); // a second instance
    choice.add(QStringLiteral(":1.3"), QStringLiteral("mpv"));
    EXPECT_EQ(choice.names(), (QStringList { QStringLiteral("firefox"), QStringLiteral("mpv") }));

    choice.setPreferences(QStringLiteral("mpv"), {});
    choice.setStatus(QStringLiteral(":1.3"), Status::playing);
    choice.setStatus(QStringLiteral(":1.1"), Status::playing);
    EXPECT_EQ(choice.chosen(), QStringLiteral(":1.3")); // started earlier, but preferred
    choice.setStatus(QStringLiteral(":1.3"), Status::paused);
    EXPECT_EQ(choice.chosen(), QStringLiteral(":1.1")); // a paused preference yields to one that plays
    choice.setPreferences(QStringLiteral("mp"), {}); // a prefix is not the name
    choice.setStatus(QStringLiteral(":1.3"), Status::playing);
    EXPECT_EQ(choice.chosen(), QStringLiteral(":1.3")); // simply the newest

    choice.setPreferences(QStringLiteral("mpv"), { QStringLiteral("mpv") });
    EXPECT_EQ(choice.chosen(), QStringLiteral(":1.1"));
    choice.setPreferences({}, { QStringLiteral("mpv"), QStringLiteral("firefox") });
    EXPECT_TRUE(choice.chosen().isEmpty());
    EXPECT_EQ(choice.names().size(), 2); // still listed, so they can be shown again
}
