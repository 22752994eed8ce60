#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

class Program;

// Whose handset the spare radio transmitter stands for. The selection is
// the whole state: entry k (0 to 11) is player k + 1, entry 12 is "None".
class Formextrax final : public QWidget {
    Q_OBJECT

public:
    explicit Formextrax(Program& program);

    void load() {}

    static constexpr int kNone = 12;

    QLabel* Label1;
    QComboBox* Comboxmitter;
    QPushButton* Command1;
};
