#include "link/decisionline.h"

#include <QJsonArray>
#include <QStringList>

namespace buzzlink {

QString decisionText(const Decision& decision, const std::function<QString(int)>& name) {
    if (decision.kind == buzzlink::Decision::Kind::Waiting) {
        if (decision.player > 0) {
            return QStringLiteral("Second place: %1 is waiting.").arg(name(decision.player));
        }
        return QStringLiteral("Second place: transmitter %1 is waiting (no player).")
            .arg(decision.transmitter);
    }
    QStringList together;
    for (int p : decision.pressed)
        together << name(p);
    return QStringLiteral("Tie: %1 pressed together; %2 was drawn.")
        .arg(together.join(QStringLiteral(", ")), name(decision.player));
}

DecisionNote decisionNote(const Decision& decision, const std::function<QString(int)>& name) {
    QJsonObject data;
    const bool tie = decision.kind == buzzlink::Decision::Kind::Tie;
    data[QStringLiteral("kind")] = tie ? QStringLiteral("tie") : QStringLiteral("waiting");
    if (tie) {
        QJsonArray pressed;
        for (int p : decision.pressed)
            pressed.append(p);
        data[QStringLiteral("pressed")] = pressed;
        data[QStringLiteral("drawn")] = decision.player;
    } else {
        data[QStringLiteral("player")] = decision.player;
        data[QStringLiteral("transmitter")] = decision.transmitter;
    }
    if (decision.player > 0) data[QStringLiteral("name")] = name(decision.player);
    return DecisionNote{decisionText(decision, name), data};
}

}  // namespace buzzlink
