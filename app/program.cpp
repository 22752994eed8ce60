#include "app/program.h"

#include <cstdio>
#include <cstdlib>

#include <QDir>

#include "menu/setupmenu.h"

Program::Program(PortLibrary& port_, Clock& clock_, SoundOutput& sound_, Dialogs& dialogs_,
                 Random& random_, ProgramPaths paths_)
    : port(port_),
      clock(clock_),
      sound(sound_),
      dialogs(dialogs_),
      random(random_),
      paths(std::move(paths_)),
      forms(*this) {}

Program::~Program() { forms.unloadAll(); }

QString Program::programFile(const QString& name) const {
    return QDir(paths.programFolder).filePath(name);
}

QString Program::startupSetupFile() const {
    return QDir(paths.configFolder).filePath(QStringLiteral("tvlsetup.txt"));
}

void Program::setInterfaceDescription(const QString& text, bool simulated) {
    interfaceDescription_ = text;
    simulated_ = simulated;
}

void Program::showDecision(const DecisionNote& note) {
    decision_ = note;
    for (MenuKind kind : {MenuKind::Players4, MenuKind::Players5}) {
        if (forms.isLoaded(kind)) forms.setupMenu(kind).showDecision(note.text);
    }
    QJsonObject data = note.details;
    data[QStringLiteral("text")] = note.text;
    recorder().record(record::EventKind::Decision, data);
}

void Program::clearDecision() {
    if (decision_ == DecisionNote{}) return;
    decision_ = DecisionNote{};
    for (MenuKind kind : {MenuKind::Players4, MenuKind::Players5}) {
        if (forms.isLoaded(kind)) forms.setupMenu(kind).showDecision(QString());
    }
}

void Program::endProgram() {
    if (endHandler_) {
        endHandler_();
        return;
    }
    // Nothing is saved on the way out, and the kernel releases the port and
    // any USB handles with the process, so there is nothing to wind down.
    std::fflush(nullptr);
    std::_Exit(0);
}
