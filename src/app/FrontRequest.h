#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QWidget;
struct ProcessInfo;

// A second start of the menu by the same user brings the running one to the front: the running
// menu reads a named pipe named after the executable and the user, beside its lock, and shows,
// un-minimises and raises its main window, once shown, and the dialog or box that waits for the
// user when a request arrives. A pipe needs nothing beyond the C library, where a local socket
// would load Qt's network module and its Kerberos and proxy libraries into every start.
QString FrontRequestName(const ProcessInfo& process);

// The second start's side: true when a running menu had the pipe open and took the request.
bool AskRunningMenuToFront(const QString& name);

// The running menu's side; lives as long as the window, and removes its pipe at the end.
class FrontRequestListener final : public QObject {
    Q_OBJECT
public:
    FrontRequestListener(const QString& name, QWidget& window);
    ~FrontRequestListener() override;

private:
    QByteArray path_;
    int pipe_ = -1;
};
