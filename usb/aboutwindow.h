#pragma once

#include <QDialog>

class QLabel;
class QPixmap;
class QPushButton;

// The control's About window: a picture of the module and the lines that
// name the control, the module and its maker.
class AboutWindow : public QDialog {
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* parent = nullptr);

    // The text lines in the order shown.
    static QStringList lines();

    // The picture, drawn here so that the control ships no image files.
    static QPixmap picture();

    QLabel* pictureLabel() const { return picture_; }
    QPushButton* okButton() const { return ok_; }

private:
    QLabel* picture_;
    QPushButton* ok_;
};
