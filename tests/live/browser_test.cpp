// The live page in a real browser: it shows the match and follows it
// without being reloaded.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include "live/livehub.h"
#include "support/headlessbrowser.h"

namespace {

using record::EventKind;

// With TORVANEL_SCREENSHOT_DIR set, the pictures are kept there to look at.
void keep(const QByteArray& png, const char* name) {
    const QString dir = qEnvironmentVariable("TORVANEL_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    QFile f(QDir(dir).filePath(QLatin1String(name)));
    if (f.open(QIODevice::WriteOnly)) f.write(png);
}

QString text(const char* selector) {
    return QStringLiteral("(document.querySelector('%1') || {}).textContent")
        .arg(QLatin1String(selector));
}

TEST(LivePage, FollowsTheMatchInChromium) {
    if (HeadlessBrowser::executable().isEmpty())
        GTEST_SKIP() << "chromium is not installed (apt-get install chromium): the live page "
                        "was not tried in a browser";
    live::LiveHub hub;
    hub.record(EventKind::MatchStarted,
               {{QStringLiteral("screen"), QStringLiteral("2_4")},
                {QStringLiteral("teams"),
                 QJsonArray{QStringLiteral("Northside Owls"), QStringLiteral("Riverside Larks")}},
                {QStringLiteral("scores"), QJsonArray{20, 5}},
                {QStringLiteral("clock"), 900}});
    hub.record(EventKind::ClockStarted, {{QStringLiteral("left"), 900}});
    hub.record(EventKind::TimerStarted, {{QStringLiteral("kind"), QStringLiteral("toss-up")},
                                         {QStringLiteral("seconds"), 5}});
    hub.writeFilesTo(QString());
    live::ServeChoice choice;
    choice.port = 0;
    ASSERT_FALSE(hub.serve(choice));
    const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(hub.port());

    HeadlessBrowser browser;
    QString error;
    ASSERT_TRUE(browser.start(url, &error)) << error.toStdString();
    EXPECT_TRUE(browser.waitFor(text("#team1 .tname"), QStringLiteral("Northside Owls"), 20000));
    EXPECT_TRUE(browser.waitFor(text("#team2 .tname"), QStringLiteral("Riverside Larks")));
    // The clock counts down by itself between events.
    const QString shown = browser.evaluate(text("#clock")).toString();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("14:"))) << shown.toStdString();
    EXPECT_TRUE(
        browser.waitFor(text("#clock") + QStringLiteral(" !== '%1'").arg(shown), true, 3000));
    browser.evaluate(QStringLiteral("window.sameLoad = 'yes'"));

    hub.record(EventKind::ScoreChanged,
               {{QStringLiteral("team"), 1},
                {QStringLiteral("name"), QStringLiteral("Riverside Larks")},
                {QStringLiteral("before"), 5},
                {QStringLiteral("after"), 15}});
    EXPECT_TRUE(browser.waitFor(text("#team2 .score"), QStringLiteral("15")));
    hub.record(EventKind::BuzzIn, {{QStringLiteral("player"), 2},
                                   {QStringLiteral("name"), QStringLiteral("Cara Diaz")},
                                   {QStringLiteral("team"), 0},
                                   {QStringLiteral("teamName"), QStringLiteral("Northside Owls")}});
    hub.record(EventKind::TimerStopped,
               {{QStringLiteral("kind"), QStringLiteral("toss-up")}, {QStringLiteral("left"), 3}});
    EXPECT_TRUE(browser.waitFor(text("#name"), QStringLiteral("Cara Diaz")));
    EXPECT_TRUE(browser.waitFor(
        QStringLiteral("document.getElementById('team1').classList.contains('buzzed')"), true));
    EXPECT_TRUE(browser.waitFor(text("#timer"), QStringLiteral("3")));
    // Followed, not reloaded.
    EXPECT_EQ(browser.evaluate(QStringLiteral("window.sameLoad")),
              QJsonValue(QStringLiteral("yes")));
    // Nothing came from anywhere but the program.
    EXPECT_EQ(browser.evaluate(QStringLiteral("performance.getEntriesByType('resource').filter(e "
                                              "=> !e.name.startsWith(location.origin)).length")),
              QJsonValue(0));
    const QByteArray page = browser.screenshot();
    EXPECT_TRUE(page.startsWith("\x89PNG"));
    keep(page, "live-page.png");

