#include "options/formextrax.h"

#include "app/controls.h"
#include "app/program.h"

Formextrax::Formextrax(Program& program) {
    (void)program;
    setObjectName(QStringLiteral("Formextrax"));
    setWindowTitle(QStringLiteral("Assign Extra Transmitter"));
    setFont(programFont(QStringLiteral("Arial"), 10));
    setFixedSize(twipsToPixels(3165), twipsToPixels(2040));

    Label1 = new QLabel(QStringLiteral("Extra transmitter will be assigned to the transmitter "
                                       "number selected from the drop-down box."),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setGeometry(twipsRect(120, 120, 2925, 735));

    Comboxmitter = new QComboBox(this);
    Comboxmitter->setObjectName(QStringLiteral("Comboxmitter"));
    for (int i = 1; i <= 12; ++i)
        Comboxmitter->addItem(QString::number(i));
    Comboxmitter->addItem(QStringLiteral("None"));
    Comboxmitter->setCurrentIndex(-1);
    Comboxmitter->setGeometry(twipsRect(840, 960, 1455, 360));

    Command1 = new QPushButton(QStringLiteral("Done"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twipsRect(960, 1440, 1215, 435));
    connect(Command1, &QPushButton::clicked, this, &QWidget::hide);
}
