#include "support/programfixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>

#include "app/titleform.h"

TestProgram::TestProgram(int model, std::uint16_t portAddress) : box(model, clock, portAddress) {
    const QDir sounds(QStringLiteral(TORVANEL_SOUNDS_DIR));
    for (const QString& name : sounds.entryList({QStringLiteral("*.wav")}, QDir::Files)) {
        QFile::copy(sounds.filePath(name), QDir(programDir.path()).filePath(name));
    }
    program = std::make_unique<Program>(box, clock, sound, dialogs, random,
                                        ProgramPaths{programDir.path(), configDir.path()});
    program->setEndHandler([this] {
        ++ends;
        throw ProgramEnded{};
    });
}

TestProgram::~TestProgram() {
    program.reset();
    flushDeletes();
}

bool TestProgram::startUp() {
    try {
        return program->forms.titleForm().startUp();
    } catch (const ProgramEnded&) {
        return false;
    }
}

void TestProgram::flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
