// The moderator's reader: the packet's text drawn as text (never as markup),
// the buzzes at their words, its keys and clicks turned into requests; a
// packet opened off the window thread, its warnings listed, saved as the
// field's JSON; and never a word of it in front of the audience.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include "live/livepage.h"
#include "live/liveprogram.h"
#include "menu/setupmenu.h"
#include "packet/packetjson.h"
#include "packet/packettext.h"
#include "packet/readerui.h"
#include "packet/readerwindow.h"
#include "play/playscreen.h"
#include "scoresheet/scoresheetui.h"
#include "support/programfixture.h"

namespace {

using packet::ReaderPage;
using packet::ReaderWindow;

QString fixture(const char* name) {
    return QDir(QStringLiteral(TORVANEL_PACKET_FIXTURES)).filePath(QLatin1String(name));
}

// The format of the document's character at `position`.
QTextCharFormat formatAt(const QTextDocument& document, int position) {
    QTextCursor c(const_cast<QTextDocument*>(&document));
    c.setPosition(position + 1);
    return c.charFormat();
}

void waitFor(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST(ReaderText, ThePacketsTextIsDrawnAsTextWithItsFormatsAndNothingElse) {
    struct Case {
        const char* formatted;
        const char* shown;   // the document's text
        const char* styled;  // a piece of `shown`, and how it looks
        enum Look { Bold, Underlined, Required, Italic, Sub, Sup, Power, Guide, Plain } look;
    };
    const Case cases[] = {
        {"A <b>bold</b> &amp; <u>under</u>", "A bold & under", "bold", Case::Bold},
        {"A <b>bold</b> &amp; <u>under</u>", "A bold & under", "under", Case::Underlined},
        {"<req>Kafka</req> or <em>K</em>", "Kafka or K", "Kafka", Case::Required},
        {"<req>Kafka</req> or <em>Kay</em>", "Kafka or Kay", "Kay", Case::Italic},
        {"<i>The Trial</i> by", "The Trial by", "Trial", Case::Italic},
        {"H<sub>2</sub>O and 10<sup>3</sup>", "H2O and 103", "2", Case::Sub},
        {"H<sub>2</sub>O and 10<sup>3</sup>", "H2O and 103", "3", Case::Sup},
        {"wrote (*) plays", "wrote (*) plays", "(*)", Case::Power},
        {"Chekhov (\"CHEH-koff\") wrote", "Chekhov (\"CHEH-koff\") wrote", "CHEH", Case::Guide},
        // Markup in a packet is shown or dropped, never followed: no picture
        // is loaded, no link made, escaped tags stay characters.
        {"<img src=\"/etc/x.png\">Hi <a href=\"http://x\">there</a> <script>go()</script>",
         "Hi there go()", "there", Case::Plain},
        {"&lt;b&gt;not bold&lt;/b&gt; &#8220;q&#8221;", "<b>not bold</b> \u201cq\u201d", "not",
         Case::Plain},
        {"line<br>break", "line break", "break", Case::Plain},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.formatted);
        QTextDocument document;
        const QString formatted = QString::fromUtf8(c.formatted);
        packet::drawFormatted(document, formatted, packet::numberWords(formatted), {}, 20);
        const QString shown = document.toPlainText();
        EXPECT_EQ(shown, QString::fromUtf8(c.shown));
        const int at = int(shown.indexOf(QString::fromUtf8(c.styled)));
        ASSERT_GE(at, 0);
        const QTextCharFormat f = formatAt(document, at);
        EXPECT_EQ(f.fontWeight() == QFont::Bold,
                  c.look == Case::Bold || c.look == Case::Power || c.look == Case::Required);
        EXPECT_EQ(f.fontUnderline(), c.look == Case::Underlined || c.look == Case::Required);
        EXPECT_EQ(f.fontItalic(), c.look == Case::Italic);
        EXPECT_EQ(f.verticalAlignment() == QTextCharFormat::AlignSubScript, c.look == Case::Sub);
        EXPECT_EQ(f.verticalAlignment() == QTextCharFormat::AlignSuperScript, c.look == Case::Sup);
        EXPECT_EQ(f.fontPointSize() < 20, c.look == Case::Guide);
        EXPECT_EQ(f.foreground().style() != Qt::NoBrush,
                  c.look == Case::Power || c.look == Case::Guide);
        for (QTextBlock b = document.begin(); b != document.end(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                EXPECT_FALSE(it.fragment().charFormat().isImageFormat());
                EXPECT_FALSE(it.fragment().charFormat().isAnchor());
            }
    }
}

std::shared_ptr<const packet::Packet> samplePacket() {
    packet::Packet p;
    p.name = QStringLiteral("Round 3");
    p.tossups.push_back({QStringLiteral("This <i>Czech</i> author (&quot;KAF-kuh&quot;) of "
                                        "<b>The Trial</b> wrote of (*) Gregor Samsa. Name him."),
                         QStringLiteral("Franz <u><b>Kafka</b></u>"),
                         1,
                         {},
                         {}});
    packet::Bonus b;
    b.leadin = QStringLiteral("Name these rivers, for 10 points each.");
    b.parts = {QStringLiteral("Through Cairo."), QStringLiteral("Through Baghdad."),
               QStringLiteral("The <i>Oxus</i>.")};
    b.answers = {QStringLiteral("<u>Nile</u>"), QStringLiteral("<u>Tigris</u>"),
                 QStringLiteral("<u>Amu Darya</u>")};
    b.values = {10, 10, 10};
    b.difficultyModifiers = {u'e', u'm', u'h'};
    p.bonuses.push_back(b);
    return std::make_shared<const packet::Packet>(std::move(p));
}

ReaderPage tossupPage(std::vector<packet::ReaderMark> marks, std::optional<int> moving) {
    ReaderPage page;
    page.packet = samplePacket();
    page.showing = ReaderPage::Showing::Tossup;
    page.questionNumber = 7;
    page.tossupIndex = 0;
    page.marks = std::move(marks);
    page.movingMark = moving;
    return page;
}

// Every word of the shown toss-up is found again under a click on it; the
// buzzes stand at their words with their names, the one awaiting its
// ruling apart from the ruled.
TEST(ReaderWindow, ClicksFindTheirWordsAndMarksStandAtTheirs) {
    ReaderWindow w({});
    w.resize(900, 700);
    w.show(tossupPage({{2, QStringLiteral("Ada"), 0, true, -5},
                       {8, QStringLiteral("Bo"), 1, false, std::nullopt}},
                      1));
    w.QWidget::show();
    QSignalSpy moved(&w, &ReaderWindow::markMoved);
    const packet::QuestionWords words = packet::numberWords(samplePacket()->tossups[0].question);
    const QString text = w.view->toPlainText();
    EXPECT_TRUE(w.heading->text().contains(QStringLiteral("Toss-up 7")));
    EXPECT_TRUE(text.contains(QStringLiteral("ANSWER: Franz Kafka")));
    // Ada's neg after "author", Bo's pending buzz after "Gregor".
    EXPECT_EQ(words.words[2].text, QStringLiteral("author"));
    EXPECT_EQ(words.words[8].text, QStringLiteral("Gregor"));
    EXPECT_TRUE(text.contains(QStringLiteral("author\u2009Ada -5\u2009")));
    EXPECT_TRUE(text.contains(QStringLiteral("Gregor\u2009\u25BC Bo ?\u2009")));
    const int gregor = int(text.indexOf(QStringLiteral("Gregor")));
    const int author = int(text.indexOf(QStringLiteral("author")));
    EXPECT_NE(formatAt(*w.view->document(), gregor).background(),
              formatAt(*w.view->document(), author).background());

    qsizetype from = 0;
    for (int i = 0; i < int(words.words.size()); ++i) {
        QTextCursor c(w.view->document());
        // The middle of the word as the window drew it.
        const int at = int(text.indexOf(words.words[std::size_t(i)].text, from));
        ASSERT_GE(at, 0) << i;
        from = at + 1;
        c.setPosition(at + int(words.words[std::size_t(i)].text.size()) / 2);
        const QPoint point = w.view->cursorRect(c).center();
        EXPECT_EQ(w.wordAt(point), i) << words.words[std::size_t(i)].text.toStdString();
        QMouseEvent click(QEvent::MouseButtonPress, QPointF(point), QPointF(point), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.view->viewport(), &click);
        ASSERT_EQ(moved.size(), 1);
        EXPECT_EQ(moved.takeLast().at(0).toInt(), i);
    }
}

TEST(ReaderWindow, KeysMoveTheMarkSizeTheTypeAskForAThrowOutOrGoToTheSheet) {
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("torvanel.ini"));
    const int last = packet::numberWords(samplePacket()->tossups[0].question).afterQuestion();
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        int markAt;
        int movedTo;  // -1: no request
        bool throwOut;
        bool handed;  // to the key handler
        double size;  // the type afterwards
    };
    const double d = ReaderWindow::kDefaultSize;
    const Case cases[] = {
        {Qt::Key_Right, Qt::NoModifier, 4, 5, false, false, d},
        {Qt::Key_Left, Qt::NoModifier, 4, 3, false, false, d},
        {Qt::Key_Left, Qt::NoModifier, 0, -1, false, false, d},
        {Qt::Key_Right, Qt::NoModifier, last - 1, last, false, false, d},
        {Qt::Key_Right, Qt::NoModifier, last, -1, false, false, d},
        {Qt::Key_T, Qt::ControlModifier, 4, -1, true, false, d},
        {Qt::Key_T, Qt::NoModifier, 4, -1, false, true, d},
        {Qt::Key_P, Qt::NoModifier, 4, -1, false, true, d},
        {Qt::Key_Space, Qt::NoModifier, 4, -1, false, true, d},
        {Qt::Key_F3, Qt::NoModifier, 4, -1, false, true, d},
        {Qt::Key_Plus, Qt::ControlModifier, 4, -1, false, false, d + 2},
        {Qt::Key_Minus, Qt::ControlModifier, 4, -1, false, false, d - 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        QFile::remove(settings);
        ReaderWindow w(settings);
        std::vector<int> handed;
        w.setKeyHandler([&handed](QKeyEvent* e) {
            handed.push_back(e->key());
            return true;
        });
        w.show(tossupPage({{c.markAt, QStringLiteral("Ada"), 0, false, std::nullopt}}, 0));
        QSignalSpy moved(&w, &ReaderWindow::markMoved);
        QSignalSpy thrown(&w, &ReaderWindow::throwOutRequested);
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers);
        QApplication::sendEvent(&w, &press);
        ASSERT_EQ(moved.size(), c.movedTo >= 0 ? 1 : 0);
        if (c.movedTo >= 0) {
            EXPECT_EQ(moved.at(0).at(0).toInt(), c.movedTo);
        }
        EXPECT_EQ(thrown.size(), c.throwOut ? 1 : 0);
        EXPECT_EQ(handed, c.handed ? std::vector<int>{c.key} : std::vector<int>{});
        EXPECT_EQ(w.pointSize(), c.size);
        // The size is kept for the next window, within bounds.
        EXPECT_EQ(ReaderWindow(settings).pointSize(), c.size);
    }
    ReaderWindow w(settings);
    w.setPointSize(500);
    EXPECT_EQ(ReaderWindow(settings).pointSize(), ReaderWindow::kLargestSize);
}

