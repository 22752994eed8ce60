// Whatever a setup file holds, the loaders either take all of it or stop
// with one of their messages, and what they applied before stopping is in
// the windows.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "app/controls.h"
#include "app/numbers.h"
#include "menu/filecommands.h"
#include "menu/loader.h"
#include "menu/setupmenu.h"
#include "options/formextrax.h"
#include "options/formoptions.h"
#include "play/playscreen.h"
#include "setup/setupreader.h"
#include "setup/setuptestfiles.h"
#include "setup/soundpaths.h"
#include "support/programfixture.h"
#include "title/forms.h"
#include "title/titleform.h"

using namespace setuptest;
using setup::SetupFileReader;
using setup::SetupRecord;

namespace {

const QString kOpenNotASetupFile =
    QStringLiteral("File corrupt or not Torvanel Setup File.  Loading default settings.");
const QString kOpenFailed = QStringLiteral(
    "The selected file failed to open.  Program will continue with current configuration.");
const QString kCreateFailed = QStringLiteral(
    "An error occured while attempting to initially create the set up file TVLSETUP.TXT.  "
    "Program will continue using its default setup values.");

class Files {
public:
    explicit Files(quint32 seed) : random_(seed) {}

    QByteArray next() {
        const int kind = random_.bounded(10);
        if (kind == 0) return noise();
        QByteArray bytes = valid();
        const int mutations = 1 + random_.bounded(3);
        for (int i = 0; i < mutations; ++i)
            bytes = mutate(bytes);
        return bytes;
    }

private:
    int below(int n) { return n <= 0 ? 0 : random_.bounded(n); }

    QByteArray valid() {
        QStringList lines = validLines();
        lines[1] = random_.bounded(2) ? "3" : "2";
        lines[2] = random_.bounded(2) ? "5" : "4";
        lines[3] = QStringLiteral("Team %1").arg(random_.bounded(1000));
        lines[34] = numbers::printNumber(random_.bounded(-1, 3));
        lines[41] = numbers::printNumber(random_.bounded(-1, 13));
        lines[27] = numbers::printNumber(random_.bounded(0, 0x1000000));
        return crlf(lines);
    }

    QByteArray junk() {
        static const char* const pool[] = {
            "",
            " 3 ",
            "-1",
            "99999",
            "1e308",
            "abc",
            "\xFF\xFE",
            " 2.5 ",
            "-32769",
            "nan",
            "inf",
            "--",
            " 1 ",
            "4294967296",
            "2",
            "-2",
            " 12 ",
            " 13 ",
            "\xC3\xA9t\xC3\xA9",
            "Z\xF6\x65",  // "Zöe" in Windows-1252
            "\t0",
            "0x10",
            "1,5",
            "C:\\x\\ringin.wav",
            "\0\0",
        };
        if (random_.bounded(4) == 0) {
            QByteArray digits;
            for (int i = below(12); i > 0; --i)
                digits += char('0' + random_.bounded(10));
            return digits;
        }
        return QByteArray(pool[below(int(std::size(pool)))]);
    }

    QByteArray noise() {
        QByteArray bytes;
        const char favourites[] = {'\r', '\n', ' ', '0', '1', '-', '.', 'e'};
        for (int i = below(1500); i > 0; --i) {
            bytes += random_.bounded(3) == 0 ? favourites[below(int(sizeof favourites))]
                                             : char(random_.bounded(256));
        }
        if (random_.bounded(3) == 0) bytes.prepend("Torvanel Setup File\r\n");
        return bytes;
    }

