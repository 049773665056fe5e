#include "app/ScalarsDialog.h"

#include "app/AppText.h"
#include "app/DialogUnits.h"
#include "driver/Commands.h"
#include "driver/Driver.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QValidator>

namespace tavu::app {

namespace {

// Accepts only what fits the box: the box does not scroll sideways.
class FitsBoxValidator : public QValidator
{
public:
    explicit FitsBoxValidator(QLineEdit* box) : QValidator(box), box_(box) {}

    State validate(QString& input, int&) const override
    {
        const int frame = box_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box_);
        const int room = box_->width() - 2 * frame - 5;
        return box_->fontMetrics().horizontalAdvance(input) <= room ? Acceptable : Invalid;
    }

private:
    QLineEdit* box_;
};

} // namespace

ScalarsDialog::ScalarsDialog(Analysis& a, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                         Qt::CustomizeWindowHint),
      a_(a)
{
    setObjectName(QStringLiteral("scalarsDialog"));
    setWindowTitle(QString::fromLatin1(ScalarsTitle));
    setModal(true);

    // One box for each subcase number present below ENDMODEL, labelled with the number.
    numbers_ = RecountSubcases(a);
    const int n = static_cast<int>(numbers_.size());
    const ScalarsDialogLayout layout = ScalarsLayout(n);

    const DialogUnits du(font());
    setFixedSize(du.ClientOfWindow(layout.width, layout.height));
    for (int k = 0; k < n; ++k) {
        const int number = numbers_[static_cast<std::size_t>(k)];
        auto* label = new QLabel(FromCore(SubcaseLabel(number)), this);
        label->setGeometry(du.Rect(layout.labels[static_cast<std::size_t>(k)]));
        auto* box = new QLineEdit(FromCore(ScalarBoxText(a, number)), this);
        box->setObjectName(QStringLiteral("scalar%1").arg(600 + k));
        box->setGeometry(du.Rect(layout.boxes[static_cast<std::size_t>(k)]));
        box->setValidator(new FitsBoxValidator(box));
        boxes_.push_back(box);
    }
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setGeometry(du.Rect(layout.ok));
    ok->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setGeometry(du.Rect(layout.cancel));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &ScalarsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ScalarsDialog::reject);
    if (!boxes_.isEmpty())
        boxes_.front()->setFocus();
}

void ScalarsDialog::accept()
{
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(boxes_.size()));
    for (const QLineEdit* box : boxes_)
        texts.push_back(ToCore(box->text()));
    // A box that holds no finite number is said, and the dialog stays open on it.
    if (const auto refused = ApplyScalarTexts(a_, numbers_, texts)) {
        QMessageBox::warning(this, QString::fromLatin1(ScalarsTitle),
                             FromCore(ScalarRefusedText(numbers_[*refused])));
        boxes_[static_cast<qsizetype>(*refused)]->setFocus();
        boxes_[static_cast<qsizetype>(*refused)]->selectAll();
        return;
    }
    QDialog::accept();
}

} // namespace tavu::app
