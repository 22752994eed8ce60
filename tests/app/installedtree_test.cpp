// The program as `cmake --install` lays it out: the executable finds its
// shipped files and the USB control's plugin under the prefix it was
// installed to, wherever that is, and the desktop entry, icons and udev
// rules are where a desktop and udev look for them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "app/pluginobjecthost.h"
#include "app/programfolder.h"
#include "support/writefile.h"

namespace {

TEST(ProgramFolder, BuildTreeInstalledTreeOrTheFolderBuiltFor) {
    struct Case {
        const char* name;
        QStringList files;     // made under the temporary folder
        QString executableIn;  // relative to it
        QString expected;      // relative to it, or "fallback"
    };
    const Case cases[] = {
        {"build tree", {"build/bin/ringin.wav"}, "build/bin", "build/bin"},
        {"installed", {"prefix/share/torvanel/ringin.wav"}, "prefix/bin", "prefix/share/torvanel"},
        {"installed wins over files beside the executable",
         {"prefix/share/torvanel/ringin.wav", "prefix/bin/ringin.wav"},
         "prefix/bin",
         "prefix/share/torvanel"},
        {"a data folder without the wave files is not the program's",
         {"prefix/share/torvanel/generic-2-teams-of-4.txt"},
         "prefix/bin",
         "fallback"},
        {"nothing anywhere", {}, "bin", "fallback"},
    };
    for (const Case& c : cases) {
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        for (const QString& f : c.files)
            writeFile(root.filePath(f));
        QDir().mkpath(root.filePath(c.executableIn));
        const QString expected = c.expected == QLatin1String("fallback")
                                     ? QStringLiteral("/built/for/share/torvanel")
                                     : QDir::cleanPath(root.filePath(c.expected));
        EXPECT_EQ(findProgramFolder(root.filePath(c.executableIn),
                                    QStringLiteral("/built/for/share/torvanel")),
                  expected)
            << c.name;
    }
}

class InstalledTree : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        prefix_ = new QTemporaryDir;
        ASSERT_TRUE(prefix_->isValid());
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(TORVANEL_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(TORVANEL_BUILD_DIR),
                       QStringLiteral("--prefix"), prefix_->path()});
        ASSERT_TRUE(install.waitForFinished(120000));
        ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();
    }
    static void TearDownTestSuite() {
        delete prefix_;
        prefix_ = nullptr;
    }
    static QString path(const QString& relative) { return prefix_->filePath(relative); }

    static QTemporaryDir* prefix_;
};

QTemporaryDir* InstalledTree::prefix_ = nullptr;

TEST_F(InstalledTree, EveryFileIsInItsUsualPlace) {
    const char* const files[] = {
        "bin/torvanel",
        "share/torvanel/ringin.wav",
        "share/torvanel/ringout.wav",
        "share/torvanel/inactive.wav",
        "share/torvanel/sound528.wav",
        "share/torvanel/generic-2-teams-of-4.txt",
        "share/torvanel/generic-3-teams-of-4.txt",
        "share/torvanel/generic-3-teams-of-5.txt",
        "share/applications/torvanel.desktop",
        "share/icons/hicolor/16x16/apps/torvanel.png",
        "share/icons/hicolor/48x48/apps/torvanel.png",
        "share/icons/hicolor/256x256/apps/torvanel.png",
        "share/icons/hicolor/scalable/apps/torvanel.svg",
        "lib/udev/rules.d/60-torvanel.rules",
        "lib/udev/rules.d/61-torvanel-uaccess.rules",
        "share/metainfo/org.torvanel.Torvanel.metainfo.xml",
        "share/doc/torvanel/copyright",
        "share/doc/torvanel/COPYING",
    };
    for (const char* f : files)
        EXPECT_TRUE(QFileInfo(path(QString::fromLatin1(f))).isFile()) << f;
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("bin/torvanel"))).isExecutable());
    // Nothing of the build tree's own runtime folder comes along.
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("bin/ringin.wav"))));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("bin/plugins"))));

    QFile desktop(path(QStringLiteral("share/applications/torvanel.desktop")));
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
    const QList<QByteArray> entry = desktop.readAll().split('\n');
    EXPECT_EQ(entry.first(), "[Desktop Entry]");
    // The second action starts the simulation: the program never does on
    // its own.
    for (const QByteArray& line :
         {QByteArray("Type=Application"), QByteArray("Exec=torvanel"), QByteArray("Icon=torvanel"),
          QByteArray("Actions=practice;"), QByteArray("[Desktop Action practice]"),
          QByteArray("Name=Practice without a lockout box"),
          QByteArray("Exec=torvanel --interface sim")}) {
        EXPECT_TRUE(entry.contains(line)) << line.constData();
    }
}

TEST_F(InstalledTree, TheInstalledProgramFindsItsDataAndItsPlugin) {
    const QString bin = path(QStringLiteral("bin"));
    // Folders that do not exist stand for where the program was built to go,
    // so only what was found from the executable's folder counts.
    EXPECT_EQ(findProgramFolder(bin, QStringLiteral("/nonexistent/share/torvanel")),
              QDir::cleanPath(path(QStringLiteral("share/torvanel"))));

    PluginObjectHost host(PluginObjectHost::defaultFolders(
        bin, QStringLiteral(TORVANEL_PLUGIN_SUBDIR), QStringLiteral("/nonexistent/plugins")));
    const QString plugin = host.pluginFile(QStringLiteral("USB_ActiveX.USB"));
    EXPECT_EQ(QFileInfo(plugin).canonicalFilePath(),
              QFileInfo(path(QStringLiteral(TORVANEL_PLUGIN_SUBDIR "/" TORVANEL_USB_PLUGIN_NAME)))
                  .canonicalFilePath());
    const auto control = host.create(QStringLiteral("USB_ActiveX.USB"));
    ASSERT_NE(control, nullptr) << host.lastError().toStdString();
    EXPECT_GE(control->metaObject()->indexOfMethod("RD_P0()"), 0);
}

TEST_F(InstalledTree, TheInstalledProgramRuns) {
    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(path(QStringLiteral("bin/torvanel")), {QStringLiteral("--version")});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(program.readAll().contains(TORVANEL_VERSION));
}

}  // namespace
