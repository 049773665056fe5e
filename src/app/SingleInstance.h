#pragma once
// One program per user session: the first start listens on a local socket named after
// the program's key; a later start finds it, asks it to come to the front, and ends.

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

    // True for the first start (which then listens); false when another start is
    // running and has been asked to come to the front. When listening fails the start
    // goes on as the first.
    bool BecomeFirst();

    QString ServerName() const { return serverName_; }

signals:
    // A later start asked this one to come to the front.
    void RaiseRequested();

private:
    QString serverName_;
    QLocalServer* server_ = nullptr;
};

} // namespace tavu::app
