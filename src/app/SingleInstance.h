#pragma once
// One program per user session: the first start listens on a local socket named after
// the program's key; a later start finds it, hands it the model file it was given (or
// asks it only to come to the front), and ends.

#include <QObject>
#include <QString>

class QLocalServer;

namespace tavu::app {

inline constexpr const char* InstanceKey = "TAVU by dovEstrel";

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // The socket lies in the user's runtime folder, named by the first 31 characters of
    // the key.
    explicit SingleInstance(const QString& key = QString::fromLatin1(InstanceKey),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // True for the first start (which then listens); false when another start is running
    // and has been handed modelPath (an absolute path; empty: come to the front only).
    // When listening fails the start goes on as the first.
    bool BecomeFirst(const QString& modelPath = QString());

    QString ServerName() const { return serverName_; }

signals:
    // A later start asked this one to come to the front.
    void RaiseRequested();
    // A later start was given this model file; RaiseRequested comes first.
    void OpenRequested(const QString& modelPath);

private:
    void Handle(const QByteArray& message);

    QString serverName_;
    QLocalServer* server_ = nullptr;
};

} // namespace tavu::app