TEST(ReaderWindow, ABonusShowsEachPartWithItsValueAndAnswerAndThePartBeingRead) {
    ReaderWindow w({});
    ReaderPage page;
    page.packet = samplePacket();
    page.showing = ReaderPage::Showing::Bonus;
    page.questionNumber = 7;
    page.bonusIndex = 0;
    page.bonusPart = 1;
    w.show(page);
    const QString text = w.view->toPlainText();
    EXPECT_TRUE(w.heading->text().contains(QStringLiteral("Bonus 7")));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Name these rivers")));
    EXPECT_TRUE(text.contains(QStringLiteral("[10e] Through Cairo.\nANSWER: Nile\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\u25B6 [10m] Through Baghdad.\nANSWER: Tigris\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("[10h] The Oxus.\nANSWER: Amu Darya")));
    // The part being read, and only it, stands on a ground of its own.
    int marked = 0;
    for (QTextBlock b = w.view->document()->begin(); b.isValid(); b = b.next())
        if (b.blockFormat().background().style() != Qt::NoBrush) {
            ++marked;
            EXPECT_TRUE(b.text().contains(QStringLiteral("Baghdad")) ||
                        b.text().contains(QStringLiteral("Tigris")))
                << b.text().toStdString();
        }
    EXPECT_EQ(marked, 2);
}

// Match > Packet... reads the file off the window thread: a packet that
// cannot be used is explained; one with problems or warnings lists them in a
// window of their own, once; the reader shows its first toss-up; Save Packet
// as JSON writes what reads back as the same packet.
TEST(Reader, OpensAPacketListsItsWarningsOnceAndSavesItAsJson) {
    struct Case {
        const char* file;
        bool chosen;
        const char* message;  // a part of the explanation; nullptr: none
        const char* warning;  // a line of the warnings window; nullptr: none
    };
    const Case cases[] = {
        {"bench24.json", true, nullptr, nullptr},
        {"problems.docx", true, nullptr, "2"},
        {"sections.docx", true, nullptr, nullptr},
        {"notword.docx", false, "could not be used", nullptr},
        {"truncated.docx", false, "could not be used", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TestProgram t;
        packet::Reader* reader = &t.capabilities->reader();
        SetupMenu& menu = formsOf(*t).setupMenu(MenuKind::Players4);
        for (const char* item : {"mnuPacket", "mnuReader", "mnuSavePacketJson"})
            EXPECT_TRUE(menu.findChild<QAction*>(QLatin1String(item))) << item;

        t.dialogs.openAnswers.push_back(fixture(c.file));
        emit menu.mnuMatch->aboutToShow();
        EXPECT_FALSE(menu.findChild<QAction*>(QStringLiteral("mnuSavePacketJson"))->isEnabled());
        menu.findChild<QAction*>(QStringLiteral("mnuPacket"))->trigger();
        EXPECT_TRUE(reader->reading());
        waitFor([reader] { return !reader->reading(); });
        ASSERT_FALSE(reader->reading());
        EXPECT_EQ(reader->packet() != nullptr, c.chosen);
        if (c.message) {
            ASSERT_EQ(t.dialogs.messages.size(), 1u);
            EXPECT_TRUE(t.dialogs.messages[0].text.contains(QLatin1String(c.message)));
        } else {
            EXPECT_TRUE(t.dialogs.messages.empty());
        }
        QWidget* warnings = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("PacketWarnings") && w->isVisible()) warnings = w;
        ASSERT_EQ(warnings != nullptr, c.warning != nullptr);
        if (warnings) {
            const QString listed =
                warnings->findChild<QPlainTextEdit*>(QStringLiteral("warningList"))->toPlainText();
            EXPECT_TRUE(listed.contains(QLatin1String(c.warning))) << listed.toStdString();
            EXPECT_TRUE(listed.contains(QStringLiteral("Left out")));
            warnings->close();
        }
        if (!c.chosen) continue;
        ReaderWindow& window = reader->window();
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.page().tossupIndex, 0);
        EXPECT_TRUE(window.view->toPlainText().contains(
            packet::plainText(reader->packet()->tossups[0].question).left(20)));

        QTemporaryDir out;
        const QString saved = out.filePath(QStringLiteral("saved.json"));
        t.dialogs.saveAnswers.push_back(saved);
        emit menu.mnuMatch->aboutToShow();
        menu.findChild<QAction*>(QStringLiteral("mnuSavePacketJson"))->trigger();
        ASSERT_EQ(t.dialogs.saveRequests.size(), 1u);
        EXPECT_TRUE(t.dialogs.saveRequests[0].fileName.endsWith(QStringLiteral(".json")));
        const packet::PacketRead back = packet::readPacketFile(saved);
        ASSERT_TRUE(back.packet) << back.error.toStdString();
        EXPECT_EQ(packet::writePacketJson(*back.packet),
                  packet::writePacketJson(*reader->packet()));
        // The packet's own file is never written over.
        t.dialogs.saveAnswers.push_back(fixture(c.file));
        const QByteArray before = [&] {
            QFile f(fixture(c.file));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        EXPECT_FALSE(reader->saveAsJson());
        QFile f(fixture(c.file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
    }
}

// With a packet chosen and its toss-up on the reader, nothing the audience
// can see carries a word of a question or an answer: the play screen, the
// live page and its state, the stream files. The toss-up's number may.
TEST(Reader, NoWordOfThePacketReachesTheAudience) {
    TestProgram t(180);
    live::LiveProgram live(*t);
    QTemporaryDir files;
    live.hub().writeFilesTo(files.path());
    packet::Packet p;
    p.tossups.push_back({QStringLiteral("Zorblax quintessor (*) flimwick (&quot;FLIM-wik&quot;) "
                                        "the <b>vandrel</b> [Kessimore] of Omblestad."),
                         QStringLiteral("<u>Gorthane</u> [or Quarvish]"),
                         1,
                         {},
                         QStringLiteral("Yellamont, Trellquist")});
    packet::Bonus b;
    b.leadin = QStringLiteral("Plovian Dreskel.");
    b.parts = {QStringLiteral("Sezzmar Vontrick.")};
    b.answers = {QStringLiteral("<u>Ulquist</u>")};
    b.values = {10};
    p.bonuses.push_back(b);
    t.capabilities->reader().choosePacket(std::make_shared<const packet::Packet>(p),
                                          QStringLiteral("/tmp/round.json"));

    PlayScreen& screen = formsOf(*t).playScreen(ScreenPair::P2_4);
    SetupMenu& menu = formsOf(*t).setupMenu(MenuKind::Players4);
    menu.teamNameBox(0)->setText(QStringLiteral("Owls"));
    screen.show();
    screen.recordMatchStarted(QStringLiteral("start-up"));
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(screen.bscorelabel, &down);
    emit t->notifier().tossUpChanged(17);

    // Every word of the packet the audience might recognise.
    QStringList secret;
    auto collect = [&secret](const QString& formatted) {
        for (const QString& w : packet::plainText(formatted).split(
                 QRegularExpression(QStringLiteral("[^\\w]+")), Qt::SkipEmptyParts))
            if (w.size() >= 4) secret << w.toLower();
    };
    for (const packet::Tossup& q : p.tossups) {
        collect(q.question);
        collect(q.answer);
        collect(q.metadata);
    }
    collect(b.leadin);
    collect(b.parts[0]);
    collect(b.answers[0]);
    ASSERT_GE(secret.size(), 10);
    // They are on the operator's side.
    const QString reader = t.capabilities->reader().window().view->toPlainText().toLower();
    for (const QString& w : {QStringLiteral("zorblax"), QStringLiteral("gorthane")})
        EXPECT_TRUE(reader.contains(w));

    QString onScreen = screen.windowTitle();
    for (QLabel* l : screen.findChildren<QLabel*>())
        onScreen += u' ' + l->text();
    for (QAbstractButton* l : screen.findChildren<QAbstractButton*>())
        onScreen += u' ' + l->text();
    for (QLineEdit* l : screen.findChildren<QLineEdit*>())
        onScreen += u' ' + l->text();
    const QJsonObject state = live.hub().document();  // waits for the live thread
    QString streamed;
    waitFor([&] {
        QFile f(files.filePath(QStringLiteral("tossup.txt")));
        return f.open(QIODevice::ReadOnly) && f.readAll() == "17";
    });
    for (const QFileInfo& f : QDir(files.path()).entryInfoList(QDir::Files)) {
        QFile file(f.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        streamed += f.fileName() + u'=' + QString::fromUtf8(file.readAll()) + u'\n';
    }
    // The number is there: what is looked at is what the audience gets.
    EXPECT_TRUE(streamed.contains(QStringLiteral("tossup.txt=17")));
    EXPECT_EQ(state[QStringLiteral("tossup")].toInt(), 17);
    EXPECT_TRUE(onScreen.contains(QStringLiteral("Owls")));

    const struct {
        const char* what;
        QString text;
    } seen[] = {
        {"play screen", onScreen},
        {"live state", QString::fromUtf8(QJsonDocument(state).toJson())},
        {"live page", QString::fromUtf8(live::pageHtml())},
        {"stream files", streamed},
    };
    for (const auto& s : seen) {
        SCOPED_TRACE(s.what);
        const QString text = s.text.toLower();
        for (const QString& w : secret)
            EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("\\b%1\\b").arg(w))))
                << w.toStdString();
    }
}

}  // namespace
