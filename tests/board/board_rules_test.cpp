// The board's rules alone: the clock, the day, the tickets, the page's
// language and its escaping.

#include <gtest/gtest.h>

#include "board/board_pages.h"
#include "board/board_rules.h"

namespace {

constexpr int64_t kTicket = 1796904000000;  // 2026-12-10T12:00:00Z

// A round of `frames` seconds, started `start` s after its ticket, paused
// for `paused` s, whose counter ran at `speed` of real time, sent `sent` s
// after its end.
RoundTimes played(double frames, double paused, double speed = 1, double start = 1, double sent = 1) {
    const double wall = frames / speed + paused;
    return {kTicket, kTicket + static_cast<int64_t>((start + wall + sent) * 1000), frames,
            static_cast<int64_t>((frames + paused * speed) * 1000)};
}

TEST(ClockRule, SlowedClockRefusedPausesAllowed) {
    EXPECT_EQ(clockTrouble(played(50, 0)), "");
    EXPECT_EQ(clockTrouble(played(50, 30)), "") << "a 30 s pause";
    EXPECT_EQ(clockTrouble(played(46, 600)), "") << "ten minutes away";
    EXPECT_NE(clockTrouble(played(50, 0, 0.5)), "") << "half speed";
    EXPECT_EQ(clockTrouble(played(45, 0, 0.75)), "") << "three quarters of the speed: within the slack";
    EXPECT_NE(clockTrouble(played(45, 0, 0.6)), "") << "the shortest fall 30 s slower";
    EXPECT_NE(clockTrouble(played(50, 0, 2)), "") << "double speed: frames longer than the wall time";
    EXPECT_NE(clockTrouble(played(50, 0, 1, 1, 30)), "") << "sent 30 s after its end";
    RoundTimes claimsLess = played(50, 0);
    claimsLess.realMs = 40000;
    EXPECT_NE(clockTrouble(claimsLess), "") << "real time shorter than its frames";
    EXPECT_NE(clockTrouble(played(50, 2000)), "") << "a ticket past its lifetime";
    RoundTimes early = played(1, 0);
    early.arrivedMs = kTicket - 1;
    EXPECT_NE(clockTrouble(early), "");
}

TEST(DayRule, TodayOrTheDayBefore) {
    const int32_t day = utcDay(kTicket);
    EXPECT_EQ(dayText(static_cast<uint32_t>(day)), "2026-12-10");
    EXPECT_EQ(dayTrouble(day, kTicket), "");
    EXPECT_EQ(dayTrouble(day - 1, kTicket), "");
    EXPECT_NE(dayTrouble(day + 1, kTicket), "");
    EXPECT_NE(dayTrouble(day - 2, kTicket), "");
    // A ticket taken a moment after midnight.
    EXPECT_EQ(dayTrouble(day, (static_cast<int64_t>(day) + 1) * 86400000), "");
    EXPECT_EQ(utcDay(-1), -1) << "before 1970";
    EXPECT_EQ(utcTimeText(kTicket + 3723000), "2026-12-10T13:02:03Z");
}

TEST(Tickets, SignedByTheBoardsKey) {
    const std::string key = randomToken(32);
    const std::string ticket = makeTicket(key, kTicket);
    EXPECT_EQ(ticket.size(), 43u);
    int64_t issued = 0;
    ASSERT_TRUE(readTicket(key, ticket, &issued));
    EXPECT_EQ(issued, kTicket);
    EXPECT_NE(makeTicket(key, kTicket), ticket) << "a random part";
    EXPECT_FALSE(readTicket(randomToken(32), ticket, &issued)) << "another board's";
    for (size_t i = 0; i < ticket.size(); ++i) {
        std::string changed = ticket;
        changed[i] = changed[i] == 'A' ? 'B' : 'A';
        EXPECT_FALSE(readTicket(key, changed, &issued)) << i;
    }
    EXPECT_FALSE(readTicket(key, ticket.substr(1), &issued));
    EXPECT_FALSE(readTicket(key, "", &issued));
    EXPECT_TRUE(wellFormedSecret(randomToken(kSecretBytes)));
    EXPECT_TRUE(wellFormedRoundId(randomToken(kRoundIdBytes)));
    EXPECT_FALSE(wellFormedRoundId("../../../../etc/"));
}

TEST(Pages, LanguageAndEscaping) {
    EXPECT_STREQ(pageLanguage("cs-CZ,cs;q=0.9,en;q=0.8").code, "cs");
    EXPECT_STREQ(pageLanguage("en-US,en;q=0.9,cs;q=0.8").code, "en");
    EXPECT_STREQ(pageLanguage("de, cs;q=0.5").code, "cs");
    EXPECT_STREQ(pageLanguage("CS").code, "cs");
    EXPECT_STREQ(pageLanguage("cs;q=0").code, "en");
    EXPECT_STREQ(pageLanguage("").code, "en");
    EXPECT_EQ(escapeHtml("<img src=x onerror=\"alert('1')\">&"),
              "&lt;img src=x onerror=&quot;alert(&#39;1&#39;)&quot;&gt;&amp;");
    const std::string page = dayPage(languageOf("en"), 20797, 20797, {{"AAAAAAAAAAAAAAAA", "<b>x</b>", 3, kTicket}});
    EXPECT_EQ(page.find("<b>"), std::string::npos);
    EXPECT_NE(page.find("&lt;b&gt;x&lt;/b&gt;"), std::string::npos);
    EXPECT_NE(dayJson(20797, {{"AAAAAAAAAAAAAAAA", "\"\\\n", 3, kTicket}}).find(R"("name":"\"\\\n")"),
              std::string::npos);
}

}  // namespace
