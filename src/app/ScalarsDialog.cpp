#include "app/ScalarsDialog.h"

#include "app/AppText.h"
#include "app/DialogUnits.h"
#include "driver/Commands.h"
#include "driver/Driver.h"

#include <QLabel>
#include <QLineEdit>
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

    // The boxes follow the count of the split text; the dialog then counts the SUBCASE
    // records after ENDMODEL itself, and that count decides how many boxes are read.
    const int n = std::clamp(a.State.SubcaseCount, 0, MaxSubcases);
    const ScalarsDialogLayout layout = ScalarsLayout(n);
    RecountSubcases(a);

    const DialogUnits du(font());
    setFixedSize(du.ClientOfWindow(layout.width, layout.height));
    for (int k = 0; k < n; ++k) {
        auto* label = new QLabel(FromCore(SubcaseLabel(k + 1)), this);
        label->setGeometry(du.Rect(layout.labels[static_cast<std::size_t>(k)]));
        auto* box = new QLineEdit(QString::fromLatin1(DefaultScalarText), this);
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
    ApplyScalarTexts(a_, texts);
    QDialog::accept();
}

} // namespace tavu::app
