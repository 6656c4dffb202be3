#pragma once

#include <QLocalServer>
#include <QString>

class QWidget;
struct ProcessInfo;

// A second start of the menu by the same user brings the running one to the front: the running
// menu listens on a local socket named after the executable and the user, beside its lock, and
// shows, un-minimises and raises its main window when asked.
QString FrontRequestName(const ProcessInfo& process);

// The second start's side: asks the running menu to come to the front; true when it answered.
bool AskRunningMenuToFront(const QString& name);

// The running menu's side; lives as long as the window.
class FrontRequestListener final : public QLocalServer {
    Q_OBJECT
public:
    FrontRequestListener(const QString& name, QWidget& window);
};
