#pragma once

#include <QWidget>

#include "platform/PleaseWait.h"

// msgお待ち: "しばらくお待ちください。" on top of every other window, where it is placed.
class PleaseWaitWindow final : public QWidget, public PleaseWait {
    Q_OBJECT
public:
    explicit PleaseWaitWindow(QWidget* parent = nullptr);
    void show() override;
    void hide() override;
    void placeClearOf(const QRect& area) override;

private:
    void moveClear();

    QRect clearOf_;
};

// Where a window of the given size stands clear of an area: centred on it, just above it, or
// below it where there is no room above, and always on the screen.
QRect PlaceClearOf(const QSize& size, const QRect& area, const QRect& screen);
