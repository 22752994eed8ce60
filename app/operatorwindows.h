#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <QKeySequence>
#include <QObject>
#include <QString>

class QWidget;

// A window for the operator that a capability offers, opened from the
// "&Match" menu of both set-up menus.
struct OperatorWindow {
    OperatorWindow(QString text_, QKeySequence shortcut_, std::function<void(QWidget*)> open_,
                   QString objectName_ = {}, QString statusTip_ = {},
                   std::function<bool()> enabled_ = {})
        : text(std::move(text_)),
          shortcut(std::move(shortcut_)),
          open(std::move(open_)),
          objectName(std::move(objectName_)),
          statusTip(std::move(statusTip_)),
          enabled(std::move(enabled_)) {}

    // The menu item, with its & accelerator: "&Check Buttons...".
    QString text;
    // May be empty.
    QKeySequence shortcut;
    // Opens (or raises) the window; `parent` is the set-up menu the item
    // was chosen from.
    std::function<void(QWidget* parent)> open;
    // The item's object name, which tests and scripts find it by.
    QString objectName;
    QString statusTip;
    // Whether the item can be chosen, asked each time the menu opens; unset,
    // always.
    std::function<bool()> enabled;
};

// The operator windows of every capability, in the order they were added.
// The menus list them after their own items, and pick up any added later.
class OperatorWindows final : public QObject {
    Q_OBJECT

public:
    void add(OperatorWindow entry) {
        entries_.push_back(std::move(entry));
        emit added(entries_.back());
    }
    const std::vector<OperatorWindow>& entries() const { return entries_; }

signals:
    void added(const OperatorWindow& entry);

private:
    std::vector<OperatorWindow> entries_;
};
