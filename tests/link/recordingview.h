// A play screen stand-in for the link: records what the link showed and
// asked, answers the Retry/Cancel question from a script (Cancel once the
// script is used up), and hands out the settings a test sets.
#pragma once

#include <deque>
#include <vector>

#include "link/screenlink.h"

struct RecordingView final : buzzlink::LinkView {
    std::vector<int> diagnostics;
    int communicationProblems = 0;
    int retryQuestions = 0;
    std::deque<bool> retryAnswers;
    buzzlink::ScreenSettings screenSettings;
    std::vector<buzzlink::Responder> shown;
    int stops = 0;
    int ends = 0;

    void showDiagnostic(int value) override { diagnostics.push_back(value); }
    void reportCommunicationProblem() override { ++communicationProblems; }
    bool askRetry() override {
        ++retryQuestions;
        if (retryAnswers.empty()) return false;
        const bool retry = retryAnswers.front();
        retryAnswers.pop_front();
        return retry;
    }
    buzzlink::ScreenSettings settings() override { return screenSettings; }
    void showResponder(const buzzlink::Responder& r) override { shown.push_back(r); }
    void stopPolling() override { ++stops; }
    void endProgram() override { ++ends; }

    std::vector<int> shownPlayers() const {
        std::vector<int> players;
        for (const auto& r : shown)
            players.push_back(r.player);
        return players;
    }
};