    QByteArray mutate(QByteArray bytes) {
        QList<QByteArray> lines = bytes.split('\n');
        switch (random_.bounded(9)) {
        case 0: return bytes.left(below(int(bytes.size()) + 1));
        case 1:
            if (lines.size() > 1) lines.removeAt(1 + below(int(lines.size()) - 1));
            break;
        case 2: {
            const int i = below(int(lines.size()));
            lines.insert(i, lines[i]);
            break;
        }
        case 3:
            if (!bytes.isEmpty()) bytes[below(int(bytes.size()))] = char(random_.bounded(256));
            return bytes;
        case 4: {
            QByteArray noise;
            for (int i = 1 + below(5); i > 0; --i) {
                const char pick[] = {'\r', '\n', '\0', char(0x80), char(0xE9), 'x', '7'};
                noise += pick[below(int(sizeof pick))];
            }
            bytes.insert(below(int(bytes.size()) + 1), noise);
            return bytes;
        }
        case 5:
            if (lines.size() > 1) lines[1 + below(int(lines.size()) - 1)] = junk() + '\r';
            break;
        case 6: bytes.replace("\r\n", random_.bounded(2) ? "\r" : "\n"); return bytes;
        case 7:
            if (random_.bounded(2)) {
                bytes.replace("Torvanel", "torvanel");
            } else {
                bytes.prepend("\xEF\xBB\xBF");
            }
            return bytes;
        case 8: bytes += junk() + "\r\n" + junk(); return bytes;
        }
        return lines.join('\n');
    }

    QRandomGenerator random_;
};

// The reader's verdict, which the loaders must match.
struct Expected {
    SetupFileReader::Header header;
    SetupRecord record;
    int stoppedAt = 0;  // 0: everything read
    QString reason;     // the error's description
};

Expected predict(const QByteArray& bytes, bool followsTeamCount) {
    const SetupFileReader reader(bytes);
    Expected e{reader.header(), {}, 0, {}};
    if (e.header == SetupFileReader::Header::Missing) {
        e.stoppedAt = 1;
        e.reason = reader.headerError().description();
        return e;
    }
    if (e.header == SetupFileReader::Header::Wrong) return e;
    for (int n = 2; n <= setup::kLineCount; ++n) {
        if (auto error = reader.readLine(n, e.record)) {
            e.stoppedAt = n;
            e.reason = error->description();
            return e;
        }
        if (n == 2 && followsTeamCount) {
            const auto index = numbers::toInt16(numbers::leadingNumber(e.record.text(2)) - 2);
            if (!index || *index < -1 || *index > 1) {
                e.stoppedAt = 2;
                e.reason = QStringLiteral("%1 (line 2)")
                               .arg(index ? QStringLiteral("Invalid property value")
                                          : QStringLiteral("Overflow"));
                return e;
            }
        }
    }
    return e;
}

// The lines before `end` are in the windows.
void expectApplied(TestProgram& t, const SetupRecord& r, int end, const QByteArray& bytes) {
    Forms& f = formsOf(*t);
    SetupMenu& menu5 = f.setupMenu(MenuKind::Players5);
    FormOptions& o = f.formOptions();
    QCheckBox* const boxes[] = {o.CheckScoringTabs,       o.CheckTimerTabs,
                                o.CheckBuzzonBonus,       o.CheckTimerContinues,
                                o.CheckDisableMatchTimer, o.CheckPlayerWaiting};
    const std::string file = bytes.toHex().toStdString();
    for (int n = 2; n < end; ++n) {
        QString actual, wanted = r.text(n);
        if (n == 2) actual = f.titleForm().TeamText->text();
        if (n == 3) actual = f.titleForm().PlayerText->text();
        if (n >= 4 && n <= 21) actual = menu5.Text[n - 4]->text();
        if (n == 22) actual = t->state.MatchTime;
        if (n >= 23 && n <= 26) actual = menu5.Texttimer[n - 16]->text();
        if (n == 27) actual = menu5.textincrement[0]->text();
        if (n == 30) actual = t->state.AlphaSound;
        if (n == 34) actual = t->state.GameOverSound;
        if (n == 30 || n == 34) wanted = setup::resolveSoundPath(r.text(n), t->paths.programFolder);
        if (n <= 27 || n == 30 || n == 34) {
            ASSERT_EQ(actual, wanted) << "line " << n << " of " << file;
        }
        if (n == 28) {
            ASSERT_EQ(f.playScreen(ScreenPair::P3_5).screenBackColour(), colourFromBgr(r.number(n)))
                << file;
        }
        if (n >= 36 && n <= 41) {
            ASSERT_EQ(checkValue(boxes[n - 36]), r.number(n)) << file;
        }
        if (n == 42) {
            ASSERT_EQ(f.formextrax().Comboxmitter->currentIndex(), r.number(n)) << file;
        }
        if (n == 44) {
            ASSERT_EQ(checkValue(o.Check20SecondTab), r.number(n)) << file;
        }
    }
}

}  // namespace

