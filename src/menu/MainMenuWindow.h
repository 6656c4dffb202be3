#pragma once

#include <QWidget>

#include "platform/NoticePanel.h"

class QLabel;

// The main menu window menヌモリカマイメニュ: for now its title panel and its notice panel.
class MainMenuWindow final : public QWidget, public NoticePanel {
    Q_OBJECT
public:
    explicit MainMenuWindow(QWidget* parent = nullptr);

    QLabel* noticePanel() const { return notice_; }
    QLabel* titlePanel() const { return title_; }
    void setNotice(const QString& text) override;

Q_SIGNALS:
    // The window's close box or the program's exit was asked for.
    void exitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* title_;
    QLabel* notice_;
};
