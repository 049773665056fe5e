#pragma once
// The load case scalars dialog: one box per subcase number present, starting with what
// was typed for it last (else "1.0"), modal over the summary window. OK fills the
// subcases' LoadScalars when every box holds a finite number.

#include "common/Analysis.h"

#include <QDialog>
#include <QVector>
#include <vector>

class QLineEdit;
class QPushButton;

namespace tavu::app {

class ScalarsDialog : public QDialog
{
    Q_OBJECT
public:
    ScalarsDialog(Analysis& a, QWidget* owner);

public slots:
    void accept() override;

private:
    Analysis& a_;
    std::vector<int> numbers_;
    QVector<QLineEdit*> boxes_;
};

} // namespace tavu::app
