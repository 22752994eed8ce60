#include "support/scripteddialogs.h"

#include <QStringList>

namespace {
template <class T>
std::optional<T> takeFront(std::deque<std::optional<T>>& queue) {
    std::optional<T> answer;
    if (!queue.empty()) {
        answer.swap(queue.front());
        queue.pop_front();
    }
    return answer;
}
}  // namespace

Dialogs::Answer ScriptedDialogs::message(const QString& text, const QString& title, Icon icon,
                                         Buttons buttons) {
    messages.push_back({text, title, icon, buttons, {}});
    if (onMessage) onMessage(messages.back());
    if (!answers.empty()) {
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::YesNo: return Answer::No;
    default: return Answer::Cancel;
    }
}

int ScriptedDialogs::choose(const QString& text, const QString& title, Icon icon,
                            const QStringList& buttons, int escapeIndex) {
    messages.push_back({text, title, icon, Buttons::Ok, buttons});
    if (onMessage) onMessage(messages.back());
    if (choices.empty()) return escapeIndex;
    const int chosen = choices.front();
    choices.pop_front();
    return chosen;
}

std::optional<QString> ScriptedDialogs::openFile(const FileRequest& request) {
    openRequests.push_back(request);
    return takeFront(openAnswers);
}

std::optional<QString> ScriptedDialogs::saveFile(const FileRequest& request) {
    saveRequests.push_back(request);
    return takeFront(saveAnswers);
}

std::optional<QColor> ScriptedDialogs::chooseColour(const QColor& initial) {
    (void)initial;
    ++colourRequests;
    return takeFront(colourAnswers);
}

QStringList ScriptedDialogs::texts() const {
    QStringList list;
    for (const Shown& s : messages)
        list << s.text;
    return list;
}

int ScriptedDialogs::count(const QString& text) const {
    int n = 0;
    for (const Shown& s : messages)
        n += s.text == text ? 1 : 0;
    return n;
}