    // The variants: a transparent lower third, and the board for a big screen.
    ASSERT_TRUE(browser.navigate(url + QStringLiteral("?overlay")));
    EXPECT_TRUE(browser.waitFor(text("#name"), QStringLiteral("Cara Diaz")));
    EXPECT_EQ(browser.evaluate(QStringLiteral("getComputedStyle(document.body).backgroundColor")),
              QJsonValue(QStringLiteral("rgba(0, 0, 0, 0)")));
    keep(browser.screenshot(), "live-overlay.png");
    ASSERT_TRUE(browser.navigate(url + QStringLiteral("?big")));
    EXPECT_TRUE(browser.waitFor(text("#team2 .score"), QStringLiteral("15")));
    EXPECT_EQ(browser.evaluate(QStringLiteral("document.body.className")),
              QJsonValue(QStringLiteral("big")));
    keep(browser.screenshot(), "live-big.png");
}

// On a phone held upright (390 by 844 CSS pixels) three boards, long names,
// a toss-up number and a buzz all fit the screen: nothing to scroll sideways
// or down to.
TEST(LivePage, FitsAPhoneHeldUpright) {
    if (HeadlessBrowser::executable().isEmpty())
        GTEST_SKIP() << "chromium is not installed (apt-get install chromium)";
    live::LiveHub hub;
    hub.record(EventKind::MatchStarted,
               {{QStringLiteral("screen"), QStringLiteral("3_4")},
                {QStringLiteral("teams"), QJsonArray{QStringLiteral("Northside Academy Owls"),
                                                     QStringLiteral("Riverside Larks"),
                                                     QStringLiteral("St. Bartholomew's Bats")}},
                {QStringLiteral("scores"), QJsonArray{-120, 1345, 80}},
                {QStringLiteral("clock"), 900}});
    hub.setTossUp(17);
    hub.record(EventKind::BuzzIn,
               {{QStringLiteral("player"), 2},
                {QStringLiteral("name"), QStringLiteral("Alexandrina Montgomery")},
                {QStringLiteral("team"), 0},
                {QStringLiteral("teamName"), QStringLiteral("Northside Academy Owls")}});
    live::ServeChoice choice;
    choice.port = 0;
    ASSERT_FALSE(hub.serve(choice));
    HeadlessBrowser browser;
    QString error;
    ASSERT_TRUE(browser.start(QStringLiteral("http://127.0.0.1:%1/").arg(hub.port()), &error,
                              QSize(390, 844)))
        << error.toStdString();
    browser.emulatePhone(QSize(390, 844));
    ASSERT_TRUE(browser.waitFor(text("#team3 .score"), QStringLiteral("80"), 20000));
    EXPECT_TRUE(browser.waitFor(text("#tossup"), QStringLiteral("Toss-up 17")));
    EXPECT_EQ(browser.evaluate(QStringLiteral("innerWidth")), QJsonValue(390));
    const QString overflow = QStringLiteral(
        "[...document.querySelectorAll('body *')].filter(e => { const r = "
        "e.getBoundingClientRect(); return r.width > 0 && (r.right > innerWidth + 0.5 || "
        "r.bottom > innerHeight + 0.5); }).map(e => e.id || e.className).join(' ')");
    EXPECT_EQ(browser.evaluate(overflow), QJsonValue(QString())) << "out of the screen";
    keep(browser.screenshot(), "live-phone.png");
}

}  // namespace
