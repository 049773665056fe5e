#pragma once
// The load case scalars dialog: one box per subcase, "1.0" in each, modal over the
// summary window. OK fills LoadScalars by box position.

#include "common/Analysis.h"

#include <QDialog>
#include <QVector>

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
    QVector<QLineEdit*> boxes_;
};

} // namespace tavu::app
