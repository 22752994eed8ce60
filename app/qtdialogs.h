#pragma once

#include "app/dialogs.h"

// The real message boxes and dialogs.
class QtDialogs final : public Dialogs {
public:
    Answer message(const QString& text, const QString& title, Icon icon, Buttons buttons) override;
    int choose(const QString& text, const QString& title, Icon icon, const QStringList& buttons,
               int escapeIndex) override;
    std::optional<QString> openFile(const FileRequest& request) override;
    std::optional<QString> saveFile(const FileRequest& request) override;
    std::optional<QColor> chooseColour(const QColor& initial) override;
};
