#include "app/ProgressWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>
#include <memory>

#include "platform/NoticePanel.h"

namespace {
constexpr int kBarSteps = 1000;

bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}
}  // namespace

ProgressWindow::ProgressWindow(NoticePanel* notice, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      notice_(notice),
      table_(new QLabel(this)),
      bar_(new QProgressBar(this)) {
    setObjectName(QStringLiteral("msg進行状況"));
    setWindowTitle(QCoreApplication::applicationName());
    setWindowModality(Qt::ApplicationModal);
    auto* text = new QLabel(QStringLiteral("バックアップ中です。しばらくお待ちください。"), this);
    table_->setObjectName(QStringLiteral("lab_table"));
    bar_->setObjectName(QStringLiteral("bar_rows"));
    bar_->setRange(0, kBarSteps);
    bar_->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(table_);
    layout->addWidget(bar_);
    setMinimumWidth(fontMetrics().horizontalAdvance(text->text()) + 80);
}

BackupResult ProgressWindow::run(const Work& work) {
    BackupResult result;
    // The worker's progress reaches the window through its event loop, in the order it was sent.
    const BackupProgress progress = [this](const BackupStep& step) {
        QMetaObject::invokeMethod(
            this, [this, step] { showStep(step); }, Qt::QueuedConnection);
    };
    const std::unique_ptr<QThread> worker(
        QThread::create([&result, &work, &progress, this] { result = work(progress, stop_); }));
    connect(worker.get(), &QThread::finished, this, &QDialog::accept);
    qApp->installEventFilter(this);
    worker->start();
    exec();
    worker->wait();
    qApp->removeEventFilter(this);
    // Steps still queued would show a run that has ended.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    return result;
}

void ProgressWindow::showStep(const BackupStep& step) {
    if (notice_ != nullptr) {
        notice_->setNotice(step.text);
    }
    table_->setText(step.table);
    bar_->setValue(step.rowsCounted > 0
                       ? int(qMin<qint64>(kBarSteps, step.rowsDone * kBarSteps / step.rowsCounted))
                       : 0);
}

bool ProgressWindow::eventFilter(QObject* watched, QEvent* event) {
    if (!IsInput(event->type())) {
        return false;
    }
    const auto* widget = qobject_cast<QWidget*>(watched);
    const auto* window = qobject_cast<QWindow*>(watched);
    const bool mine = (widget != nullptr && (widget == this || isAncestorOf(widget))) ||
                      (window != nullptr && window == windowHandle());
    if (mine) {
        return false;
    }
    // A close request would go on as accepted: it is refused as well as dropped.
    event->ignore();
    return true;
}
