#include "app/windowplaces.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QWidget>

#include "app/matchscreen.h"
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

namespace {

QMargins ownFrame(const QWidget& window) {
    const QRect inner = window.geometry();
    const QRect outer = window.frameGeometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

}  // namespace

QMargins frameMargins(const QWidget& window) {
    // Known once the window has been on show; until then Qt reports none.
    if (window.frameGeometry() != window.geometry()) return ownFrame(window);
    for (QWidget* other : QApplication::topLevelWidgets()) {
        if (other == &window || !other->isVisible() || other->isFullScreen()) continue;
        if (other->frameGeometry() != other->geometry()) return ownFrame(*other);
    }
    // Without a window manager (an offscreen platform) there are no frames.
    if (QGuiApplication::platformName().startsWith(QLatin1String("offscreen"))) return {};
    return kTypicalFrame;
}

QRect footFrame(const QRect& area, const QSize& client, const QMargins& frame, bool left) {
    const QSize size = client.grownBy(frame);
    const int x = left ? area.left() : area.right() + 1 - size.width();
    const int y = area.bottom() + 1 - size.height();
    return {QPoint(std::max(area.left(), x), std::max(area.top(), y)), size};
}

QRect fitFrame(const QRect& area, const QRect& frameRect, const QMargins& frame,
               const QSize& minimum) {
    const QSize room = area.size().shrunkBy(frame);
    QSize client = frameRect.size().shrunkBy(frame);
    if (client.width() > room.width() || client.height() > room.height())
        client = client.boundedTo(room).expandedTo(minimum);
    QRect r(frameRect.topLeft(), client.grownBy(frame));
    if (r.right() > area.right()) r.moveRight(area.right());
    if (r.bottom() > area.bottom()) r.moveBottom(area.bottom());
    if (r.left() < area.left()) r.moveLeft(area.left());
    if (r.top() < area.top()) r.moveTop(area.top());
    return r;
}

QRect columnFrame(const QRect& area, const std::vector<QRect>& footFrames,
                  const QSize& screenDesign, Column part, int leastWidth) {
    // The band above the windows at the foot.
    int bottom = area.bottom();
    for (const QRect& f : footFrames)
        if (f.intersects(area)) bottom = std::min(bottom, f.top() - 1);
    const QRect band(area.topLeft(), QPoint(area.right(), bottom));
    if (band.isEmpty()) return {};
    // The play screen at its proportions the band's height; the column takes
    // the rest, but never less than a third of the band.
    const int screenWidth =
        screenDesign.isEmpty()
            ? band.width() / 2
            : int(std::ceil(double(screenDesign.width()) * band.height() / screenDesign.height()));
    const int least = std::min(
        band.width(), std::max({leastWidth, band.width() / 3, band.width() - screenWidth}));
    // Its left edge there, or further right past a window at the foot, so
    // that it reaches down to the windows below it alone: the larger wins.
    QRect column;
    std::vector<int> lefts{band.right() + 1 - least};
    for (const QRect& f : footFrames)
        if (f.right() + 1 > lefts.front() && area.right() - f.right() >= least)
            lefts.push_back(f.right() + 1);
    for (int left : lefts) {
        int foot = area.bottom();
        for (const QRect& f : footFrames)
            if (f.right() >= left && f.left() <= area.right()) foot = std::min(foot, f.top() - 1);
        const QRect candidate(QPoint(left, area.top()), QPoint(area.right(), foot));
        const auto size = [](const QRect& r) { return qint64(r.width()) * r.height(); };
        if (!candidate.isEmpty() && size(candidate) > size(column)) column = candidate;
    }
    if (column.isEmpty()) return {};
    const int upper = column.height() * 11 / 20;
    return part == Column::Upper
               ? QRect(column.topLeft(), QSize(column.width(), upper))
               : QRect(QPoint(column.left(), column.top() + upper), column.bottomRight());
}

void placeAtFoot(QWidget& window, bool left) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    window.move(footFrame(screen->availableGeometry(), window.size(), frameMargins(window), left)
                    .topLeft());
}

void placeInColumn(QWidget& window, Column part, const QSize& screenDesign) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    // The windows at the foot: the operator's on show that reach down to
    // the bottom third of the display.
    std::vector<QRect> foot;
    for (const QRect& f : operatorWindowFrames(&window))
        if (f.bottom() >= area.bottom() - area.height() / 3 &&
            f.top() > area.top() + area.height() / 4)
            foot.push_back(f);
    const QMargins frame = frameMargins(window);
    // The layout's least size holds once the window is on show.
    const QSize least = window.minimumSize().expandedTo(window.minimumSizeHint());
    const QRect frameRect =
        columnFrame(area, foot, screenDesign, part,
                    std::max(kColumnLeastWidth, least.width() + frame.left() + frame.right()));
    if (frameRect.isEmpty()) return;
    window.resize(frameRect.size().shrunkBy(frame).expandedTo(least));
    window.move(frameRect.topLeft());
}

QSize playScreenDesign(Program& program) {
    if (!program.windows().titleFormLoaded()) return {};
    const ScreenPair pair = program.windows().currentScreen();
    return program.windows().isLoaded(pair) ? program.windows().matchScreen(pair).designSize()
                                            : QSize();
}

void refitPlayScreens(Program& program) {
    for (ScreenPair s : kAllScreens)
        if (program.windows().isLoaded(s))
            program.windows().matchScreen(s).fitBesideOperatorWindows();
}

void fitOnDisplay(QWidget& window) {
    QScreen* screen = window.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QMargins frame = frameMargins(window);
    const QRect now(window.pos(), window.size().grownBy(frame));
    const QRect fitted = fitFrame(screen->availableGeometry(), now, frame, window.minimumSize());
    const QSize client = fitted.size().shrunkBy(frame);
    if (client != window.size()) window.resize(client);
    if (fitted.topLeft() != window.pos()) window.move(fitted.topLeft());
}

void bringForward(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace places
