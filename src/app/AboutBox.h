#pragma once
// The About box: the program's name, version, credit and two links.

#include <QDialog>
#include <QLabel>

namespace tavu::app {

inline constexpr const char* ProjectMailAddress = "tavu@example.org";
inline constexpr const char* ProjectWebAddress = "https://example.org/tavu";

// A label that opens a link when clicked, with the hand cursor over it.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    LinkLabel(const QString& text, const QUrl& target, QWidget* parent);

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QUrl target_;
};

class AboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit AboutBox(QWidget* owner);

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

} // namespace tavu::app
