#include "app/program.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <QDir>

Program::Program(PortLibrary& port_, Clock& clock_, SoundOutput& sound_, Dialogs& dialogs_,
                 Random& random_, ProgramPaths paths_)
    : port(port_),
      clock(clock_),
      sound(sound_),
      dialogs(dialogs_),
      random(random_),
      paths(std::move(paths_)) {}

Program::~Program() = default;

ProgramWindows& Program::windows() const {
    if (!windows_) {
        std::fprintf(stderr, "torvanel: the windows were asked for before they were made\n");
        std::abort();
    }
    return *windows_;
}

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

void Program::MatchEvents::record(record::EventKind kind, const QJsonObject& data) {
    waiting_.emplace_back(kind, data);
    if (handing_) return;
    handing_ = true;
    while (!waiting_.empty()) {
        const auto [k, d] = std::move(waiting_.front());
        waiting_.pop_front();
        target->record(k, d);
        // A copy: an observer may stop observing from its own handler.
        const std::vector<record::MatchRecorder*> now = observers;
        for (record::MatchRecorder* o : now)
            o->record(k, d);
    }
    handing_ = false;
}

void Program::addMatchObserver(record::MatchRecorder& observer) {
    events_.observers.push_back(&observer);
}

void Program::removeMatchObserver(record::MatchRecorder& observer) {
    std::erase(events_.observers, &observer);
}

void Program::showDecision(const DecisionNote& note) {
    decision_ = note;
    emit notifier_.decisionChanged(note);
    QJsonObject data = note.details;
    data[QStringLiteral("text")] = note.text;
    recorder().record(record::EventKind::Decision, data);
}

void Program::clearDecision() {
    if (decision_ == DecisionNote{}) return;
    decision_ = DecisionNote{};
    emit notifier_.decisionChanged(decision_);
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
