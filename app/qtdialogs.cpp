#include "app/qtdialogs.h"

#include <memory>
#include <vector>

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QUrl>

QString qtFilterFrom(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        filters << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), parts[i + 1].trimmed());
    }
    return filters.join(QStringLiteral(";;"));
}

// A box over the active window; without a title of its own it carries the
// program's name.
static void prepare(QMessageBox& box, const QString& text, const QString& title,
                    Dialogs::Icon icon) {
    using Icon = Dialogs::Icon;
    box.setWindowTitle(title.isEmpty() ? programTitle() : title);
    box.setText(text);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    }
}

void Dialogs::notice(const QString& text, Icon icon, QWidget* parent, const QString& objectName) {
    auto* box = new QMessageBox(parent);
    prepare(*box, text, QString(), icon);
    box->setStandardButtons(QMessageBox::Ok);
    box->setObjectName(objectName);
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->show();
}

Dialogs::Answer QtDialogs::message(const QString& text, const QString& title, Icon icon,
                                   Buttons buttons) {
    QMessageBox box(QApplication::activeWindow());
    prepare(box, text, title, icon);
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case Buttons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Retry: return Answer::Retry;
    default: break;
    }
    // Closing the box with Escape or its close button counts as its way out.
    return buttons == Buttons::Ok ? Answer::Ok
                                  : (buttons == Buttons::YesNo ? Answer::No : Answer::Cancel);
}

int QtDialogs::choose(const QString& text, const QString& title, Icon icon,
                      const QStringList& buttons, int escapeIndex) {
    QMessageBox box(QApplication::activeWindow());
    prepare(box, text, title, icon);
    std::vector<QPushButton*> added;
    for (const QString& label : buttons)
        added.push_back(box.addButton(label, QMessageBox::ActionRole));
    if (added.empty()) return escapeIndex;
    box.setDefaultButton(added.front());
    if (escapeIndex >= 0 && escapeIndex < static_cast<int>(added.size())) {
        box.setEscapeButton(added[static_cast<std::size_t>(escapeIndex)]);
    }
    box.exec();
    for (std::size_t i = 0; i < added.size(); ++i) {
        if (box.clickedButton() == added[i]) return static_cast<int>(i);
    }
    return escapeIndex;
}

namespace {
QFileDialog* prepare(const Dialogs::FileRequest& request, QFileDialog::AcceptMode mode) {
    auto* dialog = new QFileDialog(QApplication::activeWindow());
    dialog->setAcceptMode(mode);
    if (!request.title.isEmpty()) dialog->setWindowTitle(request.title);
    if (!request.folder.isEmpty()) dialog->setDirectory(request.folder);
    dialog->setNameFilter(qtFilterFrom(request.filter));
    if (!request.fileName.isEmpty()) dialog->selectFile(request.fileName);
    if (!request.defaultSuffix.isEmpty()) dialog->setDefaultSuffix(request.defaultSuffix);
    if (mode == QFileDialog::AcceptSave && !request.confirmOverwrite) {
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
    }
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                        : QFileDialog::AnyFile);
    if (!request.sidebar.isEmpty()) {
        // A desktop's own dialog keeps its own side bar; this one shows the
        // folders asked for.
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        QList<QUrl> places = dialog->sidebarUrls();
        for (const QString& folder : request.sidebar) {
            const QUrl place = QUrl::fromLocalFile(folder);
            if (!places.contains(place)) places << place;
        }
        dialog->setSidebarUrls(places);
    }
    return dialog;
}

std::optional<QString> run(QFileDialog* dialog) {
    std::unique_ptr<QFileDialog> owner(dialog);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QDir::toNativeSeparators(dialog->selectedFiles().constFirst());
}
}  // namespace

std::optional<QString> QtDialogs::openFile(const FileRequest& request) {
    return run(prepare(request, QFileDialog::AcceptOpen));
}

std::optional<QString> QtDialogs::saveFile(const FileRequest& request) {
    return run(prepare(request, QFileDialog::AcceptSave));
}

std::optional<QColor> QtDialogs::chooseColour(const QColor& initial) {
    const QColor colour = QColorDialog::getColor(initial, QApplication::activeWindow());
    if (!colour.isValid()) return std::nullopt;
    return colour;
}
