#pragma once

#include <array>
#include <cstdint>

#include <QString>
#include <QStringList>

// The setup file: 44 meaningful lines in a fixed order, then one empty line.
// Text lines are stored as they stand; numeric lines as numbers written in
// the print style (" 5 ", "-1 ").
namespace setup {

inline constexpr int kLineCount = 44;  // meaningful lines; the writers add an empty 45th
inline const QString kHeader = QStringLiteral("Torvanel Setup File");

// Line numbers, 1-based as the file counts them.
namespace line {
inline constexpr int Header = 1;
inline constexpr int Teams = 2;
inline constexpr int Players = 3;
inline constexpr int AlphaName = 4;   // then slots 1 to 5
inline constexpr int BetaName = 10;   // then slots 6 to 10
inline constexpr int GammaName = 16;  // then slots 11 to 15
inline constexpr int MatchTime = 22;
inline constexpr int TossUp = 23;
inline constexpr int Bonus = 24;
inline constexpr int TimeOut = 25;
inline constexpr int Auxiliary = 26;
inline constexpr int Increment = 27;
inline constexpr int BackColour = 28;
inline constexpr int TextColour = 29;
inline constexpr int AlphaSound = 30;
inline constexpr int BetaSound = 31;
inline constexpr int GammaSound = 32;
inline constexpr int TimerSound = 33;
inline constexpr int GameOverSound = 34;
inline constexpr int SoundSource = 35;
inline constexpr int ScoringTabs = 36;
inline constexpr int TimerTabs = 37;
inline constexpr int BuzzOnBonus = 38;
inline constexpr int TimerContinues = 39;
inline constexpr int DisableMatchTimer = 40;
inline constexpr int PlayerWaiting = 41;
inline constexpr int ExtraXmitter = 42;
inline constexpr int ScoreBoard = 43;
inline constexpr int TwentySecondTab = 44;
}  // namespace line

// What a line holds and how a reader takes it.
enum class LineKind {
    Header,
    Text,        // any text, as it stands
    Colour,      // a 0xBBGGRR number, rounded to 32 bits
    ListIndex,   // a list selection, rounded to 16 bits, within its list
    CheckValue,  // 0 cleared, 1 set, 2 greyed
};

LineKind lineKind(int line);
bool isNumericLine(int line);
// The values a list-index or check-value line may take.
int minimumValue(int line);
int maximumValue(int line);

// Team t (0 Alpha, 1 Beta, 2 Gamma) and its name line.
int teamNameLine(int team);
// Player slot 1 to 15 (stored in groups of five) and its line.
int slotLine(int slot);
// For a name line: the team whose name it is, or -1 for a player slot.
int teamOfNameLine(int line);
// For a name line: the player slot, or 0 for a team name.
int slotOfNameLine(int line);

// The 44 values of a setup file.
class SetupRecord {
public:
    // The values the windows carry before any file is applied.
    SetupRecord();

    QString text(int line) const { return text_.at(line); }
    void setText(int line, const QString& text) { text_.at(line) = text; }
    std::int32_t number(int line) const { return number_.at(line); }
    void setNumber(int line, std::int32_t value) { number_.at(line) = value; }

    // The 45 lines as a writer puts them in the file: the header, the
    // values, and the closing empty line. A line break inside a text value
    // would shift every later line, so it is written as a blank.
    QStringList fileLines() const;

    friend bool operator==(const SetupRecord&, const SetupRecord&) = default;

private:
    std::array<QString, kLineCount + 1> text_;
    std::array<std::int32_t, kLineCount + 1> number_{};
};

// A text value as it can be stored on one line.
QString withoutLineBreaks(const QString& text);

// The 45 lines joined into the file's bytes, each ended by CR LF, in
// Windows-1252 when every character has a place there and a reader would
// not take the bytes for UTF-8, else in UTF-8.
QByteArray fileBytes(const QStringList& lines);

}  // namespace setup
