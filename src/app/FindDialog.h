#pragma once
// Find and Replace: one small window beside the editor, kept while the user searches.
// In Find the replace row is hidden. The window only collects what to look for; the main
// window does the finding.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tavu::app {

class FindDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FindDialog(QWidget* owner);

    // Shows the window for finding (replacing false) or replacing, what to find selected.
    void ShowFor(bool replacing, const QString& what);

    QString What() const;
    QString With() const;
    bool MatchCase() const;

signals:
    void FindNextRequested();
    void ReplaceRequested();
    void ReplaceAllRequested();
    // What to find changed.
    void WhatChanged();

private:
    QLineEdit* what_;
    QLabel* withLabel_;
    QLineEdit* with_;
    QCheckBox* matchCase_;
    QPushButton* findNext_;
    QPushButton* replace_;
    QPushButton* replaceAll_;
};

} // namespace tavu::app
