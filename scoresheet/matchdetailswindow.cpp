#include "scoresheet/matchdetailswindow.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace scoresheet {

MatchDetailsWindow::MatchDetailsWindow(const MatchDetails& d, QString last,
                                       std::function<void(const MatchDetails&)> accepted,
                                       QWidget* parent)
    : QWidget(parent, Qt::Window), accepted_(std::move(accepted)) {
    setObjectName(QStringLiteral("MatchDetails"));
    setWindowTitle(QStringLiteral("Match Details"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto edit = [this](const QString& name, const QString& text) {
        auto* e = new QLineEdit(text, this);
        e->setObjectName(name);
        return e;
    };
    tournament = edit(QStringLiteral("tournament"), d.tournament);
    round = edit(QStringLiteral("round"), d.round);
    room = edit(QStringLiteral("room"), d.room);
    moderator = edit(QStringLiteral("moderator"), d.moderator);
    folder = edit(QStringLiteral("folder"), d.folder);
    round->setPlaceholderText(QStringLiteral("e.g. Round 3"));
    room->setPlaceholderText(QStringLiteral("e.g. Room 2"));
    browseButton = new QPushButton(QStringLiteral("&Browse..."), this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Tournament:"), tournament);
    form->addRow(QStringLiteral("&Round:"), round);
    form->addRow(QStringLiteral("R&oom:"), room);
    form->addRow(QStringLiteral("&Moderator:"), moderator);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder, 1);
    folderRow->addWidget(browseButton);
    // A row of two widgets gets no buddy of its own: without one the
    // accelerator would show as a literal "&".
    auto* folderLabel = new QLabel(QStringLiteral("Result &folder:"), this);
    folderLabel->setBuddy(folder);
    form->addRow(folderLabel, folderRow);

    lastResult = new QLabel(this);
    lastResult->setWordWrap(true);
    lastResult->setTextFormat(Qt::PlainText);  // a file name holds team names
    lastResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lastResult->setText(last.isEmpty() ? QStringLiteral("No result file written yet this run.")
                                       : QStringLiteral("Last result file: ") + last);
    auto* note = new QLabel(
        QStringLiteral("At the end of each match its result file is written to this folder as "
                       "\"<date> <round> <room> <team> vs <team>.result.qbj\"; a .partial.qbj "
                       "file there follows the match while it is played."),
        this);
    note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton = buttons->button(QDialogButtonBox::Ok);
    cancelButton = buttons->button(QDialogButtonBox::Cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(lastResult);
    layout->addWidget(buttons);
    resize(520, sizeHint().height());

    connect(buttons, &QDialogButtonBox::accepted, this, &MatchDetailsWindow::accept);
    // Not a dialog, so no default button: Enter in any box is OK.
    okButton->setDefault(true);
    for (QLineEdit* e : {tournament, round, room, moderator, folder})
        connect(e, &QLineEdit::returnPressed, okButton, &QPushButton::click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    connect(browseButton, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getExistingDirectory(
            this, QStringLiteral("Result Folder"), folder->text());
        if (!chosen.isEmpty()) folder->setText(chosen);
    });
}

MatchDetails MatchDetailsWindow::details() const {
    return {tournament->text().trimmed(), round->text().trimmed(), room->text().trimmed(),
            moderator->text().trimmed(), folder->text().trimmed()};
}

void MatchDetailsWindow::accept() {
    if (accepted_) accepted_(details());
    close();
}

}  // namespace scoresheet
