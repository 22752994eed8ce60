#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "app/dialogs.h"

// Answers the program's questions from a script and records everything it
// showed. Without a scripted answer a box gets its way out (OK, Cancel, or
// No for Yes/No), so no test can hang on a question.
class ScriptedDialogs final : public Dialogs {
public:
    struct Shown {
        QString text;
        QString title;
        Icon icon;
        Buttons buttons;
        // The buttons of a choose() box, whose `buttons` then reads Ok.
        QStringList choices;
    };

    Answer message(const QString& text, const QString& title, Icon icon, Buttons buttons) override;
    int choose(const QString& text, const QString& title, Icon icon, const QStringList& buttons,
               int escapeIndex) override;
    std::optional<QString> openFile(const FileRequest& request) override;
    std::optional<QString> saveFile(const FileRequest& request) override;
    std::optional<QColor> chooseColour(const QColor& initial) override;

    // Scripted answers, used in order.
    std::deque<Answer> answers;
    // For choose(): the index of the button to choose; without one, the
    // box's way out.
    std::deque<int> choices;
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<QColor>> colourAnswers;

    // Called as each message is shown, before it is answered.
    std::function<void(const Shown&)> onMessage;

    std::vector<Shown> messages;
    std::vector<FileRequest> openRequests;
    std::vector<FileRequest> saveRequests;
    int colourRequests = 0;

    QStringList texts() const;
    // How many shown messages had exactly this text.
    int count(const QString& text) const;
};
