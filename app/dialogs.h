#pragma once

#include <optional>

#include <QColor>
#include <QString>
#include <QStringList>

class QWidget;

// Message boxes and the common file and colour dialogs. The windows ask
// through this so that tests can answer instead of an operator.
class Dialogs {
public:
    enum class Icon { None, Critical, Question, Warning, Information };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
    enum class Answer { Ok, Cancel, Yes, No, Retry };

    struct FileRequest {
        QString title;          // empty: the platform's default title
        QString folder;         // where the dialog opens
        QString filter;         // "Setup Files|*.txt", pairs separated by '|'
        QString fileName;       // preset name
        QString defaultSuffix;  // appended when the operator types none, e.g. "txt"
        bool confirmOverwrite = false;
        // Folders offered in the dialog's side bar, one click away.
        QStringList sidebar;
    };

    virtual ~Dialogs() = default;

    // A modal message box. An empty title shows the program's name.
    virtual Answer message(const QString& text, const QString& title, Icon icon,
                           Buttons buttons) = 0;

    // A modal message box whose buttons carry the program's own words
    // (`buttons`, left to right). Returns the index of the button chosen;
    // closing the box counts as choosing the one at `escapeIndex`.
    virtual int choose(const QString& text, const QString& title, Icon icon,
                       const QStringList& buttons, int escapeIndex) = 0;

    // Nothing when the operator cancels.
    virtual std::optional<QString> openFile(const FileRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileRequest& request) = 0;
    virtual std::optional<QColor> chooseColour(const QColor& initial) = 0;

    // A box with only an OK button that waits beside `parent` without
    // holding anything up: not modal, and it takes no keys from the window
    // in front (the operator may be in the middle of a question). It goes
    // when it is closed; `objectName` names it for whoever looks for it.
    // Stand-ins that do not override it show the real box.
    virtual void notice(const QString& text, Icon icon, QWidget* parent, const QString& objectName);

    // Shorthand for a message with only an OK button.
    void inform(const QString& text, const QString& title = QString(), Icon icon = Icon::None) {
        message(text, title, icon, Buttons::Ok);
    }
};

// The program's name, shown as the title of messages that have none.
inline QString programTitle() { return QStringLiteral("Torvanel"); }

// "Setup Files|*.txt|All Files|*.*" -> "Setup Files (*.txt);;All Files (*.*)".
QString qtFilterFrom(const QString& pipeFilter);
