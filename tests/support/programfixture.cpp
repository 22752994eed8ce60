#include "support/programfixture.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>

#include "shell/capabilities.h"
#include "title/forms.h"
#include "title/titleform.h"

TestProgram::TestProgram(int model, std::uint16_t portAddress) : box(model, clock, portAddress) {
    const QDir sounds(QStringLiteral(TORVANEL_SOUNDS_DIR));
    for (const QString& name : sounds.entryList({QStringLiteral("*.wav")}, QDir::Files)) {
        QFile::copy(sounds.filePath(name), QDir(programDir.path()).filePath(name));
    }
    program = std::make_unique<Program>(box, clock, sound, dialogs, random,
                                        ProgramPaths{programDir.path(), configDir.path()});
    forms = std::make_unique<Forms>(*program);
    capabilities = std::make_unique<Capabilities>(*program);
    program->addMatchObserver(formatCheck);
    program->setEndHandler([this] {
        ++ends;
        throw ProgramEnded{};
    });
}

void TestProgram::FormatCheck::record(record::EventKind kind, const QJsonObject& data) {
    const QStringList documented = record::kindKeys(kind);
    for (const QString& key : data.keys()) {
        if (!documented.contains(key)) undocumented << record::kindName(kind) + u'.' + key;
    }
}

TestProgram::~TestProgram() {
    EXPECT_TRUE(formatCheck.undocumented.isEmpty())
        << "recorded but not in the record's format (app/matchrecorder.h): "
        << formatCheck.undocumented.join(QStringLiteral(", ")).toStdString();
    capabilities.reset();
    forms.reset();
    program.reset();
    flushDeletes();
}

bool TestProgram::startUp() {
    try {
        return formsOf(*program).titleForm().startUp();
    } catch (const ProgramEnded&) {
        return false;
    }
}

void TestProgram::flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
