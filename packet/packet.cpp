#include "packet/packet.h"

#include <QFile>
#include <QFileInfo>

#include "packet/docxpacket.h"
#include "packet/packetjson.h"
#include "packet/words.h"

namespace packet {

namespace {

template <typename Question>
QString label(const Question& q, std::size_t place) {
    return QString::number(q.number.value_or(static_cast<int>(place) + 1));
}

void sayOnce(QStringList* out, const QString& what, const QStringList& which) {
    if (!which.isEmpty()) *out << what + which.join(QStringLiteral(", ")) + u'.';
}

}  // namespace

QStringList packetWarnings(const Packet& packet, const PacketExpectations& expect) {
    QStringList noMark;
    QStringList noAnswer;
    for (std::size_t i = 0; i < packet.tossups.size(); ++i) {
        const Tossup& t = packet.tossups[i];
        if (expect.powers && numberWords(t.question).marks.empty()) noMark << label(t, i);
        if (t.answer.trimmed().isEmpty()) noAnswer << label(t, i);
    }
    QStringList partCount;
    QStringList answers;
    QStringList values;
    QStringList emptyAnswer;
    for (std::size_t i = 0; i < packet.bonuses.size(); ++i) {
        const Bonus& b = packet.bonuses[i];
        const QString n = label(b, i);
        const std::size_t parts = b.parts.size();
        if (expect.bonusParts > 0 && parts != static_cast<std::size_t>(expect.bonusParts))
            partCount << QStringLiteral("%1 (%2)").arg(n).arg(parts);
        if (b.answers.size() != parts)
            answers << QStringLiteral("%1 (%2 parts, %3 answers)")
                           .arg(n)
                           .arg(parts)
                           .arg(b.answers.size());
        if (b.values.size() != parts)
            values << QStringLiteral("%1 (%2 parts, %3 values)")
                          .arg(n)
                          .arg(parts)
                          .arg(b.values.size());
        for (const QString& a : b.answers) {
            if (a.trimmed().isEmpty()) {
                emptyAnswer << n;
                break;
            }
        }
    }
    QStringList out;
    sayOnce(&out, QStringLiteral("Toss-ups without a power mark (*): "), noMark);
    sayOnce(&out, QStringLiteral("Toss-ups without an answer: "), noAnswer);
    sayOnce(&out,
            QStringLiteral("Bonuses whose number of parts is not the rules' %1: ")
                .arg(expect.bonusParts),
            partCount);
    sayOnce(&out, QStringLiteral("Bonuses whose answers do not match their parts: "), answers);
    sayOnce(&out, QStringLiteral("Bonuses whose values do not match their parts: "), values);
    sayOnce(&out, QStringLiteral("Bonuses with a part without an answer: "), emptyAnswer);
    return out;
}

PacketRead readPacketFile(const QString& path, const PacketLimits& limits) {
    PacketRead read;
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (!file.open(QIODevice::ReadOnly)) {
        read.error =
            QStringLiteral("The packet %1 could not be opened: %2.").arg(name, file.errorString());
        return read;
    }
    if (file.size() > limits.fileBytes) {
        read.error = QStringLiteral("The packet %1 is too large (%2 MB; at most %3 MB).")
                         .arg(name)
                         .arg(file.size() / (1024 * 1024))
                         .arg(limits.fileBytes / (1024 * 1024));
        return read;
    }
    const QByteArray head = file.peek(8);
    if (looksLikeZip(head) || looksLikeOldWord(head)) {
        file.close();
        read = readDocxPacketFile(path, limits);
    } else {
        if (file.size() > limits.jsonBytes) {
            read.error = QStringLiteral("The packet %1 is too large (%2 MB; at most %3 MB).")
                             .arg(name)
                             .arg(file.size() / (1024 * 1024))
                             .arg(limits.jsonBytes / (1024 * 1024));
            return read;
        }
        read = readPacketJson(file.readAll(), limits);
    }
    if (read.packet && read.packet->name.isEmpty())
        read.packet->name = QFileInfo(path).completeBaseName();
    if (!read.error.isEmpty()) read.error = QStringLiteral("%1: %2").arg(name, read.error);
    return read;
}

}  // namespace packet
