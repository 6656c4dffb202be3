#pragma once

#include <QWidget>

class QLabel;

// The main menu window menヌモリカマイメニュ: for now its title panel and its notice panel.
class MainMenuWindow final : public QWidget {
    Q_OBJECT
public:
    explicit MainMenuWindow(QWidget* parent = nullptr);

    QLabel* noticePanel() const { return notice_; }
    QLabel* titlePanel() const { return title_; }

Q_SIGNALS:
    // The window's close box or the program's exit was asked for.
    void exitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* title_;
    QLabel* notice_;
};
