#include "app/FindDialog.h"

#include "driver/Commands.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavu::app {

FindDialog::FindDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("findDialog"));
    setModal(false);

    auto* whatLabel = new QLabel(QString::fromLatin1(FindWhatText), this);
    what_ = new QLineEdit(this);
    what_->setObjectName(QStringLiteral("findWhat"));
    whatLabel->setBuddy(what_);
    withLabel_ = new QLabel(QString::fromLatin1(ReplaceWithText), this);
    with_ = new QLineEdit(this);
    with_->setObjectName(QStringLiteral("replaceWith"));
    withLabel_->setBuddy(with_);
    matchCase_ = new QCheckBox(QString::fromLatin1(MatchCaseText), this);
    matchCase_->setObjectName(QStringLiteral("matchCase"));

    findNext_ = new QPushButton(QString::fromLatin1(FindNextButtonText), this);
    findNext_->setObjectName(QStringLiteral("findNextButton"));
    findNext_->setDefault(true);
    replace_ = new QPushButton(QString::fromLatin1(ReplaceButtonText), this);
    replace_->setObjectName(QStringLiteral("replaceButton"));
    replaceAll_ = new QPushButton(QString::fromLatin1(ReplaceAllButtonText), this);
    replaceAll_->setObjectName(QStringLiteral("replaceAllButton"));
    auto* close = new QPushButton(QString::fromLatin1(CloseButtonText), this);
    close->setObjectName(QStringLiteral("closeButton"));
    for (QPushButton* b : {replace_, replaceAll_, close})
        b->setAutoDefault(false);

    auto* fields = new QGridLayout;
    fields->addWidget(whatLabel, 0, 0);
    fields->addWidget(what_, 0, 1);
    fields->addWidget(withLabel_, 1, 0);
    fields->addWidget(with_, 1, 1);
    fields->addWidget(matchCase_, 2, 0, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findNext_);
    buttons->addWidget(replace_);
    buttons->addWidget(replaceAll_);
    buttons->addWidget(close);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);

    connect(findNext_, &QPushButton::clicked, this, &FindDialog::FindNextRequested);
    connect(replace_, &QPushButton::clicked, this, &FindDialog::ReplaceRequested);
    connect(replaceAll_, &QPushButton::clicked, this, &FindDialog::ReplaceAllRequested);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(what_, &QLineEdit::textChanged, this, [this] {
        const bool any = !what_->text().isEmpty();
        for (QPushButton* b : {findNext_, replace_, replaceAll_})
            b->setEnabled(any);
        emit WhatChanged();
    });
    for (QPushButton* b : {findNext_, replace_, replaceAll_})
        b->setEnabled(false);
}

void FindDialog::ShowFor(bool replacing, const QString& what)
{
    setWindowTitle(QString::fromLatin1(replacing ? ReplaceTitle : FindTitle));
    for (QWidget* w : {static_cast<QWidget*>(withLabel_), static_cast<QWidget*>(with_),
                       static_cast<QWidget*>(replace_), static_cast<QWidget*>(replaceAll_)})
        w->setVisible(replacing);
    if (!what.isEmpty())
        what_->setText(what);
    adjustSize();
    show();
    raise();
    activateWindow();
    what_->setFocus();
    what_->selectAll();
}

QString FindDialog::What() const
{
    return what_->text();
}

QString FindDialog::With() const
{
    return with_->text();
}

bool FindDialog::MatchCase() const
{
    return matchCase_->isChecked();
}

} // namespace tavu::app
