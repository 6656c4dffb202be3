#include "menu/MainMenuWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "app/AppContext.h"

MainMenuWindow::MainMenuWindow(QWidget* parent)
    : QWidget(parent), title_(new QLabel(this)), notice_(new QLabel(this)) {
    setObjectName(QStringLiteral("menヌモリカマイメニュ"));
    setWindowTitle(kProgramId);
    title_->setObjectName(QStringLiteral("prg_ttl"));
    title_->setFrameShape(QFrame::Panel);
    title_->setFrameShadow(QFrame::Sunken);
    notice_->setObjectName(QStringLiteral("お知らせ"));
    notice_->setFrameShape(QFrame::Panel);
    notice_->setFrameShadow(QFrame::Sunken);
    notice_->setAccessibleName(QStringLiteral("お知らせ"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addStretch(1);
    layout->addWidget(notice_);
    resize(800, 600);
}

void MainMenuWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    Q_EMIT exitRequested();
}

void MainMenuWindow::setNotice(const QString& text) {
    notice_->setText(text);
}
