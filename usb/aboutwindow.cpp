#include "usb/aboutwindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About"));
    setModal(true);

    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("Picture1"));
    picture_->setPixmap(picture());

    auto* text = new QVBoxLayout;
    const QStringList all = lines();
    for (int i = 0; i < all.size(); ++i) {
        auto* label = new QLabel(all[i], this);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        text->addWidget(label);
    }
    text->addStretch();

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(picture_, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

QStringList AboutWindow::lines() {
    // The first two lines end in a space, as they always have.
    return {QStringLiteral("USB ActiveX "),
            QStringLiteral("for Pennora "),
            QStringLiteral("USB Digital I/O Module (12 lines)"),
            QStringLiteral("ver 1.0"),
            QStringLiteral("Made by Fenwick Hollow Instruments"),
            QStringLiteral("17 Quarry Lane, Marrowby")};
}

QPixmap AboutWindow::picture() {
    // The module: a green board with the USB socket on its left edge and
    // its twelve I/O lines as pins along the bottom.
    QPixmap pixmap(96, 72);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF board(14, 8, 76, 48);
    p.setPen(QPen(QColor(0x0B, 0x4D, 0x22), 1.5));
    p.setBrush(QColor(0x1F, 0x8A, 0x3E));
    p.drawRoundedRect(board, 4, 4);

    // USB-B socket.
    p.setPen(QPen(QColor(0x55, 0x55, 0x55), 1));
    p.setBrush(QColor(0xC8, 0xC8, 0xC8));
    p.drawRect(QRectF(4, 20, 16, 18));
    p.setBrush(QColor(0x30, 0x30, 0x30));
    p.drawRect(QRectF(8, 24, 8, 10));

    // The controller chip.
    p.setBrush(QColor(0x22, 0x22, 0x22));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(40, 18, 26, 20));
    p.setPen(QPen(QColor(0xB0, 0xB0, 0xB0), 1));
    for (int i = 0; i < 5; ++i) {
        const double x = 43 + i * 5;
        p.drawLine(QPointF(x, 16), QPointF(x, 18));
        p.drawLine(QPointF(x, 38), QPointF(x, 40));
    }

    // Twelve pins: eight of P0, four of P1.
    for (int i = 0; i < 12; ++i) {
        const double x = 22 + i * 5.5;
        p.setPen(Qt::NoPen);
        p.setBrush(i < 8 ? QColor(0xE0, 0xB0, 0x30) : QColor(0xD0, 0xD0, 0xD0));
        p.drawRect(QRectF(x, 56, 3, 10));
    }

    // Power lamp.
    p.setBrush(QColor(0xFF, 0x40, 0x30));
    p.drawEllipse(QPointF(80, 16), 3, 3);
    return pixmap;
}