TEST(SetupRobustness, TheStartupLoaderTakesAWholeFileOrReportsOnce) {
    TestProgram t;
    Files files(20261208);
    int full = 0, wrongHeader = 0, stopped = 0;
    for (int i = 0; i < 2500; ++i) {
        const QByteArray bytes = files.next();
        const Expected e = predict(bytes, false);
        writeBytes(t->startupSetupFile(), bytes);
        t.dialogs.messages.clear();
        formsOf(*t).titleForm().setupfile();

        QStringList want;
        if (e.header == SetupFileReader::Header::Wrong) {
            want << kNotASetupFile;
            ++wrongHeader;
        } else if (e.stoppedAt != 0) {
            want << kReadingError;
            ++stopped;
        } else {
            ++full;
        }
        ASSERT_EQ(t.dialogs.texts(), want) << bytes.toHex().toStdString();
        if (e.header == SetupFileReader::Header::Valid) {
            expectApplied(t, e.record, e.stoppedAt ? e.stoppedAt : setup::kLineCount + 1, bytes);
        }
    }
    // The mix reaches every ending.
    EXPECT_GT(full, 100);
    EXPECT_GT(wrongHeader, 100);
    EXPECT_GT(stopped, 100);
}

TEST(SetupRobustness, OpenTakesAWholeFileOrReportsOnce) {
    TestProgram t;
    Files files(7);
    const QString path = QDir(t.programDir.path()).filePath("any.txt");
    for (int i = 0; i < 600; ++i) {
        const QByteArray bytes = files.next();
        const Expected e = predict(bytes, true);
        writeBytes(path, bytes);
        t.dialogs.messages.clear();
        t.dialogs.openAnswers = {path};
        setup::openSetupFile(
            *t, formsOf(*t).setupMenu(i % 2 ? MenuKind::Players4 : MenuKind::Players5));

        QStringList want;
        if (e.header == SetupFileReader::Header::Wrong) want << kOpenNotASetupFile;
        if (e.stoppedAt != 0) want << kOpenFailed + "\n" + e.reason + "\n";
        ASSERT_EQ(t.dialogs.texts(), want) << bytes.toHex().toStdString();
    }
}

TEST(SetupRobustness, FirstRunWritesAStartupFileUnlessThePresetIsBroken) {
    TestProgram t;
    Files files(99);
    const QString preset = QDir(t.programDir.path()).filePath("preset.txt");
    for (int i = 0; i < 300; ++i) {
        const QByteArray bytes = files.next();
        const Expected e = predict(bytes, false);
        writeBytes(preset, bytes);
        QFile::remove(t->startupSetupFile());
        t.dialogs.messages.clear();
        t.dialogs.openAnswers = {preset};
        formsOf(*t).titleForm().setupfile();

        const QString welcome = t.dialogs.texts().value(0);
        EXPECT_TRUE(welcome.startsWith("Thanks for chosing Torvanel."));
        QStringList want = {welcome};
        if (e.header == SetupFileReader::Header::Wrong) want << kNotASetupFile;
        if (e.stoppedAt != 0) want << kCreateFailed;
        ASSERT_EQ(t.dialogs.texts(), want) << bytes.toHex().toStdString();
        if (e.stoppedAt != 0) {
            ASSERT_FALSE(QFileInfo::exists(t->startupSetupFile()));
        } else {
            ASSERT_EQ(splitLines(readBytes(t->startupSetupFile())).size(), 45);
        }
    }
}
