#include "setup/setuprecord.h"

#include "app/numbers.h"
#include "setup/textcodec.h"

namespace setup {

LineKind lineKind(int l) {
    if (l == line::Header) return LineKind::Header;
    if (l == line::BackColour || l == line::TextColour) return LineKind::Colour;
    if (l == line::SoundSource || l == line::ExtraXmitter) return LineKind::ListIndex;
    if (l >= line::ScoringTabs && l <= kLineCount) return LineKind::CheckValue;
    return LineKind::Text;
}

bool isNumericLine(int l) {
    const LineKind k = lineKind(l);
    return k == LineKind::Colour || k == LineKind::ListIndex || k == LineKind::CheckValue;
}

int minimumValue(int l) {
    // A list index may be -1, nothing selected; everything else starts at 0.
    return lineKind(l) == LineKind::ListIndex ? -1 : 0;
}

int maximumValue(int l) {
    if (l == line::SoundSource) return 2;    // speaker, sound card, both
    if (l == line::ExtraXmitter) return 12;  // transmitters 1 to 12, then "None"
    if (lineKind(l) == LineKind::CheckValue) return 2;
    return 0;
}

int teamNameLine(int team) { return line::AlphaName + team * 6; }

int slotLine(int slot) {
    const int team = (slot - 1) / 5;
    return teamNameLine(team) + slot - team * 5;
}

int teamOfNameLine(int l) {
    if (l < line::AlphaName || l >= line::MatchTime) return -1;
    const int offset = l - line::AlphaName;
    return offset % 6 == 0 ? offset / 6 : -1;
}

int slotOfNameLine(int l) {
    if (l < line::AlphaName || l >= line::MatchTime) return 0;
    const int offset = l - line::AlphaName;
    if (offset % 6 == 0) return 0;
    return (offset / 6) * 5 + offset % 6;
}

SetupRecord::SetupRecord() {
    static const char* const kNames[] = {
        "Alpha", "One",  "Two", "Three", "Four",   "Five",   "Beta",     "Six",      "Seven",
        "Eight", "Nine", "Ten", "Gamma", "Eleven", "Twelve", "Thirteen", "Fourteen", "Fifteen",
    };
    text_[line::Header] = kHeader;
    text_[line::Teams] = QStringLiteral("2");
    text_[line::Players] = QStringLiteral("4");
    for (int i = 0; i < 18; ++i)
        text_[line::AlphaName + i] = QString::fromLatin1(kNames[i]);
    text_[line::MatchTime] = QStringLiteral("15:00");
    text_[line::TossUp] = QStringLiteral("5");
    text_[line::Bonus] = QStringLiteral("10");
    text_[line::TimeOut] = QStringLiteral("60");
    text_[line::Auxiliary] = QStringLiteral("60");
    text_[line::Increment] = QStringLiteral("1");
    number_[line::BackColour] = 0xFF0000;  // blue
    number_[line::TextColour] = 0x0000C0;  // dark red
    // Bare names of the shipped wave files: a reader takes them as the
    // shipped files wherever the program is installed.
    text_[line::AlphaSound] = QStringLiteral("ringin.wav");
    text_[line::BetaSound] = QStringLiteral("ringout.wav");
    text_[line::GammaSound] = QStringLiteral("ringin.wav");
    text_[line::TimerSound] = QStringLiteral("inactive.wav");
    text_[line::GameOverSound] = QStringLiteral("sound528.wav");
    number_[line::SoundSource] = -1;
    number_[line::ExtraXmitter] = 12;
}

QStringList SetupRecord::fileLines() const {
    QStringList lines;
    lines.reserve(kLineCount + 1);
    lines << kHeader;
    for (int l = 2; l <= kLineCount; ++l) {
        lines << (isNumericLine(l) ? numbers::printNumber(number_[l])
                                   : withoutLineBreaks(text_[l]));
    }
    lines << QString();
    return lines;
}

QString withoutLineBreaks(const QString& text) {
    QString single = text;
    single.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    single.replace(u'\r', u' ');
    single.replace(u'\n', u' ');
    return single;
}

QByteArray fileBytes(const QStringList& lines) {
    QString whole;
    for (const QString& l : lines) {
        whole += withoutLineBreaks(l);
        whole += QStringLiteral("\r\n");
    }
    // Windows-1252 bytes that happen to form UTF-8 ("Ã©" is C3 A9) would be
    // read back as UTF-8 and change the names; such text goes out as UTF-8,
    // which reads back as written.
    if (auto single = toWindows1252(whole)) {
        if (detectEncoding({*single}) == TextEncoding::Windows1252) return *single;
    }
    return whole.toUtf8();
}

}  // namespace setup
