#include "app/windowplaces.h"

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QWidget>

#include "app/program.h"

namespace places {

namespace {

constexpr char kOperatorWindow[] = "operatorWindow";
// Moves come in bursts while a window is dragged; the place is written once
// the window has stood still this long.
constexpr int kSaveDelayMs = 300;

QString settingsKey(const QString& key) { return QStringLiteral("windows/") + key; }

// Writes the window's place when it has been moved or resized, and at once
// when it is put away.
class PlaceKeeper final : public QObject {
public:
    PlaceKeeper(QWidget& window, QString file, QString key)
        : QObject(&window), window_(&window), file_(std::move(file)), key_(std::move(key)) {
        timer_.setSingleShot(true);
        timer_.setInterval(kSaveDelayMs);
        connect(&timer_, &QTimer::timeout, this, [this] { save(); });
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_) return false;
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            if (window_->isVisible()) timer_.start();
            break;
        case QEvent::Hide:
        case QEvent::Close:
            if (window_->isVisible() || timer_.isActive()) save();
            break;
        default: break;
        }
        return false;
    }

private:
    void save() {
        timer_.stop();
        if (!window_) return;
        QSettings settings(file_, QSettings::IniFormat);
        settings.setValue(settingsKey(key_), window_->saveGeometry());
        // The program may end at once (Exit), so the file is written now.
        settings.sync();
    }

    QPointer<QWidget> window_;
    QString file_;
    QString key_;
    QTimer timer_;
};

// The scale at which `design` fits `r`.
double fitScale(const QRect& r, const QSize& design) {
    if (r.isEmpty() || design.isEmpty()) return 0.0;
    return std::min(double(r.width()) / design.width(), double(r.height()) / design.height());
}

}  // namespace

bool oneDisplay() { return QGuiApplication::screens().size() <= 1; }

QRect freeRect(const QRect& area, const std::vector<QRect>& taken, const QSize& design) {
    // A largest free rectangle has each side on the area's edge or against
    // a taken one.
    std::vector<int> lefts{area.left()}, rights{area.right()}, tops{area.top()},
        bottoms{area.bottom()};
    for (const QRect& t : taken) {
        lefts.push_back(t.right() + 1);
        rights.push_back(t.left() - 1);
        tops.push_back(t.bottom() + 1);
        bottoms.push_back(t.top() - 1);
    }
    QRect best;
    double bestScale = 0.0;
    for (int l : lefts) {
        for (int r : rights) {
            for (int t : tops) {
                for (int b : bottoms) {
                    const QRect candidate(QPoint(l, t), QPoint(r, b));
                    if (candidate.isEmpty() || !area.contains(candidate)) continue;
                    if (std::any_of(taken.begin(), taken.end(),
                                    [&](const QRect& x) { return x.intersects(candidate); })) {
                        continue;
                    }
                    const double scale = fitScale(candidate, design);
                    const auto size = [](const QRect& x) { return qint64(x.width()) * x.height(); };
                    if (scale > bestScale || (scale == bestScale && size(candidate) > size(best))) {
                        best = candidate;
                        bestScale = scale;
                    }
                }
            }
        }
    }
    return best;
}

void markOperatorWindow(QWidget& window) { window.setProperty(kOperatorWindow, true); }

bool isOperatorWindow(const QWidget& window) { return window.property(kOperatorWindow).toBool(); }

std::vector<QRect> operatorWindowFrames(const QWidget* except) {
    std::vector<QRect> frames;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != except && w->isVisible() && isOperatorWindow(*w))
            frames.push_back(w->frameGeometry());
    }
    return frames;
}

void raiseOperatorWindows() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && !w->isMinimized() && isOperatorWindow(*w)) w->raise();
    }
}

QString settingsFile(const Program& program) {
    return QDir(program.paths.configFolder).filePath(QStringLiteral("torvanel.ini"));
}

bool hasKeptPlace(const Program& program, const QString& key) {
    return QSettings(settingsFile(program), QSettings::IniFormat).contains(settingsKey(key));
}

bool keepPlace(QWidget& window, const Program& program, const QString& key) {
    const QString file = settingsFile(program);
    const QByteArray kept =
        QSettings(file, QSettings::IniFormat).value(settingsKey(key)).toByteArray();
    // Qt puts a window whose display has gone onto one that is there.
    const bool restored = !kept.isEmpty() && window.restoreGeometry(kept);
    new PlaceKeeper(window, file, key);
    return restored;
}

void placeAtFoot(QWidget& window, bool left) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize size = window.frameGeometry().size();
    const int x = left ? area.left() : area.right() + 1 - size.width();
    const int y = area.bottom() + 1 - size.height();
    window.move(std::max(area.left(), x), std::max(area.top(), y));
}

void fitOnDisplay(QWidget& window) {
    QScreen* screen = window.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    // The frame is known once the window is on show; until then, none.
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    const QSize room = area.size() - frame;
    QSize size = window.size();
    if (size.width() > room.width() || size.height() > room.height()) {
        size = size.boundedTo(room).expandedTo(window.minimumSize());
        window.resize(size);
    }
    QRect frameRect(window.frameGeometry().topLeft(), size + frame);
    if (frameRect.right() > area.right()) frameRect.moveRight(area.right());
    if (frameRect.bottom() > area.bottom()) frameRect.moveBottom(area.bottom());
    if (frameRect.left() < area.left()) frameRect.moveLeft(area.left());
    if (frameRect.top() < area.top()) frameRect.moveTop(area.top());
    if (frameRect.topLeft() != window.frameGeometry().topLeft()) window.move(frameRect.topLeft());
}

void bringForward(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace places
