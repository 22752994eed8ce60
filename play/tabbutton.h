#pragma once

#include <QPushButton>

// A button of the play screen that acts when it is pressed, with any mouse
// button, rather than when it is released. The second press of a quick
// double-click is a press like the first. It never takes the keyboard focus,
// so the space bar and the function keys stay the operator's.
class TabButton final : public QPushButton {
    Q_OBJECT

public:
    TabButton(const QString& text, QWidget* parent);

    void setDesignFont(const QString& family, double points);
    void setFontScale(double scale);

signals:
    void mouseDown(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QFont design_;
    double points_ = 8.25;
};
